#include "profiles/LocalKeysService.h"

#include "profiles/AppPaths.h"
#include "profiles/Errors.h"
#include "profiles/FileUtil.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <functional>

LocalKeysService::KeyMap LocalKeysService::readKeys(bool* decodable) {
    if (decodable)
        *decodable = true;
    QFile file(AppPaths::keysURL());
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly)) {
        if (decodable)
            *decodable = false;
        return {};
    }
    QJsonParseError error{};
    const QJsonDocument json = QJsonDocument::fromJson(file.readAll(), &error);
    KeyMap keys;
    bool ok = error.error == QJsonParseError::NoError && json.isObject();
    if (ok) {
        const QJsonObject object = json.object();
        for (auto it = object.begin(); it != object.end() && ok; ++it) {
            ok = it->isString();
            keys.insert(it.key(), it->toString());
        }
    }
    if (decodable)
        *decodable = ok;
    return ok ? keys : KeyMap();
}

std::optional<QString> LocalKeysService::apiKey(const QString& profileID) const {
    const KeyMap keys = readKeys();
    const auto it = keys.constFind(profileID);
    if (it == keys.constEnd() || it->isEmpty())
        return std::nullopt;
    return *it;
}

bool LocalKeysService::hasAPIKey(const QString& profileID) const {
    return apiKey(profileID).has_value();
}

void LocalKeysService::saveAPIKey(const QString& key, const QString& profileID) {
    change([&](KeyMap& keys) { keys.insert(profileID, key); });
}

void LocalKeysService::deleteAPIKey(const QString& profileID) {
    change([&](KeyMap& keys) { keys.remove(profileID); });
}

void LocalKeysService::change(const std::function<void(KeyMap&)>& edit) {
    // A folder, a dangling link or a link loop at the path is reported, never replaced.
    FileUtil::fileExists(AppPaths::keysURL());
    bool decodable = true;
    KeyMap keys = readKeys(&decodable);
    if (!decodable)
        setAsideUnreadableFile();
    edit(keys);
    writeKeys(keys);
}

void LocalKeysService::setAsideUnreadableFile() {
    const QString path = AppPaths::keysURL();
    QString aside = path + QStringLiteral(".unreadable-") + FileUtil::timestamp();
    for (int n = 2; FileUtil::exists(aside); ++n)
        aside = path + QStringLiteral(".unreadable-") + FileUtil::timestamp() + QLatin1Char('-') +
                QString::number(n);
    if (!QFile::rename(path, aside))
        throw FileError(
            QStringLiteral("Could not move the unreadable key file %1 aside.").arg(path));
}

void LocalKeysService::writeKeys(const KeyMap& keys) {
    FileUtil::makePath(AppPaths::tavrinDirectory());
    QJsonObject object;
    for (auto it = keys.begin(); it != keys.end(); ++it)
        object.insert(it.key(), *it);
    const QString path = AppPaths::keysURL();
    // Owner-only from the start, also when an earlier version left the file readable by
    // others.
    FileUtil::writeAtomically(path, QJsonDocument(object).toJson(QJsonDocument::Indented),
                              FileUtil::NewFileMode::Secret);
}
