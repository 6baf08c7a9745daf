// Whole-process time and peak memory of tavrin-cli, against a minimal Qt Core application
// that exits at once, measured in the same run.
//
//   bench_cli [runs]     each command `runs` times (default 20); prints median and p90
//                        wall time and the largest peak RSS
//
// Commands: `tavrin-cli switch claude … --no-restart` and `switch codex … --no-restart`
// (real switches, back and forth between an API-key profile and an account profile, with
// the lock, the journal, the backups and their pruning; Codex's over a small config.toml
// and a chat database of 200 chats) and `tavrin-cli list`, over a fresh temporary home
// holding the four built-in profiles and one key.

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

using Command = std::vector<std::string>;

// The commands are run in turn, `runs` runs in all.
Figures measure(const std::vector<Command>& commands, int runs) {
    for (const Command& command : commands)
        runOnce(command); // warm the page cache
    std::vector<double> times;
    long peak = 0;
    for (int i = 0; i < runs; ++i) {
        const Sample sample = runOnce(commands[size_t(i) % commands.size()]);
        times.push_back(sample.milliseconds);
        peak = std::max(peak, sample.peakMaxRss);
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times[(times.size() * 9) / 10 - (runs >= 10 ? 1 : 0)], peak};
}

void print(const char* name, const Figures& figures, const Figures& floor) {
    std::printf("%-48s median %6.1f ms  p90 %6.1f ms  peak %6.1f MB  (%.2fx the floor)\n", name,
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
    // Codex's files as a user has them: a short config.toml and a chat database.
    const std::string codexFiles =
        "mkdir -p '" + std::string(home) +
        "/.codex' && printf 'model = \"gpt-5\"\\n"
        "[projects.\"/src\"]\\ntrust_level = \"trusted\"\\n' > '" +
        home + "/.codex/config.toml' && sqlite3 '" + home +
        "/.codex/state_5.sqlite' "
        "\"PRAGMA journal_mode=WAL; CREATE TABLE threads(id TEXT PRIMARY KEY, rollout_path "
        "TEXT, model_provider TEXT); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
        "FROM n WHERE i < 200) INSERT INTO threads SELECT 'thread-' || i, '', CASE i % 2 WHEN "
        "0 THEN 'openai' ELSE 'velqor' END FROM n;\" >/dev/null";
    if (std::system(codexFiles.c_str()) != 0)
        return 1;

    std::printf("tavrin-cli, %d runs each, home %s (4 profiles, 1 key)\n", runs, home);
    const Figures minimal = measure({{floor}}, runs);
    print("minimal QCoreApplication (floor)", minimal, minimal);
    const auto switching = [&cli](const char* target, const char* a, const char* b) {
        return std::vector<Command>{{cli, "switch", target, a, "--no-restart"},
                                    {cli, "switch", target, b, "--no-restart"}};
    };
    print("tavrin-cli switch claude velqor-1|claude-code",
          measure(switching("claude", "velqor-1", "claude-code"), runs), minimal);
    print("tavrin-cli switch codex velqor-1|chatgpt",
          measure(switching("codex", "velqor-1", "chatgpt"), runs), minimal);
    print("tavrin-cli list", measure({{cli, "list"}}, runs), minimal);
    std::printf("targets: switch claude within 2x the floor, switch codex within 3x\n");
    const std::string cleanup = std::string("rm -rf '") + home + "'";
    return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
