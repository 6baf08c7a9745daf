#pragma once

#include <QString>

#include <functional>

// What the keyring asks of the platform's secret storage (the Secret Service on Linux,
// the Keychain on macOS), kept to plain values so that the library behind it lives in a
// module of its own (src/profiles/keyring), loaded only once keys are kept in the
// keyring. Everything here is inline: the module and the programs share this header and
// nothing else.

struct SecretAnswer {
    enum class Outcome {
        done,        // read: `secret` holds the entry
        notFound,    // there is no such entry
        refused,     // the user or the system denied access
        unavailable, // there is no secret storage to ask
        failed,      // anything else: `detail` says what
    };
    Outcome outcome = Outcome::failed;
    QString secret;
    // The library's own words, when it gave any.
    QString detail;
};

// Each call is answered exactly once, at once or later, on the thread that made it, which
// runs an event loop.
class SecretBackend {
public:
    using Handler = std::function<void(const SecretAnswer&)>;
    virtual ~SecretBackend() = default;
    virtual void read(const QString& name, Handler done) = 0;
    virtual void write(const QString& name, const QString& secret, Handler done) = 0;
    virtual void remove(const QString& name, Handler done) = 0;
};

// The module's one entry point: a backend for the entries of `service`. A change to
// anything above renames it, so a module of another build is never used.
#define TAVRIN_SECRET_BACKEND_ENTRY "tavrinCreateSecretBackend1"
using SecretBackendFactory = SecretBackend* (*)(const QString& service);
