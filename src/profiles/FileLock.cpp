#include "profiles/FileLock.h"

#include "profiles/AppPaths.h"
#include "profiles/Errors.h"
#include "profiles/FileUtil.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QRecursiveMutex>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int filesLockWaitMilliseconds = 10000;

struct ProcessHold {
    QRecursiveMutex mutex;
    int depth = 0;
    FileLock lock;
};

ProcessHold& processHold() {
    static ProcessHold hold;
    return hold;
}

} // namespace

FileLock::~FileLock() {
    unlock();
}

bool FileLock::tryLock(const QString& path, int waitMilliseconds) {
    unlock();
    // Non-blocking, so a named pipe put at the path is refused rather than waited on.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = fd < 0 ? errno : 0;
        if (fd >= 0)
            ::close(fd);
        throw FileError(
            QCoreApplication::translate("FileLock", "Could not open the lock file %1: %2")
                .arg(path, error ? qt_error_string(error)
                                 : QCoreApplication::translate("FileLock", "it is not a file.")));
    }
    const QDeadlineTimer deadline(waitMilliseconds);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK || error == EINTR) {
            if (!deadline.hasExpired()) {
                QThread::msleep(10);
                continue;
            }
            ::close(fd);
            return false;
        }
        ::close(fd);
        throw FileError(QCoreApplication::translate("FileLock", "Could not lock %1: %2")
                            .arg(path, qt_error_string(error)));
    }
    m_fd = fd;
    return true;
}

void FileLock::unlock() {
    if (m_fd >= 0)
        ::close(m_fd); // releases the lock
    m_fd = -1;
}

QString FilesLock::path() {
    return AppPaths::tavrinDirectory() + QStringLiteral("/files.lock");
}

FilesLock::FilesLock() {
    ProcessHold& hold = processHold();
    hold.mutex.lock();
    if (hold.depth == 0) {
        try {
            FileUtil::makePath(AppPaths::tavrinDirectory());
            if (!hold.lock.tryLock(path(), filesLockWaitMilliseconds))
                throw FileError(QCoreApplication::translate(
                    "FileLock", "Another Tavrin program is saving profiles or "
                                "keys. Try again in a moment."));
        } catch (...) {
            hold.mutex.unlock();
            throw;
        }
    }
    ++hold.depth;
}

FilesLock::~FilesLock() {
    ProcessHold& hold = processHold();
    if (--hold.depth == 0)
        hold.lock.unlock();
    hold.mutex.unlock();
}
