#include "codex/ChatDatabase.h"

#include "codex/ChatMoveJournal.h"
#include "codex/ChatSyncService.h"
#include "profiles/AppPaths.h"
#include "profiles/FileUtil.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

// How many ids one statement names when rows are put back.
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

// The threads a move takes: those of the two switched providers not on `provider` yet
// (rows without an id could not be named when they are put back, so they stay).
QByteArray moving(const QString& provider) {
    return "model_provider IN ('openai', 'velqor') AND model_provider <> " + literal(provider) +
           " AND id IS NOT NULL";
}

QByteArray selectRows(const QString& provider, const QStringList& roots) {
    QByteArray sql = "SELECT 'row', model_provider, CASE typeof(id) WHEN 'integer' THEN 'i' || id "
                     "WHEN 'text' THEN 't' || hex(id) WHEN 'blob' THEN 'b' || hex(id) "
                     "ELSE 'f' || quote(id) END, ";
    if (roots.isEmpty())
        return sql + "'' FROM threads WHERE " + moving(provider) + ";\nSELECT 'end';\n";
    const QByteArray folders = inFolders(roots);
    return sql + "CASE WHEN " + folders + " THEN hex(rollout_path) ELSE '' END FROM threads " +
           "WHERE (" + moving(provider) + ") OR (model_provider = " + literal(provider) + " AND " +
           folders + ");\nSELECT 'end';\n";
}

std::optional<ChatDatabase::Row> parseRow(const QByteArray& line) {
    const QList<QByteArray> fields = line.split('|');
    if (fields.size() != 4 || fields[0] != "row")
        return std::nullopt;
    return ChatDatabase::Row{fields[1], fields[2], QByteArray::fromHex(fields[3])};
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

// Reads the rest of the output up to the tool's exit; the number after `label`.
qint64 total(ProgramSession& session, QByteArrayView label) {
    session.endInput();
    qint64 sum = 0;
    bool seen = false;
    while (const std::optional<QByteArray> line = session.readLine()) {
        if (line->startsWith(label) && line->size() > label.size() &&
            line->at(label.size()) == '|') {
            sum += line->mid(label.size() + 1).toLongLong();
            seen = true;
        }
    }
    const ShellResult end = session.finish();
    if (end.terminationStatus != 0 || !seen)
        throw ChatSyncError::sqliteFailed(ChatDatabase::plainReason(end.standardError));
    return sum;
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

std::unique_ptr<ChatDatabase::Move> ChatDatabase::startMove(const QString& provider,
                                                            const QStringList& sessionRoots) {
    return std::unique_ptr<Move>(
        new Move(open("BEGIN IMMEDIATE;\n" + selectRows(provider, sessionRoots)), provider));
}

void ChatDatabase::forEachRow(const QString& provider, const QStringList& sessionRoots,
                              const std::function<void(const Row&)>& visit) {
    Move rows(open(selectRows(provider, sessionRoots)), provider);
    while (const std::optional<Row> row = rows.next())
        visit(*row);
    // Only read: the tool ends without a transaction to roll back.
    rows.m_session->finish();
    rows.m_session.reset();
}

ChatDatabase::Move::Move(std::unique_ptr<ProgramSession> session, QString provider)
    : m_session(std::move(session)), m_provider(std::move(provider)) {}

ChatDatabase::Move::~Move() {
    if (!m_session)
        return;
    // Nothing was committed: the transaction ends without a change.
    try {
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
        if (*line == "end")
            m_rowsDone = true;
        else if (std::optional<Row> row = parseRow(*line))
            return row;
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
    return total(*session, "moved");
}

void ChatDatabase::snapshot(const QString& destination) {
    if (!exists())
        throw ChatSyncError::databaseNotFound();
    if (destination.contains(QLatin1Char('\n')) || destination.contains(QLatin1Char('\r')))
        throw ChatSyncError::sqliteFailed(
            QStringLiteral("the backup path %1 holds a line break").arg(destination));
    const ShellResult run = m_shell->runProgram(
        program(), options() << AppPaths::stateDatabaseURL()
                             << QStringLiteral(".backup ") + dotCommandQuoted(destination));
    if (run.terminationStatus != 0)
        throw ChatSyncError::sqliteFailed(plainReason(run.standardError));
}

std::unique_ptr<ChatDatabase::PutBack> ChatDatabase::startPutBack(const QString& provider,
                                                                  bool countOnly) {
    return std::unique_ptr<PutBack>(
        new PutBack(open(countOnly ? "" : "BEGIN IMMEDIATE;\n"), provider, countOnly));
}

ChatDatabase::PutBack::PutBack(std::unique_ptr<ProgramSession> session, QString provider,
                               bool countOnly)
    : m_session(std::move(session)), m_provider(std::move(provider)), m_countOnly(countOnly) {}

void ChatDatabase::PutBack::add(const QString& oldProvider, QByteArrayView id) {
    QByteArrayList& literals = m_pending[oldProvider];
    literals << ChatMoveJournal::sqlLiteral(id);
    if (literals.size() >= batchSize)
        flush(oldProvider, literals);
}

void ChatDatabase::PutBack::flush(const QString& oldProvider, QByteArrayList& literals) {
    if (literals.isEmpty())
        return;
    const QByteArray where = " WHERE model_provider = " + literal(m_provider) + " AND id IN (" +
                             literals.join(',') + ");\n";
    if (m_countOnly)
        m_session->write("SELECT 'on', count(*) FROM threads" + where);
    else
        m_session->write("UPDATE threads SET model_provider = " + literal(oldProvider) + where);
    literals.clear();
}

qint64 ChatDatabase::PutBack::finish() {
    for (auto group = m_pending.begin(); group != m_pending.end(); ++group)
        flush(group.key(), group.value());
    if (m_countOnly) {
        m_session->write("SELECT 'on', 0;\n");
        return total(*m_session, "on");
    }
    m_session->write(
        "SELECT 'back', total_changes();\nCOMMIT;\nPRAGMA wal_checkpoint(TRUNCATE);\n");
    return total(*m_session, "back");
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
