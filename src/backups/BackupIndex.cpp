#include "backups/BackupIndex.h"

#include "backups/BackupCatalogue.h"
#include "profiles/AppPaths.h"
#include "profiles/FileUtil.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace BackupIndex {

namespace {

const QString copiesKey = QStringLiteral("copies");
const QString fromKey = QStringLiteral("from");
const QString toKey = QStringLiteral("to");

QJsonObject readCopies() {
    QString why;
    const std::optional<QByteArray> data = FileUtil::tryReadAll(path(), why);
    if (!data)
        return {};
    return QJsonDocument::fromJson(*data).object().value(copiesKey).toObject();
}

} // namespace

QString path() {
    return AppPaths::tavrinDirectory() + QStringLiteral("/backup-index.json");
}

QString idOf(const QString& path) {
    const QString home = AppPaths::homeDirectory() + QLatin1Char('/');
    return path.startsWith(home) ? path.mid(home.size()) : path;
}

QHash<QString, Profiles> read() {
    QHash<QString, Profiles> profiles;
    const QJsonObject copies = readCopies();
    for (auto it = copies.begin(); it != copies.end(); ++it) {
        const QJsonObject entry = it->toObject();
        profiles.insert(it.key(),
                        Profiles{entry.value(fromKey).toString(), entry.value(toKey).toString()});
    }
    return profiles;
}

void record(const QList<BackupEntry>& entries, const QStringList& paths, const Profiles& profiles) {
    QJsonObject copies;
    for (const BackupEntry& entry : entries)
        if (!entry.fromProfile.isEmpty() || !entry.toProfile.isEmpty())
            copies.insert(entry.id,
                          QJsonObject{{fromKey, entry.fromProfile}, {toKey, entry.toProfile}});
    for (const QString& copy : paths)
        copies.insert(idOf(copy), QJsonObject{{fromKey, profiles.from}, {toKey, profiles.to}});
    FileUtil::makePath(AppPaths::tavrinDirectory());
    FileUtil::writeAtomically(
        path(), QJsonDocument(QJsonObject{{copiesKey, copies}}).toJson(QJsonDocument::Indented),
        FileUtil::NewFileMode::OwnerOnly, false, // a lost index only hides profiles
        AtomicFile::Spare::keep);
}

} // namespace BackupIndex
