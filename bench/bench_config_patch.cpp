// The config.toml step of a Codex switch against the file work it cannot do without.
//
//   bench_config_patch [runs]
//
// Tavrin: ConfigPatcher::prepare() and apply() on ~/.codex/config.toml of a temporary home
// (read, patch and check, the two backups, the atomic write). Anchor, in the same run and
// alternating with it: reading the file and writing it back whole the plain POSIX way
// (temporary file, write, fsync, rename). Peak memory is measured in a child process of
// its own per size: its peak resident size, against its size after the same step on a
// one-line file.

#include "codex/ConfigPatcher.h"
#include "profiles/AppPaths.h"
#include "support/PeakMemory.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A config.toml as people keep them: a commented top-level region holding the managed
// keys among others, then many tables (profiles, MCP servers, their environments).
QByteArray generatedConfig(qsizetype targetBytes) {
    QByteArray text = "# Codex configuration\n"
                      "# Managed keys are rewritten on every profile switch.\n\n"
                      "model = \"gpt-4.1\" # previous choice\n"
                      "approval_policy = \"on-request\"\n"
                      "sandbox_mode = \"workspace-write\"\n"
                      "preferred_auth_method = \"chatgpt\"\n"
                      "model_provider = \"openai\"\n"
                      "file_opener = \"vscode\"\n"
                      "disable_response_storage = false\n"
                      "  model_reasoning_effort = \"medium\"\n"
                      "hide_agent_reasoning = true\n\n";
    text.reserve(targetBytes + 1024);
    for (int n = 0; text.size() < targetBytes; ++n) {
        const QByteArray i = QByteArray::number(n);
        text += "[profiles.team" + i +
                "]\nmodel = \"o3\"\nmodel_provider = \"azure\"\napproval_policy = \"never\"\n\n"
                "[mcp_servers.tool" +
                i + "]\ncommand = \"npx\"\nargs = [\"-y\", \"@example/server\", \"--port\", \"" +
                i + "\"]\n\n[mcp_servers.tool" + i + ".env]\nAPI_TOKEN = \"token-" + i +
                "\" # rotated monthly\nLOG_LEVEL = \"info\"\n\n";
    }
    return text;
}

// An API-key profile: the patch also adds the Velqor provider table.
const Profile profile = Profile::velqorAccount(1);

void resetFile(const QByteArray& content) {
    QDir(AppPaths::backupsDirectory()).removeRecursively();
    QFile file(AppPaths::configURL());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) < 0)
        std::exit(1);
}

double timedPatch() {
    QElapsedTimer timer;
    timer.start();
    ConfigPatcher patcher;
    patcher.apply(patcher.prepare(profile, AppPaths::configURL()));
    return double(timer.nsecsElapsed()) / 1e6;
}

// Reads the file and writes it back whole and durably, without Tavrin's code.
double timedAnchor() {
    const std::string path = QFile::encodeName(AppPaths::configURL()).toStdString();
    const std::string temporary = path + ".anchor";
    QElapsedTimer timer;
    timer.start();
    std::vector<char> data;
    const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    char buffer[1 << 16];
    for (ssize_t n; (n = ::read(in, buffer, sizeof buffer)) > 0;)
        data.insert(data.end(), buffer, buffer + n);
    ::close(in);
    const int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0 || ::write(out, data.data(), data.size()) != ssize_t(data.size()) ||
        ::fsync(out) != 0 || ::close(out) != 0 || ::rename(temporary.c_str(), path.c_str()) != 0)
        std::exit(1);
    return double(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double residentMegabytes() {
    QFile status(QStringLiteral("/proc/self/statm"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = status.readAll().split(' ');
    return fields.value(1).toDouble() * double(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// In a child: one patch of the file of $HOME; prints "<floor MB> <peak MB>". The floor is
// the resident size after a patch of a one-line file, which has loaded all the code.
int measureMemory() {
    QTemporaryDir small;
    AppPaths::setHomeDirectoryOverride(small.path());
    QDir().mkpath(AppPaths::codexDirectory());
    resetFile("model = \"gpt-4.1\"\n");
    timedPatch();
    const double floor = residentMegabytes();
    AppPaths::setHomeDirectoryOverride(QString());
    timedPatch();
    std::printf("%.3f %.3f\n", floor, Bench::peakMegabytes());
    return 0;
}

std::pair<double, double> childMemory(const char* self) {
    const std::string command = std::string("'") + self + "' --memory";
    FILE* child = ::popen(command.c_str(), "r");
    double before = 0;
    double peak = 0;
    if (!child || std::fscanf(child, "%lf %lf", &before, &peak) != 2)
        std::exit(1);
    ::pclose(child);
    return {before, peak};
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc > 1 && std::string(argv[1]) == "--memory")
        return measureMemory();
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 0;
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    AppPaths::setHomeDirectoryOverride(home.path());
    ::setenv("HOME", QFile::encodeName(home.path()).constData(), 1);
    QDir().mkpath(AppPaths::codexDirectory());

    const struct {
        const char* label;
        qsizetype bytes;
        int runs;
    } sizes[] = {{"10 KB", 10 * 1024, 101}, {"1 MB", 1024 * 1024, 21}, {"10 MB", 10 << 20, 7}};
    std::printf("%-6s %10s %10s %7s %9s %9s %12s\n", "size", "Tavrin ms", "anchor ms", "ratio",
                "floor MB", "peak MB", "(peak-floor)/size");
    for (const auto& size : sizes) {
        const QByteArray config = generatedConfig(size.bytes);
        std::vector<double> tavrin;
        std::vector<double> anchor;
        resetFile(config);
        timedAnchor(); // warms the page cache
        for (int run = 0; run < (runs ? runs : size.runs); ++run) {
            resetFile(config);
            tavrin.push_back(timedPatch());
            resetFile(config);
            anchor.push_back(timedAnchor());
        }
        resetFile(config);
        const auto [floor, peak] = childMemory(argv[0]);
        const double megabytes = double(config.size()) / (1024.0 * 1024.0);
        std::printf("%-6s %10.2f %10.2f %6.2fx %9.1f %9.1f %11.1fx\n", size.label, median(tavrin),
                    median(anchor), median(tavrin) / median(anchor), floor, peak,
                    (peak - floor) / megabytes);
        std::fflush(stdout);
    }
    std::printf("goals: 10 KB within 3x, 1 MB within 10x the anchor; peak within 5x the file "
                "size above the floor\n");
    AppPaths::setHomeDirectoryOverride(QString());
    return 0;
}
