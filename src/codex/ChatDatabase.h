#pragma once

#include "system/ShellService.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// Codex's chat database (~/.codex/state_5.sqlite), changed only through the sqlite3 tool:
// the threads a chat move takes, the move itself, its snapshot, and putting rows back.
// A move takes every thread of "openai" or "velqor" not on the new provider yet (threads
// without an id could not be told apart when put back, so they stay).
class ChatDatabase {
public:
    // A thread whose rollout path lies in one of Codex's session folders: its provider and
    // the path (raw bytes).
    struct Row {
        QByteArray provider;
        QByteArray rolloutPath;
    };

    // One move, in one transaction that holds the database's write lock from the moment
    // the rows are first read until commit(): what is read and snapshotted is exactly what
    // moves. A move destroyed before commit() changes nothing.
    class Move {
    public:
        ~Move();
        Move(const Move&) = delete;
        Move& operator=(const Move&) = delete;
        // How many threads the move takes; a move itself only tells whether it takes any
        // (0 or 1), sparing a count its commit makes anyway.
        qint64 rows() const { return m_rows; }
        // The next thread with a session file, of those the move takes and of those already
        // on the provider; nothing after the last.
        std::optional<Row> next();
        // Moves the threads and returns how many moved. Throws ChatSyncError.
        qint64 commit();

    private:
        friend class ChatDatabase;
        Move(std::unique_ptr<ProgramSession> session, QString provider);
        void readCount();
        std::unique_ptr<ProgramSession> m_session;
        QString m_provider;
        qint64 m_rows = 0;
        bool m_rowsDone = false;
        bool m_looking = false;
    };

    // `program` is the sqlite3 tool tried first; when it is not an executable file,
    // sqlite3 is looked up on PATH.
    ChatDatabase(std::shared_ptr<ShellService> shell, QString program);

    // Whether the database file exists.
    static bool exists();

    // Starts a move to `provider`. `sessionRoots` are the session folders as rollout paths
    // name them (absolute, or relative to ~/.codex); with none, no path is asked for.
    // Throws ChatSyncError.
    std::unique_ptr<Move> startMove(const QString& provider, const QStringList& sessionRoots);
    // The same threads, only to look at them: no lock is taken and nothing moves.
    std::unique_ptr<Move> look(const QString& provider, const QStringList& sessionRoots);

    // A consistent copy of the database made by the tool itself, also while another
    // program holds the write lock or writes. Throws ChatSyncError.
    void snapshot(const QString& destination);

    // How many threads a move to `provider` took, as `snapshot` (taken just before it)
    // shows them.
    qint64 taken(const QString& provider, const QString& snapshot);
    // Puts the threads a move to `provider` took back on the providers `snapshot` (taken
    // just before the move) shows for them, when they are still on `provider`; returns how
    // many went back. With `countOnly`, nothing changes: it counts them.
    qint64 putBack(const QString& provider, const QString& snapshot, bool countOnly = false);
    // The same for a move recorded by its text ids: (old provider, id) pairs.
    qint64 putBack(const QString& provider, const QList<QPair<QString, QString>>& ids,
                   bool countOnly = false);

    // The reason in the sqlite3 tool's error output, without its prefixes and error code.
    static QString plainReason(const QString& toolError);

private:
    QString program() const;
    std::unique_ptr<ProgramSession> open(const QByteArray& script);
    qint64 total(const QByteArray& script, QByteArrayView label);
    std::shared_ptr<ShellService> m_shell;
    QString m_program;
};
