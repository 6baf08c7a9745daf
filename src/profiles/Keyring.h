#pragma once

#include "profiles/Errors.h"
#include "profiles/SecretBackend.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// The system keyring could not be used; the text says why in plain words.
class KeyringError : public TavrinError {
public:
    using TavrinError::TavrinError;
};

// The system keyring (the Secret Service on Linux, the Keychain on macOS), entries under
// the service "Tavrin". Its library answers on one thread of its own that runs as long as
// the application object, and every call here waits for that answer, at most the time
// limit: call from any thread but that one. A window calls from a worker, as the keyring
// may first ask for its password.
class Keyring {
public:
    static constexpr std::chrono::seconds defaultTimeLimit{60};
    // Makes the backend; called on the keyring's thread, throws KeyringError.
    using BackendFactory = std::function<std::unique_ptr<SecretBackend>()>;

    // With no factory, the platform's keyring through the keyring module.
    explicit Keyring(BackendFactory backend = {},
                     std::chrono::milliseconds timeLimit = defaultTimeLimit);
    ~Keyring();
    Keyring(const Keyring&) = delete;
    Keyring& operator=(const Keyring&) = delete;

    // Each throws KeyringError. A read of an entry that is not there gives none; removing
    // one is no error.
    std::optional<QString> read(const QString& name) const;
    void write(const QString& name, const QString& secret) const;
    void remove(const QString& name) const;

    // The platform's keyring, from the keyring module.
    static std::unique_ptr<SecretBackend> systemBackend();

private:
    struct Shared;
    using Request = std::function<void(SecretBackend&, SecretBackend::Handler)>;
    SecretAnswer ask(Request request) const;

    std::shared_ptr<Shared> m_shared;
    std::chrono::milliseconds m_timeLimit;
};
