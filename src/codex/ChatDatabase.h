#pragma once

#include "codex/ShellService.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// Codex's chat database (~/.codex/state_5.sqlite), changed only through the sqlite3 tool:
// the rows of the threads a chat move takes, the move itself, and putting rows back.
class ChatDatabase {
public:
    // A thread a move takes, as the tool reports it: its provider, its typed id (see
    // ChatMoveJournal) and its rollout path (raw bytes; empty unless asked for).
    struct Row {
        QByteArray provider;
        QByteArray id;
        QByteArray rolloutPath;
    };

    // One move, in one transaction that holds the database's write lock from the moment
    // the rows are read until commit(): what is read is exactly what moves. A move that
    // is destroyed before commit() changes nothing.
    class Move {
    public:
        ~Move();
        Move(const Move&) = delete;
        Move& operator=(const Move&) = delete;
        // The next row; nothing after the last.
        std::optional<Row> next();
        // Moves the rows read (not those already on the provider) and returns how many
        // moved. Throws ChatSyncError.
        qint64 commit();

    private:
        friend class ChatDatabase;
        Move(std::unique_ptr<ProgramSession> session, QString provider);
        std::unique_ptr<ProgramSession> m_session;
        QString m_provider;
        bool m_rowsDone = false;
    };

    // `program` is the sqlite3 tool tried first; when it is not an executable file,
    // sqlite3 is looked up on PATH.
    ChatDatabase(std::shared_ptr<ShellService> shell, QString program);

    // Whether the database file exists.
    static bool exists();

    // Starts a move to `provider`: every thread of "openai" or "velqor" not on the provider
    // yet. With `sessionRoots` (folders, as rollout paths name them), also the threads
    // already on the provider whose rollout path lies in one of them, and the rollout
    // paths in those folders. Throws ChatSyncError.
    std::unique_ptr<Move> startMove(const QString& provider, const QStringList& sessionRoots);
    // The threads a move to `provider` would take, without a lock (to look, not to move).
    void forEachRow(const QString& provider, const QStringList& sessionRoots,
                    const std::function<void(const Row&)>& visit);

    // A consistent copy of the database made by the tool itself, also while another
    // connection holds the write lock or writes. Throws ChatSyncError.
    void snapshot(const QString& destination);

    // Puts rows on `provider` back on their old providers, in one transaction; with
    // `countOnly` nothing changes and finish() counts the rows still on `provider`.
    class PutBack {
    public:
        void add(const QString& oldProvider, QByteArrayView id);
        // How many rows went back (or are still on the provider). Throws ChatSyncError.
        qint64 finish();

    private:
        friend class ChatDatabase;
        PutBack(std::unique_ptr<ProgramSession> session, QString provider, bool countOnly);
        void flush(const QString& oldProvider, QByteArrayList& literals);
        std::unique_ptr<ProgramSession> m_session;
        QString m_provider;
        bool m_countOnly;
        QHash<QString, QByteArrayList> m_pending; // old provider -> literals of its ids
    };
    std::unique_ptr<PutBack> startPutBack(const QString& provider, bool countOnly = false);

    // The reason in the sqlite3 tool's error output, without its prefixes and error code.
    static QString plainReason(const QString& toolError);

private:
    QString program() const;
    std::unique_ptr<ProgramSession> open(const QByteArray& script);
    std::shared_ptr<ShellService> m_shell;
    QString m_program;
};
