#pragma once

#include <QJsonObject>
#include <QStringList>

#include <functional>

// Where API keys are kept, as the user chose, in ~/.codex/tavrin/key-store.json:
//   {"keyring_profiles": ["velqor-1"], "store": "keyring"}
// "store" is "file" (keys.json; also when the file is missing) or "keyring".
// "keyring_profiles" names the profiles whose key is in the keyring, never a key, so
// which profiles have one is known without asking the keyring. Read afresh on every use;
// written under the files lock.
struct KeyStoreSettings {
    bool keyring = false;
    // Sorted, each once.
    QStringList keyringProfiles;
    // Members this version does not know, kept as they were.
    QJsonObject other;

    // Throws FileError naming the file when something is there that cannot be used.
    static KeyStoreSettings read();
    // Writes the file whole, for its owner only; the caller holds the files lock.
    void write() const;
    // Reads the file again under the files lock, changes it and writes it back.
    static void change(const std::function<void(KeyStoreSettings&)>& edit);

    void addProfile(const QString& profileID);
    void removeProfile(const QString& profileID);

    bool operator==(const KeyStoreSettings&) const = default;
};
