#include "codex/ChatSyncService.h"

#include "profiles/AppPaths.h"
#include "profiles/FileUtil.h"

#include <QDir>

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

ChatSyncService::ChatSyncService(std::shared_ptr<ShellService> shellService)
    : m_shell(shellService ? std::move(shellService) : std::make_shared<ShellService>()) {}

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
    return QStringLiteral("PRAGMA busy_timeout = 5000;\n"
                          "UPDATE threads\n"
                          "SET model_provider = '") +
           provider +
           QStringLiteral("'\n"
                          "WHERE model_provider IN ('openai', 'velqor');\n"
                          "SELECT changes();\n"
                          "PRAGMA wal_checkpoint(TRUNCATE);");
}

QString ChatSyncService::shellSingleQuoted(const QString& word) {
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

namespace {

bool isLineBreak(QChar c) {
    switch (c.unicode()) {
    case u'\n':
    case u'\v':
    case u'\f':
    case u'\r':
    case 0x0085:
    case 0x2028:
    case 0x2029:
        return true;
    default:
        return false;
    }
}

// A whole decimal integer: an optional sign and digits only, within 64 bits.
std::optional<qint64> wholeInteger(const QString& text) {
    qsizetype start = 0;
    if (!text.isEmpty() && (text.front() == QLatin1Char('+') || text.front() == QLatin1Char('-')))
        start = 1;
    if (start == text.size())
        return std::nullopt;
    for (qsizetype i = start; i < text.size(); ++i)
        if (text.at(i) < QLatin1Char('0') || text.at(i) > QLatin1Char('9'))
            return std::nullopt;
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 10);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

} // namespace

qint64 ChatSyncService::changedRowsFromOutput(const QString& output) {
    qint64 count = 0;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i <= output.size(); ++i) {
        if (i < output.size() && !isLineBreak(output.at(i)))
            continue;
        const QString line = output.mid(lineStart, i - lineStart).trimmed();
        lineStart = i + 1;
        if (const auto value = wholeInteger(line))
            count = *value;
    }
    return count;
}

ChatSyncResult ChatSyncService::syncChats(const Profile& profile) {
    const QString provider = threadProvider(profile);
    // Only this check keeps the provider safe to splice into the SQL and the command line.
    if (!isSafeProvider(provider))
        throw ChatSyncError::invalidProvider(provider);

    const QString database = AppPaths::stateDatabaseURL();
    if (!FileUtil::exists(database))
        throw ChatSyncError::databaseNotFound();

    ChatSyncResult result;
    result.backupURLs = backupStateDatabaseFiles();

    const QString command = QStringLiteral("/usr/bin/sqlite3 ") + shellSingleQuoted(database) +
                            QLatin1Char(' ') + shellSingleQuoted(sqlScript(provider));
    const ShellResult shell = m_shell->run(command);
    if (shell.terminationStatus != 0)
        throw ChatSyncError::sqliteFailed(shell.standardError.trimmed());

    result.changedRows = changedRowsFromOutput(shell.standardOutput);
    return result;
}

void ChatSyncService::undo(const QString& journalURL) {
    Q_UNUSED(journalURL);
}

QStringList ChatSyncService::backupStateDatabaseFiles() {
    const QString directory = AppPaths::backupsDirectory();
    FileUtil::makePath(directory);
    const QString stamp = FileUtil::timestamp();
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
