// Times the check for running Codex processes that every Codex switch makes on Linux,
// against the least any such check must do, measured in the same run: list /proc and
// learn each process's owner (one stat per process).
//
//   bench_process_check [runs]     default 200; prints the median of each and the ratio

#include "desktop/LinuxDesktop.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Processes of this user, found with readdir and one fstatat each.
int ownProcesses() {
    DIR* proc = opendir("/proc");
    if (!proc)
        return 0;
    const uid_t user = getuid();
    int count = 0;
    while (const dirent* entry = readdir(proc)) {
        if (!std::isdigit(static_cast<unsigned char>(entry->d_name[0])))
            continue;
        struct stat info {};
        if (fstatat(dirfd(proc), entry->d_name, &info, 0) == 0 && info.st_uid == user)
            ++count;
    }
    closedir(proc);
    return count;
}

double medianMicroseconds(const std::function<int()>& work, int runs) {
    work(); // warm up
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        volatile int sink = work();
        (void)sink;
        times.push_back(double(timer.nsecsElapsed()) / 1000.0);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    int processes = 0;
    if (DIR* proc = opendir("/proc")) {
        while (const dirent* entry = readdir(proc))
            processes += std::isdigit(static_cast<unsigned char>(entry->d_name[0])) ? 1 : 0;
        closedir(proc);
    }
    const double tavrin = medianMicroseconds(
        [] { return LinuxDesktop::runningProcesses(QStringLiteral("codex")); }, runs);
    const double anchor = medianMicroseconds(ownProcesses, runs);
    std::printf("running-Codex check over %d processes (%d of this user), median of %d runs\n",
                processes, ownProcesses(), runs);
    std::printf("%-44s %8.1f us\n", "Tavrin: LinuxDesktop::runningProcesses", tavrin);
    std::printf("%-44s %8.1f us\n", "anchor: readdir /proc + stat each", anchor);
    std::printf("ratio %.2fx\n", tavrin / anchor);
    return 0;
}
