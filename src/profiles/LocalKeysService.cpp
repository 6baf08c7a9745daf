#include "profiles/LocalKeysService.h"

#include "profiles/AppPaths.h"
#include "profiles/Errors.h"
#include "profiles/FileLock.h"
#include "profiles/FileUtil.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>

// A key file that is there but cannot be used. `canSetAside`: its content is the problem
// (not valid JSON, or unreadable), so a change may move it aside and start afresh; a
// symbolic link, a pipe or a folder is left alone.
class LocalKeysService::Unreadable : public FileError {
public:
    Unreadable(const QString& why, bool canSetAside)
        : FileError(QCoreApplication::translate("LocalKeysService", "%1 cannot be read: %2.")
                        .arg(AppPaths::displayPath(AppPaths::keysURL()), why)),
          m_canSetAside(canSetAside) {}
    bool canSetAside() const { return m_canSetAside; }

private:
    bool m_canSetAside;
};

LocalKeysService::KeyMap LocalKeysService::readKeys() {
    const QString path = AppPaths::keysURL();
    if (!FileUtil::entryExists(path))
        return {};
    QString why;
    const std::optional<QByteArray> data = FileUtil::tryReadAll(path, why, false);
    if (!data) {
        // A regular file we may not read can go aside; a link, a pipe or a folder stays.
        struct stat info {};
        throw Unreadable(why, ::lstat(QFile::encodeName(path).constData(), &info) == 0 &&
                                  S_ISREG(info.st_mode));
    }
    QJsonParseError error{};
    const QJsonDocument json = QJsonDocument::fromJson(*data, &error);
    if (error.error != QJsonParseError::NoError)
        throw Unreadable(
            QCoreApplication::translate("LocalKeysService", "it is not valid JSON (%1 at byte %2)")
                .arg(error.errorString())
                .arg(error.offset),
            true);
    const QJsonObject object = json.object();
    KeyMap keys;
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!it->isString())
            break;
        keys.insert(it.key(), it->toString());
    }
    if (!json.isObject() || keys.size() != object.size())
        throw Unreadable(QCoreApplication::translate(
                             "LocalKeysService", "it does not hold a key text for each profile"),
                         true);
    return keys;
}

std::optional<QString> LocalKeysService::apiKey(const QString& profileID) const {
    const KeyMap keys = readKeys();
    const auto it = keys.constFind(profileID);
    if (it == keys.constEnd() || it->isEmpty())
        return std::nullopt;
    return *it;
}

bool LocalKeysService::hasAPIKey(const QString& profileID) const {
    try {
        return apiKey(profileID).has_value();
    } catch (const TavrinError&) {
        return false;
    }
}

void LocalKeysService::saveAPIKey(const QString& key, const QString& profileID) {
    change([&](KeyMap& keys) { keys.insert(profileID, key); });
}

void LocalKeysService::deleteAPIKey(const QString& profileID) {
    change([&](KeyMap& keys) { keys.remove(profileID); });
}

void LocalKeysService::change(const std::function<void(KeyMap&)>& edit) {
    const FilesLock lock;
    KeyMap keys;
    try {
        keys = readKeys();
    } catch (const Unreadable& error) {
        if (!error.canSetAside())
            throw;
        setAsideUnreadableFile();
    }
    edit(keys);
    writeKeys(keys);
}

void LocalKeysService::setAsideUnreadableFile() {
    const QString path = AppPaths::keysURL();
    const QString aside = FileUtil::unusedDatedPath(path + QStringLiteral(".unreadable-"));
    if (!QFile::rename(path, aside))
        throw FileError(QCoreApplication::translate(
                            "LocalKeysService", "Could not move the unreadable key file %1 aside.")
                            .arg(path));
}

void LocalKeysService::writeKeys(const KeyMap& keys) {
    FileUtil::makePath(AppPaths::tavrinDirectory());
    QJsonObject object;
    for (auto it = keys.begin(); it != keys.end(); ++it)
        object.insert(it.key(), *it);
    // Owner-only from the start, also when an earlier version left the file readable by
    // others.
    FileUtil::writeAtomically(AppPaths::keysURL(),
                              QJsonDocument(object).toJson(QJsonDocument::Indented),
                              FileUtil::NewFileMode::Secret);
}
