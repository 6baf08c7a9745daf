#pragma once

// What the start-up benchmark's children share: each reports, on its standard output,
// how long after `started` its first frame was on screen, then lets the start-up work
// that waits for the first frame run, and reports its peak memory and whether Qt's
// network library was loaded by then.

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <ctime>

#include <sys/resource.h>

namespace Bench {

inline long long monotonicNanoseconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// Work deferred past the first frame (icons, tray, policy) must be done by then.
constexpr int settleMilliseconds = 1000;

// The peak resident memory of this program since it was started, in MB. On Linux the
// kernel's count for the process would include the pages of the parent it was forked
// from, so the program's own high-water mark is read instead.
inline double programPeakMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine())
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / (1024.0 * 1024.0); // bytes on macOS
}

// Read from the process's memory map (Linux; elsewhere it reads as not loaded).
inline bool networkLibraryLoaded() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6Network");
}

// The processor time this program has used, all threads, in nanoseconds.
inline long long processorNanoseconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ns = [](const timeval& t) {
        return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_usec * 1000LL;
    };
    return ns(usage.ru_utime) + ns(usage.ru_stime);
}

// Call when the first frame has been painted: the times are taken once the paint has
// been flushed to the window; the line "<elapsed ns> <processor ns> <peak MB> <network
// 0/1>" is written and the program quits after the settling time.
inline void reportFirstFrame(long long started) {
    QTimer::singleShot(0, [started] {
        const long long elapsed = monotonicNanoseconds() - started;
        const long long processor = processorNanoseconds();
        QTimer::singleShot(settleMilliseconds, [elapsed, processor] {
            std::printf("%lld %lld %.2f %d\n", elapsed, processor, programPeakMegabytes(),
                        networkLibraryLoaded() ? 1 : 0);
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
    });
}

} // namespace Bench
