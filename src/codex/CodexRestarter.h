#pragma once

#include "codex/ShellService.h"
#include "profiles/Errors.h"
#include "profiles/Profile.h"

#include <QStringList>

#include <memory>
#include <optional>

class RestartError : public TavrinError {
public:
    enum class Kind { failed };
    // "Could not restart Codex: " + message, or "Could not restart Codex." when empty.
    static RestartError failed(const QString& message);
    Kind kind() const { return Kind::failed; }

private:
    using TavrinError::TavrinError;
};

// Quits the Codex app before its files change and reopens it with the profile's
// proxy in the launch environment.
class CodexRestarter {
public:
    explicit CodexRestarter(std::shared_ptr<ShellService> shellService = nullptr);
    virtual ~CodexRestarter() = default;

    // Throws, before anything is changed, when Codex cannot be restarted here at all.
    virtual void checkReady();
    // Each returns notes for the switch's log line (empty when there is nothing to say).
    virtual QStringList quitCodex();
    virtual QStringList openCodex(const std::optional<Profile>& profile);

    // The shell command texts, public so they can be tested as tables.
    static QString quitCommand();
    static QString openCommand();
    static QString proxyEnvironmentCommand(const std::optional<Profile>& profile);

private:
    void applyProxyEnvironment(const std::optional<Profile>& profile);
    void runChecked(const QString& command);
    std::shared_ptr<ShellService> m_shell;
};
