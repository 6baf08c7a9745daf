// Times ChatSyncService::syncChats against the work no move can do without, done by hand:
// copying the database files and running one UPDATE of the rows with /usr/bin/sqlite3.
// The threads' session files do not exist here (bench_chat_sessions times those), so the
// service's extra work is reading the moved rows, writing the journal and taking the
// snapshot through sqlite3 instead of a byte copy.
#include "codex/ChatSyncService.h"
#include "profiles/AppPaths.h"
#include "support/PeakMemory.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

bool runSqlite(const QString& database, const QString& script, QByteArray* output = nullptr) {
    QProcess process;
    process.start(QStringLiteral("/usr/bin/sqlite3"),
                  {QStringLiteral("-batch"), QStringLiteral("-init"), QStringLiteral("/dev/null"),
                   database, script});
    if (!process.waitForStarted(-1) || !process.waitForFinished(-1))
        return false;
    if (output)
        *output = process.readAllStandardOutput();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "sqlite3 failed: %s\n", process.readAllStandardError().constData());
        return false;
    }
    return true;
}

// About half the threads belong to openai or velqor, the rest to other providers.
bool createDatabase(const QString& database, qint64 threads) {
    QDir().mkpath(QFileInfo(database).absolutePath());
    const QString script =
        QStringLiteral(
            "PRAGMA journal_mode=WAL;\n"
            "CREATE TABLE threads(id TEXT PRIMARY KEY, rollout_path TEXT, title TEXT,\n"
            "  model_provider TEXT, created_at INTEGER);\n"
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1)\n"
            "INSERT INTO threads SELECT printf('0196%08x-7c1e-7d52-9a3b-5f0e2c4d6a18', i),\n"
            "  printf('CODEX/sessions/2025/05/%02d/rollout-2025-05-01T10-00-00-%08d.jsonl',\n"
            "    1 + i % 28, i),\n"
            "  'Chat number ' || i,\n"
            "  CASE i % 4 WHEN 0 THEN 'openai' WHEN 1 THEN 'velqor' WHEN 2 THEN 'other'\n"
            "  ELSE 'anthropic' END, 1700000000 + i FROM n;")
            .arg(threads)
            .replace(QStringLiteral("CODEX"), AppPaths::codexDirectory());
    return runSqlite(database, script);
}

void removeBackups() {
    QDir(AppPaths::backupsDirectory()).removeRecursively();
}

qint64 timedSync(ChatSyncService& service, const Profile& profile, qint64* changed) {
    removeBackups();
    QElapsedTimer timer;
    timer.start();
    const ChatSyncResult result = service.syncChats(profile);
    const qint64 elapsed = timer.nsecsElapsed();
    *changed = result.changedRows + result.skippedFiles;
    return elapsed;
}

// The same steps without the service: copy the files, run the script, read the count.
qint64 timedByHand(const QString& provider, qint64* changed) {
    removeBackups();
    QElapsedTimer timer;
    timer.start();
    const QString database = AppPaths::stateDatabaseURL();
    const QString backups = AppPaths::backupsDirectory();
    QDir().mkpath(backups);
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        if (QFileInfo::exists(database + suffix))
            QFile::copy(database + suffix,
                        backups + QStringLiteral("/by-hand") + suffix + QStringLiteral(".sqlite"));
    QByteArray output;
    runSqlite(database,
              QStringLiteral("PRAGMA busy_timeout = 5000;\n"
                             "UPDATE threads SET model_provider = '%1' WHERE model_provider IN "
                             "('openai', 'velqor') AND model_provider <> '%1';\n"
                             "SELECT changes();\nPRAGMA wal_checkpoint(TRUNCATE);")
                  .arg(provider),
              &output);
    const qint64 elapsed = timer.nsecsElapsed();
    *changed = output.split('\n').value(1).toLongLong();
    return elapsed;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    AppPaths::setHomeDirectoryOverride(home.path());

    ChatSyncService service;
    const QString providers[] = {QStringLiteral("velqor"), QStringLiteral("openai")};
    std::printf("%-10s %14s %14s %8s %9s\n", "threads", "syncChats ms", "by hand ms", "ratio",
                "peak MB");
    std::fflush(stdout);
    for (const qint64 threads : {qint64(100000), qint64(1000000)}) {
        QFile::remove(AppPaths::stateDatabaseURL());
        if (!createDatabase(AppPaths::stateDatabaseURL(), threads))
            return 1;
        const int rounds = threads >= 1000000 ? 5 : 7;
        std::vector<qint64> serviceTimes;
        std::vector<qint64> handTimes;
        qint64 changedByService = 0;
        qint64 changedByHand = 0;
        // Every call moves the threads of both providers to the other one, so every call
        // after the first (not timed) moves the same rows; alternating the order keeps the
        // page cache fair to both.
        int call = 0;
        const auto next = [&] { return providers[call++ % 2]; };
        timedByHand(next(), &changedByHand);
        for (int round = 0; round < rounds; ++round) {
            Profile profile = Profile::chatGPTAccount();
            if (round % 2 == 0) {
                profile.modelProvider = next();
                serviceTimes.push_back(timedSync(service, profile, &changedByService));
                handTimes.push_back(timedByHand(next(), &changedByHand));
            } else {
                handTimes.push_back(timedByHand(next(), &changedByHand));
                profile.modelProvider = next();
                serviceTimes.push_back(timedSync(service, profile, &changedByService));
            }
        }
        std::sort(serviceTimes.begin(), serviceTimes.end());
        std::sort(handTimes.begin(), handTimes.end());
        const double serviceMs = double(serviceTimes[serviceTimes.size() / 2]) / 1e6;
        const double handMs = double(handTimes[handTimes.size() / 2]) / 1e6;
        std::printf(
            "%-10lld %14.1f %14.1f %7.2fx %9.0f   (median of %d; rows changed %lld / %lld)\n",
            static_cast<long long>(threads), serviceMs, handMs, serviceMs / handMs,
            Bench::peakMegabytes(), rounds, static_cast<long long>(changedByService),
            static_cast<long long>(changedByHand));
        std::fflush(stdout);
    }
    removeBackups();
    AppPaths::setHomeDirectoryOverride(QString());
    return 0;
}
