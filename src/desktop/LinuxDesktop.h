#pragma once

#include "desktop/Desktop.h"

#include <QMutex>
#include <QProcessEnvironment>

#include <functional>
#include <optional>

// Linux: the assistants are command-line programs that run in a terminal emulator, and
// the launch environment is the systemd user manager's. Programs are found on the
// login shell's PATH (a desktop session often has a shorter one) and started with
// plain argument lists, so values arrive exactly as typed; the login shell is asked for
// its PATH and nothing else.
class LinuxDesktop : public Desktop {
public:
    explicit LinuxDesktop(std::shared_ptr<ShellService> shell = nullptr);

    // The assistant's program and a terminal emulator must both be found.
    void checkInstalled(TargetIDE assistant) override;
    // Codex's background app server is stopped when it runs; sessions in terminals are
    // left running (they may hold the user's work) and counted for a note.
    QStringList quitAssistant(TargetIDE assistant, const StepStarted& starting) override;
    // systemctl --user import-environment/unset-environment, then the set variables to
    // dbus-update-activation-environment when it is installed; the values go through the
    // tools' environment, never their command lines. Without a user manager nothing is
    // changed and a note says so.
    QStringList setLaunchEnvironment(const LaunchEnvironment& variables) override;
    // A terminal window in the home directory that prints the banner and runs the
    // assistant with the session's variables in its environment.
    QStringList startAssistant(const AssistantSession& session) override;

    // An XDG autostart entry, ~/.config/autostart/dev.tavrin.Tavrin.desktop (under
    // $XDG_CONFIG_HOME when set), that starts the program in the background.
    bool startsAtLogin() override;
    void setStartsAtLogin(bool enabled, const QString& application) override;
    static QString autostartPath();
    static QByteArray autostartEntry(const QString& program);

    // The absolute path of a program on the login shell's PATH; empty when there is none.
    QString findProgram(const QString& name);

    // Public so they can be tested directly.
    struct Terminal {
        QString program;       // absolute path
        QStringList arguments; // given in $TERMINAL after the program
        QString note;          // set when $TERMINAL names a program that is not installed
    };
    // $TERMINAL (a command, perhaps with arguments) when its program is found, else the
    // first usual terminal that is. `find` gives a program's path, or empty.
    static std::optional<Terminal>
    chooseTerminal(const QString& terminalVariable,
                   const std::function<QString(const QString&)>& find);
    // Processes of this user running the program, not counting those started by another
    // counted one.
    static int runningProcesses(const QString& program);

private:
    struct Process {
        QByteArray pid;
        QByteArray parent;
        QByteArray name; // the kernel's, at most 15 characters
    };
    // This user's live processes whose name begins with `prefix`. Every process costs one
    // stat (its owner); only this user's get their name read, and only matches more.
    static QList<Process> processesNamed(const QByteArray& prefix);
    // Those named `program` exactly, not counting one started by another counted one.
    static int sessions(const QList<Process>& processes, const QByteArray& program);
    // `codex app-server daemon <verb>` with the login shell's PATH.
    ShellResult runCodexServerCommand(const QString& verb);
    // This process's environment with the login shell's PATH and the variables set or
    // removed: what programs started for the user get.
    QProcessEnvironment programEnvironment(const LaunchEnvironment& variables);

    // Opens a terminal window in the home directory running the command. Its environment
    // is this process's with the login shell's PATH and the variables set or removed.
    QStringList openTerminal(const QStringList& command, const LaunchEnvironment& variables);

    // The login shell's PATH ($SHELL, else /bin/sh), asked once and again when a program
    // is not found; this process's PATH when the shell gives none.
    QString searchPath();

    // The arguments that make a terminal, known by its program name, run the command in
    // the directory. Unknown terminals get the common "-e command...".
    static QStringList terminalArguments(const QString& terminalProgram, const QString& directory,
                                         const QStringList& command);
    // What the terminal runs: a POSIX sh that prints the banner, runs the program and then
    // stays open in the user's shell. Banner and arguments are passed as arguments.
    static QStringList sessionCommand(const QStringList& banner, const QString& program,
                                      const QStringList& arguments);
    // The systemctl calls that apply the variables in order, by name: the set ones are
    // imported from systemctl's environment, the others cleared; consecutive imports (or
    // clearings) share one call.
    static QList<QStringList> systemctlCalls(const LaunchEnvironment& variables);
    // This process's environment with the variables set or removed.
    static QProcessEnvironment withVariables(const LaunchEnvironment& variables);

    std::optional<QString> m_searchPath;
    QMutex m_searchPathLock;
    std::shared_ptr<ShellService> m_shell;
};
