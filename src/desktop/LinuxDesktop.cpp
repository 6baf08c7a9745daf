#include "desktop/LinuxDesktop.h"

#include "profiles/AppPaths.h"
#include "profiles/Logging.h"
#include "system/ShellService.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSet>

#include <cctype>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const usualTerminals[] = {
    "x-terminal-emulator", "gnome-terminal", "konsole", "xfce4-terminal", "kitty",
    "alacritty",           "wezterm",        "foot",    "xterm"};

QString notInstalledMessage(TargetIDE assistant) {
    return QCoreApplication::translate("LinuxDesktop", "%1 is not installed: no `%2` on PATH.")
        .arg(TargetIDEs::rawValue(assistant), TargetIDEs::program(assistant));
}

QString noTerminalMessage(const QString& terminalVariable) {
    const QString program = QProcess::splitCommand(terminalVariable).value(0);
    if (program.isEmpty())
        return QCoreApplication::translate(
            "LinuxDesktop", "No terminal emulator found: set $TERMINAL to the one you use, or "
                            "install xterm.");
    return QCoreApplication::translate(
               "LinuxDesktop", "No terminal emulator found: $TERMINAL names \"%1\", which is not "
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

const QString pathBegins = QStringLiteral("<tavrin-path>");
const QString pathEnds = QStringLiteral("</tavrin-path>");

QString fileName(const QString& path) {
    return path.section(QLatin1Char('/'), -1);
}

// A file of /proc, whole: they are small, and a read of /proc gives what there is at once.
QByteArray readSmallFile(int directory, const QByteArray& path) {
    const int file = ::openat(directory, path.constData(), O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return {};
    char buffer[1024];
    const ssize_t size = ::read(file, buffer, sizeof buffer);
    ::close(file);
    return size > 0 ? QByteArray(buffer, size) : QByteArray();
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
    const QString program = TargetIDEs::program(assistant);
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

QStringList LinuxDesktop::quitAssistant(TargetIDE assistant, const StepStarted& starting) {
    const QByteArray program = TargetIDEs::program(assistant).toLatin1();
    // Codex's server may run under a longer name of the program; no process means no server.
    QList<Process> running = processesNamed(program);
    if (running.isEmpty())
        return {};
    QStringList notes;
    if (assistant == TargetIDE::codex) {
        notes = stopCodexServer([this](const QString& verb) { return runCodexServerCommand(verb); },
                                starting);
        if (!notes.isEmpty())
            running = processesNamed(program); // what still runs after the stop
    }
    const int count = sessions(running, program);
    if (count == 1)
        notes << QCoreApplication::translate("LinuxDesktop",
                                             "1 %1 process keeps the old profile until restarted.")
                     .arg(QLatin1String(program));
    else if (count > 1)
        notes << QCoreApplication::translate(
                     "LinuxDesktop", "%1 %2 processes keep the old profile until restarted.")
                     .arg(count)
                     .arg(QLatin1String(program));
    return notes;
}

ShellResult LinuxDesktop::runCodexServerCommand(const QString& verb) {
    const QString codex = findProgram(QStringLiteral("codex"));
    if (codex.isEmpty())
        throw ProcessError(notInstalledMessage(TargetIDE::codex));
    // A codex started through `env node` finds node on the login shell's PATH only.
    return m_shell->runProgram(codex,
                               {QStringLiteral("app-server"), QStringLiteral("daemon"), verb},
                               programEnvironment({}));
}

QStringList LinuxDesktop::setLaunchEnvironment(const LaunchEnvironment& variables) {
    const QString systemctl = findProgram(QStringLiteral("systemctl"));
    if (systemctl.isEmpty() || m_shell->runProgram(systemctl, {QStringLiteral("--user"),
                                                               QStringLiteral("show-environment")})
                                       .terminationStatus != 0) {
        qCInfo(lcDesktop) << "No systemd user manager answers; the launch environment is unchanged";
        return {QCoreApplication::translate(
            "LinuxDesktop", "No systemd user manager: the launch environment was left as it was.")};
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
    return {prefixedMessage(QCoreApplication::translate(
                                "LinuxDesktop", "The D-Bus activation environment was not updated"),
                            result.standardError.trimmed())};
}

QStringList LinuxDesktop::startAssistant(const AssistantSession& session) {
    const QString program = findProgram(TargetIDEs::program(session.assistant));
    if (program.isEmpty())
        throw DesktopError(notInstalledMessage(session.assistant));
    return openTerminal(sessionCommand(session.banner, program, session.arguments),
                        session.environment);
}

QStringList LinuxDesktop::openTerminal(const QStringList& command,
                                       const LaunchEnvironment& variables) {
    const Terminal terminal = terminalOn(*this);
    const QString home = AppPaths::homeDirectory();
    m_shell->startDetached(terminal.program,
                           terminal.arguments + terminalArguments(terminal.program, home, command),
                           programEnvironment(variables), home);
    qCInfo(lcDesktop) << "Opened a terminal window with" << terminal.program;
    if (!terminal.note.isEmpty())
        return {terminal.note};
    return {};
}

QProcessEnvironment LinuxDesktop::programEnvironment(const LaunchEnvironment& variables) {
    QProcessEnvironment environment = withVariables(variables);
    environment.insert(QStringLiteral("PATH"), searchPath());
    return environment;
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
        // Between markers of our own: whatever the start-up files print before or after it
        // (a greeting, a terminal title), with or without a final newline, stays out.
        const ShellResult result = m_shell->runProgram(
            shell, {QStringLiteral("-lc"),
                    QStringLiteral("printf '%s' \"%1$PATH%2\"").arg(pathBegins, pathEnds)});
        const qsizetype begins = result.standardOutput.lastIndexOf(pathBegins);
        const qsizetype ends = result.standardOutput.indexOf(pathEnds, begins);
        if (result.terminationStatus == 0 && begins >= 0 && ends >= 0)
            path = result.standardOutput.mid(begins + pathBegins.size(),
                                             ends - begins - pathBegins.size());
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
            note = QCoreApplication::translate(
                       "LinuxDesktop",
                       "$TERMINAL names \"%1\", which was not found: opened %2 instead.")
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
    const QByteArray name = program.toLocal8Bit();
    return sessions(processesNamed(name), name);
}

QList<LinuxDesktop::Process> LinuxDesktop::processesNamed(const QByteArray& prefix) {
    QList<Process> found;
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return found;
    const int directory = ::dirfd(proc);
    const uid_t user = ::getuid();
    const QByteArray self = QByteArray::number(::getpid());
    while (const dirent* entry = ::readdir(proc)) {
        const QByteArray pid(entry->d_name);
        if (!std::isdigit(static_cast<unsigned char>(pid.at(0))) || pid == self)
            continue;
        // The name first: anyone may read it, and only a process of that name needs the
        // look at its owner.
        const QByteArray name = readSmallFile(directory, pid + "/comm").trimmed();
        struct stat owner {};
        if (!name.startsWith(prefix) || ::fstatat(directory, entry->d_name, &owner, 0) != 0 ||
            owner.st_uid != user)
            continue;
        // "pid (name) state ppid ...": the name may itself hold spaces and parentheses.
        const QByteArray stat = readSmallFile(directory, pid + "/stat");
        const qsizetype close = stat.lastIndexOf(')');
        const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
        if (close < 0 || fields.size() < 2 || fields.at(0) == "Z")
            continue; // gone meanwhile, or exited and not yet reaped
        found.append({pid, fields.at(1), name});
    }
    ::closedir(proc);
    return found;
}

int LinuxDesktop::sessions(const QList<Process>& processes, const QByteArray& program) {
    QSet<QByteArray> named;
    for (const Process& process : processes)
        if (process.name == program)
            named.insert(process.pid);
    int count = 0;
    for (const Process& process : processes)
        if (process.name == program && !named.contains(process.parent))
            ++count;
    return count;
}
