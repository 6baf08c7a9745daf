// Cold start of the real application to its first painted frame, and its peak memory,
// against a minimal Qt window started the same way.
//
//   bench_startup [runs]        runs each kind `runs` times (default 15) and prints
//                               median and p90 first-paint time and peak RSS
//
// Each run is a fresh child process (this program re-executed in "app" or "minimal"
// mode) with a fresh temporary home. The time runs from just before the parent starts
// the child to the end of the child's first paint. Without a display the program
// re-executes itself under xvfb-run.

#include "support/PeakMemory.h"
#include "ui/ContentView.h"
#include "ui/TavrinApp.h"

#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

long long monotonicNanoseconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// Prints the moment the first frame has been painted and flushed, then quits.
void reportAfterFirstFrame(long long started) {
    QTimer::singleShot(0, [started] {
        std::printf("%lld\n", monotonicNanoseconds() - started);
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
}

class MinimalWindow : public QWidget {
public:
    explicit MinimalWindow(long long started) : m_started(started) { setFixedSize(320, 568); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), palette().window());
        if (!m_painted) {
            m_painted = true;
            reportAfterFirstFrame(m_started);
        }
    }

private:
    long long m_started;
    bool m_painted = false;
};

int runChild(const std::string& mode, long long started, int argc, char** argv) {
    QApplication application(argc, argv);
    if (mode == "minimal") {
        MinimalWindow window(started);
        window.show();
        return application.exec();
    }
    TavrinApp app;
    QObject::connect(app.contentView(), &ContentView::firstFramePainted,
                     [started] { reportAfterFirstFrame(started); });
    app.show();
    return application.exec();
}

struct Sample {
    double milliseconds = 0;
    double peakMegabytes = 0;
};

bool runOnce(const char* self, const char* mode, Sample* sample) {
    char home[] = "/tmp/tavrin-bench-XXXXXX";
    if (!mkdtemp(home))
        return false;
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return false;
    const long long started = monotonicNanoseconds();
    const std::string startedText = std::to_string(started);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        setenv("HOME", home, 1);
        const std::string runtime = std::string(home) + "/run";
        mkdir(runtime.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        execl(self, self, "--child", mode, startedText.c_str(), static_cast<char*>(nullptr));
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
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    std::system((std::string("rm -rf '") + home + "'").c_str());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || output.empty())
        return false;
    sample->milliseconds = std::atoll(output.c_str()) / 1e6;
    sample->peakMegabytes = Bench::megabytes(usage.ru_maxrss);
    return true;
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const size_t index =
        std::min(values.size() - 1, static_cast<size_t>(p * (values.size() - 1) + 0.5));
    return values[index];
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "--child") == 0)
        return runChild(argv[2], std::atoll(argv[3]), 1, argv);

    const char* display = std::getenv("DISPLAY");
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if ((!display || !*display) && (!platform || !*platform) && !std::getenv("TAVRIN_BENCH_XVFB")) {
        setenv("TAVRIN_BENCH_XVFB", "1", 1);
        std::vector<char*> args{const_cast<char*>("xvfb-run"), const_cast<char*>("-a"),
                                const_cast<char*>("-s"),
                                const_cast<char*>("-screen 0 1280x1024x24")};
        for (int i = 0; i < argc; ++i)
            args.push_back(argv[i]);
        args.push_back(nullptr);
        execvp("xvfb-run", args.data());
        std::fprintf(stderr, "xvfb-run not found (%s); set DISPLAY or QT_QPA_PLATFORM.\n",
                     std::strerror(errno));
        return 1;
    }

    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length > 0)
        self[length] = '\0';
    else // no /proc (macOS): the path it was started with
        std::snprintf(self, sizeof self, "%s", argv[0]);

    std::vector<Sample> app, minimal;
    for (int i = 0; i < runs; ++i) {
        Sample a, m;
        if (!runOnce(self, "minimal", &m) || !runOnce(self, "app", &a)) {
            std::fprintf(stderr, "a child run failed\n");
            return 1;
        }
        minimal.push_back(m);
        app.push_back(a);
    }

    const auto report = [](const char* name, const std::vector<Sample>& samples) {
        std::vector<double> times, memory;
        for (const Sample& s : samples) {
            times.push_back(s.milliseconds);
            memory.push_back(s.peakMegabytes);
        }
        std::printf("%-8s first paint median %7.1f ms  p90 %7.1f ms   peak RSS median %6.1f MB  "
                    "max %6.1f MB\n",
                    name, percentile(times, 0.5), percentile(times, 0.9), percentile(memory, 0.5),
                    percentile(memory, 1.0));
        return percentile(times, 0.5);
    };
    std::printf("startup: %d cold starts each, platform %s\n", runs,
                platform && *platform ? platform : "xcb (Xvfb)");
    const double appMedian = report("app", app);
    const double minimalMedian = report("minimal", minimal);
    std::printf("ratio app/minimal first paint: %.2f (targets: <= 2.0, app median < 100 ms, "
                "peak RSS < 50 MB)\n",
                appMedian / minimalMedian);
    return 0;
}
