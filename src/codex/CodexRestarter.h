#pragma once

#include "profiles/Errors.h"
#include "profiles/Profile.h"

#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class Desktop;

class RestartError : public TavrinError {
public:
    // "Could not restart Codex: " + message, or "Could not restart Codex." when empty.
    static RestartError failed(const QString& message);

private:
    using TavrinError::TavrinError;
};

// Quits Codex before its files change and starts it again with the profile's proxy in
// the launch environment: the desktop app on macOS, the CLI in a terminal on Linux.
class CodexRestarter {
public:
    // A null desktop means the one this build runs on.
    explicit CodexRestarter(std::shared_ptr<Desktop> desktop = nullptr);
    virtual ~CodexRestarter() = default;

    // Throws, before anything is changed, when Codex cannot be started here at all.
    virtual void checkReady();
    // Each returns notes for the switch's log line (empty when there is nothing to say).
    // quitCodex() makes way for the new profile (the app, the background server);
    // `starting` hears a line as each thing is quit or stopped.
    virtual QStringList quitCodex(const std::function<void(const QString&)>& starting = {});
    virtual QStringList openCodex(const std::optional<Profile>& profile);

private:
    std::shared_ptr<Desktop> m_desktop;
};
