#include "profiles/FileUtil.h"

#include "profiles/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>

namespace FileUtil {

bool exists(const QString& path) {
    return QFileInfo::exists(path);
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
    const bool existed = QFileInfo::exists(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw FileError(QStringLiteral("Could not write %1: %2").arg(path, file.errorString()));
    if (!existed && newFileMode == NewFileMode::OwnerOnly)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(data) != data.size() || !file.commit())
        throw FileError(QStringLiteral("Could not write %1: %2").arg(path, file.errorString()));
}

void copy(const QString& source, const QString& destination) {
    if (QFileInfo::exists(destination))
        throw FileError(QStringLiteral("Could not copy %1 to %2: the destination already exists.")
                            .arg(source, destination));
    QFile file(source);
    if (!file.copy(destination))
        throw FileError(QStringLiteral("Could not copy %1 to %2: %3")
                            .arg(source, destination, file.errorString()));
}

void remove(const QString& path) {
    QFile file(path);
    if (!file.exists() && !QFileInfo(path).isSymLink())
        return;
    if (!file.remove())
        throw FileError(QStringLiteral("Could not remove %1: %2").arg(path, file.errorString()));
}

void makeOwnerOnly(const QString& path) {
    if (!QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        throw FileError(QStringLiteral("Could not restrict the permissions of %1.").arg(path));
}

QString timestamp(const QDateTime& when) {
    return QLocale::c().toString(when, QStringLiteral("yyyy-MM-dd-HH-mm-ss"));
}

} // namespace FileUtil
