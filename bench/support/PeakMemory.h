#pragma once

#include <QtGlobal>

#include <sys/resource.h>

namespace Bench {

// ru_maxrss counts kilobytes on Linux and bytes on macOS.
inline double megabytes(long maxResidentSize) {
#ifdef Q_OS_MACOS
    return double(maxResidentSize) / (1024.0 * 1024.0);
#else
    return double(maxResidentSize) / 1024.0;
#endif
}

// The peak resident memory of this process so far.
inline double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return megabytes(usage.ru_maxrss);
}

} // namespace Bench
