#pragma once

#include <QString>

#include <optional>

// Where API keys are kept, one per profile id: the key file (LocalKeysService) or the
// system keyring (KeyringKeyStore). KeyStorage uses the one the user chose.
class KeyStore {
public:
    virtual ~KeyStore() = default;

    // The stored key; none when there is none. Throws when the store cannot be read.
    virtual std::optional<QString> apiKey(const QString& profileID) const = 0;
    // For display: answers at once, never waiting on the keyring; false also when the
    // store cannot be read.
    virtual bool hasAPIKey(const QString& profileID) const = 0;
    virtual void saveAPIKey(const QString& key, const QString& profileID) = 0;
    virtual void deleteAPIKey(const QString& profileID) = 0;
    // Whether the calls above may wait on something outside Tavrin (the keyring may ask
    // for its password first): a window then makes them off its own thread.
    virtual bool mayWait() const { return false; }
};
