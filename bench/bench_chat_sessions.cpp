// Times a chat move whose threads all have session files: ChatSyncService::syncChats
// moving N threads (default 10,000; the first argument sets another count) whose session
// files are 1 MB each (a session_meta first line of a few KB, then ordinary records), and
// the undo of that move. Prints the time of the whole move, per file, and peak memory.
// The fixtures live in a temporary directory and need about N MB of free disk space.

#include "codex/ChatSyncService.h"
#include "profiles/AppPaths.h"
#include "support/PeakMemory.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr qint64 fileBytes = 1024 * 1024;

QString sessionPath(qint64 i) {
    return AppPaths::codexDirectory() +
           QStringLiteral("/sessions/2025/05/%1/rollout-2025-05-01T10-00-00-%2.jsonl")
               .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
               .arg(i, 8, 10, QLatin1Char('0'));
}

// A session_meta line of about 4 KB, as Codex writes it with its base instructions.
QByteArray firstLine(qint64 i) {
    return QByteArrayLiteral(
               "{\"timestamp\":\"2025-05-01T10:00:00.000Z\",\"type\":\"session_meta\","
               "\"payload\":{\"id\":\"thread-") +
           QByteArray::number(i) +
           QByteArrayLiteral("\",\"timestamp\":\"2025-05-01T10:00:00.000Z\",\"cwd\":\"/home/dev/"
                             "project\",\"originator\":\"codex_cli_rs\",\"cli_version\":\"0.1.0\","
                             "\"instructions\":null,\"base_instructions\":{\"text\":\"") +
           QByteArray("You are a coding agent. Follow the repository conventions. ").repeated(64) +
           QByteArrayLiteral("\"},\"model_provider\":\"openai\",\"git\":{\"commit_hash\":"
                             "\"3f1c0a9\",\"branch\":\"main\",\"repository_url\":\"https://"
                             "example.com/dev/project.git\"}}}\n");
}

// The rest of every file: ordinary records up to 1 MB.
QByteArray filler(qint64 firstLineBytes) {
    const QByteArray record = QByteArrayLiteral(
        "{\"timestamp\":\"2025-05-01T10:00:01.000Z\",\"type\":\"response_item\",\"payload\":"
        "{\"type\":\"message\",\"role\":\"assistant\",\"content\":[{\"type\":\"output_text\","
        "\"text\":\"Here is the change you asked for, with its tests. model_provider stays "
        "openai in this text.\"}]}}\n");
    QByteArray rest;
    rest.reserve(fileBytes);
    while (rest.size() + record.size() <= fileBytes - firstLineBytes)
        rest += record;
    rest += QByteArray(fileBytes - firstLineBytes - rest.size() - 1, ' ') + '\n';
    return rest;
}

bool createFixtures(qint64 count) {
    QByteArray rows;
    for (qint64 i = 0; i < count; ++i) {
        const QString path = sessionPath(i);
        QDir().mkpath(path.section(QLatin1Char('/'), 0, -2));
        const QByteArray line = firstLine(i);
        static const QByteArray rest = filler(line.size());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(line) != line.size() ||
            file.write(rest.constData(), fileBytes - line.size()) != fileBytes - line.size()) {
            std::fprintf(stderr, "Could not write %s\n", qPrintable(path));
            return false;
        }
        rows += (i ? ",\n" : "") + QByteArrayLiteral("('thread-") + QByteArray::number(i) + "','" +
                path.toUtf8() + "','openai','Chat')";
    }
    QProcess sqlite;
    sqlite.start(QStringLiteral("/usr/bin/sqlite3"), {AppPaths::stateDatabaseURL()});
    sqlite.write("PRAGMA journal_mode=WAL;\n"
                 "CREATE TABLE threads(id TEXT PRIMARY KEY, rollout_path TEXT,"
                 " model_provider TEXT, title TEXT);\n"
                 "INSERT INTO threads VALUES " +
                 rows + ";\n");
    sqlite.closeWriteChannel();
    return sqlite.waitForFinished(-1) && sqlite.exitCode() == 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const qint64 count = argc > 1 ? QByteArray(argv[1]).toLongLong() : 10000;
    if (count <= 0) {
        std::fprintf(stderr, "usage: %s [number of session files, default 10000]\n", argv[0]);
        return 2;
    }
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    const qint64 needed = count * fileBytes + 256 * 1024 * 1024;
    const qint64 available = QStorageInfo(home.path()).bytesAvailable();
    if (available < needed) {
        std::printf("Not enough free disk space in %s for %lld session files of 1 MB: %lld MB "
                    "needed, %lld MB free. Pass a smaller count.\n",
                    qPrintable(QDir::tempPath()), static_cast<long long>(count),
                    static_cast<long long>(needed >> 20), static_cast<long long>(available >> 20));
        return 1;
    }
    AppPaths::setHomeDirectoryOverride(home.path());
    QDir().mkpath(AppPaths::codexDirectory());

    QElapsedTimer timer;
    timer.start();
    if (!createFixtures(count))
        return 1;
    std::printf("fixtures: %lld session files of 1 MB (first line %lld bytes) in %.1f s\n",
                static_cast<long long>(count), static_cast<long long>(firstLine(0).size()),
                double(timer.elapsed()) / 1e3);
    const double peakBefore = Bench::peakMegabytes();
    std::fflush(stdout);

    ChatSyncService service;
    Profile profile = Profile::chatGPTAccount();
    profile.modelProvider = QStringLiteral("velqor");
    timer.restart();
    const ChatSyncResult result = service.syncChats(profile);
    const double moveMs = double(timer.nsecsElapsed()) / 1e6;
    const double peakMove = Bench::peakMegabytes();
    timer.restart();
    service.undo(result.journalURL);
    const double undoMs = double(timer.nsecsElapsed()) / 1e6;

    std::printf("%-8s %12s %14s %12s %14s %10s\n", "files", "move s", "move ms/file", "undo s",
                "undo ms/file", "journal");
    std::printf("%-8lld %12.2f %14.3f %12.2f %14.3f %7lld KB\n", static_cast<long long>(count),
                moveMs / 1e3, moveMs / double(count), undoMs / 1e3, undoMs / double(count),
                static_cast<long long>(QFile(result.journalURL).size() >> 10));
    std::printf("chats moved %lld, skipped %lld\n", static_cast<long long>(result.changedRows),
                static_cast<long long>(result.skippedFiles));
    std::printf("peak memory of this process: %.0f MB before the move, %.0f MB after it, "
                "%.0f MB after the undo\n",
                peakBefore, peakMove, Bench::peakMegabytes());
    AppPaths::setHomeDirectoryOverride(QString());
    return result.changedRows == count ? 0 : 1;
}
