#include "codex/ChatMoveJournal.h"

#include "codex/ChatSyncService.h"
#include "profiles/Errors.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace ChatMoveJournal {

namespace {

constexpr int format = 2;
constexpr qsizetype flushBytes = 256 * 1024;

bool isHex(QByteArrayView text) {
    if (text.size() % 2 != 0)
        return false;
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

// A text as an SQL string literal; a text that is not plain UTF-8 goes as its bytes.
QByteArray textLiteral(QByteArrayView hex) {
    const QByteArray bytes = QByteArray::fromHex(hex.toByteArray());
    const QString text = QString::fromUtf8(bytes);
    if (bytes.contains('\0') || text.toUtf8() != bytes)
        return "CAST(X'" + hex.toByteArray() + "' AS TEXT)";
    QByteArray literal = bytes;
    literal.replace('\'', "''");
    return '\'' + literal + '\'';
}

class Reader {
public:
    Reader(QFile& file, const Visitor* visitor) : m_file(file), m_visitor(visitor) {}

    QString read() {
        const QByteArray header = m_file.readLine().trimmed();
        if (header.startsWith("{\"format\":1,"))
            return readFirstFormat(header);
        const QJsonObject object = QJsonDocument::fromJson(header).object();
        const QString provider = object.value(QLatin1String("provider")).toString();
        if (object.value(QLatin1String("format")).toInt() != format ||
            !ChatSyncService::isSafeProvider(provider))
            fail();
        begin(provider);
        qint64 rows = 0;
        qint64 files = 0;
        for (;;) {
            QByteArray line = m_file.readLine();
            if (!line.endsWith('\n'))
                fail();
            line.chop(1);
            if (line.startsWith("row ")) {
                const QList<QByteArray> fields = line.split(' ');
                if (fields.size() != 3)
                    fail();
                row(QString::fromLatin1(fields[1]), fields[2]);
                ++rows;
            } else if (line.startsWith("file ")) {
                file(QJsonDocument::fromJson(line.mid(5)).array());
                ++files;
            } else if (line ==
                       "end " + QByteArray::number(rows) + ' ' + QByteArray::number(files)) {
                return provider;
            } else {
                fail();
            }
        }
    }

private:
    [[noreturn]] void fail() const {
        throw JsonError(QStringLiteral("%1 is not a chat move journal.").arg(m_file.fileName()));
    }

    void begin(const QString& provider) const {
        if (m_visitor && m_visitor->provider)
            m_visitor->provider(provider);
    }

    void row(const QString& oldProvider, const QByteArray& id) const {
        if (!ChatSyncService::isSafeProvider(oldProvider) || sqlLiteral(id).isEmpty())
            fail();
        if (m_visitor && m_visitor->row)
            m_visitor->row(oldProvider, id);
    }

    void file(const QJsonArray& fields) const {
        SessionFiles::Change change{fields.at(3).toString(), fields.at(0).toString(),
                                    qsizetype(fields.at(1).toDouble(-1)),
                                    fields.at(2).toString().toUtf8()};
        if (fields.size() != 4 || !ChatSyncService::isSafeProvider(change.from) ||
            change.offset < 0 || change.token.size() < 2 || !change.token.startsWith('"') ||
            !QFileInfo(change.path).isAbsolute())
            fail();
        if (m_visitor && m_visitor->file)
            m_visitor->file(change);
    }

    // The first format: one JSON object a thread, a session file's whole first line.
    QString readFirstFormat(const QByteArray& header) {
        const QString provider = QJsonDocument::fromJson(header + "]}")
                                     .object()
                                     .value(QLatin1String("provider"))
                                     .toString();
        if (!ChatSyncService::isSafeProvider(provider))
            fail();
        begin(provider);
        for (;;) {
            QByteArray line = m_file.readLine().trimmed();
            if (line == "]}")
                return provider;
            if (line.isEmpty())
                fail();
            if (line.endsWith(','))
                line.chop(1);
            const QJsonObject thread = QJsonDocument::fromJson(line).object();
            const QString oldProvider = thread.value(QLatin1String("old_provider")).toString();
            if (!thread.value(QLatin1String("id")).isString())
                fail();
            row(oldProvider, 't' + thread.value(QLatin1String("id")).toString().toUtf8().toHex());
            const QByteArray first = thread.value(QLatin1String("first_line")).toString().toUtf8();
            const auto at = SessionFiles::providerIn(first);
            if (at && at->provider == oldProvider)
                file(QJsonArray{oldProvider, double(at->offset), QString::fromUtf8(at->token),
                                thread.value(QLatin1String("session_file"))});
        }
    }

    QFile& m_file;
    const Visitor* m_visitor;
};

} // namespace

Writer::Writer(const QString& path, const QString& provider) : m_file(path) {
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        throw FileError(QStringLiteral("Could not write %1: it already exists.").arg(path));
    if (!m_file.open(QIODevice::WriteOnly) ||
        !m_file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        fail();
    write("{\"format\":" + QByteArray::number(format) + ",\"provider\":\"" + provider.toUtf8() +
          "\"}\n");
}

void Writer::addRow(QByteArrayView oldProvider, QByteArrayView id) {
    write("row " + oldProvider.toByteArray() + ' ' + id.toByteArray() + '\n');
    ++m_rows;
}

void Writer::addFile(const SessionFiles::Change& change) {
    const QJsonArray fields{change.from, double(change.offset), QString::fromUtf8(change.token),
                            change.path};
    write("file " + QJsonDocument(fields).toJson(QJsonDocument::Compact) + '\n');
    ++m_files;
}

void Writer::commit() {
    write("end " + QByteArray::number(m_rows) + ' ' + QByteArray::number(m_files) + '\n');
    if (m_file.write(m_buffer) != m_buffer.size() || !m_file.commit())
        fail();
}

void Writer::write(const QByteArray& data) {
    m_buffer += data;
    if (m_buffer.size() < flushBytes)
        return;
    if (m_file.write(m_buffer) != m_buffer.size())
        fail();
    m_buffer.clear();
}

void Writer::fail() {
    throw FileError(
        QStringLiteral("Could not write %1: %2").arg(m_file.fileName(), m_file.errorString()));
}

QString read(const QString& path, const Visitor& visitor) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Could not read %1: %2").arg(path, file.errorString()));
    // The whole journal is checked before anything is visited.
    Reader(file, nullptr).read();
    if (!file.seek(0))
        throw FileError(QStringLiteral("Could not read %1: %2").arg(path, file.errorString()));
    return Reader(file, &visitor).read();
}

QByteArray sqlLiteral(QByteArrayView id) {
    static const QRegularExpression integer(QStringLiteral("^-?[0-9]{1,19}$"));
    static const QRegularExpression real(
        QStringLiteral("^-?[0-9]+(\\.[0-9]+)?([eE][-+]?[0-9]+)?$"));
    if (id.isEmpty())
        return {};
    const QByteArrayView value = id.sliced(1);
    const QString text = QString::fromLatin1(value);
    switch (id.front()) {
    case 'i':
        return integer.match(text).hasMatch() ? value.toByteArray() : QByteArray();
    case 'f':
        return real.match(text).hasMatch() ? value.toByteArray() : QByteArray();
    case 't':
        return isHex(value) ? textLiteral(value) : QByteArray();
    case 'b':
        return isHex(value) ? "X'" + value.toByteArray() + '\'' : QByteArray();
    default:
        return {};
    }
}

} // namespace ChatMoveJournal
