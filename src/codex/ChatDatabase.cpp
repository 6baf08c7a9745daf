#include "codex/ChatDatabase.h"

#include "codex/ChatSyncService.h"
#include "profiles/AppPaths.h"
#include "profiles/FileUtil.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

#include <cerrno>
#include <unistd.h>

namespace {

// How many ids one statement names when rows are put back by their ids.
constexpr qsizetype batchSize = 500;

// Options that make the tool's output independent of the user's ~/.sqliterc, stop the
// script at the first failing statement (an open transaction is then rolled back) and
// wait up to 5 s for a lock another program holds.
QStringList options() {
    return {QStringLiteral("-batch"),       QStringLiteral("-init"), QStringLiteral("/dev/null"),
            QStringLiteral("-bail"),        QStringLiteral("-list"), QStringLiteral("-noheader"),
            QStringLiteral("-separator"),   QStringLiteral("|"),     QStringLiteral("-cmd"),
            QStringLiteral(".timeout 5000")};
}

QByteArray literal(QString text) {
    text.replace(QLatin1Char('\''), QStringLiteral("''"));
    return '\'' + text.toUtf8() + '\'';
}

// Whether a rollout path lies in one of the folders (GLOB matches case and characters
// exactly once its own special characters are bracketed).
QByteArray inFolders(const QStringList& roots) {
    QByteArrayList tests;
    for (QString root : roots) {
        root.replace(QLatin1Char('['), QStringLiteral("[[]"))
            .replace(QLatin1Char('*'), QStringLiteral("[*]"))
            .replace(QLatin1Char('?'), QStringLiteral("[?]"));
        tests << "rollout_path GLOB " + literal(root + QStringLiteral("/*"));
    }
    return '(' + tests.join(" OR ") + ')';
}

// The threads a move to `provider` takes.
QByteArray moving(const QString& provider) {
    return "model_provider IN ('openai', 'velqor') AND model_provider <> " + literal(provider) +
           " AND id IS NOT NULL";
}

// The number of rows a move takes (or with `onlyWhetherAny` 1 when there is any), then
// the rollout paths in the session folders.
QByteArray selectRows(const QString& provider, const QStringList& roots, bool onlyWhetherAny) {
    QByteArray sql = "SELECT 'rows', ";
    if (onlyWhetherAny)
        sql += "EXISTS (SELECT 1 FROM threads WHERE " + moving(provider) + ");\n";
    else
        sql += "count(*) FROM threads WHERE " + moving(provider) + ";\n";
    if (!roots.isEmpty())
        sql += "SELECT 'row', model_provider, hex(rollout_path) FROM threads WHERE (" +
               moving(provider) + " OR model_provider = " + literal(provider) + ") AND " +
               inFolders(roots) + ";\n";
    return sql + "SELECT 'end';\n";
}

// A dot-command argument of the sqlite3 tool: double quotes, backslash escapes.
QString dotCommandQuoted(const QString& text) {
    QString quoted = text;
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    quoted.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// The session has ended before its work: the tool's reason.
[[noreturn]] void failed(ProgramSession& session) {
    const ShellResult end = session.finish();
    throw ChatSyncError::sqliteFailed(ChatDatabase::plainReason(end.standardError));
}

// The number after "<label>|" in a line; nothing for other lines.
std::optional<qint64> labelled(const QByteArray& line, QByteArrayView label) {
    if (line.size() <= label.size() || !line.startsWith(label) || line[label.size()] != '|')
        return std::nullopt;
    return line.mid(label.size() + 1).toLongLong();
}

// Reads the rest of the output up to the tool's exit; the sum of the numbers after `label`.
qint64 sumAtEnd(ProgramSession& session, QByteArrayView label) {
    session.endInput();
    qint64 sum = 0;
    bool seen = false;
    while (const std::optional<QByteArray> line = session.readLine()) {
        if (const std::optional<qint64> number = labelled(*line, label)) {
            sum += *number;
            seen = true;
        }
    }
    const ShellResult end = session.finish();
    if (end.terminationStatus != 0 || !seen)
        throw ChatSyncError::sqliteFailed(ChatDatabase::plainReason(end.standardError));
    return sum;
}

// The snapshot, attached read-only: nothing is ever written beside it.
QByteArray attached(const QString& snapshot) {
    return "ATTACH " +
           literal(QStringLiteral("file:") +
                   QString::fromLatin1(QUrl::toPercentEncoding(snapshot, "/")) +
                   QStringLiteral("?immutable=1")) +
           " AS snapshot;\n";
}

} // namespace

ChatDatabase::ChatDatabase(std::shared_ptr<ShellService> shell, QString program)
    : m_shell(std::move(shell)), m_program(std::move(program)) {}

bool ChatDatabase::exists() {
    return FileUtil::exists(AppPaths::stateDatabaseURL());
}

QString ChatDatabase::program() const {
    const QFileInfo preferred(m_program);
    if (preferred.isFile() && preferred.isExecutable())
        return preferred.absoluteFilePath();
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (onPath.isEmpty())
        throw ChatSyncError::sqliteMissing();
    return onPath;
}

std::unique_ptr<ProgramSession> ChatDatabase::open(const QByteArray& script) {
    if (!exists())
        throw ChatSyncError::databaseNotFound();
    std::unique_ptr<ProgramSession> session =
        m_shell->startSession(program(), options() << AppPaths::stateDatabaseURL());
    session->write(script);
    return session;
}

qint64 ChatDatabase::total(const QByteArray& script, QByteArrayView label) {
    const std::unique_ptr<ProgramSession> session = open(script);
    return sumAtEnd(*session, label);
}

std::unique_ptr<ChatDatabase::Move> ChatDatabase::startMove(const QString& provider,
                                                            const QStringList& sessionRoots) {
    std::unique_ptr<Move> move(
        new Move(open("BEGIN IMMEDIATE;\n" + selectRows(provider, sessionRoots, true)), provider));
    move->readCount();
    return move;
}

std::unique_ptr<ChatDatabase::Move> ChatDatabase::look(const QString& provider,
                                                       const QStringList& sessionRoots) {
    std::unique_ptr<Move> move(new Move(open(selectRows(provider, sessionRoots, false)), provider));
    move->m_looking = true;
    move->readCount();
    return move;
}

ChatDatabase::Move::Move(std::unique_ptr<ProgramSession> session, QString provider)
    : m_session(std::move(session)), m_provider(std::move(provider)) {}

void ChatDatabase::Move::readCount() {
    for (std::optional<qint64> count; !count;) {
        const std::optional<QByteArray> line = m_session->readLine();
        if (!line)
            failed(*m_session);
        count = labelled(*line, "rows");
        m_rows = count.value_or(0);
    }
}

ChatDatabase::Move::~Move() {
    if (!m_session)
        return;
    // Nothing was committed: the transaction ends without a change.
    try {
        if (!m_looking)
            m_session->write("ROLLBACK;\n");
        m_session->finish();
    } catch (const TavrinError&) {
        // The session kills the tool, which changes nothing either.
    }
}

std::optional<ChatDatabase::Row> ChatDatabase::Move::next() {
    while (!m_rowsDone) {
        const std::optional<QByteArray> line = m_session->readLine();
        if (!line)
            failed(*m_session);
        if (*line == "end") {
            m_rowsDone = true;
            break;
        }
        const QList<QByteArray> fields = line->split('|');
        if (fields.size() == 3 && fields[0] == "row")
            return Row{fields[1], QByteArray::fromHex(fields[2])};
    }
    return std::nullopt;
}

qint64 ChatDatabase::Move::commit() {
    while (next()) {
    }
    m_session->write("UPDATE threads SET model_provider = " + literal(m_provider) + " WHERE " +
                     moving(m_provider) +
                     ";\nSELECT 'moved', changes();\nCOMMIT;\nPRAGMA wal_checkpoint(TRUNCATE);\n");
    const std::unique_ptr<ProgramSession> session = std::move(m_session);
    return sumAtEnd(*session, "moved");
}

void ChatDatabase::snapshot(const QString& destination) {
    if (!exists())
        throw ChatSyncError::databaseNotFound();
    if (destination.contains(QLatin1Char('\n')) || destination.contains(QLatin1Char('\r')))
        throw ChatSyncError::sqliteFailed(
            QCoreApplication::translate("ChatDatabase", "the backup path %1 holds a line break")
                .arg(destination));
    // Written without a journal of its own (a copy cut short is never used: no journal of
    // a move names it yet), then flushed to disk once, whole.
    const ShellResult run = m_shell->runProgram(
        program(), options() << QStringLiteral("-cmd")
                             << QStringLiteral("PRAGMA mmap_size = 268435456")
                             << AppPaths::stateDatabaseURL()
                             << QStringLiteral(".backup --async ") + dotCommandQuoted(destination));
    if (run.terminationStatus != 0)
        throw ChatSyncError::sqliteFailed(plainReason(run.standardError));
    QFile copy(destination);
    if (!copy.open(QIODevice::ReadOnly) || ::fsync(copy.handle()) != 0)
        throw FileError(QCoreApplication::translate("ChatDatabase", "Could not write %1: %2")
                            .arg(destination, copy.errorString()));
}

qint64 ChatDatabase::taken(const QString& provider, const QString& snapshot) {
    return total(attached(snapshot) + "SELECT 'rows', count(*) FROM snapshot.threads WHERE " +
                     moving(provider) + ";\n",
                 "rows");
}

qint64 ChatDatabase::putBack(const QString& provider, const QString& snapshot, bool countOnly) {
    const QByteArray moved = "model_provider = " + literal(provider) +
                             " AND id IN (SELECT id FROM snapshot.threads WHERE " +
                             moving(provider) + ")";
    if (countOnly)
        return total(attached(snapshot) + "SELECT 'on', count(*) FROM main.threads WHERE " + moved +
                         ";\n",
                     "on");
    return total(attached(snapshot) +
                     "BEGIN IMMEDIATE;\nUPDATE main.threads SET model_provider = (SELECT "
                     "s.model_provider FROM snapshot.threads s WHERE s.id = threads.id) WHERE " +
                     moved +
                     ";\nSELECT 'back', changes();\nCOMMIT;\n"
                     "PRAGMA main.wal_checkpoint(TRUNCATE);\n",
                 "back");
}

qint64 ChatDatabase::putBack(const QString& provider, const QList<QPair<QString, QString>>& ids,
                             bool countOnly) {
    QHash<QString, QByteArrayList> byProvider;
    for (const auto& [oldProvider, id] : ids)
        byProvider[oldProvider] << literal(id);
    QByteArray sql = countOnly ? "SELECT 'on', 0;\n" : "BEGIN IMMEDIATE;\n";
    for (auto group = byProvider.cbegin(); group != byProvider.cend(); ++group) {
        for (qsizetype start = 0; start < group->size(); start += batchSize) {
            const QByteArray where = " WHERE model_provider = " + literal(provider) +
                                     " AND id IN (" + group->mid(start, batchSize).join(',') +
                                     ");\n";
            if (countOnly)
                sql += "SELECT 'on', count(*) FROM threads" + where;
            else
                sql += "UPDATE threads SET model_provider = " + literal(group.key()) + where;
        }
    }
    if (countOnly)
        return total(sql, "on");
    return total(sql +
                     "SELECT 'back', total_changes();\nCOMMIT;\nPRAGMA wal_checkpoint(TRUNCATE);\n",
                 "back");
}

QString ChatDatabase::plainReason(const QString& toolError) {
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
