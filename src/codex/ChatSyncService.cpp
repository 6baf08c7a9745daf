#include "codex/ChatSyncService.h"

#include "profiles/AppPaths.h"
#include "profiles/FileUtil.h"
#include "profiles/Logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <array>
#include <cstring>
#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ChatSyncError::ChatSyncError(Kind kind, const QString& message)
    : TavrinError(message), m_kind(kind) {}

ChatSyncError ChatSyncError::invalidProvider(const QString& provider) {
    return ChatSyncError(Kind::invalidProvider,
                         QStringLiteral("Unsafe model provider for chat sync: ") + provider +
                             QLatin1Char('.'));
}

ChatSyncError ChatSyncError::sqliteFailed(const QString& message) {
    return ChatSyncError(Kind::sqliteFailed,
                         prefixedMessage(QStringLiteral("Could not sync chats"), message));
}

ChatSyncError ChatSyncError::databaseNotFound() {
    return ChatSyncError(Kind::databaseNotFound,
                         QStringLiteral("Could not find Codex chat database."));
}

ChatSyncError ChatSyncError::sqliteMissing() {
    return ChatSyncError(Kind::sqliteMissing, QStringLiteral("The sqlite3 tool is not installed."));
}

ChatSyncError ChatSyncError::fileFailed(const QString& reason) {
    return ChatSyncError(Kind::fileFailed, reason);
}

ChatSyncError ChatSyncError::undoFailed(const QString& reason) {
    return ChatSyncError(Kind::undoFailed,
                         prefixedMessage(QStringLiteral("Could not put the chats back"), reason));
}

namespace {

// A session_meta line is a few kilobytes; anything far beyond that is not one.
constexpr qsizetype maxFirstLineBytes = 16 * 1024 * 1024;
constexpr qsizetype copyChunkBytes = 1024 * 1024;
constexpr int journalFormat = 1;

struct MovedThread {
    QString id;
    QString oldProvider;
    QString rolloutPath;
};

// --- Locating payload.model_provider in the raw text of a JSON line --------------------
// The line has already been parsed as valid JSON; these only find byte offsets in it.

struct Span {
    qsizetype begin = 0;
    qsizetype end = 0;
};

qsizetype skipSpace(QByteArrayView text, qsizetype i) {
    while (i < text.size() &&
           (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r'))
        ++i;
    return i;
}

// Just past the string token that starts with the quote at `i`; -1 when unterminated.
qsizetype stringEnd(QByteArrayView text, qsizetype i) {
    for (++i; i < text.size(); ++i) {
        if (text[i] == '\\')
            ++i;
        else if (text[i] == '"')
            return i + 1;
    }
    return -1;
}

// Just past the value that starts at `i`; -1 when it does not end.
qsizetype valueEnd(QByteArrayView text, qsizetype i) {
    if (i >= text.size())
        return -1;
    if (text[i] == '"')
        return stringEnd(text, i);
    if (text[i] == '{' || text[i] == '[') {
        int depth = 0;
        while (i < text.size()) {
            const char c = text[i];
            if (c == '"') {
                i = stringEnd(text, i);
                if (i < 0)
                    return -1;
                continue;
            }
            if (c == '{' || c == '[')
                ++depth;
            else if ((c == '}' || c == ']') && --depth == 0)
                return i + 1;
            ++i;
        }
        return -1;
    }
    while (i < text.size() && !std::strchr(",}] \t\r\n", text[i]))
        ++i;
    return i;
}

bool keyEquals(QByteArrayView token, QLatin1StringView key) {
    const QByteArrayView inner = token.sliced(1, token.size() - 2);
    if (!inner.contains('\\'))
        return inner == QByteArrayView(key.data(), key.size());
    const QByteArray wrapped = '[' + token.toByteArray() + ']';
    return QJsonDocument::fromJson(wrapped).array().at(0).toString() == key;
}

// The value of member `key` of the object whose '{' is at `object`; nothing when the key
// is missing or appears more than once.
std::optional<Span> memberValue(QByteArrayView text, qsizetype object, QLatin1StringView key) {
    std::optional<Span> found;
    qsizetype i = skipSpace(text, object + 1);
    while (i < text.size() && text[i] == '"') {
        const qsizetype keyEnd = stringEnd(text, i);
        if (keyEnd < 0)
            return std::nullopt;
        const bool match = keyEquals(text.sliced(i, keyEnd - i), key);
        i = skipSpace(text, keyEnd);
        if (i >= text.size() || text[i] != ':')
            return std::nullopt;
        i = skipSpace(text, i + 1);
        const qsizetype end = valueEnd(text, i);
        if (end < 0)
            return std::nullopt;
        if (match) {
            if (found)
                return std::nullopt;
            found = Span{i, end};
        }
        i = skipSpace(text, end);
        if (i >= text.size() || text[i] != ',')
            break;
        i = skipSpace(text, i + 1);
    }
    return found;
}

// --- Session files ----------------------------------------------------------------------

// Writes all of `data`; a short write is retried so that a failure reports its reason.
bool writeAll(QFileDevice& file, const char* data, qint64 size) {
    while (size > 0) {
        const qint64 written = file.write(data, size);
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

// A descriptor of the file open for reading when it is a regular file (not a link, a
// directory or a pipe); -1 otherwise. One call to open() for a missing file.
int openRegularFile(const QString& path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat info {};
    if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// An open session file. It is opened from a descriptor, so QFile does not know its name.
struct SessionFile {
    SessionFile(const QString& filePath, int fd) : path(filePath) {
        if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered,
                       QFileDevice::AutoCloseHandle))
            ::close(fd);
    }
    QString path;
    QFile file;
};

QString readError(const SessionFile& session) {
    return QStringLiteral("Could not read %1: %2").arg(session.path, session.file.errorString());
}

// The bytes before the first line feed (the whole file when it has none); nothing when
// that is longer than any session_meta line.
std::optional<QByteArray> readFirstLine(SessionFile& session) {
    QByteArray line;
    std::array<char, 64 * 1024> buffer;
    for (;;) {
        const qint64 count = session.file.read(buffer.data(), qint64(buffer.size()));
        if (count < 0)
            throw FileError(readError(session));
        if (count == 0)
            break;
        const void* feed = std::memchr(buffer.data(), '\n', size_t(count));
        if (feed) {
            line.append(buffer.data(), static_cast<const char*>(feed) - buffer.data());
            break;
        }
        line.append(buffer.data(), count);
        if (line.size() > maxFirstLineBytes)
            return std::nullopt;
    }
    return line;
}

// Where a thread's session file is, or nothing when it has none or it lies outside
// ~/.codex. A relative path is relative to ~/.codex.
QString sessionFilePath(const QString& rolloutPath) {
    if (rolloutPath.isEmpty())
        return {};
    const QString codex = QDir::cleanPath(AppPaths::codexDirectory());
    const QString path = QDir::cleanPath(
        QDir::isAbsolutePath(rolloutPath) ? rolloutPath : codex + QLatin1Char('/') + rolloutPath);
    return path.startsWith(codex + QLatin1Char('/')) ? path : QString();
}

// Replaces the first `oldLineSize` bytes of the open file with `line` and keeps the rest,
// copied in chunks. The file is replaced atomically and keeps its mode and modification
// time, so Codex's list of recent chats keeps its order.
void replaceFirstLine(SessionFile& session, qint64 oldLineSize, const QByteArray& line) {
    const QString& path = session.path;
    QFile& source = session.file;
    const QDateTime modified = source.fileTime(QFileDevice::FileModificationTime);
    QSaveFile target(path);
    const auto writeFailed = [&] {
        return FileError(QStringLiteral("Could not write %1: %2").arg(path, target.errorString()));
    };
    if (!target.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw writeFailed();
    if (!writeAll(target, line.constData(), line.size()))
        throw writeFailed();
    if (!source.seek(oldLineSize))
        throw FileError(readError(session));
    QByteArray buffer(copyChunkBytes, Qt::Uninitialized);
    for (;;) {
        const qint64 count = source.read(buffer.data(), buffer.size());
        if (count < 0)
            throw FileError(readError(session));
        if (count == 0)
            break;
        if (!writeAll(target, buffer.constData(), count))
            throw writeFailed();
    }
    if (modified.isValid() && !target.setFileTime(modified, QFileDevice::FileModificationTime))
        qCWarning(lcCodex) << "Could not keep the modification time of" << path;
    if (!target.commit())
        throw writeFailed();
}

enum class Restore { done, alreadyOriginal, changedSince };

// Puts a journalled first line back when the file still holds the line the sync wrote.
Restore restoreFirstLine(const QString& path, const QByteArray& original, const QString& from,
                         const QString& to) {
    const int fd = openRegularFile(path);
    if (fd < 0)
        return Restore::changedSince;
    SessionFile file(path, fd);
    const std::optional<QByteArray> current = readFirstLine(file);
    if (current && *current == original)
        return Restore::alreadyOriginal;
    const std::optional<QByteArray> written =
        ChatSyncService::rewrittenFirstLine(original, from, to);
    if (!current || !written || *current != *written)
        return Restore::changedSince;
    replaceFirstLine(file, current->size(), original);
    return Restore::done;
}

// --- The journal ------------------------------------------------------------------------
// {"format":1,"provider":"<new>","threads":[
// {"id":"…","old_provider":"openai","session_file":"/…/rollout-….jsonl","first_line":"{…}"},
// {"id":"…","old_provider":"velqor"}
// ]}
// One thread per line; "session_file" and "first_line" only for files the sync rewrites.

// A JSON string holding the UTF-8 text.
QByteArray jsonString(QByteArrayView text) {
    QByteArray json;
    json.reserve(text.size() + 2);
    json += '"';
    for (const char c : text) {
        if (c == '"' || c == '\\')
            json += '\\';
        if (static_cast<unsigned char>(c) < 0x20)
            json += "\\u00" +
                    QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0');
        else
            json += c;
    }
    json += '"';
    return json;
}

class JournalWriter {
public:
    JournalWriter(const QString& path, const QString& provider) : m_file(path) {
        if (QFileInfo::exists(path))
            throw FileError(QStringLiteral("Could not write %1: it already exists.").arg(path));
        if (!m_file.open(QIODevice::WriteOnly))
            fail();
        m_file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        write(QByteArrayLiteral("{\"format\":") + QByteArray::number(journalFormat) +
              QByteArrayLiteral(",\"provider\":\"") + provider.toUtf8() +
              QByteArrayLiteral("\",\"threads\":[\n"));
    }

    void add(const MovedThread& thread, const QString& sessionFile = {},
             const QByteArray& firstLine = {}) {
        QByteArray entry = (m_first ? "{\"id\":" : ",\n{\"id\":") + jsonString(thread.id.toUtf8()) +
                           ",\"old_provider\":" + jsonString(thread.oldProvider.toUtf8());
        if (!sessionFile.isEmpty())
            entry += ",\"session_file\":" + jsonString(sessionFile.toUtf8()) +
                     ",\"first_line\":" + jsonString(firstLine);
        write(entry + '}');
        m_first = false;
    }

    void commit() {
        write(QByteArrayLiteral("\n]}\n"));
        if (!m_file.commit())
            fail();
    }

private:
    void write(const QByteArray& data) {
        if (!writeAll(m_file, data.constData(), data.size()))
            fail();
    }
    [[noreturn]] void fail() {
        throw FileError(
            QStringLiteral("Could not write %1: %2").arg(m_file.fileName(), m_file.errorString()));
    }

    QSaveFile m_file;
    bool m_first = true;
};

// Calls `visit` with each thread of a journal, read one line at a time, and returns the
// provider the threads were moved to. Throws when the file is not a whole journal.
QString readJournal(const QString& path, const std::function<void(const QJsonObject&)>& visit) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Could not read %1: %2").arg(path, file.errorString()));
    const auto notAJournal = [&] {
        return JsonError(QStringLiteral("%1 is not a chat move journal.").arg(path));
    };
    const QJsonObject header =
        QJsonDocument::fromJson(file.readLine().trimmed() + QByteArrayLiteral("]}")).object();
    const QString provider = header.value(QLatin1String("provider")).toString();
    if (header.value(QLatin1String("format")).toInt() != journalFormat ||
        !ChatSyncService::isSafeProvider(provider))
        throw notAJournal();
    for (;;) {
        QByteArray line = file.readLine().trimmed();
        if (line == "]}")
            return provider;
        if (line.endsWith(','))
            line.chop(1);
        const QJsonObject thread = QJsonDocument::fromJson(line).object();
        if (!thread.value(QLatin1String("id")).isString() ||
            !ChatSyncService::isSafeProvider(
                thread.value(QLatin1String("old_provider")).toString()))
            throw notAJournal();
        visit(thread);
    }
}

QString sqlLiteral(const QString& text) {
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// A dot-command argument of the sqlite3 tool: double quotes, backslash escapes.
QString dotCommandQuoted(const QString& text) {
    QString quoted = text;
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    quoted.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// Options that make the tool's output independent of the user's ~/.sqliterc and stop
// the script at the first failing statement (an open transaction is then rolled back).
QStringList sqliteOptions() {
    return {QStringLiteral("-batch"),     QStringLiteral("-init"), QStringLiteral("/dev/null"),
            QStringLiteral("-bail"),      QStringLiteral("-list"), QStringLiteral("-noheader"),
            QStringLiteral("-separator"), QStringLiteral("|")};
}

QList<MovedThread> movedThreadsFromOutput(const QString& output) {
    QList<MovedThread> threads;
    const QLatin1StringView marker("thread|");
    for (const QStringView line : QStringView(output).split(QLatin1Char('\n'))) {
        if (!line.startsWith(marker))
            continue;
        const auto fields = line.trimmed().split(QLatin1Char('|'));
        if (fields.size() != 4)
            continue;
        threads.append({QString::fromUtf8(QByteArray::fromHex(fields[2].toLatin1())),
                        fields[1].toString(),
                        QFile::decodeName(QByteArray::fromHex(fields[3].toLatin1()))});
    }
    return threads;
}

// Puts the rows back on their old providers. Only rows still on `provider` go back, so
// running it twice changes nothing.
QByteArray revertScript(const QList<MovedThread>& threads, const QString& provider) {
    QByteArray sql = "PRAGMA busy_timeout = 5000;\nBEGIN IMMEDIATE;\n";
    QHash<QString, QStringList> idsByProvider;
    for (const MovedThread& thread : threads)
        idsByProvider[thread.oldProvider] << sqlLiteral(thread.id);
    constexpr qsizetype batch = 500;
    for (auto group = idsByProvider.cbegin(); group != idsByProvider.cend(); ++group)
        for (qsizetype start = 0; start < group->size(); start += batch)
            sql += (QStringLiteral("UPDATE threads SET model_provider = '") + group.key() +
                    QStringLiteral("' WHERE model_provider = '") + provider +
                    QStringLiteral("' AND id IN (") +
                    group->mid(start, batch).join(QLatin1Char(',')) + QStringLiteral(");\n"))
                       .toUtf8();
    sql += "COMMIT;\nPRAGMA wal_checkpoint(TRUNCATE);\n";
    return sql;
}

// A session file the move will rewrite, and how many of the moved threads it holds.
struct PlannedFile {
    QString path;
    QString oldProvider;
    size_t lineHash = 0;
    qint64 threads = 1;
};

// Looks at the session file of every moved thread and records in the journal, before any
// file changes, the rows that moved and each first line that will change.
QList<PlannedFile> writeJournal(const QString& journalPath, const QList<MovedThread>& threads,
                                const QString& provider) {
    JournalWriter journal(journalPath, provider);
    QList<PlannedFile> planned;
    QHash<QString, qsizetype> seen; // path -> index in `planned`
    for (const MovedThread& thread : threads) {
        const QString path = sessionFilePath(thread.rolloutPath);
        if (const auto earlier = seen.constFind(path); earlier != seen.constEnd()) {
            // A thread sharing a file with an earlier one moves with that file.
            if (planned[*earlier].oldProvider == thread.oldProvider)
                ++planned[*earlier].threads;
            journal.add(thread);
            continue;
        }
        std::optional<QByteArray> line;
        if (const int fd = path.isEmpty() ? -1 : openRegularFile(path); fd >= 0) {
            SessionFile file(path, fd);
            try {
                line = readFirstLine(file);
            } catch (const FileError& error) {
                qCWarning(lcCodex) << "Leaving an unreadable session file alone:" << error.what();
            }
        }
        if (!line || !ChatSyncService::rewrittenFirstLine(*line, thread.oldProvider, provider)) {
            journal.add(thread);
            continue;
        }
        seen.insert(path, planned.size());
        planned.append({path, thread.oldProvider, qHash(*line), 1});
        journal.add(thread, path, *line);
    }
    journal.commit();
    return planned;
}

// Rewrites a planned session file; false when it changed since it was journalled.
bool moveSessionFile(const PlannedFile& file, const QString& provider) {
    const int fd = openRegularFile(file.path);
    if (fd < 0) {
        qCWarning(lcCodex) << "Session file gone during the chat move:" << file.path;
        return false;
    }
    SessionFile source(file.path, fd);
    const std::optional<QByteArray> line = readFirstLine(source);
    std::optional<QByteArray> rewritten;
    if (line && qHash(*line) == file.lineHash)
        rewritten = ChatSyncService::rewrittenFirstLine(*line, file.oldProvider, provider);
    if (!rewritten) {
        qCWarning(lcCodex) << "Session file changed during the chat move, left alone:" << file.path;
        return false;
    }
    replaceFirstLine(source, line->size(), *rewritten);
    return true;
}

} // namespace

ChatSyncService::ChatSyncService(std::shared_ptr<ShellService> shellService, QString sqlitePath)
    : m_shell(shellService ? std::move(shellService) : std::make_shared<ShellService>()),
      m_sqlitePath(sqlitePath.isEmpty() ? QStringLiteral("/usr/bin/sqlite3")
                                        : std::move(sqlitePath)) {}

QString ChatSyncService::threadProvider(const Profile& profile) {
    const QString provider = profile.modelProvider ? profile.modelProvider->trimmed() : QString();
    return provider.isEmpty() ? QStringLiteral("openai") : provider;
}

bool ChatSyncService::isSafeProvider(const QString& provider) {
    if (provider.isEmpty())
        return false;
    for (const QChar c : provider) {
        const char16_t u = c.unicode();
        const bool safe = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') ||
                          (u >= u'0' && u <= u'9') || u == u'_' || u == u'-';
        if (!safe)
            return false;
    }
    return true;
}

QString ChatSyncService::sqlScript(const QString& provider) {
    const QString moved =
        QStringLiteral("WHERE model_provider IN ('openai', 'velqor') AND model_provider <> '") +
        provider + QStringLiteral("';\n");
    return QStringLiteral("PRAGMA busy_timeout = 5000;\n"
                          "BEGIN IMMEDIATE;\n"
                          "SELECT 'thread', model_provider, hex(id), hex(rollout_path) FROM "
                          "threads\n") +
           moved + QStringLiteral("UPDATE threads SET model_provider = '") + provider +
           QStringLiteral("'\n") + moved +
           QStringLiteral("COMMIT;\n"
                          "PRAGMA wal_checkpoint(TRUNCATE);");
}

std::optional<QByteArray> ChatSyncService::rewrittenFirstLine(const QByteArray& line,
                                                              const QString& from,
                                                              const QString& to) {
    // Text that is not UTF-8 could not be kept byte for byte in the journal.
    if (QString::fromUtf8(line).toUtf8() != line)
        return std::nullopt;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    QJsonObject record = document.object();
    QJsonObject payload = record.value(QLatin1String("payload")).toObject();
    if (record.value(QLatin1String("type")).toString() != QLatin1String("session_meta") ||
        payload.value(QLatin1String("model_provider")).toString() != from)
        return std::nullopt;

    const qsizetype object = skipSpace(line, 0);
    const auto payloadSpan = memberValue(line, object, QLatin1StringView("payload"));
    if (!payloadSpan)
        return std::nullopt;
    const auto valueSpan =
        memberValue(line, payloadSpan->begin, QLatin1StringView("model_provider"));
    if (!valueSpan || line[valueSpan->begin] != '"')
        return std::nullopt;
    const QByteArray rewritten =
        line.left(valueSpan->begin) + '"' + to.toUtf8() + '"' + line.mid(valueSpan->end);

    // The new line must say exactly what the old one said, but for the provider.
    payload.insert(QLatin1String("model_provider"), to);
    record.insert(QLatin1String("payload"), payload);
    const QJsonDocument check = QJsonDocument::fromJson(rewritten, &error);
    if (error.error != QJsonParseError::NoError || check.object() != record)
        return std::nullopt;
    return rewritten;
}

QString ChatSyncService::plainReason(const QString& toolError) {
    static const QRegularExpression prefix(
        QStringLiteral("^(?:Error:\\s*)?(?:in prepare,\\s*|stepping,\\s*|(?:Runtime|Parse) "
                       "error near line \\d+:\\s*)?"));
    static const QRegularExpression code(QStringLiteral("\\s*\\(\\d+\\)$"));
    for (const QStringView line : QStringView(toolError).split(QLatin1Char('\n'))) {
        QString reason = line.trimmed().toString();
        if (reason.isEmpty())
            continue;
        reason.remove(prefix);
        reason.remove(code);
        return reason;
    }
    return {};
}

QString ChatSyncService::sqliteProgram() const {
    const QFileInfo preferred(m_sqlitePath);
    if (preferred.isFile() && preferred.isExecutable())
        return preferred.absoluteFilePath();
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (onPath.isEmpty())
        throw ChatSyncError::sqliteMissing();
    return onPath;
}

ChatSyncResult
ChatSyncService::syncChats(const Profile& profile,
                           const std::function<void(const QString& journalURL)>& journalWritten) {
    const QString provider = threadProvider(profile);
    // Only this check keeps the provider safe to place inside the SQL text.
    if (!isSafeProvider(provider))
        throw ChatSyncError::invalidProvider(provider);

    const QString database = AppPaths::stateDatabaseURL();
    if (!FileUtil::exists(database))
        throw ChatSyncError::databaseNotFound();
    const QString sqlite = sqliteProgram();

    ChatSyncResult result;
    const QString stamp = unusedStamp();
    result.backupURLs = backupStateDatabaseFiles(stamp);

    const ShellResult run =
        m_shell->runProgram(sqlite, sqliteOptions() << database << sqlScript(provider));
    if (run.terminationStatus != 0)
        throw ChatSyncError::sqliteFailed(plainReason(run.standardError));
    const QList<MovedThread> threads = movedThreadsFromOutput(run.standardOutput);
    if (threads.isEmpty())
        return result;

    result.journalURL = QDir(AppPaths::backupsDirectory())
                            .filePath(QStringLiteral("chats-") + stamp + QStringLiteral(".json"));
    QList<PlannedFile> planned;
    try {
        planned = writeJournal(result.journalURL, threads, provider);
    } catch (...) {
        // No session file has changed yet: only the rows go back.
        QString reason = describeError(std::current_exception());
        try {
            if (const QString failure = runScriptFile(revertScript(threads, provider));
                !failure.isEmpty())
                reason += QStringLiteral(". ") +
                          ChatSyncError::undoFailed(failure).localizedDescription();
        } catch (...) {
            reason += QStringLiteral(". ") +
                      ChatSyncError::undoFailed(describeError(std::current_exception()))
                          .localizedDescription();
        }
        throw ChatSyncError::fileFailed(reason);
    }
    if (journalWritten)
        journalWritten(result.journalURL);

    for (const PlannedFile& file : planned) {
        try {
            if (moveSessionFile(file, provider))
                result.changedRows += file.threads;
        } catch (...) {
            // Never leave the chats half moved.
            QString reason = describeError(std::current_exception());
            try {
                undo(result.journalURL);
            } catch (...) {
                reason += QStringLiteral(". ") + describeError(std::current_exception()) +
                          QStringLiteral(" (journal: ") + result.journalURL + QLatin1Char(')');
            }
            throw ChatSyncError::fileFailed(reason);
        }
    }
    result.skippedFiles = threads.size() - result.changedRows;
    if (result.skippedFiles > 0)
        qCDebug(lcCodex) << result.skippedFiles << "moved chats have no session file to change";
    return result;
}

void ChatSyncService::undo(const QString& journalURL) {
    // The whole journal is read once before anything changes.
    QList<MovedThread> threads;
    QString provider;
    try {
        provider = readJournal(journalURL, [&](const QJsonObject& thread) {
            threads.append({thread.value(QLatin1String("id")).toString(),
                            thread.value(QLatin1String("old_provider")).toString(), QString()});
        });
    } catch (...) {
        throw ChatSyncError::undoFailed(describeError(std::current_exception()));
    }
    QStringList problems;
    QStringList leftAlone;
    const auto restore = [&](const QJsonObject& thread) {
        const QString file = thread.value(QLatin1String("session_file")).toString();
        if (file.isEmpty())
            return;
        const QString path = sessionFilePath(file);
        try {
            if (path.isEmpty() ||
                restoreFirstLine(path,
                                 thread.value(QLatin1String("first_line")).toString().toUtf8(),
                                 thread.value(QLatin1String("old_provider")).toString(),
                                 provider) == Restore::changedSince)
                leftAlone << file;
        } catch (...) {
            problems << describeError(std::current_exception());
        }
    };
    try {
        readJournal(journalURL, restore);
    } catch (...) {
        problems << describeError(std::current_exception());
    }
    if (!leftAlone.isEmpty())
        problems.prepend(QStringLiteral("session files changed since the move were left alone: ") +
                         leftAlone.join(QStringLiteral(", ")));
    try {
        if (const QString failure = runScriptFile(revertScript(threads, provider));
            !failure.isEmpty())
            problems << failure;
    } catch (...) {
        problems << describeError(std::current_exception());
    }
    if (!problems.isEmpty())
        throw ChatSyncError::undoFailed(problems.join(QStringLiteral("; ")));
}

QString ChatSyncService::runScriptFile(const QByteArray& sql) {
    const QString database = AppPaths::stateDatabaseURL();
    if (!FileUtil::exists(database))
        throw ChatSyncError::databaseNotFound();
    const QString sqlite = sqliteProgram();
    QTemporaryFile script(
        QDir(QDir::tempPath()).filePath(QStringLiteral("tavrin-chats-XXXXXX.sql")));
    if (!script.open() || script.write(sql) != sql.size() || !script.flush())
        throw FileError(
            QStringLiteral("Could not write %1: %2").arg(script.fileName(), script.errorString()));
    const ShellResult run = m_shell->runProgram(
        sqlite, sqliteOptions() << database
                                << QStringLiteral(".read ") + dotCommandQuoted(script.fileName()));
    if (run.terminationStatus == 0)
        return {};
    const QString reason = plainReason(run.standardError);
    return reason.isEmpty() ? QStringLiteral("sqlite3 failed") : reason;
}

QString ChatSyncService::unusedStamp() {
    // Two moves in one second each keep their own backups and journal.
    const QDir directory(AppPaths::backupsDirectory());
    const QString base = FileUtil::timestamp();
    QString stamp = base;
    const auto taken = [&directory](const QString& candidate) {
        for (const QString& name :
             {QStringLiteral("state_5-%1.sqlite"), QStringLiteral("state_5-%1-wal.sqlite"),
              QStringLiteral("state_5-%1-shm.sqlite"), QStringLiteral("chats-%1.json")}) {
            const QFileInfo info(directory.filePath(name.arg(candidate)));
            if (info.exists() || info.isSymLink())
                return true;
        }
        return false;
    };
    for (int n = 2; taken(stamp); ++n)
        stamp = base + QLatin1Char('-') + QString::number(n);
    return stamp;
}

QStringList ChatSyncService::backupStateDatabaseFiles(const QString& stamp) {
    const QString directory = AppPaths::backupsDirectory();
    FileUtil::makePath(directory);
    const QString database = AppPaths::stateDatabaseURL();
    QStringList backups;
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        const QString source = database + suffix;
        if (!FileUtil::exists(source))
            continue;
        const QString destination = QDir(directory).filePath(QStringLiteral("state_5-") + stamp +
                                                             suffix + QStringLiteral(".sqlite"));
        FileUtil::copy(source, destination);
        backups << destination;
    }
    return backups;
}
