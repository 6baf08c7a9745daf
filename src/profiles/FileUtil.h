#pragma once

#include "profiles/AtomicFile.h"
#include "profiles/Errors.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Small file helpers shared by every service that touches the disk. Each one
// throws FileError with the platform's own reason on failure. Every write goes through
// AtomicFile.
namespace FileUtil {

// Follows symbolic links: a link that leads nowhere counts as missing. Use entryExists()
// or fileExists() before creating a file.
bool exists(const QString& path);

// Whether anything at all is at `path`: a file, a folder, a symbolic link (also one that
// leads nowhere or into a loop), a socket... The last link is not followed. Throws
// FileError when the system cannot tell, for example behind a folder it may not search.
bool entryExists(const QString& path);

// Whether a file that can be read and replaced is at `path`: true for a regular file or a
// symbolic link that leads to one, false when nothing at all is there (the file may be
// created). Anything else throws FileError in plain words: a folder, a symbolic link loop,
// a link that leads nowhere or to a folder, a socket, a pipe or a device.
bool fileExists(const QString& path);

// Creates the directory and all missing parents; an existing directory is fine.
void makePath(const QString& directory);

// The whole file, or nothing with the reason in plain words in `why` ("it is a named pipe,
// not a file", "Permission denied"). Only a regular file is read, and opening never
// waits, so a named pipe at the path cannot hang the caller. Without `followLinks` a
// symbolic link is refused too ("it is a symbolic link").
std::optional<QByteArray> tryReadAll(const QString& path, QString& why, bool followLinks = true);
// The same, throwing FileError "Could not read <path>: <why>".
QByteArray readAll(const QString& path);

// The error of a write of `path` that failed with `error` (an errno value): a full disk
// or a file size limit reads "Not enough disk space to write ~/.claude/settings.json.".
FileError writeError(const QString& path, int error);

// Who may read a file that is written or copied.
enum class NewFileMode {
    Default,   // a new file gets the usual mode; an existing file keeps its own
    OwnerOnly, // a new file is created 0600; an existing file keeps its own
    Secret,    // the file holds a key: it ends 0600, also when it existed with another mode
};

// Replaces the file whole and atomically through AtomicFile: every byte is written and
// synced before the new file takes the old one's place, so a failure leaves the old file
// as it was. A symbolic link stays a link (its target is rewritten). The mode is set on
// the temporary file before it replaces the old one, so the content is never readable by
// others, even for a moment. Throws FileError, before writing, when fileExists() refuses
// the path. `sync` no: a file that only helps (an index rebuilt from what is on disk) is
// not synced, which spares a switch a wait on a busy disk; it is still whole or absent.
// `spare`: see AtomicFile::Spare.
void writeAtomically(const QString& path, const QByteArray& data,
                     NewFileMode newFileMode = NewFileMode::Default, bool sync = true,
                     AtomicFile::Spare spare = AtomicFile::Spare::none);

// Copies a file whole or not at all (a full disk leaves no short copy); fails when
// anything exists at the destination. The copy has the source's mode, or with OwnerOnly
// or Secret 0600, readable by nobody else from its first byte.
void copy(const QString& source, const QString& destination,
          NewFileMode mode = NewFileMode::Default);
// The same, replacing what is at the destination in one step: until the copy is complete
// the old file stays.
void copyOver(const QString& source, const QString& destination,
              NewFileMode mode = NewFileMode::Default);

// Copies `source` into `directory` (created when missing) as <prefix><time stamp><suffix>,
// or <prefix><time stamp>-2<suffix>, -3 ... when that name is taken, and returns the path
// of the copy. Never replaces anything.
QString copyToDatedFile(const QString& source, const QString& directory, const QString& prefix,
                        const QString& suffix, NewFileMode mode = NewFileMode::Default);
// The same for a file that is about to be replaced whole (writeAtomically()): where it
// can, the file itself is kept under the dated name (a second name, a hard link) and
// synced, so once the new file takes its place the old content lives on there without
// being copied or freed. A symbolic link, a file that has other names already, one that
// others may read where `mode` wants the owner only, or one the file system will not link
// is copied instead.
QString keepToDatedFile(const QString& source, const QString& directory, const QString& prefix,
                        const QString& suffix, NewFileMode mode = NewFileMode::Default);
// Removes those of `names` that are the file at `path` under another name: the copies
// keepToDatedFile() kept for a change that is not made after all, which would otherwise
// follow every later edit made to the file in place.
void forgetOtherNames(const QString& path, const QStringList& names);

// The names in a folder as the file system gives them, in no order ("." and ".." too);
// none when it cannot be read. No file information is made for them.
QList<QByteArray> namesIn(const QString& folder);

// Removes a file; fails when it exists and cannot be removed.
void remove(const QString& path);

// What tells whether the file at a path was replaced or changed: its inode, size and time
// of the last change (following links). Nothing when there is no file.
struct Stamp {
    qint64 inode = 0;
    qint64 size = 0;
    qint64 modified = 0; // nanoseconds
    bool operator==(const Stamp&) const = default;
};
std::optional<Stamp> stampOf(const QString& path);

// Local time as "yyyy-MM-dd-HH-mm-ss" with ASCII digits whatever the locale.
QString timestamp(const QDateTime& when = QDateTime::currentDateTime());
// The time stamp of now, or of now with "-2", "-3" ... after it, that no name is taken
// for yet, so two copies made within one second each keep their own, numbered in the
// order they were made. `taken` tells whether the names made with a stamp are taken; the
// names in `folder` with a number after this second's stamp are passed over.
QString unusedStamp(const QString& folder, const std::function<bool(const QString& stamp)>& taken);
// <stem><time stamp><suffix>: a path nothing is at yet (see unusedStamp()).
QString unusedDatedPath(const QString& stem, const QString& suffix = {});

} // namespace FileUtil
