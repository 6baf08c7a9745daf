#include "profiles/KeyStorage.h"

#include "profiles/AppPaths.h"
#include "profiles/FileLock.h"
#include "profiles/KeyStoreSettings.h"
#include "profiles/Keyring.h"
#include "profiles/KeyringKeyStore.h"
#include "profiles/LocalKeysService.h"
#include "profiles/Logging.h"

#include <QCoreApplication>

namespace {

using KeyMap = LocalKeysService::KeyMap;

QString keyFile() {
    return AppPaths::displayPath(AppPaths::keysURL());
}

// "1 API key", "3 API keys"
QString countOfKeys(qsizetype count) {
    return count == 1 ? QCoreApplication::translate("KeyStorage", "1 API key")
                      : QCoreApplication::translate("KeyStorage", "%1 API keys").arg(count);
}

// The entries that hold a key: an empty one holds none.
KeyMap storedKeys() {
    KeyMap keys = LocalKeysService::readKeys();
    keys.removeIf([](KeyMap::iterator it) { return it->isEmpty(); });
    return keys;
}

TavrinError changedMeanwhile() {
    return TavrinError(QCoreApplication::translate(
        "KeyStorage", "The keys changed while they were being moved. Try again."));
}

} // namespace

KeyStorage::KeyStorage(std::shared_ptr<LocalKeysService> file, std::shared_ptr<Keyring> keyring)
    : m_file(file ? std::move(file) : std::make_shared<LocalKeysService>()),
      m_keyring(keyring ? std::move(keyring) : std::make_shared<Keyring>()),
      m_keyringStore(std::make_unique<KeyringKeyStore>(m_keyring)) {}

KeyStorage::~KeyStorage() = default;

KeyStorage::Location KeyStorage::location() const {
    return KeyStoreSettings::read().keyring ? Location::keyring : Location::file;
}

bool KeyStorage::keptInKeyring() const {
    try {
        return location() == Location::keyring;
    } catch (const TavrinError&) {
        return false;
    }
}

QString KeyStorage::describe(Location location) {
    return location == Location::keyring
               ? QCoreApplication::translate("KeyStorage",
                                             "API keys are kept in the system keyring.")
               : QCoreApplication::translate("KeyStorage", "API keys are kept in %1.")
                     .arg(keyFile());
}

QString KeyStorage::checkedKey(const QString& key) {
    const QString trimmed = key.trimmed();
    if (trimmed.isEmpty())
        throw TavrinError(QCoreApplication::translate("KeyStorage", "A key cannot be blank."));
    return trimmed;
}

KeyStore& KeyStorage::current() const {
    if (location() == Location::keyring)
        return *m_keyringStore;
    return *m_file;
}

std::optional<QString> KeyStorage::apiKey(const QString& profileID) const {
    return current().apiKey(profileID);
}

bool KeyStorage::hasAPIKey(const QString& profileID) const {
    try {
        return current().hasAPIKey(profileID);
    } catch (const TavrinError&) {
        return false;
    }
}

void KeyStorage::saveAPIKey(const QString& key, const QString& profileID) {
    const QString checked = checkedKey(key);
    current().saveAPIKey(checked, profileID);
}

void KeyStorage::deleteAPIKey(const QString& profileID) {
    current().deleteAPIKey(profileID);
}

bool KeyStorage::mayWait() const {
    try {
        return current().mayWait();
    } catch (const TavrinError&) {
        return false;
    }
}

QString KeyStorage::moveKeys(Location to) {
    if (location() == to)
        return QCoreApplication::translate("KeyStorage", "%1 Nothing needed moving.")
            .arg(describe(to));
    return to == Location::keyring ? moveToKeyring() : moveToFile();
}

QString KeyStorage::moveToKeyring() {
    KeyMap keys;
    QStringList written;
    try {
        keys = storedKeys();
        for (auto it = keys.begin(); it != keys.end(); ++it) {
            m_keyring->write(it.key(), *it);
            written << it.key();
            if (m_keyring->read(it.key()) != *it)
                throw KeyringError(
                    QCoreApplication::translate("KeyStorage",
                                                "The system keyring gave back another key for %1.")
                        .arg(it.key()));
        }
        const FilesLock lock;
        if (storedKeys() != keys)
            throw changedMeanwhile();
        KeyStoreSettings::change([&](KeyStoreSettings& settings) {
            settings.keyring = true;
            settings.keyringProfiles = keys.keys();
        });
    } catch (const TavrinError& error) {
        removeFromKeyring(written);
        throw TavrinError(
            QCoreApplication::translate("KeyStorage", "No key was moved; they stay in %1. %2")
                .arg(keyFile(), error.localizedDescription()));
    }
    // Found in the keyring from now on: only now do they leave the file.
    try {
        m_file->change([&](KeyMap& map) {
            map.removeIf([&](KeyMap::iterator it) { return keys.contains(it.key()); });
        });
    } catch (const TavrinError& error) {
        throw TavrinError(QCoreApplication::translate(
                              "KeyStorage", "The keys were moved to the system keyring, but %1 "
                                            "still holds them: %2")
                              .arg(keyFile(), error.localizedDescription()));
    }
    if (keys.isEmpty())
        return describe(Location::keyring);
    return QCoreApplication::translate("KeyStorage",
                                       "Moved %1 to the system keyring; %2 holds none now.")
        .arg(countOfKeys(keys.size()), keyFile());
}

QString KeyStorage::moveToFile() {
    const KeyStoreSettings before = KeyStoreSettings::read();
    KeyMap keys;
    bool inFile = false;
    try {
        for (const QString& id : before.keyringProfiles)
            if (const std::optional<QString> key = m_keyring->read(id); key && !key->isEmpty())
                keys.insert(id, *key);
        const FilesLock lock;
        if (KeyStoreSettings::read() != before)
            throw changedMeanwhile();
        inFile = true;
        writeToFile(keys);
        KeyStoreSettings after = before;
        after.keyring = false;
        after.keyringProfiles.clear();
        after.write();
    } catch (const TavrinError& error) {
        // The file must not keep copies while the keys are read from the keyring.
        try {
            if (inFile)
                m_file->change([&](KeyMap& map) {
                    map.removeIf([&](KeyMap::iterator it) { return keys.value(it.key()) == *it; });
                });
        } catch (const TavrinError&) {
        }
        throw TavrinError(QCoreApplication::translate(
                              "KeyStorage", "No key was moved; they stay in the system keyring. %1")
                              .arg(error.localizedDescription()));
    }
    // Read from the file from now on: only now do they leave the keyring.
    const QStringList kept = removeFromKeyring(before.keyringProfiles);
    QString done = keys.isEmpty() ? describe(Location::file)
                                  : QCoreApplication::translate("KeyStorage", "Moved %1 to %2.")
                                        .arg(countOfKeys(keys.size()), keyFile());
    if (!kept.isEmpty())
        done += QLatin1Char(' ') +
                QCoreApplication::translate(
                    "KeyStorage", "The system keyring could not remove its copy for %1: remove the "
                                  "entries of \"Tavrin\" there yourself.")
                    .arg(kept.join(QStringLiteral(", ")));
    return done;
}

void KeyStorage::writeToFile(const KeyMap& keys) {
    m_file->change([&](KeyMap& map) { map.insert(keys); });
    const KeyMap stored = LocalKeysService::readKeys();
    for (auto it = keys.begin(); it != keys.end(); ++it)
        if (stored.value(it.key()) != *it)
            throw FileError(
                QCoreApplication::translate("KeyStorage", "%1 did not give back the key for %2.")
                    .arg(keyFile(), it.key()));
}

QStringList KeyStorage::removeFromKeyring(const QStringList& profileIDs) const {
    QStringList kept;
    for (const QString& id : profileIDs) {
        try {
            m_keyring->remove(id);
        } catch (const KeyringError& error) {
            qCWarning(lcProfiles) << "A key stays in the keyring:" << id
                                  << error.localizedDescription();
            kept << id;
        }
    }
    return kept;
}
