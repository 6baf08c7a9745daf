#pragma once

#include "codex/SessionFiles.h"

#include <QByteArray>
#include <QSaveFile>
#include <QString>

#include <functional>

// The record of one chat move, written whole before the move changes anything, so that
// it can be undone after any interruption. One line each:
//   {"format":2,"provider":"<new provider>"}
//   row <old provider> <thread id>
//   file ["<old provider>",<offset>,"<old token>","<session file>"]
//   end <rows> <files>
// A thread id is typed: t<hex of a text>, i<integer>, b<hex of a blob>, f<real number>.
// A file line holds the offset and the text of the provider token in the file's first
// line before the move.
namespace ChatMoveJournal {

// Writes a journal; nothing is at `path` until commit() has flushed it to disk whole.
class Writer {
public:
    Writer(const QString& path, const QString& provider);
    void addRow(QByteArrayView oldProvider, QByteArrayView id);
    void addFile(const SessionFiles::Change& change);
    qint64 rows() const { return m_rows; }
    qint64 files() const { return m_files; }
    void commit();

private:
    void write(const QByteArray& data);
    [[noreturn]] void fail();
    QSaveFile m_file;
    QByteArray m_buffer;
    qint64 m_rows = 0;
    qint64 m_files = 0;
};

// What a journal holds, handed out an entry at a time.
struct Visitor {
    std::function<void(const QString& provider)> provider; // first, what the chats moved to
    std::function<void(const QString& oldProvider, const QByteArray& id)> row;
    std::function<void(const SessionFiles::Change& change)> file;
};

// Reads a whole journal (also one of the earlier format, which kept whole first lines)
// and returns the provider the chats were moved to. Throws FileError or JsonError when it
// is missing or not a whole journal; nothing is visited then.
QString read(const QString& path, const Visitor& visitor);

// The SQL literal of a typed thread id; empty when the id is not one a move writes.
QByteArray sqlLiteral(QByteArrayView id);

} // namespace ChatMoveJournal
