#include "app/SwitchLock.h"

#include "app/SwitchFlow.h"
#include "profiles/AppPaths.h"
#include "profiles/FileUtil.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int openLockFile(int flags) {
    int fd = -1;
    do
        fd = ::open(QFile::encodeName(SwitchLock::path()).constData(),
                    flags | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    while (fd < 0 && errno == EINTR);
    return fd;
}

bool tryLock(int fd, int operation) {
    int result = -1;
    do
        result = ::flock(fd, operation | LOCK_NB);
    while (result != 0 && errno == EINTR);
    return result == 0;
}

} // namespace

SwitchLock::SwitchLock(std::chrono::milliseconds wait) {
    FileUtil::makePath(AppPaths::tavrinDirectory());
    m_fd = openLockFile(O_RDWR | O_CREAT);
    struct stat info {};
    if (m_fd < 0 || ::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const QString reason = m_fd < 0 ? qt_error_string(errno)
                                        : QCoreApplication::translate("SwitchLock", "not a file");
        if (m_fd >= 0)
            ::close(m_fd);
        throw FileError(
            QCoreApplication::translate("SwitchLock", "Could not open the switch lock %1: %2.")
                .arg(path(), reason));
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (!tryLock(m_fd, LOCK_EX)) {
        const int error = errno;
        if (error == EWOULDBLOCK && std::chrono::steady_clock::now() < deadline) {
            QThread::msleep(50);
            continue;
        }
        ::close(m_fd);
        if (error != EWOULDBLOCK)
            throw FileError(QCoreApplication::translate("SwitchLock", "Could not lock %1: %2.")
                                .arg(path(), qt_error_string(error)));
        throw SwitchError(QCoreApplication::translate(
            "SwitchLock", "Another switch is running. Try again when it has finished."));
    }
}

SwitchLock::~SwitchLock() {
    // Closing the file lets the lock go.
    ::close(m_fd);
}

QString SwitchLock::path() {
    return AppPaths::tavrinDirectory() + QStringLiteral("/switch.lock");
}

bool SwitchLock::heldElsewhere() {
    const int fd = openLockFile(O_RDONLY);
    if (fd < 0)
        return false;
    const bool held = !tryLock(fd, LOCK_SH) && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}
