#include "support/TestHome.h"

#include "desktop/LinuxDesktop.h"
#include "profiles/AppPaths.h"
#include "system/ShellService.h"

#include <QDirIterator>

// A null value removes the variable.
static void putEnvironment(const QByteArray& name, const QByteArray& value) {
    value.isNull() ? qunsetenv(name.constData()) : qputenv(name.constData(), value);
}

ScopedEnvironment::~ScopedEnvironment() {
    for (auto it = m_old.cbegin(); it != m_old.cend(); ++it)
        putEnvironment(it.key(), it.value());
}

void ScopedEnvironment::set(const QByteArray& name, const QByteArray& value) {
    if (!m_old.contains(name))
        m_old.insert(name, qgetenv(name.constData()));
    putEnvironment(name, value);
}

TestHome::TestHome() {
    QVERIFY2(m_dir.isValid(), "cannot create a temporary home");
    const QByteArray home = QFile::encodeName(m_dir.path());
    m_environment.set("HOME", home);
    m_environment.set("XDG_CONFIG_HOME", home + "/.config");
    m_environment.set("XDG_DATA_HOME", home + "/.local/share");
    // The login shell must read its start-up files from the temporary home only.
    m_environment.set("ZDOTDIR", {});
    AppPaths::setHomeDirectoryOverride(m_dir.path());
    // They run after the system's (Debian's /etc/profile sets PATH afresh, macOS's
    // /etc/zprofile puts the system folders first) and put the stand-ins first again.
    const QByteArray posix = "if [ -n \"${TAVRIN_TEST_STAND_INS-}\" ]; then\n"
                             "    PATH=\"$TAVRIN_TEST_STAND_INS:$PATH\"; export PATH\n"
                             "fi\n";
    write(".profile", posix);
    write(".zprofile", posix);
    write(".config/fish/config.fish", "if set -q TAVRIN_TEST_STAND_INS\n"
                                      "    set -gx PATH $TAVRIN_TEST_STAND_INS $PATH\n"
                                      "end\n");
}

TestHome::~TestHome() {
    AppPaths::setHomeDirectoryOverride(QString());
}

QStringList TestHome::entries(const QString& relative) const {
    return QDir(file(relative))
        .entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

QStringList TestHome::filesHolding(const QByteArray& text) const {
    QStringList found;
    QDirIterator it(path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        if (readFile(it.next()).contains(text))
            found << QDir(path()).relativeFilePath(it.filePath());
    found.sort();
    return found;
}

namespace {

const QStringList outsideTools{
    "osascript", "open",   "launchctl", "systemctl", "dbus-update-activation-environment",
    "terminal",  "claude", "codex"};

// How the codex stand-in answers `codex app-server daemon version|stop`, by the state in
// codex.server and the pid in codex.server.pid (see StandIns::setCodexServer()).
const QByteArray codexServerAnswers =
    "if [ \"$1 $2\" = 'app-server daemon' ]; then\n"
    "    m=stopped; [ -f \"$d/codex.server\" ] && read m < \"$d/codex.server\"\n"
    "    case \"$m\" in\n"
    "    old) echo \"error: unrecognized subcommand 'daemon'\" >&2; exit 2 ;;\n"
    "    stopped) echo 'no background server is running' >&2; exit 1 ;;\n"
    "    esac\n"
    "    [ \"$3\" = version ] && { echo 'codex-app-server 0.171.0'; exit 0; }\n"
    "    [ \"$m\" = refuses ] && { echo 'permission denied' >&2; exit 1; }\n"
    "    echo stopped > \"$d/codex.server\"\n"
    "    [ -f \"$d/codex.server.pid\" ] || exit 0\n"
    "    read p < \"$d/codex.server.pid\"; kill -9 \"$p\"\n"
    "    while read -r s < \"/proc/$p/stat\"; do\n"
    "        case \"$s\" in *') Z '*) break ;; esac; /bin/sleep 0.01\n"
    "    done 2>/dev/null\n"
    "    exit 0\n"
    "fi\n";

// Apart from recording the environment, the script runs no other program, so a call
// costs one shell; tools are named by their full paths, so the stand-ins also run where
// PATH holds nothing but the stand-ins.
QByteArray recordingScript(const QString& records, const QString& tool) {
    // The records' folder in single quotes, each quote in its path closed, escaped, reopened.
    QByteArray script = "#!/bin/sh\nd='" + QFile::encodeName(records).replace('\'', "'\\''") +
                        "'\nt=" + tool.toUtf8() + "\n";
    script += "n=0; [ -f \"$d/$t.count\" ] && read n < \"$d/$t.count\"\n"
              "n=$((n+1))\n"
              "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$d/$t.$n.args\"\n"
              "pwd > \"$d/$t.$n.cwd\"\n";
    if (tool == "claude" || tool == "codex" || tool == "systemctl" ||
        tool == "dbus-update-activation-environment")
        script += "/usr/bin/env > \"$d/$t.$n.env\"\n"
                  "[ -r /proc/$$/stat ] && cut -d' ' -f41 /proc/$$/stat > \"$d/$t.$n.policy\"\n";
    if (tool == "osascript")
        script += "if [ $# -eq 0 ]; then /bin/cat > \"$d/$t.$n.stdin\"; fi\n";
    // A terminal runs its command before the call counts, so that a test waiting for the
    // count finds everything the command did.
    if (tool == "terminal")
        script += "if [ \"$1\" = -e ]; then shift; \"$@\" > \"$d/$t.$n.out\" 2>&1; fi\n";
    script += "{ printf '%s' \"$t\"; for a in \"$@\"; do printf ' %s' \"$a\"; done; echo; } "
              ">> \"$d/calls.log\"\n"
              "echo \"$n\" > \"$d/$t.count\"\n";
    if (tool == "codex")
        script += codexServerAnswers;
    script += "[ -f \"$d/$t.stderr\" ] && /bin/cat \"$d/$t.stderr\" >&2\n"
              "s=0; [ -f \"$d/$t.status\" ] && read s < \"$d/$t.status\"\n"
              "exit \"$s\"\n";
    return script;
}

} // namespace

StandIns::StandIns(const QString& directory, const QStringList& extraTools)
    : m_bin(directory + "/bin"), m_records(directory + "/records") {
    QDir().mkpath(m_records); // (writing a stand-in makes its folder)
    m_tools = outsideTools + extraTools;
    m_tools.removeDuplicates();
    for (const QString& tool : m_tools)
        replace(tool, recordingScript(m_records, tool));
    m_environment.set("PATH", QFile::encodeName(m_bin) + ':' + qgetenv("PATH"));
    m_environment.set("TERMINAL", QFile::encodeName(path("terminal")));
    m_environment.set("TAVRIN_TEST_STAND_INS", QFile::encodeName(m_bin));
}

void StandIns::requireFirstOnPath() const {
    QStringList wrong;
    if (QFileInfo::exists("/bin/zsh")) {
        // The macOS desktop's shell: every command line goes through the login zsh.
        const QString loop = "for t in " + m_tools.join(' ') +
                             "; do command -v \"$t\" || echo \"(not found)\"; done";
        const QStringList found = ShellService().run(loop).standardOutput.split('\n');
        for (qsizetype i = 0; i < m_tools.size(); ++i)
            if (found.value(i) != path(m_tools[i]))
                wrong << QStringLiteral("login zsh: %1 is %2").arg(m_tools[i], found.value(i));
    }
    // The Linux desktop's lookup: the PATH of the login shell that $SHELL names.
    LinuxDesktop desktop;
    for (const QString& tool : m_tools) {
        const QString found = desktop.findProgram(tool);
        if (found != path(tool))
            wrong << QStringLiteral("$SHELL -l: %1 is %2")
                         .arg(tool, found.isEmpty() ? "(not found)" : found);
    }
    if (!wrong.isEmpty())
        qFatal("The stand-ins are not first on PATH, so the tests would run real tools:\n%s",
               qPrintable(wrong.join('\n')));
}

void StandIns::replace(const QString& tool, const QByteArray& script) {
    writeFile(path(tool), script);
    QFile::setPermissions(path(tool),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void StandIns::setCodexServer(const QString& state, qint64 pid) {
    writeFile(m_records + "/codex.server", state.toUtf8());
    if (pid > 0)
        writeFile(m_records + "/codex.server.pid", QByteArray::number(pid));
}

void StandIns::setResult(const QString& tool, int status, const QByteArray& standardError) {
    writeFile(m_records + '/' + tool + ".status", QByteArray::number(status));
    writeFile(m_records + '/' + tool + ".stderr", standardError);
}

// What the stand-in noted of one call of a tool, in the file with that extension.
static QByteArray record(const QString& records, const QString& tool, int call,
                         const char* extension) {
    return readFile(QStringLiteral("%1/%2.%3.%4").arg(records, tool).arg(call).arg(extension));
}

int StandIns::callCount(const QString& tool) const {
    return readFile(m_records + '/' + tool + ".count").trimmed().toInt();
}

QStringList StandIns::arguments(const QString& tool, int call) const {
    // Each argument ends with a NUL.
    QStringList args = QString::fromUtf8(record(m_records, tool, call, "args")).split(QChar());
    args.removeLast();
    return args;
}

QMap<QString, QString> StandIns::environment(const QString& tool, int call) const {
    QMap<QString, QString> variables;
    for (const QByteArray& line : record(m_records, tool, call, "env").split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            variables.insert(QString::fromUtf8(line.left(equals)),
                             QString::fromUtf8(line.mid(equals + 1)));
    }
    return variables;
}

QString StandIns::workingDirectory(const QString& tool, int call) const {
    return QString::fromUtf8(record(m_records, tool, call, "cwd").trimmed());
}

QByteArray StandIns::standardInput(const QString& tool, int call) const {
    return record(m_records, tool, call, "stdin");
}

QByteArray StandIns::output(const QString& tool, int call) const {
    return record(m_records, tool, call, "out");
}

QByteArray StandIns::schedulingPolicy(const QString& tool, int call) const {
    return record(m_records, tool, call, "policy").trimmed();
}

QStringList StandIns::callLog() const {
    return QString::fromUtf8(readFile(m_records + "/calls.log")).split('\n', Qt::SkipEmptyParts);
}
