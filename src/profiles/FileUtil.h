#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Small file helpers shared by every service that touches the disk. Each one
// throws FileError with the platform's own reason on failure.
namespace FileUtil {

bool exists(const QString& path);

// Creates the directory and all missing parents; an existing directory is fine.
void makePath(const QString& directory);

QByteArray readAll(const QString& path);

enum class NewFileMode { Default, OwnerOnly };

// Replaces the file whole and atomically. An existing file keeps its mode and a
// symbolic link stays a link (its target is rewritten). A file that does not exist
// yet is created 0600 with NewFileMode::OwnerOnly.
void writeAtomically(const QString& path, const QByteArray& data,
                     NewFileMode newFileMode = NewFileMode::Default);

// Copies a file; fails when the destination already exists.
void copy(const QString& source, const QString& destination);

// Removes a file; fails when it exists and cannot be removed.
void remove(const QString& path);

// Sets owner read/write only.
void makeOwnerOnly(const QString& path);

// Local time as "yyyy-MM-dd-HH-mm-ss" with ASCII digits whatever the locale.
QString timestamp(const QDateTime& when = QDateTime::currentDateTime());

} // namespace FileUtil
