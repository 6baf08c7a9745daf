#include "claude/ClaudeRestarter.h"

#include "claude/ClaudeSettingsPatcher.h"
#include "profiles/ProxyURLFormatter.h"

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

QString setCommand(const QString& name, const QString& quotedValue) {
    return QStringLiteral("launchctl setenv ") + name + QStringLiteral(" \"") + quotedValue +
           QLatin1Char('"');
}

QString unsetCommand(const QString& name) {
    return QStringLiteral("launchctl unsetenv ") + name;
}

} // namespace

ClaudeRestarter::ClaudeRestarter(std::shared_ptr<ShellService> shellService)
    : m_shell(shellService ? std::move(shellService) : std::make_shared<ShellService>()) {}

void ClaudeRestarter::restartClaudeCode(const std::optional<Profile>& profile,
                                        const std::optional<QString>& apiKey) {
    runChecked(launchEnvironmentCommand(profile, apiKey));
    const bool velqor = profile && ClaudeSettingsPatcher::usesVelqor(*profile);
    runChecked(terminalScriptCommand(velqor));
}

QString ClaudeRestarter::launchEnvironmentCommand(const std::optional<Profile>& profile,
                                                  const std::optional<QString>& apiKey) {
    const std::optional<QString> proxy =
        ProxyURLFormatter::normalized(profile ? profile->proxyURL : std::nullopt);
    const QString key = apiKey.value_or(QString()).trimmed();

    QStringList commands;
    for (const QString& name : ProxyURLFormatter::variableNames())
        commands << (proxy ? setCommand(name, shellDoubleQuoted(*proxy)) : unsetCommand(name));

    if (profile && ClaudeSettingsPatcher::usesVelqor(*profile)) {
        commands << setCommand(QStringLiteral("ANTHROPIC_BASE_URL"),
                               ClaudeSettingsPatcher::velqorBaseURL)
                 << setCommand(QStringLiteral("CLAUDE_CODE_SIMPLE"), QStringLiteral("1"))
                 << setCommand(QStringLiteral("CLAUDE_CODE_DISABLE_KEYCHAIN"), QStringLiteral("1"))
                 << setCommand(QStringLiteral("CLAUDE_CODE_DISABLE_NONESSENTIAL_TRAFFIC"),
                               QStringLiteral("1"));
        if (key.isEmpty())
            commands << unsetCommand(QStringLiteral("ANTHROPIC_AUTH_TOKEN"))
                     << unsetCommand(QStringLiteral("ANTHROPIC_API_KEY"));
        else
            commands << setCommand(QStringLiteral("ANTHROPIC_AUTH_TOKEN"), shellDoubleQuoted(key))
                     << setCommand(QStringLiteral("ANTHROPIC_API_KEY"), shellDoubleQuoted(key));
    } else {
        for (const char* name : {"ANTHROPIC_BASE_URL", "ANTHROPIC_AUTH_TOKEN", "ANTHROPIC_API_KEY",
                                 "CLAUDE_CODE_SIMPLE", "CLAUDE_CODE_DISABLE_KEYCHAIN",
                                 "CLAUDE_CODE_DISABLE_NONESSENTIAL_TRAFFIC"})
            commands << unsetCommand(QLatin1String(name));
    }
    return commands.join(QStringLiteral("; "));
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
