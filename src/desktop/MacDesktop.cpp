#include "desktop/MacDesktop.h"

#include "system/ShellService.h"

#include <QCoreApplication>

namespace {

// Escapes a text for use inside an AppleScript string literal.
QString quotedForAppleScript(QString value) {
    value.replace(QLatin1Char('\\'), QStringLiteral("\\\\\\\\"));
    value.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return value;
}

} // namespace

MacDesktop::MacDesktop(std::shared_ptr<ShellService> shell)
    : m_shell(shell ? std::move(shell) : std::make_shared<ShellService>()) {}

void MacDesktop::checkInstalled(TargetIDE) {}

QStringList MacDesktop::quitAssistant(TargetIDE assistant, const StepStarted& starting) {
    if (assistant != TargetIDE::codex)
        return {};
    if (starting)
        starting(QCoreApplication::translate("MacDesktop", "Quitting Codex."));
    runChecked(quitCodexCommand());
    return stopCodexServer(
        [this](const QString& verb) { return m_shell->run(codexServerCommand(verb)); }, starting);
}

QStringList MacDesktop::setLaunchEnvironment(const LaunchEnvironment& variables) {
    if (!variables.isEmpty())
        runChecked(launchctlCommand(variables));
    return {};
}

QStringList MacDesktop::startAssistant(const AssistantSession& session) {
    runChecked(session.assistant == TargetIDE::codex ? openCodexCommand()
                                                     : claudeScriptCommand(session));
    return {};
}

QString MacDesktop::quitCodexCommand() {
    // The tool's own failure (Codex not running) is swallowed; the pause gives Codex
    // time to exit before its files are touched.
    return QStringLiteral("osascript -e 'quit app \"Codex\"' >/dev/null 2>&1 || true; sleep 2");
}

QString MacDesktop::openCodexCommand() {
    return QStringLiteral("open -a \"Codex\"");
}

QString MacDesktop::codexServerCommand(const QString& verb) {
    return QStringLiteral("codex app-server daemon ") + verb;
}

QString MacDesktop::launchctlCommand(const LaunchEnvironment& variables) {
    QStringList commands;
    for (const EnvironmentVariable& variable : variables) {
        if (variable.value)
            commands << QStringLiteral("launchctl setenv ") + variable.name +
                            QStringLiteral(" \"") + shellDoubleQuoted(*variable.value) +
                            QLatin1Char('"');
        else
            commands << QStringLiteral("launchctl unsetenv ") + variable.name;
    }
    return commands.join(QStringLiteral("; "));
}

QString MacDesktop::claudeTerminalCommand(const AssistantSession& session) {
    const QString argument = session.arguments.join(QLatin1Char(' '));
    QString command = QStringLiteral("clear; echo \"");
    command += session.banner.value(0);
    command += QStringLiteral("\"; echo \"");
    command += session.banner.value(1);
    command += QStringLiteral("\"; echo; if command -v claude >/dev/null 2>&1; then claude ");
    command += argument;
    command +=
        QStringLiteral("; elif [ -x /opt/homebrew/bin/claude ]; then /opt/homebrew/bin/claude ");
    command += argument;
    command += QStringLiteral("; else echo \"Claude Code CLI was not found. Install it first: npm "
                              "install -g @anthropic-ai/claude-code\"; fi");
    return command;
}

QString MacDesktop::claudeScriptCommand(const AssistantSession& session) {
    const QString script = QStringLiteral("tell application \"Claude\" to quit\n"
                                          "delay 1\n"
                                          "tell application \"Terminal\"\n"
                                          "    activate\n"
                                          "    do script \"") +
                           quotedForAppleScript(claudeTerminalCommand(session)) +
                           QStringLiteral("\"\nend tell");
    // The quoted delimiter keeps the shell from expanding anything in the script.
    return QStringLiteral("osascript <<'APPLESCRIPT'\n") + script + QStringLiteral("\nAPPLESCRIPT");
}

void MacDesktop::runChecked(const QString& command) {
    const ShellResult result = m_shell->run(command);
    if (result.terminationStatus != 0)
        throw DesktopError(result.standardError.trimmed());
}
