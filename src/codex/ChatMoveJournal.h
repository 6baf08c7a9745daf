#pragma once

#include "codex/SessionFiles.h"
#include "profiles/AtomicFile.h"

#include <QByteArray>
#include <QString>

#include <functional>

// The record of one chat move, written whole before the move changes anything, so that
// it can be undone after any interruption. One line each:
//   {"format":2,"provider":"<new>","snapshot":"<database before the move>"}
//   file ["<old provider>",<offset>,"<old token>","<session file>"]
//   end <files>
// The snapshot (none when no row moves) tells which threads moved and from which
// provider; a file line holds where the provider token stands in the session file's first
// line and what it said before the move.
namespace ChatMoveJournal {

struct Header {
    QString provider; // the chats were moved to
    QString snapshot; // empty when no row moves
};

// Writes a journal; nothing is at `path` until commit() has flushed it to disk whole.
class Writer {
public:
    Writer(const QString& path, const Header& header);
    void addFile(const SessionFiles::Change& change);
    qint64 files() const { return m_files; }
    void commit();

private:
    void write(const QByteArray& data);
    AtomicFile m_file;
    QByteArray m_buffer;
    qint64 m_files = 0;
};

// What a journal holds, handed out an entry at a time.
struct Visitor {
    std::function<void(const Header& header)> header; // first
    // Only journals of the first format name the threads, by text id.
    std::function<void(const QString& oldProvider, const QString& id)> row;
    std::function<void(const SessionFiles::Change& change)> file;
};

// Reads a whole journal (also one of the first format, which named every thread and kept
// whole first lines) and visits it. Throws FileError or JsonError when it is missing or not
// a whole journal a move writes; nothing is visited then.
void read(const QString& path, const Visitor& visitor);

} // namespace ChatMoveJournal
