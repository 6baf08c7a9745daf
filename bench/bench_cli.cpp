// Whole-process time and peak memory of tavrin-cli, against a minimal Qt Core application
// that exits at once, measured in the same run.
//
//   bench_cli [runs]     each command `runs` times (default 20); prints median and p90
//                        wall time and the largest peak RSS
//
// Commands: `tavrin-cli switch claude … --no-restart` and `switch codex … --no-restart`
// (real switches, back and forth between an API-key profile and an account profile, with
// the lock, the journal, the backups and their pruning; Codex's over a small config.toml,
// then also with a chat database of 200 chats) and `tavrin-cli list`, over a fresh temporary home
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

// The environment with HOME (and the config folder) in `home`; empty: as it is.
std::vector<std::string> environmentFor(const std::string& home) {
    std::vector<std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        const std::string variable = *entry;
        if (!home.empty() &&
            (variable.rfind("HOME=", 0) == 0 || variable.rfind("XDG_CONFIG_HOME=", 0) == 0))
            continue;
        variables.push_back(variable);
    }
    if (!home.empty()) {
        variables.push_back("HOME=" + home);
        variables.push_back("XDG_CONFIG_HOME=" + home + "/.config");
    }
    return variables;
}

std::vector<char*> pointers(std::vector<std::string>& words) {
    std::vector<char*> list;
    for (std::string& word : words)
        list.push_back(word.data());
    list.push_back(nullptr);
    return list;
}

using Command = std::vector<std::string>;

// Runs the program with its output discarded; exits the benchmark when it fails.
Sample runOnce(Command command, const std::string& home) {
    std::vector<std::string> environment = environmentFor(home);
    std::vector<char*> argv = pointers(command), envp = pointers(environment);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const double started = now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
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

// What is measured: its commands run in turn, over a home of its own.
struct Task {
    const char* name;
    std::vector<Command> commands;
    std::string home;
    std::vector<double> times = {};
    long peakMaxRss = 0; // as getrusage gives it

    double median() const { return times[times.size() / 2]; }
    double p90() const { return times[(times.size() * 9) / 10 - (times.size() >= 10 ? 1 : 0)]; }
};

// Every task once per round, `runs` rounds, so the floor and the commands share the
// machine's state (its load, its clock) as it changes.
void measure(std::vector<Task>& tasks, int runs) {
    for (Task& task : tasks)
        for (const Command& command : task.commands)
            runOnce(command, task.home); // warm the page cache
    for (int round = 0; round < runs; ++round)
        for (Task& task : tasks) {
            const Sample sample =
                runOnce(task.commands[size_t(round) % task.commands.size()], task.home);
            task.times.push_back(sample.milliseconds);
            task.peakMaxRss = std::max(task.peakMaxRss, sample.peakMaxRss);
        }
    for (Task& task : tasks)
        std::sort(task.times.begin(), task.times.end());
}

void print(const Task& task, const Task& floor) {
    std::printf("%-48s median %6.1f ms  p90 %6.1f ms  peak %6.1f MB  (%.2fx the floor)\n",
                task.name, task.median(), task.p90(), Bench::megabytes(task.peakMaxRss),
                task.median() / floor.median());
}

} // namespace

int main(int argc, char* argv[]) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    char home[] = "/tmp/tavrin-bench-cli-XXXXXX";
    if (!mkdtemp(home)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string plain = std::string(home) + "/plain", chats = std::string(home) + "/chats";
    const std::string cli = TAVRIN_CLI_PATH;
    const std::string floor = MINIMAL_APP_PATH;
    // Both homes: a key for the profile switched to (tavrin-cli reads it from standard
    // input) and a short config.toml; the second also a chat database of 200 chats.
    for (const std::string& folder : {plain, chats}) {
        const std::string setUp = "mkdir -p '" + folder +
                                  "/.codex' && printf 'model = \"gpt-5\"\\n[projects.\"/src\"]"
                                  "\\ntrust_level = \"trusted\"\\n' > '" +
                                  folder +
                                  "/.codex/config.toml' && echo "
                                  "bench-key | HOME='" +
                                  folder + "' XDG_CONFIG_HOME='" + folder + "/.config' '" + cli +
                                  "' key set velqor-1 >/dev/null";
        if (std::system(setUp.c_str()) != 0)
            return 1;
    }
    const std::string chatDatabase =
        "sqlite3 '" + chats +
        "/.codex/state_5.sqlite' "
        "\"PRAGMA journal_mode=WAL; CREATE TABLE threads(id TEXT PRIMARY KEY, rollout_path "
        "TEXT, model_provider TEXT); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
        "FROM n WHERE i < 200) INSERT INTO threads SELECT 'thread-' || i, '', CASE i % 2 WHEN "
        "0 THEN 'openai' ELSE 'velqor' END FROM n;\" >/dev/null";
    if (std::system(chatDatabase.c_str()) != 0)
        return 1;

    const auto switching = [&cli](const char* target, const char* a, const char* b) {
        return std::vector<Command>{{cli, "switch", target, a, "--no-restart"},
                                    {cli, "switch", target, b, "--no-restart"}};
    };
    std::vector<Task> tasks{
        {"minimal QCoreApplication (floor)", {{floor}}, plain},
        {"tavrin-cli switch claude velqor-1|claude-code",
         switching("claude", "velqor-1", "claude-code"), plain},
        {"tavrin-cli switch codex velqor-1|chatgpt", switching("codex", "velqor-1", "chatgpt"),
         plain},
        // Each of these moves 100 chats: a snapshot and an UPDATE by sqlite3.
        {"  the same with 200 chats, 100 moved each time",
         switching("codex", "velqor-1", "chatgpt"), chats},
        {"tavrin-cli list", {{cli, "list"}}, plain},
    };
    std::printf("tavrin-cli, %d runs each, interleaved, homes in %s (4 profiles, 1 key)\n", runs,
                home);
    measure(tasks, runs);
    for (const Task& task : tasks)
        print(task, tasks.front());
    std::printf("targets: switch claude within 2x the floor, switch codex within 3x\n");
    const std::string cleanup = std::string("rm -rf '") + home + "'";
    return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
