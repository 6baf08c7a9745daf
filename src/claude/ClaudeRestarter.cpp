#include "claude/ClaudeRestarter.h"

#include "claude/ClaudeSettingsPatcher.h"
#include "desktop/LaunchEnvironment.h"

#include <QStringList>

ClaudeRestartError ClaudeRestartError::failed(const QString& message) {
    return ClaudeRestartError(
        prefixedMessage(QStringLiteral("Could not restart Claude Code"), message));
}

namespace {

// Escapes a text for use inside an AppleScript string literal.
QString quotedForAppleScript(QString value) {
    value.replace(QLatin1Char('\\'), QStringLiteral("\\\\\\\\"));
    value.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return value;
}

} // namespace

ClaudeRestarter::ClaudeRestarter(std::shared_ptr<ShellService> shellService)
    : m_shell(shellService ? std::move(shellService) : std::make_shared<ShellService>()) {}

void ClaudeRestarter::checkReady() {}

QStringList ClaudeRestarter::restartClaudeCode(const std::optional<Profile>& profile,
                                               const std::optional<QString>& apiKey) {
    runChecked(launchEnvironmentCommand(profile, apiKey));
    const bool velqor = profile && ClaudeSettingsPatcher::usesVelqor(*profile);
    runChecked(terminalScriptCommand(velqor));
    return {};
}

QString ClaudeRestarter::launchEnvironmentCommand(const std::optional<Profile>& profile,
                                                  const std::optional<QString>& apiKey) {
    return LaunchEnvironments::launchctlCommand(LaunchEnvironments::claude(profile, apiKey));
}

QString ClaudeRestarter::terminalCommand(bool usesVelqor) {
    const QString title = usesVelqor ? QStringLiteral("Claude Code API session")
                                     : QStringLiteral("Claude Code account session");
    const QString subtitle = usesVelqor ? QStringLiteral("Using Velqor via ~/.claude/settings.json")
                                        : QStringLiteral("Using your Claude account login");
    const QString argument = usesVelqor ? QStringLiteral("--bare") : QString();

    QString command = QStringLiteral("clear; echo \"");
    command += title;
    command += QStringLiteral("\"; echo \"");
    command += subtitle;
    command += QStringLiteral("\"; echo; if command -v claude >/dev/null 2>&1; then claude ");
    command += argument;
    command +=
        QStringLiteral("; elif [ -x /opt/homebrew/bin/claude ]; then /opt/homebrew/bin/claude ");
    command += argument;
    command += QStringLiteral("; else echo \"Claude Code CLI was not found. Install it first: npm "
                              "install -g @anthropic-ai/claude-code\"; fi");
    return command;
}

QString ClaudeRestarter::terminalScriptCommand(bool usesVelqor) {
    const QString script = QStringLiteral("tell application \"Claude\" to quit\n"
                                          "delay 1\n"
                                          "tell application \"Terminal\"\n"
                                          "    activate\n"
                                          "    do script \"") +
                           quotedForAppleScript(terminalCommand(usesVelqor)) +
                           QStringLiteral("\"\nend tell");
    // The quoted delimiter keeps the shell from expanding anything in the script.
    return QStringLiteral("osascript <<'APPLESCRIPT'\n") + script + QStringLiteral("\nAPPLESCRIPT");
}

void ClaudeRestarter::runChecked(const QString& command) {
    const ShellResult result = m_shell->run(command);
    if (result.terminationStatus != 0)
        throw ClaudeRestartError::failed(result.standardError.trimmed());
}
