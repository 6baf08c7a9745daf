#pragma once

#include "codex/ShellService.h"
#include "profiles/Errors.h"
#include "profiles/Profile.h"

#include <QStringList>

#include <memory>
#include <optional>

class ClaudeRestartError : public TavrinError {
public:
    enum class Kind { failed };
    // "Could not restart Claude Code: " + message, or "Could not restart Claude Code."
    static ClaudeRestartError failed(const QString& message);
    Kind kind() const { return Kind::failed; }

private:
    using TavrinError::TavrinError;
};

// Sets the launch environment for a Claude Code profile, quits the Claude desktop app
// and opens a Terminal window running Claude Code.
class ClaudeRestarter {
public:
    explicit ClaudeRestarter(std::shared_ptr<ShellService> shellService = nullptr);
    virtual ~ClaudeRestarter() = default;

    // Throws, before anything is changed, when Claude Code cannot be started here at all.
    virtual void checkReady();
    // Returns notes for the switch's log line (empty when there is nothing to say).
    virtual QStringList restartClaudeCode(const std::optional<Profile>& profile,
                                          const std::optional<QString>& apiKey);

    // The command texts, public so they can be tested as tables.
    static QString launchEnvironmentCommand(const std::optional<Profile>& profile,
                                            const std::optional<QString>& apiKey);
    static QString terminalCommand(bool usesVelqor);
    static QString terminalScriptCommand(bool usesVelqor);

private:
    void runChecked(const QString& command);
    std::shared_ptr<ShellService> m_shell;
};
