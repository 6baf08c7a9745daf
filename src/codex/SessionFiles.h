#pragma once

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// Codex's session files (~/.codex/sessions/…/rollout-….jsonl, and their archived copies):
// where a thread's file is, and the one change a chat move makes to it, the provider named
// in its first line (the session_meta record). Every other byte of the file is kept.
namespace SessionFiles {

// Where payload.model_provider stands in a session_meta line: the offset of its string
// token and the token as written (quotes included).
struct ProviderAt {
    qsizetype offset = 0;
    QByteArray token;
    QString provider;
};

// Nothing when the line is not a session_meta record whose payload names its provider in
// one string (the line must be strict JSON in UTF-8).
std::optional<ProviderAt> providerIn(const QByteArray& line);

// A first line a move changes: enough to change it and to put it back.
struct Change {
    QString path;
    QString from;         // the provider the line named before the move
    qsizetype offset = 0; // where its token stands in the line
    QByteArray token;     // the token before the move, as written
    size_t lineHash = 0;  // of the whole line when the move was planned (not journaled)
};

// Finds the session file of a thread: only in the folders Codex keeps them in, and never
// through a folder link that leads out of ~/.codex. Reads the home once.
class Locator {
public:
    Locator();
    // Whether any session folder exists; when none does, no thread has a file.
    bool any() const { return !m_roots.isEmpty(); }
    // The folders, as rollout paths name them: absolute, and relative to ~/.codex.
    QStringList roots() const;
    // The file a rollout path names (absolute, or relative to ~/.codex) when it may be
    // changed; empty when it lies elsewhere.
    QString path(const QString& rolloutPath);

private:
    bool staysInside(const QString& folder);
    QString m_codex;
    QString m_realCodex;
    QStringList m_roots;
    QHash<QString, bool> m_folders;
};

// A session file open for reading, when it is a regular file (not a link, a folder or a
// pipe): one open() call, also for a file that is missing.
class File {
public:
    explicit File(const QString& path);
    bool isOpen() const { return m_file.isOpen(); }
    // The bytes before the first line feed (the whole file when it has none); nothing when
    // that is longer than any session_meta line. Throws FileError.
    std::optional<QByteArray> firstLine();
    // Replaces the first `oldSize` bytes with `line` and keeps the rest. The file is
    // replaced atomically and keeps its mode and modification time, so Codex's list of
    // recent chats keeps its order. Throws FileError.
    void replaceFirstLine(qint64 oldSize, const QByteArray& line);

private:
    QString m_path;
    QFile m_file;
};

// Plans the change of a thread's file: the line must name one of `from`.
std::optional<Change> plan(const QString& path, const QStringList& from);
// Makes a planned change; false when the file changed since it was planned.
bool apply(const Change& change, const QString& to);

enum class Restore { done, alreadyOriginal, changedSince };
// Puts a changed first line back when the file still holds what the move wrote. With
// `dryRun` it only tells what it would do.
Restore restore(const Change& change, const QString& to, bool dryRun = false);

} // namespace SessionFiles
