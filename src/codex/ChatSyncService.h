#pragma once

#include "profiles/Errors.h"
#include "profiles/Profile.h"
#include "system/ShellService.h"

#include <QStringList>

#include <functional>
#include <memory>

struct ChatSyncResult {
    // Threads whose provider really changed (database row and session file).
    qint64 changedRows = 0;
    // Threads whose database row moved but whose session file could not be changed
    // (missing, outside Codex's session folders, not a regular file, not a chat of the old
    // provider).
    qint64 skippedFiles = 0;
    // The snapshot of the database from before the move; none when no row moved.
    QStringList backupURLs;
    // What undo() needs to put the chats back; empty when nothing was to move.
    QString journalURL;
};

// What undoing a move put back, and the entries of its journal that were not followed.
struct ChatUndoResult {
    qint64 rows = 0;
    qint64 files = 0;
    QStringList ignored;
};

// A journaled move as things stand now.
struct ChatMoveState {
    QString provider;          // the chats were moved to
    qint64 rows = 0;           // threads the move took
    qint64 rowsMoved = 0;      // of them, still on the provider
    qint64 files = 0;          // session files the move was to change
    qint64 filesRewritten = 0; // of them, still as the move wrote them
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
        leftMoved, // the move failed halfway and could not be put back: its journal can
    };
    static ChatSyncError invalidProvider(const QString& provider);
    static ChatSyncError sqliteFailed(const QString& message);
    static ChatSyncError databaseNotFound();
    static ChatSyncError sqliteMissing();
    static ChatSyncError fileFailed(const QString& reason);
    static ChatSyncError undoFailed(const QString& reason);
    static ChatSyncError leftMoved(const QString& reason);
    Kind kind() const { return m_kind; }

private:
    ChatSyncError(Kind kind, const QString& message);
    Kind m_kind;
};

// Moves Codex's chat threads of the providers "openai" and "velqor" to the profile's
// provider: the threads' rows in the chat database (with the sqlite3 tool) and the first
// line of each thread's session file. Before anything changes, the move is recorded in a
// journal in ~/.codex/backups/, so undo() can put it back after any interruption.
class ChatSyncService {
public:
    // `sqlitePath` is the sqlite3 tool tried first (empty: /usr/bin/sqlite3); when it is
    // not an executable file, sqlite3 is looked up on PATH.
    explicit ChatSyncService(std::shared_ptr<ShellService> shellService = nullptr,
                             QString sqlitePath = {});
    virtual ~ChatSyncService() = default;

    // `journalWritten` hears of the journal once it is on disk whole, before the rows move
    // or any session file changes, so a switch can record where the undo lies.
    virtual ChatSyncResult
    syncChats(const Profile& profile,
              const std::function<void(const QString& journalURL)>& journalWritten = {});
    // Puts back what the move that wrote `journalURL` changed and is still as it left it:
    // the rows it moved and the first lines of the session files it rewrote. Running it
    // again changes nothing. Session files changed since are left alone and named in the
    // error; entries naming files a move never changes are ignored and listed.
    ChatUndoResult undo(const QString& journalURL);
    // How much of a journaled move is still in place. Throws like undo().
    ChatMoveState inspect(const QString& journalURL);
    // What of the chats does not follow the profile, a line each ending in ": " and
    // `remedy`: threads of the two switched providers on another provider, and session
    // files of the profile's threads that name another. Nothing when Codex has no chats.
    QStringList differences(const Profile& profile, const QString& remedy);

    static QString threadProvider(const Profile& profile);
    static bool isSafeProvider(const QString& provider);

private:
    std::shared_ptr<ShellService> m_shell;
    QString m_sqlitePath;
};
