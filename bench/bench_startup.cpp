// Cold start of the real application to its first painted frame, and its peak memory,
// against a bare Qt window of the same size with one label (bench_minimal_window),
// measured the same way in the same run.
//
//   bench_startup [runs]        starts each `runs` times (default 15), alternating, and
//                               prints median and p90 first-frame time, peak memory and
//                               the ratios; also whether Qt's network library was loaded
//
// Each start is a fresh child process with a fresh temporary home: this program
// re-executed in "app" mode, which starts as the window's main() does, or the bare
// window. The time runs from just before the parent starts the child to the end of the
// child's first paint; the processor time the child used by then is shown too, as it
// varies less with the machine's load. The peak memory is the child's own high-water
// mark after the start-up work that waits for the first frame. Without a display the
// program re-executes itself under xvfb-run.

#include "app/SingleInstance.h"
#include "support/FirstFrame.h"
#include "ui/ContentView.h"
#include "ui/TavrinApp.h"

#include <QApplication>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// What the window's main() does, with the first frame reported.
int appChild(long long started, int argc, char** argv) {
    QApplication application(argc, argv);
    SingleInstance instance;
    if (instance.start() == SingleInstance::Role::handedOver)
        return 1;
    TavrinApp app;
    QObject::connect(app.contentView(), &ContentView::firstFramePainted,
                     [started] { Bench::reportFirstFrame(started); });
    app.show();
    return application.exec();
}

struct Sample {
    double milliseconds = 0;
    double processorMilliseconds = 0;
    double peakMegabytes = 0;
    bool networkLoaded = false;
};

// Runs `program` with `arguments` and the start time, in a fresh home.
bool runOnce(const std::string& program, std::vector<std::string> arguments, Sample* sample) {
    char home[] = "/tmp/tavrin-bench-XXXXXX";
    if (!mkdtemp(home))
        return false;
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return false;
    const long long started = Bench::monotonicNanoseconds();
    arguments.push_back(std::to_string(started));
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        setenv("HOME", home, 1);
        const std::string runtime = std::string(home) + "/run";
        mkdir(runtime.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    std::string output;
    char buffer[256];
    ssize_t n;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0)
        output.append(buffer, static_cast<size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    std::system((std::string("rm -rf '") + home + "'").c_str());
    long long nanoseconds = 0;
    long long processor = 0;
    int network = 0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        std::sscanf(output.c_str(), "%lld %lld %lf %d", &nanoseconds, &processor,
                    &sample->peakMegabytes, &network) != 4)
        return false;
    sample->milliseconds = double(nanoseconds) / 1e6;
    sample->processorMilliseconds = double(processor) / 1e6;
    sample->networkLoaded = network != 0;
    return true;
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const size_t index =
        std::min(values.size() - 1, static_cast<size_t>(p * double(values.size() - 1) + 0.5));
    return values[index];
}

struct Figures {
    double time = 0;
    double processor = 0;
    double memory = 0;
};

Figures report(const char* name, const std::vector<Sample>& samples) {
    std::vector<double> times, processor, memory;
    for (const Sample& s : samples) {
        times.push_back(s.milliseconds);
        processor.push_back(s.processorMilliseconds);
        memory.push_back(s.peakMegabytes);
    }
    std::printf("%-7s first frame median %6.1f ms  p90 %6.1f ms  (processor %5.1f ms)   "
                "peak memory median %5.1f MB  max %5.1f MB\n",
                name, percentile(times, 0.5), percentile(times, 0.9), percentile(processor, 0.5),
                percentile(memory, 0.5), percentile(memory, 1.0));
    return {percentile(times, 0.5), percentile(processor, 0.5), percentile(memory, 0.5)};
}

void printLoad(const char* when) {
    double load[3] = {};
    if (getloadavg(load, 3) == 3)
        std::printf("load average %s: %.2f %.2f %.2f\n", when, load[0], load[1], load[2]);
}

// Runs this program again under xvfb-run; returns only when that cannot be done.
int reexecuteUnderXvfb(int argc, char** argv) {
    setenv("TAVRIN_BENCH_XVFB", "1", 1);
    std::vector<char*> args{const_cast<char*>("xvfb-run"), const_cast<char*>("-a"),
                            const_cast<char*>("-s"), const_cast<char*>("-screen 0 1280x1024x24")};
    for (int i = 0; i < argc; ++i)
        args.push_back(argv[i]);
    args.push_back(nullptr);
    execvp("xvfb-run", args.data());
    std::fprintf(stderr, "xvfb-run not found (%s); set DISPLAY or QT_QPA_PLATFORM.\n",
                 std::strerror(errno));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--app") == 0)
        return appChild(std::atoll(argv[2]), 1, argv);

    const char* display = std::getenv("DISPLAY");
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if ((!display || !*display) && (!platform || !*platform) && !std::getenv("TAVRIN_BENCH_XVFB"))
        return reexecuteUnderXvfb(argc, argv);

    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length > 0)
        self[length] = '\0';
    else // no /proc (macOS): the path it was started with
        std::snprintf(self, sizeof self, "%s", argv[0]);

    std::printf("startup: %d cold starts each, alternating, platform %s\n", runs,
                platform && *platform ? platform : "xcb");
    printLoad("before");
    std::vector<Sample> app, minimal;
    bool networkLoaded = false;
    for (int i = 0; i < runs; ++i) {
        Sample a, m;
        const auto runTavrin = [&] { return runOnce(self, {"--app"}, &a); };
        const auto runBare = [&] { return runOnce(MINIMAL_WINDOW_PATH, {}, &m); };
        // Which one goes first alternates, so neither always follows the other.
        if (!(i % 2 ? runTavrin() && runBare() : runBare() && runTavrin())) {
            std::fprintf(stderr, "a child run failed\n");
            return 1;
        }
        minimal.push_back(m);
        app.push_back(a);
        networkLoaded = networkLoaded || a.networkLoaded;
    }
    printLoad("after");

    const Figures tavrin = report("Tavrin", app);
    const Figures bare = report("bare", minimal);
    std::printf("ratio Tavrin/bare window: first frame %.2f (goal <= 1.5), peak memory %.2f "
                "(goal <= 1.3); processor time to the first frame %.2f\n",
                tavrin.time / bare.time, tavrin.memory / bare.memory,
                tavrin.processor / bare.processor);
    std::printf("Qt's network library loaded at start: %s (goal: no)\n",
                networkLoaded ? "yes" : "no");
    return 0;
}
