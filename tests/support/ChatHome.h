#pragma once

#include "codex/ChatSyncService.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class TestHome;

// A Codex chat database and session files in a test home, for the chat move's tests.

// The first line of a session file naming `provider` (with more members before it).
QByteArray sessionMeta(const QByteArray& provider, const QByteArray& extra = {});
// Records that follow it; one of them names a provider too.
extern const QByteArray sessionRest;

// Points the paths at a home inside `home` whose path needs care in any command line, with
// a Codex-like chat database in it (WAL mode; with `pendingLog` the rows stay in the log,
// so "-wal" and "-shm" lie beside the main file). Each thread is "id provider
// [rollout_path]". Returns the database's path.
QString createChatHome(const TestHome& home, const QStringList& threads, bool pendingLog = false);
// The threads' providers, ordered by id, separated by spaces.
QString chatProviders();
// Every thread's id (quoted as SQL) and provider, in row order.
QString chatDump(const QString& database);
Profile providerProfile(const QString& provider);
ChatSyncResult syncChats(const QString& provider, const QString& sqlitePath = {});
// "<n> rows, <m> files".
QString undone(const ChatUndoResult& result);
