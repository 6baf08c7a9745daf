#include "backups/BackupRetention.h"

#include "profiles/Errors.h"
#include "profiles/FileUtil.h"

#include <QCoreApplication>
#include <QHash>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>

#include <cmath>

namespace {

const QString keepKey = QStringLiteral("backups/keep_per_file");
const QString maxSizeKey = QStringLiteral("backups/max_size");

bool removable(const BackupEntry& entry) {
    return entry.role != BackupRole::latest && !entry.isProtected;
}

} // namespace

QString RetentionPolicy::settingsPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Tavrin/Tavrin.conf");
}

RetentionPolicy RetentionPolicy::load() {
    const QSettings settings(settingsPath(), QSettings::IniFormat);
    RetentionPolicy policy;
    bool ok = false;
    const int keep = settings.value(keepKey).toInt(&ok);
    if (ok && keep >= 0)
        policy.keepPerFile = keep;
    const qint64 size = settings.value(maxSizeKey).toLongLong(&ok);
    if (ok && size >= 0)
        policy.maxBytes = size;
    return policy;
}

void RetentionPolicy::save() const {
    QSettings settings(settingsPath(), QSettings::IniFormat);
    settings.setValue(keepKey, keepPerFile);
    settings.setValue(maxSizeKey, maxBytes);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw FileError(QCoreApplication::translate("BackupRetention",
                                                    "Could not save the backup settings in %1.")
                            .arg(settingsPath()));
}

std::optional<qint64> RetentionPolicy::parseSize(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(\\d+(?:\\.\\d+)?)\\s*(|b|bytes?|k|kb|m|mb|g|gb|t|tb|kib|mib|gib|"
                       "tib)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QString unit = match.captured(2).toLower();
    const bool binary = unit.endsWith(QLatin1String("ib"));
    const QString letter = unit.left(1);
    int power = 0;
    if (letter == QLatin1String("k"))
        power = 1;
    else if (letter == QLatin1String("m"))
        power = 2;
    else if (letter == QLatin1String("g"))
        power = 3;
    else if (letter == QLatin1String("t"))
        power = 4;
    const double bytes = match.captured(1).toDouble() * std::pow(binary ? 1024.0 : 1000.0, power);
    if (bytes >= 9.0e18)
        return std::nullopt;
    return qint64(std::llround(bytes));
}

QString PrunePlan::summary(bool dryRun) const {
    if (remove.isEmpty())
        return QCoreApplication::translate("BackupRetention", "No old backups to remove.");
    const QString count =
        remove.size() == 1
            ? QCoreApplication::translate("BackupRetention", "1 old backup")
            : QCoreApplication::translate("BackupRetention", "%1 old backups").arg(remove.size());
    return (dryRun ? QCoreApplication::translate("BackupRetention", "Would remove %1, %2.")
                   : QCoreApplication::translate("BackupRetention", "Removed %1, %2."))
        .arg(count, BackupCatalogue::formatSize(bytes));
}

namespace BackupRetention {

PrunePlan plan(const QList<BackupEntry>& entries, const RetentionPolicy& policy) {
    // `entries` come newest first; within a file, the position is the age.
    QHash<QString, int> seen;
    QList<bool> goes(entries.size(), false);
    qint64 total = 0;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const BackupEntry& entry = entries[i];
        total += entry.size;
        const int rank = seen[entry.group()]++;
        if (rank > 0 && policy.keepPerFile > 0 && rank >= policy.keepPerFile && removable(entry))
            goes[i] = true;
    }
    for (qsizetype i = 0; i < entries.size(); ++i)
        if (goes[i])
            total -= entries[i].size;
    // Over the size: the oldest copies that are not the newest of their file go next.
    if (policy.maxBytes > 0 && total > policy.maxBytes) {
        QHash<QString, bool> newestSeen;
        QList<bool> newest(entries.size(), false);
        for (qsizetype i = 0; i < entries.size(); ++i)
            newest[i] = !std::exchange(newestSeen[entries[i].group()], true);
        for (qsizetype i = entries.size() - 1; i >= 0 && total > policy.maxBytes; --i) {
            if (goes[i] || newest[i] || !removable(entries[i]))
                continue;
            goes[i] = true;
            total -= entries[i].size;
        }
    }
    PrunePlan result;
    for (qsizetype i = entries.size() - 1; i >= 0; --i) {
        if (!goes[i])
            continue;
        result.remove.append(entries[i]);
        result.bytes += entries[i].size;
    }
    return result;
}

PrunePlan remove(const PrunePlan& plan, QStringList& failures) {
    PrunePlan done;
    for (const BackupEntry& entry : plan.remove) {
        try {
            for (const QString& file : entry.files())
                FileUtil::remove(file);
            done.remove.append(entry);
            done.bytes += entry.size;
        } catch (const TavrinError& error) {
            failures << error.localizedDescription();
        }
    }
    return done;
}

} // namespace BackupRetention
