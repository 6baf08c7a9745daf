#pragma once

#include "profiles/KeyStore.h"

#include <QMap>
#include <QStringList>

#include <memory>

class Keyring;
class KeyringKeyStore;
class LocalKeysService;

// The key service: the key store the user chose (KeyStoreSettings), the key file
// ~/.codex/tavrin/keys.json unless keys are kept in the system keyring, and moving every
// key from one to the other. Keeps nothing in memory: each call reads the choice again,
// so the window and the command line always agree.
class KeyStorage : public KeyStore {
public:
    enum class Location { file, keyring };

    // Null collaborators take the key file and the system keyring.
    explicit KeyStorage(std::shared_ptr<LocalKeysService> file = nullptr,
                        std::shared_ptr<Keyring> keyring = nullptr);
    ~KeyStorage() override;

    // Throws FileError when the choice cannot be read.
    Location location() const;
    // For display: false also when the choice cannot be read.
    bool keptInKeyring() const;
    // "API keys are kept in ~/.codex/tavrin/keys.json." or "... in the system keyring."
    static QString describe(Location location);

    // Moves every key to `to` and makes it the place keys are kept. Each key is read back
    // from where it went before it leaves where it was, so nothing is lost: a move that
    // fails changes nothing and throws, saying why and where the keys stay. Returns what
    // was done, in one sentence.
    QString moveKeys(Location to);

    // The key as it is saved: without white space around it, which a pasted key often
    // brings. Throws "A key cannot be blank." when nothing else is left.
    static QString checkedKey(const QString& key);

    std::optional<QString> apiKey(const QString& profileID) const override;
    bool hasAPIKey(const QString& profileID) const override;
    // Saves checkedKey() of the key.
    void saveAPIKey(const QString& key, const QString& profileID) override;
    void deleteAPIKey(const QString& profileID) override;
    bool mayWait() const override;

private:
    KeyStore& current() const;
    QString moveToKeyring();
    QString moveToFile();
    // Adds the keys to the key file and reads each back; throws when one did not come back.
    void writeToFile(const QMap<QString, QString>& keys);
    // Removes these entries from the keyring as far as it lets; returns those it kept.
    QStringList removeFromKeyring(const QStringList& profileIDs) const;

    std::shared_ptr<LocalKeysService> m_file;
    std::shared_ptr<Keyring> m_keyring;
    std::unique_ptr<KeyringKeyStore> m_keyringStore;
};
