#include "claude/ClaudeRestarter.h"

#include "desktop/Desktop.h"

#include <QCoreApplication>

ClaudeRestartError ClaudeRestartError::failed(const QString& message) {
    return ClaudeRestartError(prefixedMessage(
        QCoreApplication::translate("ClaudeRestarter", "Could not restart Claude Code"), message));
}

ClaudeRestarter::ClaudeRestarter(std::shared_ptr<Desktop> desktop)
    : m_desktop(desktop ? std::move(desktop) : Desktop::forThisSystem()) {}

void ClaudeRestarter::checkReady() {
    m_desktop->checkInstalled(TargetIDE::claude);
}

QStringList ClaudeRestarter::restartClaudeCode(const std::optional<Profile>& profile,
                                               const std::optional<QString>& apiKey) {
    const AssistantSession claude = session(profile, apiKey);
    try {
        // A failed environment step stops here, before anything is quit or opened.
        QStringList notes = m_desktop->setLaunchEnvironment(claude.environment);
        notes += m_desktop->startAssistant(claude);
        return notes;
    } catch (const DesktopError& error) {
        throw ClaudeRestartError::failed(error.localizedDescription());
    }
}

AssistantSession ClaudeRestarter::session(const std::optional<Profile>& profile,
                                          const std::optional<QString>& apiKey) {
    AssistantSession session;
    session.assistant = TargetIDE::claude;
    session.environment = LaunchEnvironments::claude(profile, apiKey);
    if (profile && profile->isVelqorAccount()) {
        session.banner = QStringList{QStringLiteral("Claude Code API session"),
                                     QStringLiteral("Using Velqor via ~/.claude/settings.json")};
        session.arguments = QStringList{QStringLiteral("--bare")};
    } else {
        session.banner = QStringList{QStringLiteral("Claude Code account session"),
                                     QStringLiteral("Using your Claude account login")};
    }
    return session;
}
