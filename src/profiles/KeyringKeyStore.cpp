#include "profiles/KeyringKeyStore.h"

#include "profiles/KeyStoreSettings.h"
#include "profiles/Keyring.h"

#include <QCoreApplication>

namespace {

// "<what happened to the key>. <why>"
[[noreturn]] void fail(const QString& outcome, const QString& profileID,
                       const KeyringError& error) {
    throw KeyringError(outcome.arg(profileID) + QLatin1Char(' ') + error.localizedDescription());
}

} // namespace

KeyringKeyStore::KeyringKeyStore(std::shared_ptr<Keyring> keyring)
    : m_keyring(std::move(keyring)) {}

std::optional<QString> KeyringKeyStore::apiKey(const QString& profileID) const {
    if (!KeyStoreSettings::read().keyringProfiles.contains(profileID))
        return std::nullopt;
    std::optional<QString> key;
    try {
        key = m_keyring->read(profileID);
    } catch (const KeyringError& error) {
        fail(QCoreApplication::translate("KeyringKeyStore", "The key for %1 could not be read."),
             profileID, error);
    }
    if (!key || key->isEmpty())
        return std::nullopt;
    return key;
}

bool KeyringKeyStore::hasAPIKey(const QString& profileID) const {
    try {
        return KeyStoreSettings::read().keyringProfiles.contains(profileID);
    } catch (const TavrinError&) {
        return false;
    }
}

void KeyringKeyStore::saveAPIKey(const QString& key, const QString& profileID) {
    try {
        m_keyring->write(profileID, key);
    } catch (const KeyringError& error) {
        fail(QCoreApplication::translate("KeyringKeyStore", "The key for %1 was not saved."),
             profileID, error);
    }
    KeyStoreSettings::change([&](KeyStoreSettings& settings) { settings.addProfile(profileID); });
}

void KeyringKeyStore::deleteAPIKey(const QString& profileID) {
    if (!KeyStoreSettings::read().keyringProfiles.contains(profileID))
        return;
    try {
        m_keyring->remove(profileID);
    } catch (const KeyringError& error) {
        fail(QCoreApplication::translate("KeyringKeyStore", "The key for %1 was not deleted."),
             profileID, error);
    }
    KeyStoreSettings::change(
        [&](KeyStoreSettings& settings) { settings.removeProfile(profileID); });
}
