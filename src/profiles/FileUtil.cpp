#include "profiles/FileUtil.h"

#include "profiles/AppPaths.h"
#include "profiles/AtomicFile.h"
#include "profiles/Errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <array>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace FileUtil {

namespace {

// lstat() of the path: false when nothing is there.
bool lookAt(const QString& path, struct stat& info) {
    if (::lstat(QFile::encodeName(path).constData(), &info) == 0)
        return true;
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR)
        return false;
    if (error == ELOOP)
        throw FileError(
            QCoreApplication::translate(
                "FileUtil", "%1 cannot be reached: its folders run into a symbolic link loop.")
                .arg(path));
    throw FileError(QCoreApplication::translate("FileUtil", "Could not look at %1: %2")
                        .arg(path, qt_error_string(error)));
}

QString kindOf(mode_t mode) {
    if (S_ISDIR(mode))
        return QCoreApplication::translate("FileUtil", "a folder");
    if (S_ISSOCK(mode))
        return QCoreApplication::translate("FileUtil", "a socket");
    if (S_ISFIFO(mode))
        return QCoreApplication::translate("FileUtil", "a named pipe");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QCoreApplication::translate("FileUtil", "a device");
    return QCoreApplication::translate("FileUtil", "a special file");
}

[[noreturn]] void throwCopyError(const QString& source, const QString& destination,
                                 const QString& reason) {
    throw FileError(QCoreApplication::translate("FileUtil", "Could not copy %1 to %2: %3")
                        .arg(source, destination, reason));
}

// A descriptor of the regular file at `path` open for reading, or -1 with the reason in
// `why`. Opening never waits: a named pipe is refused, not opened until a writer comes.
int openRegularFile(const QString& path, bool followLinks, QString& why) {
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_NONBLOCK | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        const int error = errno;
        struct stat link {};
        why = !followLinks && error == ELOOP &&
                      ::lstat(QFile::encodeName(path).constData(), &link) == 0 &&
                      S_ISLNK(link.st_mode)
                  ? QCoreApplication::translate("FileUtil", "it is a symbolic link")
                  : qt_error_string(error);
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        why = QCoreApplication::translate("FileUtil", "it is %1, not a file")
                  .arg(kindOf(info.st_mode));
        ::close(fd);
        return -1;
    }
    return fd;
}

// Reads what is left of the descriptor in chunks; false with the reason on a read error.
bool readChunks(int fd, QString& why, const std::function<void(QByteArrayView)>& take) {
    std::array<char, 1 << 16> buffer;
    for (;;) {
        const ssize_t count = ::read(fd, buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            why = qt_error_string(errno);
            return false;
        }
        if (count == 0)
            return true;
        take(QByteArrayView(buffer.data(), count));
    }
}

mode_t permissionBits(const struct stat& info) {
    return info.st_mode & 07777;
}

// Copies `source` to a new file at `destination` through AtomicFile.
void copyFile(const QString& source, const QString& destination, NewFileMode mode,
              AtomicFile::Existing existing) {
    QString why;
    const int fd = openRegularFile(source, true, why);
    if (fd < 0)
        throwCopyError(source, destination, why);
    struct stat info {};
    ::fstat(fd, &info);
    try {
        AtomicFile copy(destination, mode == NewFileMode::Default ? permissionBits(info) : 0600,
                        existing);
        if (!readChunks(fd, why, [&copy](QByteArrayView chunk) { copy.write(chunk); }))
            throwCopyError(source, destination, why);
        copy.commit();
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
}

} // namespace

bool exists(const QString& path) {
    return QFileInfo::exists(path);
}

bool entryExists(const QString& path) {
    struct stat info {};
    return lookAt(path, info);
}

bool fileExists(const QString& path) {
    struct stat link {};
    if (!lookAt(path, link))
        return false;
    struct stat target {};
    if (::stat(QFile::encodeName(path).constData(), &target) != 0) {
        const int error = errno;
        if (error == ELOOP)
            throw FileError(
                QCoreApplication::translate("FileUtil", "%1 is a symbolic link loop.").arg(path));
        if (error == ENOENT || error == ENOTDIR)
            throw FileError(QCoreApplication::translate(
                                "FileUtil", "%1 is a symbolic link to %2, which does not exist.")
                                .arg(path, QFile::symLinkTarget(path)));
        throw FileError(QCoreApplication::translate("FileUtil", "Could not look at %1: %2")
                            .arg(path, qt_error_string(error)));
    }
    if (S_ISREG(target.st_mode))
        return true;
    if (S_ISLNK(link.st_mode))
        throw FileError(
            QCoreApplication::translate("FileUtil", "%1 is a symbolic link to %2, not to a file.")
                .arg(path, kindOf(target.st_mode)));
    throw FileError(QCoreApplication::translate("FileUtil", "%1 is %2, not a file.")
                        .arg(path, kindOf(target.st_mode)));
}

void makePath(const QString& directory) {
    if (QFileInfo(directory).isDir())
        return;
    if (!QDir().mkpath(directory))
        throw FileError(QCoreApplication::translate("FileUtil", "Could not create the folder %1.")
                            .arg(directory));
}

std::optional<QByteArray> tryReadAll(const QString& path, QString& why, bool followLinks) {
    const int fd = openRegularFile(path, followLinks, why);
    if (fd < 0)
        return std::nullopt;
    QByteArray data;
    const bool read = readChunks(fd, why, [&data](QByteArrayView chunk) { data += chunk; });
    ::close(fd);
    return read ? std::optional<QByteArray>(data) : std::nullopt;
}

QByteArray readAll(const QString& path) {
    QString why;
    std::optional<QByteArray> data = tryReadAll(path, why);
    if (!data)
        throw FileError(
            QCoreApplication::translate("FileUtil", "Could not read %1: %2").arg(path, why));
    return *data;
}

FileError writeError(const QString& path, int error) {
    if (error == ENOSPC || error == EFBIG || error == EDQUOT)
        return FileError(
            QCoreApplication::translate("FileUtil", "Not enough disk space to write %1.")
                .arg(AppPaths::displayPath(path)));
    return FileError(QCoreApplication::translate("FileUtil", "Could not write %1: %2")
                         .arg(path, qt_error_string(error)));
}

void writeAtomically(const QString& path, const QByteArray& data, NewFileMode newFileMode,
                     bool sync, AtomicFile::Spare spare) {
    std::optional<mode_t> mode;
    QString target = path;
    if (fileExists(path)) {
        struct stat info {};
        if (::stat(QFile::encodeName(path).constData(), &info) != 0)
            throw writeError(path, errno);
        mode = newFileMode == NewFileMode::Secret ? 0600 : permissionBits(info);
        // A symbolic link stays one: the file it leads to is replaced.
        if (QFileInfo(path).isSymLink())
            target = QFileInfo(path).canonicalFilePath();
    } else if (newFileMode != NewFileMode::Default) {
        mode = 0600;
    }
    AtomicFile file(target, mode, AtomicFile::Existing::replace, spare);
    file.write(data);
    file.commit(sync);
}

void copy(const QString& source, const QString& destination, NewFileMode mode) {
    if (entryExists(destination))
        throwCopyError(source, destination,
                       QCoreApplication::translate("FileUtil", "the destination already exists."));
    copyFile(source, destination, mode, AtomicFile::Existing::refuse);
}

void copyOver(const QString& source, const QString& destination, NewFileMode mode) {
    copyFile(source, destination, mode, AtomicFile::Existing::replace);
}

QString copyToDatedFile(const QString& source, const QString& directory, const QString& prefix,
                        const QString& suffix, NewFileMode mode) {
    makePath(directory);
    const QString destination = unusedDatedPath(directory + QLatin1Char('/') + prefix, suffix);
    copy(source, destination, mode);
    return destination;
}

namespace {

// Gives `source` the second name `destination` (see keepToDatedFile()); false when it is
// not to be or cannot be, and nothing was made.
bool linkForReplacement(const QString& source, const QString& destination, NewFileMode mode) {
    const QByteArray from = QFile::encodeName(source), to = QFile::encodeName(destination);
    const int fd = ::open(from.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    const mode_t othersMay = mode == NewFileMode::Default ? 0 : mode_t(077);
    bool linked = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink == 1 &&
                  (info.st_mode & othersMay) == 0 && ::fsync(fd) == 0 &&
                  ::link(from.constData(), to.constData()) == 0;
    ::close(fd);
    struct stat kept {};
    // The name may have been given to a file put in its place meanwhile.
    if (linked && (::lstat(to.constData(), &kept) != 0 || kept.st_ino != info.st_ino ||
                   kept.st_dev != info.st_dev)) {
        ::unlink(to.constData());
        linked = false;
    }
    return linked;
}

} // namespace

QString keepToDatedFile(const QString& source, const QString& directory, const QString& prefix,
                        const QString& suffix, NewFileMode mode) {
    makePath(directory);
    const QString destination = unusedDatedPath(directory + QLatin1Char('/') + prefix, suffix);
    if (!linkForReplacement(source, destination, mode))
        copy(source, destination, mode);
    return destination;
}

void forgetOtherNames(const QString& path, const QStringList& names) {
    struct stat file {};
    if (::stat(QFile::encodeName(path).constData(), &file) != 0)
        return;
    for (const QString& name : names) {
        struct stat other {};
        if (!name.isEmpty() && ::lstat(QFile::encodeName(name).constData(), &other) == 0 &&
            other.st_ino == file.st_ino && other.st_dev == file.st_dev)
            ::unlink(QFile::encodeName(name).constData());
    }
}

QList<QByteArray> namesIn(const QString& folder) {
    QList<QByteArray> names;
    if (DIR* dir = ::opendir(QFile::encodeName(folder).constData())) {
        while (const dirent* entry = ::readdir(dir))
            names << QByteArray(entry->d_name);
        ::closedir(dir);
    }
    return names;
}

void remove(const QString& path) {
    // One call: nothing there (or no folder for it) is what was wanted.
    if (::unlink(QFile::encodeName(path).constData()) == 0)
        return;
    const int error = errno;
    if (error != ENOENT && error != ENOTDIR)
        throw FileError(QCoreApplication::translate("FileUtil", "Could not remove %1: %2")
                            .arg(path, qt_error_string(error)));
}

std::optional<Stamp> stampOf(const QString& path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return Stamp{static_cast<qint64>(status.st_ino), static_cast<qint64>(status.st_size),
                 static_cast<qint64>(status.st_mtime) * 1000000000LL +
#ifdef Q_OS_MACOS
                     status.st_mtimespec.tv_nsec
#else
                     status.st_mtim.tv_nsec
#endif
    };
}

QString timestamp(const QDateTime& when) {
    return QLocale::c().toString(when, QStringLiteral("yyyy-MM-dd-HH-mm-ss"));
}

QString unusedStamp(const QString& folder, const std::function<bool(const QString& stamp)>& taken) {
    const QString now = timestamp();
    // Numbered past every name of this second in the folder, never into a gap a removed
    // copy left: a lower number sorts as older, and pruning would take the newest copy.
    int last = 1;
    const QByteArray stamp = now.toLatin1();
    for (const QByteArray& name : namesIn(folder)) {
        const qsizetype at = name.indexOf(stamp);
        if (at < 0)
            continue;
        const qsizetype end = at + stamp.size();
        qsizetype digits = end + 1;
        while (digits < name.size() && name[digits] >= '0' && name[digits] <= '9')
            ++digits;
        if (end < name.size() && name[end] == '-' && digits > end + 1)
            last = std::max(last, name.sliced(end + 1, digits - end - 1).toInt());
    }
    const auto numbered = [&now](int n) {
        return n == 1 ? now : now + QLatin1Char('-') + QString::number(n);
    };
    int n = last == 1 ? 1 : last + 1;
    while (taken(numbered(n)))
        ++n;
    return numbered(n);
}

QString unusedDatedPath(const QString& stem, const QString& suffix) {
    return stem +
           unusedStamp(QFileInfo(stem).absolutePath(),
                       [&](const QString& stamp) { return entryExists(stem + stamp + suffix); }) +
           suffix;
}

} // namespace FileUtil
