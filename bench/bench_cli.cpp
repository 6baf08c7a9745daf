// Whole-process time and peak memory of tavrin-cli, against a minimal Qt Core application
// that exits at once, measured in the same run.
//
//   bench_cli [runs]     each command `runs` times (default 20); prints median and p90
//                        wall time and the largest peak RSS
//
// Commands: `tavrin-cli switch claude velqor-1 --no-restart` (a real switch of Claude
// Code's settings.json, with the lock, the journal and the backups) and `tavrin-cli list`,
// over a fresh temporary home holding the four built-in profiles and one key.

#include "support/PeakMemory.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

struct Sample {
    double milliseconds = 0;
    long peakMaxRss = 0; // as getrusage gives it
};

double now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// Runs the program with its output discarded; exits the benchmark when it fails.
Sample runOnce(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const std::string& word : command)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const double started = now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        std::exit(1);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double elapsed = now() - started;
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", argv[0]);
        std::exit(1);
    }
    return {elapsed, usage.ru_maxrss};
}

struct Figures {
    double median = 0;
    double p90 = 0;
    long peakMaxRss = 0; // as getrusage gives it
};

Figures measure(const std::vector<std::string>& command, int runs) {
    runOnce(command); // warm the page cache
    std::vector<double> times;
    long peak = 0;
    for (int i = 0; i < runs; ++i) {
        const Sample sample = runOnce(command);
        times.push_back(sample.milliseconds);
        peak = std::max(peak, sample.peakMaxRss);
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times[(times.size() * 9) / 10 - (runs >= 10 ? 1 : 0)], peak};
}

void print(const char* name, const Figures& figures, const Figures& floor) {
    std::printf("%-44s median %6.1f ms  p90 %6.1f ms  peak %6.1f MB  (%.2fx the floor)\n", name,
                figures.median, figures.p90, Bench::megabytes(figures.peakMaxRss),
                figures.median / floor.median);
}

} // namespace

int main(int argc, char* argv[]) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    char home[] = "/tmp/tavrin-bench-cli-XXXXXX";
    if (!mkdtemp(home)) {
        std::perror("mkdtemp");
        return 1;
    }
    setenv("HOME", home, 1);
    setenv("XDG_CONFIG_HOME", (std::string(home) + "/.config").c_str(), 1);
    const std::string cli = TAVRIN_CLI_PATH;
    const std::string floor = MINIMAL_APP_PATH;
    // A key for the profile switched to; tavrin-cli reads it from standard input.
    const std::string setKey = "echo bench-key | '" + cli + "' key set velqor-1 >/dev/null";
    if (std::system(setKey.c_str()) != 0)
        return 1;

    std::printf("tavrin-cli, %d runs each, home %s (4 profiles, 1 key)\n", runs, home);
    const Figures minimal = measure({floor}, runs);
    print("minimal QCoreApplication (floor)", minimal, minimal);
    print("tavrin-cli switch claude velqor-1 --no-restart",
          measure({cli, "switch", "claude", "velqor-1", "--no-restart"}, runs), minimal);
    print("tavrin-cli list", measure({cli, "list"}, runs), minimal);
    std::printf("targets: within 2x the floor, under 30 ms, under 25 MB peak\n");
    const std::string cleanup = std::string("rm -rf '") + home + "'";
    return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
