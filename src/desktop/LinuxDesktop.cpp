#include "desktop/LinuxDesktop.h"

#include "codex/ShellService.h"
#include "profiles/AppPaths.h"
#include "profiles/Logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>

#include <unistd.h>

namespace {

const char* const usualTerminals[] = {
    "x-terminal-emulator", "gnome-terminal", "konsole", "xfce4-terminal", "kitty",
    "alacritty",           "wezterm",        "foot",    "xterm"};

QString notInstalledMessage(TargetIDE assistant) {
    return QStringLiteral("%1 is not installed: no `%2` on PATH.")
        .arg(TargetIDEs::rawValue(assistant), Assistants::program(assistant));
}

QString noTerminalMessage(const QString& terminalVariable) {
    const QString program = QProcess::splitCommand(terminalVariable).value(0);
    if (program.isEmpty())
        return QStringLiteral("No terminal emulator found: set $TERMINAL to the one you use, or "
                              "install xterm.");
    return QStringLiteral("No terminal emulator found: $TERMINAL names \"%1\", which is not "
                          "installed; set it to the one you use, or install xterm.")
        .arg(program);
}

// The terminal chosen on the login shell's PATH; throws DesktopError when there is none.
LinuxDesktop::Terminal terminalOn(LinuxDesktop& desktop) {
    const QString terminalVariable = qEnvironmentVariable("TERMINAL");
    const std::optional<LinuxDesktop::Terminal> terminal = LinuxDesktop::chooseTerminal(
        terminalVariable, [&desktop](const QString& name) { return desktop.findProgram(name); });
    if (!terminal)
        throw DesktopError(noTerminalMessage(terminalVariable));
    return *terminal;
}

QString fileName(const QString& path) {
    return path.section(QLatin1Char('/'), -1);
}

QString executableIn(const QString& directory, const QString& name) {
    if (!QDir::isAbsolutePath(directory))
        return {};
    const QFileInfo file(directory + QLatin1Char('/') + name);
    return file.isFile() && file.isExecutable() ? file.absoluteFilePath() : QString();
}

} // namespace

LinuxDesktop::LinuxDesktop(std::shared_ptr<ShellService> shell)
    : m_shell(shell ? std::move(shell) : std::make_shared<ShellService>()) {}

void LinuxDesktop::checkInstalled(TargetIDE assistant) {
    const QString program = Assistants::program(assistant);
    bool askedBefore = false;
    {
        QMutexLocker lock(&m_searchPathLock);
        askedBefore = m_searchPath.has_value();
    }
    if (findProgram(program).isEmpty()) {
        // It may have been installed since the login shell was asked.
        if (askedBefore) {
            QMutexLocker lock(&m_searchPathLock);
            m_searchPath.reset();
        }
        if (!askedBefore || findProgram(program).isEmpty())
            throw DesktopError(notInstalledMessage(assistant));
    }
    terminalOn(*this);
}

QStringList LinuxDesktop::quitAssistant(TargetIDE assistant) {
    const QString program = Assistants::program(assistant);
    const int running = runningProcesses(program);
    if (running == 0)
        return {};
    return {running == 1
                ? QStringLiteral("1 %1 process keeps the old profile until restarted.").arg(program)
                : QStringLiteral("%1 %2 processes keep the old profile until restarted.")
                      .arg(running)
                      .arg(program)};
}

QStringList LinuxDesktop::setLaunchEnvironment(const LaunchEnvironment& variables) {
    const QString systemctl = findProgram(QStringLiteral("systemctl"));
    if (systemctl.isEmpty() || m_shell->runProgram(systemctl, {QStringLiteral("--user"),
                                                               QStringLiteral("show-environment")})
                                       .terminationStatus != 0) {
        qCInfo(lcDesktop) << "No systemd user manager answers; the launch environment is unchanged";
        return {
            QStringLiteral("No systemd user manager: the launch environment was left as it was.")};
    }
    // The values reach both tools through their environment, which only this user can
    // read; a command line (and an API key on it) is visible to everyone on the machine.
    const QProcessEnvironment environment = withVariables(variables);
    for (const QStringList& call : systemctlCalls(variables)) {
        const ShellResult result = m_shell->runProgram(systemctl, call, environment);
        if (result.terminationStatus != 0)
            throw DesktopError(result.standardError.trimmed());
    }

    // D-Bus keeps an activation environment of its own. It can only be given values, not
    // told to forget one; with --systemd it passes them to the user manager as well.
    QStringList names;
    for (const EnvironmentVariable& variable : variables)
        if (variable.value)
            names << variable.name;
    const QString dbus = findProgram(QStringLiteral("dbus-update-activation-environment"));
    if (dbus.isEmpty() || names.isEmpty())
        return {};
    const ShellResult result =
        m_shell->runProgram(dbus, QStringList{QStringLiteral("--systemd")} + names, environment);
    if (result.terminationStatus == 0)
        return {};
    qCWarning(lcDesktop) << "dbus-update-activation-environment failed:"
                         << result.standardError.trimmed();
    return {prefixedMessage(QStringLiteral("The D-Bus activation environment was not updated"),
                            result.standardError.trimmed())};
}

QStringList LinuxDesktop::startAssistant(const AssistantSession& session) {
    const QString program = findProgram(Assistants::program(session.assistant));
    if (program.isEmpty())
        throw DesktopError(notInstalledMessage(session.assistant));
    return openTerminal(sessionCommand(session.banner, program, session.arguments),
                        session.environment);
}

QStringList LinuxDesktop::openTerminal(const QStringList& command,
                                       const LaunchEnvironment& variables) {
    const Terminal terminal = terminalOn(*this);
    QProcessEnvironment environment = withVariables(variables);
    environment.insert(QStringLiteral("PATH"), searchPath());
    const QString home = AppPaths::homeDirectory();
    m_shell->startDetached(terminal.program,
                           terminal.arguments + terminalArguments(terminal.program, home, command),
                           environment, home);
    qCInfo(lcDesktop) << "Opened a terminal window with" << terminal.program;
    if (!terminal.note.isEmpty())
        return {terminal.note};
    return {};
}

QString LinuxDesktop::findProgram(const QString& name) {
    if (name.contains(QLatin1Char('/'))) {
        const QFileInfo file(name);
        return file.isFile() && file.isExecutable() ? file.absoluteFilePath() : QString();
    }
    const QStringList directories = searchPath().split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& directory : directories) {
        const QString path = executableIn(directory, name);
        if (!path.isEmpty())
            return path;
    }
    return {};
}

QString LinuxDesktop::searchPath() {
    QMutexLocker lock(&m_searchPathLock);
    if (m_searchPath)
        return *m_searchPath;
    QString shell = qEnvironmentVariable("SHELL");
    if (!QFileInfo(shell).isExecutable())
        shell = QStringLiteral("/bin/sh");
    QString path;
    try {
        const ShellResult result = m_shell->runProgram(
            shell, {QStringLiteral("-lc"), QStringLiteral("printf %s \"$PATH\"")});
        // Whatever the start-up files print comes first; the PATH is the last line.
        if (result.terminationStatus == 0)
            path = result.standardOutput.section(QLatin1Char('\n'), -1);
        else
            qCWarning(lcDesktop) << "The login shell" << shell
                                 << "gave no PATH:" << result.standardError.trimmed();
    } catch (const ProcessError& error) {
        qCWarning(lcDesktop) << "The login shell gave no PATH:" << error.localizedDescription();
    }
    if (path.isEmpty())
        path = qEnvironmentVariable("PATH");
    m_searchPath = path;
    return path;
}

std::optional<LinuxDesktop::Terminal>
LinuxDesktop::chooseTerminal(const QString& terminalVariable,
                             const std::function<QString(const QString&)>& find) {
    const QStringList words = QProcess::splitCommand(terminalVariable);
    QString wanted;
    if (!words.isEmpty()) {
        const QString path = find(words.first());
        if (!path.isEmpty())
            return Terminal{path, words.mid(1), {}};
        wanted = words.first();
        qCWarning(lcDesktop) << "$TERMINAL names" << wanted << "which is not installed";
    }
    for (const char* name : usualTerminals) {
        const QString path = find(QLatin1String(name));
        if (path.isEmpty())
            continue;
        QString note;
        if (!wanted.isEmpty())
            note = QStringLiteral("$TERMINAL names \"%1\", which was not found: opened %2 instead.")
                       .arg(wanted, QLatin1String(name));
        return Terminal{path, {}, note};
    }
    return std::nullopt;
}

QStringList LinuxDesktop::terminalArguments(const QString& terminalProgram,
                                            const QString& directory, const QStringList& command) {
    const QString name = fileName(terminalProgram);
    QStringList arguments;
    if (name == QLatin1String("gnome-terminal"))
        arguments << QStringLiteral("--working-directory=") + directory << QStringLiteral("--");
    else if (name == QLatin1String("konsole"))
        arguments << QStringLiteral("--workdir") << directory << QStringLiteral("-e");
    else if (name == QLatin1String("xfce4-terminal"))
        arguments << QStringLiteral("--working-directory=") + directory << QStringLiteral("-x");
    else if (name == QLatin1String("kitty"))
        arguments << QStringLiteral("--directory") << directory;
    else if (name == QLatin1String("alacritty"))
        arguments << QStringLiteral("--working-directory") << directory << QStringLiteral("-e");
    else if (name == QLatin1String("wezterm"))
        arguments << QStringLiteral("start") << QStringLiteral("--cwd") << directory
                  << QStringLiteral("--");
    else if (name == QLatin1String("foot"))
        arguments << QStringLiteral("--working-directory=") + directory;
    else // xterm, x-terminal-emulator and others start in their own working directory
        arguments << QStringLiteral("-e");
    return arguments + command;
}

QStringList LinuxDesktop::sessionCommand(const QStringList& banner, const QString& program,
                                         const QStringList& arguments) {
    QString script;
    if (!banner.isEmpty()) {
        script = QStringLiteral("printf '%s\\n'");
        for (qsizetype line = 1; line <= banner.size(); ++line)
            script += QStringLiteral(" \"${%1}\"").arg(line);
        script += QStringLiteral("; echo; shift %1; ").arg(banner.size());
    }
    // After the assistant ends the window stays, in the user's own shell.
    script += QStringLiteral("\"$@\"; exec \"${SHELL:-/bin/sh}\"");
    return QStringList{QStringLiteral("/bin/sh"), QStringLiteral("-c"), script,
                       QStringLiteral("tavrin")} +
           banner + QStringList{program} + arguments;
}

QList<QStringList> LinuxDesktop::systemctlCalls(const LaunchEnvironment& variables) {
    QList<QStringList> calls;
    for (const EnvironmentVariable& variable : variables) {
        const QString verb = variable.value ? QStringLiteral("import-environment")
                                            : QStringLiteral("unset-environment");
        if (!calls.isEmpty() && calls.last().at(1) == verb)
            calls.last() << variable.name;
        else
            calls << QStringList{QStringLiteral("--user"), verb, variable.name};
    }
    return calls;
}

QProcessEnvironment LinuxDesktop::withVariables(const LaunchEnvironment& variables) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const EnvironmentVariable& variable : variables) {
        if (variable.value)
            environment.insert(variable.name, *variable.value);
        else
            environment.remove(variable.name);
    }
    return environment;
}

int LinuxDesktop::runningProcesses(const QString& program) {
    const uint user = ::getuid();
    const QString self = QString::number(::getpid());
    QHash<QString, QString> parentOf; // counted process -> its parent
    const QStringList entries =
        QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& pid : entries) {
        if (pid == self || !pid.at(0).isDigit())
            continue;
        const QString directory = QStringLiteral("/proc/") + pid;
        if (QFileInfo(directory).ownerId() != user)
            continue;
        QFile statFile(directory + QStringLiteral("/stat"));
        QFile commandLine(directory + QStringLiteral("/cmdline"));
        if (!statFile.open(QIODevice::ReadOnly) || !commandLine.open(QIODevice::ReadOnly))
            continue; // gone meanwhile
        // "pid (name) state ppid ...": the name may itself hold spaces and parentheses.
        const QString stat = QString::fromLocal8Bit(statFile.readAll());
        const qsizetype open = stat.indexOf(QLatin1Char('('));
        const qsizetype close = stat.lastIndexOf(QLatin1Char(')'));
        if (open < 0 || close < open)
            continue;
        const QString name = stat.mid(open + 1, close - open - 1);
        if (stat.mid(close + 2, 1) == QLatin1String("Z"))
            continue; // exited, not yet reaped
        const QString firstArgument =
            QString::fromLocal8Bit(commandLine.readAll().split('\0').value(0));
        if (name == program || fileName(firstArgument) == program)
            parentOf.insert(pid, stat.mid(close + 2).section(QLatin1Char(' '), 1, 1));
    }
    int count = 0;
    for (auto it = parentOf.cbegin(); it != parentOf.cend(); ++it)
        if (!parentOf.contains(it.value()))
            ++count;
    return count;
}
