#include "codex/ChatSyncService.h"

#include "codex/ChatDatabase.h"
#include "codex/ChatMoveJournal.h"
#include "codex/SessionFiles.h"
#include "profiles/AppPaths.h"
#include "profiles/AsciiText.h"
#include "profiles/FileUtil.h"
#include "profiles/Logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

ChatSyncError::ChatSyncError(Kind kind, const QString& message)
    : TavrinError(message), m_kind(kind) {}

ChatSyncError ChatSyncError::invalidProvider(const QString& provider) {
    return ChatSyncError(
        Kind::invalidProvider,
        QCoreApplication::translate("ChatSyncService", "Unsafe model provider for chat sync: %1.")
            .arg(provider));
}

ChatSyncError ChatSyncError::sqliteFailed(const QString& message) {
    return ChatSyncError(
        Kind::sqliteFailed,
        prefixedMessage(QCoreApplication::translate("ChatSyncService", "Could not sync chats"),
                        message));
}

ChatSyncError ChatSyncError::databaseNotFound() {
    return ChatSyncError(
        Kind::databaseNotFound,
        QCoreApplication::translate("ChatSyncService", "Could not find Codex chat database."));
}

ChatSyncError ChatSyncError::sqliteMissing() {
    return ChatSyncError(
        Kind::sqliteMissing,
        QCoreApplication::translate("ChatSyncService", "The sqlite3 tool is not installed."));
}

ChatSyncError ChatSyncError::fileFailed(const QString& reason) {
    return ChatSyncError(Kind::fileFailed, reason);
}

ChatSyncError ChatSyncError::undoFailed(const QString& reason) {
    return ChatSyncError(Kind::undoFailed,
                         prefixedMessage(QCoreApplication::translate(
                                             "ChatSyncService", "Could not put the chats back"),
                                         reason));
}

ChatSyncError ChatSyncError::leftMoved(const QString& reason) {
    return ChatSyncError(Kind::leftMoved, reason);
}

namespace {

const QStringList switchedProviders{QStringLiteral("openai"), QStringLiteral("velqor")};

// A session file the move rewrites, and how many of the moved threads it holds.
struct PlannedFile {
    SessionFiles::Change change;
    qint64 threads = 0;
};

// A time stamp no backup or journal in the folder uses yet, so two moves in one second
// each keep their own (the names of earlier versions' backups count too).
QString unusedStamp(const QDir& directory) {
    return FileUtil::unusedStamp(directory.path(), [&directory](const QString& stamp) {
        for (const QString& name :
             {QStringLiteral("state_5-%1.sqlite"), QStringLiteral("state_5-%1-wal.sqlite"),
              QStringLiteral("state_5-%1-shm.sqlite"), QStringLiteral("chats-%1.json")})
            if (FileUtil::entryExists(directory.filePath(name.arg(stamp))))
                return true;
        return false;
    });
}

// Looks at the session file of every thread the move takes (and of those already on the
// provider, whose file may still name the other one) and plans its change, in the journal.
QList<PlannedFile> plan(ChatDatabase::Move& move, const QString& provider,
                        SessionFiles::Locator& files, ChatMoveJournal::Writer* journal) {
    const QByteArray target = provider.toUtf8();
    QStringList others = switchedProviders;
    others.removeAll(provider);
    QList<PlannedFile> planned;
    QHash<QString, qsizetype> seen; // path -> index in `planned`
    while (const std::optional<ChatDatabase::Row> row = move.next()) {
        const bool moves = row->provider != target;
        const QString path = files.path(QFile::decodeName(row->rolloutPath));
        if (path.isEmpty())
            continue;
        const QString from = QString::fromUtf8(row->provider);
        if (const auto earlier = seen.constFind(path); earlier != seen.constEnd()) {
            // A thread sharing a file with an earlier one moves with that file.
            if (moves && planned[*earlier].change.from == from)
                ++planned[*earlier].threads;
            continue;
        }
        std::optional<SessionFiles::Change> change =
            SessionFiles::plan(path, moves ? QStringList{from} : others);
        if (!change)
            continue;
        seen.insert(path, planned.size());
        if (journal)
            journal->addFile(*change);
        planned.append({std::move(*change), moves ? 1 : 0});
    }
    return planned;
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
    return AsciiText::isWord(provider, "_-");
}

ChatSyncResult
ChatSyncService::syncChats(const Profile& profile,
                           const std::function<void(const QString& journalURL)>& journalWritten) {
    const QString provider = threadProvider(profile);
    // Only this check keeps the provider safe to place inside the SQL text.
    if (!isSafeProvider(provider))
        throw ChatSyncError::invalidProvider(provider);
    ChatDatabase database(m_shell, m_sqlitePath);
    SessionFiles::Locator files;
    std::unique_ptr<ChatDatabase::Move> move = database.startMove(provider, files.roots());

    const QDir backups(AppPaths::backupsDirectory());
    FileUtil::makePath(backups.path());
    const QString stamp = unusedStamp(backups);
    ChatSyncResult result;
    ChatMoveJournal::Header header{provider, QString()};
    const bool rowsMove = move->rows() > 0;
    if (rowsMove) {
        // What the rows were, taken while the move holds the lock: the undo reads it.
        header.snapshot = backups.filePath(QStringLiteral("state_5-%1.sqlite").arg(stamp));
        database.snapshot(header.snapshot);
        result.backupURLs << header.snapshot;
    }
    const QString journalPath = backups.filePath(QStringLiteral("chats-%1.json").arg(stamp));
    ChatMoveJournal::Writer journal(journalPath, header);
    const QList<PlannedFile> planned = plan(*move, provider, files, &journal);
    if (!rowsMove && planned.isEmpty())
        return result;
    journal.commit();
    result.journalURL = journalPath;
    if (journalWritten)
        journalWritten(journalPath);

    qint64 moved = 0;
    try {
        moved = rowsMove ? move->commit() : 0;
        move.reset();
        for (const PlannedFile& file : planned)
            if (SessionFiles::apply(file.change, provider))
                result.changedRows += file.threads;
    } catch (const TavrinError& error) {
        // Never leave the chats half moved.
        try {
            undo(journalPath);
        } catch (const TavrinError& undoError) {
            throw ChatSyncError::leftMoved(
                QCoreApplication::translate("ChatSyncService", "%1. %2 (journal: %3)")
                    .arg(error.localizedDescription(), undoError.localizedDescription(),
                         journalPath));
        }
        throw;
    }
    result.skippedFiles = moved - result.changedRows;
    if (result.skippedFiles > 0)
        qCDebug(lcCodex) << result.skippedFiles << "moved chats have no session file to change";
    return result;
}

ChatUndoResult ChatSyncService::undo(const QString& journalURL) {
    ChatUndoResult result;
    QStringList leftAlone;
    QStringList problems;
    SessionFiles::Locator files;
    ChatMoveJournal::Header header;
    QList<QPair<QString, QString>> ids;
    ChatMoveJournal::Visitor visitor;
    visitor.header = [&](const ChatMoveJournal::Header& read) { header = read; };
    visitor.row = [&](const QString& oldProvider, const QString& id) {
        ids.append({oldProvider, id});
    };
    visitor.file = [&](const SessionFiles::Change& change) {
        if (files.path(change.path) != change.path) {
            result.ignored << change.path;
            return;
        }
        try {
            const SessionFiles::Restore restore = SessionFiles::restore(change, header.provider);
            if (restore == SessionFiles::Restore::done)
                ++result.files;
            else if (restore == SessionFiles::Restore::changedSince)
                leftAlone << change.path;
        } catch (const TavrinError& error) {
            problems << error.localizedDescription();
        }
    };
    try {
        ChatMoveJournal::read(journalURL, visitor);
        ChatDatabase database(m_shell, m_sqlitePath);
        if (!header.snapshot.isEmpty())
            result.rows = database.putBack(header.provider, header.snapshot);
        else if (!ids.isEmpty())
            result.rows = database.putBack(header.provider, ids);
    } catch (const TavrinError& error) {
        problems << error.localizedDescription();
    }
    if (!leftAlone.isEmpty())
        problems.prepend(
            QCoreApplication::translate("ChatSyncService",
                                        "session files changed since the move were left alone: %1")
                .arg(leftAlone.join(QStringLiteral(", "))));
    if (!problems.isEmpty())
        throw ChatSyncError::undoFailed(problems.join(QStringLiteral("; ")));
    return result;
}

ChatMoveState ChatSyncService::inspect(const QString& journalURL) {
    ChatMoveState state;
    ChatMoveJournal::Header header;
    QList<QPair<QString, QString>> ids;
    SessionFiles::Locator files;
    ChatMoveJournal::Visitor visitor;
    visitor.header = [&](const ChatMoveJournal::Header& read) { header = read; };
    visitor.row = [&](const QString& oldProvider, const QString& id) {
        ids.append({oldProvider, id});
    };
    visitor.file = [&](const SessionFiles::Change& change) {
        ++state.files;
        if (files.path(change.path) == change.path &&
            SessionFiles::restore(change, header.provider, true) == SessionFiles::Restore::done)
            ++state.filesRewritten;
    };
    ChatMoveJournal::read(journalURL, visitor);
    ChatDatabase database(m_shell, m_sqlitePath);
    state.provider = header.provider;
    if (!header.snapshot.isEmpty()) {
        state.rows = database.taken(header.provider, header.snapshot);
        state.rowsMoved = database.putBack(header.provider, header.snapshot, true);
    } else if (!ids.isEmpty()) {
        state.rows = ids.size();
        state.rowsMoved = database.putBack(header.provider, ids, true);
    }
    return state;
}

QStringList ChatSyncService::differences(const Profile& profile, const QString& remedy) {
    const QString provider = threadProvider(profile);
    if (!isSafeProvider(provider) || !ChatDatabase::exists())
        return {};
    SessionFiles::Locator files;
    const std::unique_ptr<ChatDatabase::Move> rows =
        ChatDatabase(m_shell, m_sqlitePath).look(provider, files.roots());
    qint64 sessionFiles = 0;
    for (const PlannedFile& file : plan(*rows, provider, files, nullptr))
        sessionFiles += file.threads == 0 ? 1 : 0;
    QStringList lines;
    if (rows->rows() > 0)
        lines << QStringLiteral("chats: %1 on another provider, expected %2: %3")
                     .arg(rows->rows())
                     .arg(provider, remedy);
    if (sessionFiles > 0)
        lines << QStringLiteral("session files: %1 name another provider, expected %2: %3")
                     .arg(sessionFiles)
                     .arg(provider, remedy);
    return lines;
}
