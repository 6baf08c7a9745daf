#pragma once

#include "codex/ShellService.h"
#include "profiles/Errors.h"
#include "profiles/Profile.h"

#include <QStringList>

#include <memory>

struct ChatSyncResult {
    // Threads whose provider really changed (database row and session file).
    qint64 changedRows = 0;
    // Session files of moved threads that could not be changed (missing, not a chat).
    qint64 skippedFiles = 0;
    QStringList backupURLs;
    // What undo() needs to put the chats back; empty when nothing was moved.
    QString journalURL;
};

class ChatSyncError : public TavrinError {
public:
    enum class Kind { invalidProvider, sqliteFailed, databaseNotFound };
    static ChatSyncError invalidProvider(const QString& provider);
    static ChatSyncError sqliteFailed(const QString& message);
    static ChatSyncError databaseNotFound();
    Kind kind() const { return m_kind; }

private:
    ChatSyncError(Kind kind, const QString& message);
    Kind m_kind;
};

// Moves Codex's chat threads of the providers "openai" and "velqor" to the profile's
// provider with the sqlite3 tool, after backing the database files up.
class ChatSyncService {
public:
    explicit ChatSyncService(std::shared_ptr<ShellService> shellService = nullptr);
    virtual ~ChatSyncService() = default;

    virtual ChatSyncResult syncChats(const Profile& profile);
    // Puts back what the sync that wrote `journalURL` changed.
    virtual void undo(const QString& journalURL);

    static QString threadProvider(const Profile& profile);
    static bool isSafeProvider(const QString& provider);
    static QString sqlScript(const QString& provider);
    // Wraps a word in single quotes for the shell.
    static QString shellSingleQuoted(const QString& word);
    // The changes() count from the tool's output: the last whole-integer line, or 0.
    static qint64 changedRowsFromOutput(const QString& output);

private:
    QStringList backupStateDatabaseFiles();
    std::shared_ptr<ShellService> m_shell;
};
