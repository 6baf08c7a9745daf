#include "backups/BackupPreview.h"

#include "backups/TextDiff.h"
#include "codex/ChatDatabase.h"
#include "codex/ChatMoveJournal.h"
#include "codex/ChatSyncService.h"
#include "profiles/AppPaths.h"
#include "profiles/FileUtil.h"
#include "system/ShellService.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

namespace {

QString uri(const QString& path, const QString& options) {
    return QStringLiteral("file:") + QString::fromLatin1(QUrl::toPercentEncoding(path, "/")) +
           QLatin1Char('?') + options;
}

QString withoutStop(QString text) {
    while (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

} // namespace

BackupPreview::BackupPreview(std::shared_ptr<ShellService> shell, QString sqlitePath)
    : m_shell(shell ? std::move(shell) : std::make_shared<ShellService>()),
      m_sqlitePath(std::move(sqlitePath)) {}

QString BackupPreview::sqliteProgram() const {
    const QString first =
        m_sqlitePath.isEmpty() ? QStringLiteral("/usr/bin/sqlite3") : m_sqlitePath;
    if (QFileInfo(first).isExecutable())
        return first;
    const QString found = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (found.isEmpty())
        throw ChatSyncError::sqliteMissing();
    return found;
}

QMap<QString, qint64> BackupPreview::threadsPerProvider(const QString& database,
                                                        const QString& wal) const {
    // The live database is read as it stands, its log included; a copy without its log
    // is read as an unchanging file, so nothing is ever written beside it. A copy with a
    // log is read from a private folder where the two have the names sqlite3 expects.
    QString target;
    QTemporaryDir scratch;
    if (!wal.isEmpty()) {
        const QString main = scratch.filePath(QStringLiteral("copy.sqlite"));
        FileUtil::copy(database, main);
        FileUtil::copy(wal, main + QStringLiteral("-wal"));
        target = uri(main, QStringLiteral("mode=ro"));
    } else {
        target =
            uri(database, database == AppPaths::stateDatabaseURL() ? QStringLiteral("mode=ro")
                                                                   : QStringLiteral("immutable=1"));
    }
    const ShellResult result = m_shell->runProgram(
        sqliteProgram(),
        {QStringLiteral("-batch"), QStringLiteral("-init"), QStringLiteral("/dev/null"),
         QStringLiteral("-bail"), QStringLiteral("-list"), QStringLiteral("-noheader"),
         QStringLiteral("-separator"), QStringLiteral("|"), QStringLiteral("-cmd"),
         QStringLiteral(".timeout 5000"), target,
         QStringLiteral("SELECT coalesce(model_provider, ''), count(*) FROM threads GROUP BY 1;")});
    if (result.terminationStatus != 0)
        throw ChatSyncError::sqliteFailed(ChatDatabase::plainReason(result.standardError));
    QMap<QString, qint64> counts;
    for (const QString& line : result.standardOutput.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        counts.insert(line.section(QLatin1Char('|'), 0, -2),
                      line.section(QLatin1Char('|'), -1).toLongLong());
    return counts;
}

QString BackupPreview::databaseSummary(const BackupEntry& entry) const {
    if (!entry.complete)
        return QCoreApplication::translate(
            "BackupPreview", "This copy of the chat database lacks its main file, so it cannot "
                             "be put back.");
    QString wal;
    for (const QString& companion : entry.companions)
        if (companion.section(QLatin1Char('/'), -1).contains(QLatin1String("-wal")))
            wal = companion;
    QStringList lines;
    QMap<QString, qint64> now;
    const bool live = FileUtil::exists(AppPaths::stateDatabaseURL());
    try {
        if (live)
            now = threadsPerProvider(AppPaths::stateDatabaseURL());
    } catch (const TavrinError& error) {
        lines << QCoreApplication::translate("BackupPreview",
                                             "The chat database now cannot be read: %1.")
                     .arg(withoutStop(error.localizedDescription()));
    }
    const QMap<QString, qint64> copy = threadsPerProvider(entry.path, wal);
    QStringList providers = now.keys() + copy.keys();
    providers.removeDuplicates();
    providers.sort();
    lines << QCoreApplication::translate("BackupPreview",
                                         "Chat threads by provider, now and in the copy:");
    for (const QString& provider : providers)
        lines << QCoreApplication::translate("BackupPreview", "  %1: %2 now, %3 in the copy")
                     .arg(provider.isEmpty() ? QStringLiteral("(none)") : provider)
                     .arg(now.value(provider))
                     .arg(copy.value(provider));
    if (providers.isEmpty())
        lines << QCoreApplication::translate("BackupPreview", "  no threads in either");
    if (!live)
        lines << QCoreApplication::translate("BackupPreview", "There is no chat database now.");
    if (!wal.isEmpty())
        lines << QCoreApplication::translate("BackupPreview",
                                             "The copy's -wal file is put back with it.");
    return lines.join(QLatin1Char('\n'));
}

QString BackupPreview::describe(const BackupEntry& entry) const {
    const QString copyLabel = QCoreApplication::translate("BackupPreview", "%1 (the copy)")
                                  .arg(AppPaths::displayPath(entry.path));
    switch (entry.kind) {
    case BackupKind::chatDatabase:
        return databaseSummary(entry);
    case BackupKind::chatMoves: {
        QString provider;
        qint64 files = 0;
        ChatMoveJournal::read(
            entry.path, {[&](const ChatMoveJournal::Header& header) { provider = header.provider; },
                         {},
                         [&](const SessionFiles::Change&) { ++files; }});
        return QCoreApplication::translate(
                   "BackupPreview",
                   "The record of a chat move to %1 (%2 session files). It lets the "
                   "move be undone; it is not a file to put back.")
            .arg(provider)
            .arg(files);
    }
    default: {
        const QByteArray copy = FileUtil::readAll(entry.path);
        const bool present = FileUtil::fileExists(entry.original);
        const QByteArray now = present ? FileUtil::readAll(entry.original) : QByteArray();
        const QString nowLabel =
            (present ? QCoreApplication::translate("BackupPreview", "%1 (now)")
                     : QCoreApplication::translate("BackupPreview", "%1 (does not exist now)"))
                .arg(AppPaths::displayPath(entry.original));
        return TextDiff::unified(now, copy, nowLabel, copyLabel);
    }
    }
}
