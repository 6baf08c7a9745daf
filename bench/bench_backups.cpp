// Times listing and pruning 10,000 backups against the work neither can do without, done
// by hand in the same run: a plain listing of the backup folders with an lstat() of every
// entry, and for pruning the same listing plus unlink() of as many files as pruning
// removes. What the catalogue adds is reading the names (every version's), grouping a
// database's files, sorting and the index; pruning adds the switch lock and its plan.
#include "app/BackupManager.h"
#include "backups/BackupCatalogue.h"
#include "profiles/AppPaths.h"
#include "profiles/ProfilesStore.h"
#include "support/PeakMemory.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int copies = 10000;

void write(const QString& path) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write("model = \"gpt-5.5\"\n");
}

// A quarter each: config, auth and settings copies, and chat databases (half of them with
// their log, as earlier versions copied it) or chat move records.
void createBackups() {
    const QString codex = AppPaths::backupsDirectory();
    const QString claude = AppPaths::claudeBackupsDirectory();
    QDir().mkpath(codex);
    QDir().mkpath(claude);
    const QDateTime start(QDate(2025, 1, 1), QTime(0, 0));
    for (int i = 0; i < copies / 4; ++i) {
        const QString stamp =
            QLocale::c().toString(start.addSecs(i * 37), QStringLiteral("yyyy-MM-dd-HH-mm-ss"));
        write(codex + QStringLiteral("/config-%1.toml").arg(stamp));
        write(codex + QStringLiteral("/auth-%1.json").arg(stamp));
        write(claude + QStringLiteral("/settings-%1.json").arg(stamp));
        if (i % 2) {
            write(codex + QStringLiteral("/state_5-%1.sqlite").arg(stamp));
            write(codex + QStringLiteral("/state_5-%1-wal.sqlite").arg(stamp));
        } else {
            write(codex + QStringLiteral("/chats-%1.json").arg(stamp));
        }
    }
}

// The listing every way of finding the copies needs; calls `each` with every entry.
template <class Each> qint64 listByHand(Each each) {
    qint64 found = 0;
    for (const QString& folder : BackupCatalogue::folders()) {
        const QByteArray path = QFile::encodeName(folder);
        DIR* dir = ::opendir(path.constData());
        if (!dir)
            continue;
        while (const dirent* item = ::readdir(dir)) {
            struct stat info {};
            if (::fstatat(::dirfd(dir), item->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISREG(info.st_mode)) {
                ++found;
                each(::dirfd(dir), item->d_name);
            }
        }
        ::closedir(dir);
    }
    return found;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double msSince(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    AppPaths::setHomeDirectoryOverride(home.path());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/.config")));
    ProfilesStore store;
    store.load();
    BackupManager manager(store);
    createBackups();

    constexpr int rounds = 7;
    std::vector<double> tavrin, anchor;
    qsizetype listed = 0;
    qint64 files = 0;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        listed = manager.list().size();
        tavrin.push_back(msSince(timer));
        timer.restart();
        files = listByHand([](int, const char*) {});
        anchor.push_back(msSince(timer));
    }
    std::printf("%-6s %8s %8s %12s %12s %8s\n", "task", "files", "copies", "Tavrin ms",
                "by hand ms", "ratio");
    std::printf("%-6s %8lld %8lld %12.2f %12.2f %7.2fx\n", "list", static_cast<long long>(files),
                static_cast<long long>(listed), median(tavrin), median(anchor),
                median(tavrin) / median(anchor));

    // Pruning to the newest 10 of each file removes nearly all; the anchor lists and
    // unlinks as many files.
    tavrin.clear();
    anchor.clear();
    qint64 removed = 0;
    for (int round = 0; round < 3; ++round) {
        QDir(AppPaths::backupsDirectory()).removeRecursively();
        QDir(AppPaths::claudeBackupsDirectory()).removeRecursively();
        createBackups();
        const qint64 before = listByHand([](int, const char*) {});
        QElapsedTimer timer;
        timer.start();
        manager.prune(RetentionPolicy{10, 0});
        tavrin.push_back(msSince(timer));
        removed = before - listByHand([](int, const char*) {});

        QDir(AppPaths::backupsDirectory()).removeRecursively();
        QDir(AppPaths::claudeBackupsDirectory()).removeRecursively();
        createBackups();
        qint64 unlinked = 0;
        timer.restart();
        listByHand([&unlinked, removed](int dir, const char* name) {
            if (unlinked < removed && ::unlinkat(dir, name, 0) == 0)
                ++unlinked;
        });
        anchor.push_back(msSince(timer));
    }
    std::printf("%-6s %8lld %8s %12.2f %12.2f %7.2fx   (removed %lld files; peak %.0f MB)\n",
                "prune", static_cast<long long>(files), "", median(tavrin), median(anchor),
                median(tavrin) / median(anchor), static_cast<long long>(removed),
                Bench::peakMegabytes());
    return 0;
}
