#include "profiles/KeyStoreSettings.h"

#include "profiles/AppPaths.h"
#include "profiles/FileLock.h"
#include "profiles/FileUtil.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

const QString storeKey = QStringLiteral("store");
const QString profilesKey = QStringLiteral("keyring_profiles");

FileError unusable(const QString& why) {
    return FileError(QCoreApplication::translate("KeyStoreSettings", "%1 cannot be read: %2.")
                         .arg(AppPaths::displayPath(AppPaths::keyStoreURL()), why));
}

} // namespace

KeyStoreSettings KeyStoreSettings::read() {
    const QString path = AppPaths::keyStoreURL();
    KeyStoreSettings settings;
    if (!FileUtil::entryExists(path))
        return settings;
    QString why;
    const std::optional<QByteArray> data = FileUtil::tryReadAll(path, why);
    if (!data)
        throw unusable(why);
    const QJsonDocument json = QJsonDocument::fromJson(*data);
    const QString store = json.object().value(storeKey).toString();
    const QJsonValue profiles = json.object().value(profilesKey);
    if (!json.isObject() || (store != QLatin1String("file") && store != QLatin1String("keyring")) ||
        !(profiles.isArray() || profiles.isUndefined()))
        throw unusable(
            QCoreApplication::translate("KeyStoreSettings", "it does not say where the keys are"));
    settings.other = json.object();
    settings.other.remove(storeKey);
    settings.other.remove(profilesKey);
    settings.keyring = store == QLatin1String("keyring");
    for (const QJsonValue& id : profiles.toArray())
        if (id.isString())
            settings.addProfile(id.toString());
    return settings;
}

void KeyStoreSettings::write() const {
    QJsonObject object = other;
    object.insert(storeKey, keyring ? QStringLiteral("keyring") : QStringLiteral("file"));
    object.insert(profilesKey, QJsonArray::fromStringList(keyringProfiles));
    FileUtil::makePath(AppPaths::tavrinDirectory());
    FileUtil::writeAtomically(AppPaths::keyStoreURL(),
                              QJsonDocument(object).toJson(QJsonDocument::Indented),
                              FileUtil::NewFileMode::OwnerOnly);
}

void KeyStoreSettings::change(const std::function<void(KeyStoreSettings&)>& edit) {
    const FilesLock lock;
    KeyStoreSettings settings = read();
    edit(settings);
    settings.write();
}

void KeyStoreSettings::addProfile(const QString& profileID) {
    const auto at = std::lower_bound(keyringProfiles.begin(), keyringProfiles.end(), profileID);
    if (at == keyringProfiles.end() || *at != profileID)
        keyringProfiles.insert(at, profileID);
}

void KeyStoreSettings::removeProfile(const QString& profileID) {
    keyringProfiles.removeAll(profileID);
}
