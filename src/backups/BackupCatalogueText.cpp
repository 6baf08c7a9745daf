#include "backups/BackupCatalogue.h"

#include "profiles/AppPaths.h"

#include <QCoreApplication>
#include <QJsonObject>
#include <QLocale>

// How copies are named to the user and listed as JSON.
namespace BackupCatalogue {

QString title(BackupKind kind) {
    switch (kind) {
    case BackupKind::config:
        return QStringLiteral("config.toml");
    case BackupKind::auth:
        return QStringLiteral("auth.json");
    case BackupKind::claudeSettings:
        return QStringLiteral("settings.json");
    case BackupKind::chatDatabase:
        return QCoreApplication::translate("BackupCatalogue", "chat database");
    case BackupKind::chatMoves:
        return QCoreApplication::translate("BackupCatalogue", "chat move");
    case BackupKind::profiles:
        return QStringLiteral("profiles.json");
    }
    return {};
}

QString roleName(BackupRole role) {
    switch (role) {
    case BackupRole::dated:
        return QStringLiteral("switch");
    case BackupRole::latest:
        return QStringLiteral("latest");
    case BackupRole::beforeRestore:
        return QStringLiteral("before restore");
    }
    return {};
}

QString formatSize(qint64 bytes) {
    if (bytes < 1000)
        return bytes == 1 ? QCoreApplication::translate("BackupCatalogue", "1 byte")
                          : QCoreApplication::translate("BackupCatalogue", "%1 bytes").arg(bytes);
    const char* units[] = {"KB", "MB", "GB", "TB"};
    double value = double(bytes);
    int unit = -1;
    while (value >= 1000 && unit < 3) {
        value /= 1000;
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(QString::number(value, 'f', value < 9.95 ? 1 : 0),
                                       QLatin1String(units[unit]));
}

QString formatTime(const QDateTime& time) {
    return QLocale::c().toString(time, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QJsonArray toJson(const QList<BackupEntry>& entries) {
    QJsonArray array;
    for (const BackupEntry& entry : entries) {
        QJsonObject object{
            {QStringLiteral("id"), entry.id},
            {QStringLiteral("file"), AppPaths::displayPath(entry.original)},
            {QStringLiteral("kind"), title(entry.kind)},
            {QStringLiteral("role"), roleName(entry.role)},
            {QStringLiteral("target"), entry.target() == TargetIDE::claude
                                           ? QStringLiteral("claude")
                                           : QStringLiteral("codex")},
            {QStringLiteral("made"), entry.made.toString(Qt::ISODate)},
            {QStringLiteral("size"), entry.size},
            {QStringLiteral("path"), entry.path},
            {QStringLiteral("companions"), QJsonArray::fromStringList(entry.companions)},
            {QStringLiteral("protected"), entry.isProtected},
        };
        if (!entry.fromProfile.isEmpty())
            object.insert(QStringLiteral("from"), entry.fromProfile);
        if (!entry.toProfile.isEmpty())
            object.insert(QStringLiteral("to"), entry.toProfile);
        array.append(object);
    }
    return array;
}

} // namespace BackupCatalogue
