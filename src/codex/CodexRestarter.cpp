#include "codex/CodexRestarter.h"

#include "desktop/LaunchEnvironment.h"

#include <QStringList>

RestartError RestartError::failed(const QString& message) {
    return RestartError(prefixedMessage(QStringLiteral("Could not restart Codex"), message));
}

CodexRestarter::CodexRestarter(std::shared_ptr<ShellService> shellService)
    : m_shell(shellService ? std::move(shellService) : std::make_shared<ShellService>()) {}

QString CodexRestarter::quitCommand() {
    // The tool's own failure (Codex not running) is swallowed; the pause gives Codex
    // time to exit before its files are touched.
    return QStringLiteral("osascript -e 'quit app \"Codex\"' >/dev/null 2>&1 || true; sleep 2");
}

QString CodexRestarter::openCommand() {
    return QStringLiteral("open -a \"Codex\"");
}

QString CodexRestarter::proxyEnvironmentCommand(const std::optional<Profile>& profile) {
    return LaunchEnvironments::launchctlCommand(LaunchEnvironments::codex(profile));
}

void CodexRestarter::checkReady() {}

QStringList CodexRestarter::quitCodex() {
    runChecked(quitCommand());
    return {};
}

QStringList CodexRestarter::openCodex(const std::optional<Profile>& profile) {
    applyProxyEnvironment(profile);
    runChecked(openCommand());
    return {};
}

void CodexRestarter::applyProxyEnvironment(const std::optional<Profile>& profile) {
    runChecked(proxyEnvironmentCommand(profile));
}

void CodexRestarter::runChecked(const QString& command) {
    const ShellResult result = m_shell->run(command);
    if (result.terminationStatus != 0)
        throw RestartError::failed(result.standardError.trimmed());
}
