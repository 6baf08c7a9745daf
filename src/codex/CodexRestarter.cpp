#include "codex/CodexRestarter.h"

#include "desktop/Desktop.h"

#include <QCoreApplication>

RestartError RestartError::failed(const QString& message) {
    return RestartError(prefixedMessage(
        QCoreApplication::translate("CodexRestarter", "Could not restart Codex"), message));
}

CodexRestarter::CodexRestarter(std::shared_ptr<Desktop> desktop)
    : m_desktop(desktop ? std::move(desktop) : Desktop::forThisSystem()) {}

void CodexRestarter::checkReady() {
    m_desktop->checkInstalled(TargetIDE::codex);
}

QStringList CodexRestarter::quitCodex(const std::function<void(const QString&)>& starting) {
    try {
        return m_desktop->quitAssistant(TargetIDE::codex, starting);
    } catch (const DesktopError& error) {
        throw RestartError::failed(error.localizedDescription());
    }
}

QStringList CodexRestarter::openCodex(const std::optional<Profile>& profile) {
    const LaunchEnvironment environment = LaunchEnvironments::codex(profile);
    try {
        // Codex is not started when its environment could not be set.
        QStringList notes = m_desktop->setLaunchEnvironment(environment);
        notes += m_desktop->startAssistant({TargetIDE::codex, {}, {}, environment});
        return notes;
    } catch (const DesktopError& error) {
        throw RestartError::failed(error.localizedDescription());
    }
}
