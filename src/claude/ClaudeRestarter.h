#pragma once

#include "profiles/Errors.h"
#include "profiles/Profile.h"

#include <QStringList>

#include <memory>
#include <optional>

class Desktop;
struct AssistantSession;

class ClaudeRestartError : public TavrinError {
public:
    // "Could not restart Claude Code: " + message, or "Could not restart Claude Code."
    static ClaudeRestartError failed(const QString& message);

private:
    using TavrinError::TavrinError;
};

// Sets the launch environment for a Claude Code profile and opens a terminal window
// running Claude Code (on macOS after quitting the Claude desktop app).
class ClaudeRestarter {
public:
    // A null desktop means the one this build runs on.
    explicit ClaudeRestarter(std::shared_ptr<Desktop> desktop = nullptr);
    virtual ~ClaudeRestarter() = default;

    // Throws, before anything is changed, when Claude Code cannot be started here at all.
    virtual void checkReady();
    // Returns notes for the switch's log line (empty when there is nothing to say).
    virtual QStringList restartClaudeCode(const std::optional<Profile>& profile,
                                          const std::optional<QString>& apiKey);

    // The session for a profile: banner, arguments and the variables, in order.
    static AssistantSession session(const std::optional<Profile>& profile,
                                    const std::optional<QString>& apiKey);

private:
    std::shared_ptr<Desktop> m_desktop;
};
