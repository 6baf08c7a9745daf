#pragma once

#include "backups/BackupCatalogue.h"

#include <QMap>
#include <QString>

#include <memory>

class ShellService;

// What restoring a copy would change, in words: for a text file a unified diff from the
// file as it is now to the copy; for the chat database the threads of each provider now
// and in the copy; for a chat move its record. Reads only; may take a while for a large
// database (run it off the GUI thread).
class BackupPreview {
public:
    // `sqlitePath`: the sqlite3 tool tried first (empty: /usr/bin/sqlite3, else PATH).
    explicit BackupPreview(std::shared_ptr<ShellService> shell = nullptr, QString sqlitePath = {});

    QString describe(const BackupEntry& entry) const;

    // The threads of each provider in a chat database; `wal` is a copy of its -wal file
    // kept under another name (read with it). Throws ChatSyncError.
    QMap<QString, qint64> threadsPerProvider(const QString& database,
                                             const QString& wal = {}) const;

private:
    QString databaseSummary(const BackupEntry& entry) const;
    QString sqliteProgram() const;

    std::shared_ptr<ShellService> m_shell;
    QString m_sqlitePath;
};
