#pragma once

#include "profiles/KeyStore.h"

#include <memory>

class Keyring;

// API keys in the system keyring, one entry per profile id. Which profiles have one is
// listed in the key store settings (KeyStoreSettings), so hasAPIKey() answers without
// the keyring, and a profile without a key never makes the keyring ask for its
// password. Every failure of the keyring is thrown as a KeyringError that says which key
// and why.
class KeyringKeyStore : public KeyStore {
public:
    explicit KeyringKeyStore(std::shared_ptr<Keyring> keyring);

    std::optional<QString> apiKey(const QString& profileID) const override;
    bool hasAPIKey(const QString& profileID) const override;
    void saveAPIKey(const QString& key, const QString& profileID) override;
    void deleteAPIKey(const QString& profileID) override;
    bool mayWait() const override { return true; }

private:
    std::shared_ptr<Keyring> m_keyring;
};
