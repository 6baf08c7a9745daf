#pragma once

#include "codex/ShellService.h"
#include "profiles/Errors.h"
#include "profiles/Profile.h"

#include <QByteArray>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

struct ChatSyncResult {
    // Threads whose provider really changed (database row and session file).
    qint64 changedRows = 0;
    // Threads whose database row moved but whose session file could not be changed
    // (missing, outside ~/.codex, not a regular file, not a chat of the old provider).
    qint64 skippedFiles = 0;
    QStringList backupURLs;
    // What undo() needs to put the chats back; empty when nothing was moved.
    QString journalURL;
};

class ChatSyncError : public TavrinError {
public:
    enum class Kind {
        invalidProvider,
        sqliteFailed,
        databaseNotFound,
        sqliteMissing,
        fileFailed, // a session file or the journal could not be written; nothing stays moved
        undoFailed,
    };
    static ChatSyncError invalidProvider(const QString& provider);
    static ChatSyncError sqliteFailed(const QString& message);
    static ChatSyncError databaseNotFound();
    static ChatSyncError sqliteMissing();
    static ChatSyncError fileFailed(const QString& reason);
    static ChatSyncError undoFailed(const QString& reason);
    Kind kind() const { return m_kind; }

private:
    ChatSyncError(Kind kind, const QString& message);
    Kind m_kind;
};

// Moves Codex's chat threads of the providers "openai" and "velqor" to the profile's
// provider: the threads' rows in the chat database (with the sqlite3 tool, after backing
// the database files up) and the first line of each thread's session file. What it
// changed is recorded in a journal in ~/.codex/backups/ so undo() can put it back.
class ChatSyncService {
public:
    // `sqlitePath` is the sqlite3 tool tried first (empty: /usr/bin/sqlite3); when it is
    // not an executable file, sqlite3 is looked up on PATH.
    explicit ChatSyncService(std::shared_ptr<ShellService> shellService = nullptr,
                             QString sqlitePath = {});
    virtual ~ChatSyncService() = default;

    // `journalWritten` hears of the journal once it is on disk, before any session file
    // changes, so a switch can record where the undo of an interrupted move lies.
    virtual ChatSyncResult
    syncChats(const Profile& profile,
              const std::function<void(const QString& journalURL)>& journalWritten = {});
    // Puts back what the sync that wrote `journalURL` changed: the first lines of the
    // session files it rewrote and the providers of the rows it moved. Running it again
    // changes nothing. Session files changed since the sync are left alone and named in
    // the error.
    virtual void undo(const QString& journalURL);

    static QString threadProvider(const Profile& profile);
    static bool isSafeProvider(const QString& provider);
    // Moves the rows in one transaction and prints one line per moved thread:
    // "thread|<old provider>|<hex of id>|<hex of rollout_path>".
    static QString sqlScript(const QString& provider);
    // The session file's first line with payload.model_provider of its session_meta
    // record changed from `from` to `to`, every other byte kept; nothing when the line is
    // not such a record or names another provider.
    static std::optional<QByteArray> rewrittenFirstLine(const QByteArray& line, const QString& from,
                                                        const QString& to);
    // The reason in the sqlite3 tool's error output, without its prefixes and error code.
    static QString plainReason(const QString& toolError);

private:
    QString sqliteProgram() const;
    // Runs an SQL script of any length against the chat database; the tool's reason
    // when it fails, empty when it succeeds.
    QString runScriptFile(const QByteArray& sql);
    static QString unusedStamp();
    QStringList backupStateDatabaseFiles(const QString& stamp);
    std::shared_ptr<ShellService> m_shell;
    QString m_sqlitePath;
};
