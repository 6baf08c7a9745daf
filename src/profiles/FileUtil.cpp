#include "profiles/FileUtil.h"

#include "profiles/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>

#include <cerrno>
#include <sys/stat.h>

namespace FileUtil {

namespace {

constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// lstat() of the path: false when nothing is there.
bool lookAt(const QString& path, struct stat& info) {
    if (::lstat(QFile::encodeName(path).constData(), &info) == 0)
        return true;
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR)
        return false;
    if (error == ELOOP)
        throw FileError(
            QStringLiteral("%1 cannot be reached: its folders run into a symbolic link loop.")
                .arg(path));
    throw FileError(QStringLiteral("Could not look at %1: %2").arg(path, qt_error_string(error)));
}

QString kindOf(mode_t mode) {
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    return QStringLiteral("a special file");
}

[[noreturn]] void throwCopyError(const QString& source, const QString& destination,
                                 const QString& reason) {
    throw FileError(QStringLiteral("Could not copy %1 to %2: %3").arg(source, destination, reason));
}

// Copies into a new file created 0600, so no one else can open it at any time.
void copyOwnerOnly(const QString& source, const QString& destination) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throwCopyError(source, destination, in.errorString());
    QFile out(destination);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly, ownerOnly))
        throwCopyError(source, destination, out.errorString());
    for (;;) {
        const QByteArray chunk = in.read(1 << 16);
        QString failure;
        if (in.error() != QFileDevice::NoError)
            failure = in.errorString();
        else if (out.write(chunk) != chunk.size() || !out.flush())
            failure = out.errorString();
        if (!failure.isEmpty()) {
            out.remove();
            throwCopyError(source, destination, failure);
        }
        if (chunk.isEmpty())
            return;
    }
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
            throw FileError(QStringLiteral("%1 is a symbolic link loop.").arg(path));
        if (error == ENOENT || error == ENOTDIR)
            throw FileError(QStringLiteral("%1 is a symbolic link to %2, which does not exist.")
                                .arg(path, QFile::symLinkTarget(path)));
        throw FileError(
            QStringLiteral("Could not look at %1: %2").arg(path, qt_error_string(error)));
    }
    if (S_ISREG(target.st_mode))
        return true;
    if (S_ISLNK(link.st_mode))
        throw FileError(QStringLiteral("%1 is a symbolic link to %2, not to a file.")
                            .arg(path, kindOf(target.st_mode)));
    throw FileError(QStringLiteral("%1 is %2, not a file.").arg(path, kindOf(target.st_mode)));
}

void makePath(const QString& directory) {
    if (QFileInfo(directory).isDir())
        return;
    if (!QDir().mkpath(directory))
        throw FileError(QStringLiteral("Could not create the folder %1.").arg(directory));
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Could not read %1: %2").arg(path, file.errorString()));
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(QStringLiteral("Could not read %1: %2").arg(path, file.errorString()));
    return data;
}

void writeAtomically(const QString& path, const QByteArray& data, NewFileMode newFileMode) {
    const bool existed = fileExists(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw FileError(QStringLiteral("Could not write %1: %2").arg(path, file.errorString()));
    // Set on the temporary file, which has no content yet and replaces the old one whole.
    const bool restrict =
        newFileMode == NewFileMode::Secret || (newFileMode == NewFileMode::OwnerOnly && !existed);
    if (restrict && !file.setPermissions(ownerOnly)) {
        file.cancelWriting();
        throw FileError(QStringLiteral("Could not restrict the permissions of %1.").arg(path));
    }
    if (file.write(data) != data.size() || !file.commit())
        throw FileError(QStringLiteral("Could not write %1: %2").arg(path, file.errorString()));
}

void copy(const QString& source, const QString& destination, NewFileMode mode) {
    if (entryExists(destination))
        throwCopyError(source, destination, QStringLiteral("the destination already exists."));
    if (mode != NewFileMode::Default) {
        copyOwnerOnly(source, destination);
        return;
    }
    QFile file(source);
    if (!file.copy(destination))
        throwCopyError(source, destination, file.errorString());
}

QString copyToDatedFile(const QString& source, const QString& directory, const QString& prefix,
                        const QString& suffix, NewFileMode mode) {
    makePath(directory);
    const QString stem = directory + QLatin1Char('/') + prefix + timestamp();
    QString destination = stem + suffix;
    for (int n = 2; entryExists(destination); ++n)
        destination = stem + QLatin1Char('-') + QString::number(n) + suffix;
    copy(source, destination, mode);
    return destination;
}

void remove(const QString& path) {
    QFile file(path);
    if (!file.exists() && !QFileInfo(path).isSymLink())
        return;
    if (!file.remove())
        throw FileError(QStringLiteral("Could not remove %1: %2").arg(path, file.errorString()));
}

void makeOwnerOnly(const QString& path) {
    if (!QFile::setPermissions(path, ownerOnly))
        throw FileError(QStringLiteral("Could not restrict the permissions of %1.").arg(path));
}

QString timestamp(const QDateTime& when) {
    return QLocale::c().toString(when, QStringLiteral("yyyy-MM-dd-HH-mm-ss"));
}

} // namespace FileUtil
