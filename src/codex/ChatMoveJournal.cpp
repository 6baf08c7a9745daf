#include "codex/ChatMoveJournal.h"

#include "codex/ChatSyncService.h"
#include "profiles/AppPaths.h"
#include "profiles/Errors.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace ChatMoveJournal {

namespace {

constexpr int format = 2;
constexpr qsizetype flushBytes = 256 * 1024;

// A snapshot a move takes: a file (not a link) right inside ~/.codex/backups.
bool isSnapshot(const QString& path) {
    const QFileInfo info(path);
    return info.path() == AppPaths::backupsDirectory() &&
           info.fileName().startsWith(QLatin1String("state_5-")) &&
           info.fileName().endsWith(QLatin1String(".sqlite")) && !info.isSymLink();
}

class Reader {
public:
    Reader(QFile& file, const Visitor* visitor) : m_file(file), m_visitor(visitor) {}

    void read() {
        const QByteArray first = m_file.readLine().trimmed();
        if (first.startsWith("{\"format\":1,"))
            return readFirstFormat(first);
        const QJsonObject object = QJsonDocument::fromJson(first).object();
        const Header header{object.value(QLatin1String("provider")).toString(),
                            object.value(QLatin1String("snapshot")).toString()};
        if (object.value(QLatin1String("format")).toInt() != format ||
            !ChatSyncService::isSafeProvider(header.provider) ||
            (!header.snapshot.isEmpty() && !isSnapshot(header.snapshot)))
            fail();
        begin(header);
        qint64 files = 0;
        for (;;) {
            QByteArray line = m_file.readLine();
            if (!line.endsWith('\n'))
                fail();
            line.chop(1);
            if (line.startsWith("file ")) {
                file(QJsonDocument::fromJson(line.mid(5)).array());
                ++files;
            } else if (line == "end " + QByteArray::number(files)) {
                return;
            } else {
                fail();
            }
        }
    }

private:
    [[noreturn]] void fail() const {
        throw JsonError(
            QCoreApplication::translate("ChatMoveJournal", "%1 is not a chat move journal.")
                .arg(m_file.fileName()));
    }

    void begin(const Header& header) const {
        if (m_visitor && m_visitor->header)
            m_visitor->header(header);
    }

    void file(const QJsonArray& fields) const {
        const SessionFiles::Change change{fields.at(3).toString(), fields.at(0).toString(),
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
    void readFirstFormat(const QByteArray& first) {
        const QString provider = QJsonDocument::fromJson(first + "]}")
                                     .object()
                                     .value(QLatin1String("provider"))
                                     .toString();
        if (!ChatSyncService::isSafeProvider(provider))
            fail();
        begin(Header{provider, QString()});
        for (;;) {
            QByteArray line = m_file.readLine().trimmed();
            if (line == "]}")
                return;
            if (line.isEmpty())
                fail();
            if (line.endsWith(','))
                line.chop(1);
            const QJsonObject thread = QJsonDocument::fromJson(line).object();
            const QString oldProvider = thread.value(QLatin1String("old_provider")).toString();
            if (!thread.value(QLatin1String("id")).isString() ||
                !ChatSyncService::isSafeProvider(oldProvider))
                fail();
            if (m_visitor && m_visitor->row)
                m_visitor->row(oldProvider, thread.value(QLatin1String("id")).toString());
            const QByteArray firstLine =
                thread.value(QLatin1String("first_line")).toString().toUtf8();
            const auto at = SessionFiles::providerIn(firstLine);
            if (at && at->provider == oldProvider)
                file(QJsonArray{oldProvider, double(at->offset), QString::fromUtf8(at->token),
                                thread.value(QLatin1String("session_file"))});
        }
    }

    QFile& m_file;
    const Visitor* m_visitor;
};

} // namespace

Writer::Writer(const QString& path, const Header& header)
    : m_file(path, 0600, AtomicFile::Existing::refuse) {
    const QJsonObject object{{QStringLiteral("format"), format},
                             {QStringLiteral("provider"), header.provider},
                             {QStringLiteral("snapshot"), header.snapshot}};
    write(QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
}

void Writer::addFile(const SessionFiles::Change& change) {
    const QJsonArray fields{change.from, double(change.offset), QString::fromUtf8(change.token),
                            change.path};
    write("file " + QJsonDocument(fields).toJson(QJsonDocument::Compact) + '\n');
    ++m_files;
}

void Writer::commit() {
    m_buffer += "end " + QByteArray::number(m_files) + '\n';
    m_file.write(m_buffer);
    m_file.commit();
}

void Writer::write(const QByteArray& data) {
    m_buffer += data;
    if (m_buffer.size() < flushBytes)
        return;
    m_file.write(m_buffer);
    m_buffer.clear();
}

void read(const QString& path, const Visitor& visitor) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QCoreApplication::translate("ChatMoveJournal", "Could not read %1: %2")
                            .arg(path, file.errorString()));
    // The whole journal is checked before anything is visited.
    Reader(file, nullptr).read();
    if (!file.seek(0))
        throw FileError(QCoreApplication::translate("ChatMoveJournal", "Could not read %1: %2")
                            .arg(path, file.errorString()));
    Reader(file, &visitor).read();
}

} // namespace ChatMoveJournal
