#include "claude/ClaudeRestarter.h"
#include "codex/CodexRestarter.h"
#include "desktop/LinuxDesktop.h"
#include "desktop/MacDesktop.h"
#include "support/Checks.h"
#include "support/TestHome.h"

#include <QStandardPaths>

// The user's session around the restarters: the login shell's PATH, the terminal, the
// Codex processes that keep running, start at login.

namespace {

// Making way for a Codex switch: what the background server and the sessions do.
struct MakingWay {
    const char* name;
    QString platform; // "mac" or "linux"
    QString server;   // how the stand-in codex answers (StandIns::setCodexServer)
    int sessions;     // Linux: Codex sessions running in terminals, the first through a wrapper
    QStringList progress, notes, calls; // calls: of the outside tools, in order
};

// A login shell whose start-up file prints around what Tavrin asks.
struct LoginShell {
    const char* name;
    QString shell, file;
    QByteArray printing;
};

// A process named codex, like a session in a terminal: "wrapper" also starts another
// one (a wrapper and the codex it starts count as one). It runs until "stop" appears in
// the home, or it is killed.
QProcess* startCodexProcess(const TestHome& home, const QString& argument, QObject* parent) {
    const QString program = home.file("running/codex");
    if (!QFileInfo::exists(program)) {
        home.write("running/codex",
                   "#!/bin/sh\n"
                   "if [ \"$1\" = wrapper ]; then \"$0\" wrapped & fi\n"
                   "[ \"$1\" = wrapped ] && : > \"$HOME/wrapped\"\n"
                   "while [ -d \"$HOME\" ] && [ ! -e \"$HOME/stop\" ]; do /bin/sleep 0.05; done\n");
        QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    auto* process = new QProcess(parent);
    process->start(program, {argument});
    process->waitForStarted();
    return process;
}

} // namespace

class TestDesktopSession : public QObject {
    Q_OBJECT

private slots:
    // The PATH is read from the login shell between markers of Tavrin's own, whatever its
    // start-up files print before or after it, with or without a newline.
    void linuxReadsLoginShellPath_data() {
        addRows<LoginShell>({
            {"bash, a terminal title", "bash", ".profile", "printf '\\033]0;~\\007'\n"},
            {"sh, a greeting line", "sh", ".profile", "echo Hello\n"},
            {"zsh, before and after", "zsh", ".zprofile",
             "printf 'Hi'; trap \"printf '/bye'\" EXIT\n"},
            {"fish, without a newline", "fish", ".config/fish/config.fish", "printf '%s' '~'\n"},
        });
    }

    void linuxReadsLoginShellPath() {
        QFETCH(LoginShell, row);
        const QString program = QStandardPaths::findExecutable(row.shell);
        if (program.isEmpty())
            QSKIP("this shell is not installed");
        TestHome home;
        StandIns tools(home.path() + "/tools");
        home.write(row.file, home.read(row.file) + row.printing);
        // Only the login shell's PATH leads to the stand-ins.
        tools.setEnvironment("PATH", "/usr/bin:/bin");
        tools.setEnvironment("SHELL", program.toUtf8());
        QCOMPARE(LinuxDesktop().findProgram("claude"), tools.path("claude"));
        // A path names a program only when it leads to one.
        QCOMPARE(LinuxDesktop().findProgram(home.file(row.file)), QString());
    }

    // $TERMINAL with its arguments, else the first usual terminal installed: the program
    // and its arguments.
    void linuxChoosesTerminal() {
        const auto choose = [](const QString& variable, const QStringList& installed) {
            const auto terminal = LinuxDesktop::chooseTerminal(variable, [&](const QString& name) {
                return installed.contains(name) ? "/usr/bin/" + name : QString();
            });
            return terminal ? terminal->program + ' ' + terminal->arguments.join('|') : QString();
        };
        const QStringList all{"xterm",     "foot",           "wezterm",
                              "alacritty", "kitty",          "xfce4-terminal",
                              "konsole",   "gnome-terminal", "x-terminal-emulator"};
        QCOMPARE(choose("alacritty --class \"My Term\"", all),
                 "/usr/bin/alacritty --class|My Term");
        QCOMPARE(choose("", all), "/usr/bin/x-terminal-emulator ");
        QCOMPARE(choose("", {"xterm", "konsole"}), "/usr/bin/konsole ");
    }

    void makingWayForCodex_data() {
        const QString q = "Quitting Codex.", s = "Stopping Codex's background server.";
        const QString ok = "Stopped Codex's background server.";
        const QString no = "Codex's background server could not be stopped and keeps the old "
                           "profile until restarted: permission denied";
        const QString one = "1 codex process keeps the old profile until restarted.";
        const QString two = "2 codex processes keep the old profile until restarted.";
        const QString v = "codex app-server daemon version", st = "codex app-server daemon stop";
        const QStringList mac{"osascript -e quit app \"Codex\"", "sleep 2", v};
        const QStringList macStop = mac + QStringList(st);
        addRows<MakingWay>({
            {"mac, server running", "mac", "running", 0, {q, s}, {ok}, macStop},
            {"mac, server refuses to stop", "mac", "refuses", 0, {q, s}, {no}, macStop},
            {"mac, server not running", "mac", "stopped", 0, {q}, {}, mac},
            {"mac, Codex without the command", "mac", "old", 0, {q}, {}, mac},
            // No codex process: the server cannot run, and codex is not asked.
            {"linux, nothing running", "linux", "running", 0, {}, {}, {}},
            {"linux, server and two sessions", "linux", "running", 2, {s}, {ok, two}, {v, st}},
            {"linux, server refuses to stop", "linux", "refuses", 1, {s}, {no, two}, {v, st}},
            {"linux, Codex without the command", "linux", "old", 1, {}, {one}, {v}},
        });
    }

    // Codex's background server is stopped before the files change, where it runs; the
    // sessions in terminals keep running and are named in the line.
    void makingWayForCodex() {
        QFETCH(MakingWay, row);
        TestHome home;
        StandIns tools(home.path() + "/tools", {"sleep"});
        tools.setResult("osascript", 1, "Codex got an error: not running\n");
        const bool linux = row.platform == "linux";
        QObject processes;
        if (linux &&
            (!QFileInfo::exists("/proc/self/stat") || LinuxDesktop::runningProcesses("codex") > 0))
            QSKIP("needs /proc, and no codex of this machine's running (it would be in the notes)");
        for (int i = 0; linux && i < row.sessions; ++i)
            startCodexProcess(home, i == 0 ? "wrapper" : "", &processes);
        if (linux && row.sessions > 0) {
            QTRY_VERIFY(home.exists("wrapped"));
            QTRY_COMPARE(LinuxDesktop::runningProcesses("codex"), row.sessions);
        }
        qint64 server = 0;
        if (linux && (row.server == "running" || row.server == "refuses") && row.sessions > 0)
            server = startCodexProcess(home, "app-server", &processes)->processId();
        tools.setCodexServer(row.server, server);
        tools.requireFirstOnPath();

        QStringList progress;
        const QStringList notes =
            CodexRestarter(linux ? std::shared_ptr<Desktop>(std::make_shared<LinuxDesktop>())
                                 : std::make_shared<MacDesktop>())
                .quitCodex([&progress](const QString& line) { progress << line; });
        home.write("stop", {});
        for (QProcess* process : processes.findChildren<QProcess*>())
            QVERIFY(process->waitForFinished());
        QTRY_COMPARE(linux ? LinuxDesktop::runningProcesses("codex") : 0, 0);
        QCOMPARE(progress, row.progress);
        QCOMPARE(notes, row.notes);
        QCOMPARE(tools.callLog(), row.calls);
    }

    // The real xterm on a virtual display runs a stand-in claude that records what it got.
    void linuxRealTerminalUnderXvfb() {
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        const QString xterm = QStandardPaths::findExecutable("xterm");
        if (xvfb.isEmpty() || xterm.isEmpty())
            QSKIP("needs Xvfb and xterm");
        TestHome home;
        StandIns tools(home.path() + "/tools");
        tools.setEnvironment("TERMINAL", xterm.toUtf8());
        tools.setEnvironment("WAYLAND_DISPLAY", {});
        QProcess server;
        server.start(xvfb, {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "640x480x24"});
        QVERIFY(server.waitForReadyRead(20000));
        tools.setEnvironment("DISPLAY", ":" + server.readAllStandardOutput().trimmed());
        tools.requireFirstOnPath();

        // (What reaches the assistant in full is the stand-in terminal's test, above.)
        ClaudeRestarter(std::make_shared<LinuxDesktop>())
            .restartClaudeCode(Profile::velqorAccount(1), QString("sk-live \"$1\""));
        QTRY_COMPARE_WITH_TIMEOUT(tools.callCount("claude"), 1, 20000);
        QCOMPARE(tools.callCount("terminal"), 0);
        QCOMPARE(tools.arguments("claude"), QStringList("--bare"));
        QCOMPARE(tools.environment("claude").value("ANTHROPIC_API_KEY"), QString("sk-live \"$1\""));
        // Closing the display ends xterm and the shell left in it.
        server.terminate();
        QVERIFY(server.waitForFinished(20000));
    }

    // Start at login: an autostart entry on Linux that runs the program as written, even
    // with spaces and quotes in its path; a login item on macOS, an old one removed first.
    void startAtLogin() {
        TestHome home;
        StandIns tools(home.path() + "/tools");
        tools.requireFirstOnPath();
        LinuxDesktop linux;
        const QString program = home.path() + "/my \"apps\"/tavrin";
        QVERIFY(!linux.startsAtLogin());
        linux.setStartsAtLogin(true, program);
        const QString entry =
            QString::fromUtf8(home.read(".config/autostart/dev.tavrin.Tavrin.desktop"));
        QVERIFY2(entry.contains("\nExec=\"" + home.path() +
                                "/my \\\\\"apps\\\\\"/tavrin\" --background\n"),
                 qPrintable(entry));
        QVERIFY(linux.startsAtLogin());
        home.write(".config/autostart/dev.tavrin.Tavrin.desktop", entry.toUtf8() + "Hidden=true\n");
        QVERIFY(!linux.startsAtLogin()); // switched off in the desktop's own settings
        linux.setStartsAtLogin(false, program);
        QVERIFY(!home.exists(".config/autostart/dev.tavrin.Tavrin.desktop"));

        MacDesktop mac;
        mac.setStartsAtLogin(true, "/Applications/Tavrin \"x\".app");
        const QString events = "osascript -e tell application \"System Events\" to ";
        QCOMPARE(
            tools.callLog(),
            QStringList({events + "delete every login item whose name is \"Tavrin\"",
                         events + "make login item at end with properties "
                                  "{path:\"/Applications/Tavrin \\\"x\\\".app\", hidden:true}"}));
    }
};

QTEST_GUILESS_MAIN(TestDesktopSession)
#include "tst_desktopsession.moc"
