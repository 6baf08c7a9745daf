#include "profiles/AtomicFile.h"

#include "profiles/AppPaths.h"
#include "profiles/Errors.h"
#include "profiles/FileLock.h"
#include "profiles/FileUtil.h"
#include "profiles/Logging.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString temporaryMarker = QStringLiteral(".tavrin-tmp-");
const QString spareMarker = QStringLiteral(".tavrin-spare");
constexpr int randomLength = 6;
// Files written by earlier versions were left as <name>.XXXXXX (six random letters) by a
// write cut short; other programs may be writing such a name right now, so only old ones
// are taken.
constexpr qint64 earlierNamingAgeSeconds = 60;

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

QString randomSuffix() {
    static const char characters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    constexpr quint64 count = sizeof(characters) - 1;
    // One draw from the system's generator is enough for six letters (a taken name is
    // drawn again); the global generator would first fill the whole of its state.
    quint64 bits = QRandomGenerator::system()->generate64();
    QString suffix;
    for (int i = 0; i < randomLength; ++i, bits /= count)
        suffix += QLatin1Char(characters[bits % count]);
    return suffix;
}

// The names below are looked at for every file of the folders Tavrin writes in; the
// patterns are made only for a name that may match.
bool isOwnTemporaryName(const QString& name) {
    if (!name.contains(temporaryMarker))
        return false;
    static const QRegularExpression own(QStringLiteral("^.+\\.tavrin-tmp-[A-Za-z0-9]{6}$"));
    return own.match(name).hasMatch();
}

// <file>.XXXXXX of a file Tavrin wrote, with six random letters of both cases: a name such
// as settings.json.backup or settings.json.BACKUP is somebody's own file.
bool isEarlierTemporaryName(const QString& name) {
    if (name.size() <= randomLength || name[name.size() - randomLength - 1] != QLatin1Char('.'))
        return false;
    static const QRegularExpression earlier(
        QStringLiteral("^(?:config\\.toml|auth\\.json|settings\\.json|profiles\\.json|keys\\.json|"
                       "switch-journal\\.json|chats-[0-9-]+\\.json|qt_temp)\\.([A-Za-z]{6})$"));
    const QRegularExpressionMatch match = earlier.match(name);
    if (!match.hasMatch())
        return false;
    const QString random = match.captured(1);
    return random != random.toLower() && random != random.toUpper();
}

bool isLeftover(const QString& directory, const QString& name) {
    const bool own = isOwnTemporaryName(name);
    if (!own && !isEarlierTemporaryName(name))
        return false;
    struct stat info {};
    if (::lstat(encoded(directory + QLatin1Char('/') + name).constData(), &info) != 0 ||
        !S_ISREG(info.st_mode) || info.st_uid != ::getuid())
        return false;
    return own || info.st_mtime < QDateTime::currentSecsSinceEpoch() - earlierNamingAgeSeconds;
}

} // namespace

AtomicFile::AtomicFile(const QString& path, std::optional<mode_t> mode, Existing existing,
                       Spare spare)
    : m_path(path), m_existing(existing),
      m_spare(mode && existing == Existing::replace ? spare : Spare::none),
      m_mode(mode.value_or(0)) {
    if (m_spare != Spare::none && openSpare(*mode))
        return;
    const QString stem = path + temporaryMarker;
    // Created for its owner only when the final bits are known; otherwise with the usual
    // bits of a new file (what the umask leaves of 0666).
    const mode_t createMode = mode ? 0600 : 0666;
    for (int attempt = 0; m_fd < 0; ++attempt) {
        m_temporary = stem + randomSuffix();
        m_fd = ::open(encoded(m_temporary).constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, createMode);
        if (m_fd < 0 && (errno != EEXIST || attempt > 100)) {
            const int error = errno;
            m_temporary.clear();
            fail(error);
        }
    }
    if (mode && ::fchmod(m_fd, *mode) != 0)
        fail(errno);
}

AtomicFile::~AtomicFile() {
    discard();
}

// Opens the spare for writing when it is a plain file of this user's with no other name,
// given `mode` first; -1 otherwise.
int AtomicFile::openOwnSpare(mode_t mode) const {
    const int fd =
        ::open(encoded(m_path + spareMarker).constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink != 1 ||
        info.st_uid != ::getuid() || ::fchmod(fd, mode) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool AtomicFile::openSpare(mode_t mode) {
    const int fd = openOwnSpare(mode);
    if (fd < 0)
        return false;
    m_fd = fd;
    m_temporary = m_path + spareMarker;
    m_reusing = true;
    return true;
}

void AtomicFile::discard() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    // A spare stays one, whatever it holds: it is written over before it is used.
    if (!m_temporary.isEmpty() && !m_reusing)
        ::unlink(encoded(m_temporary).constData());
    m_temporary.clear();
}

void AtomicFile::fail(int error) {
    discard();
    throw FileUtil::writeError(m_path, error);
}

void AtomicFile::write(QByteArrayView data) {
    const char* next = data.data();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd, next, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            fail(errno);
        if (written == 0)
            fail(ENOSPC);
        next += written;
        left -= written;
    }
    m_size += data.size();
    if (m_spare == Spare::scrub)
        m_content += data;
}

void AtomicFile::commit(bool sync) {
    if (m_reusing && ::ftruncate(m_fd, m_size) != 0)
        fail(errno);
    if (sync && ::fsync(m_fd) != 0)
        fail(errno);
    const int closed = ::close(m_fd);
    m_fd = -1;
    if (closed != 0 && errno != EINTR)
        fail(errno);
    // The data is on the disk before the name points at it, so whatever survives a crash
    // is the old file or the whole new one. (The folder is not synced as well: that
    // would only make the new name durable sooner, at the cost of another sync.)
    putInPlace();
    m_temporary.clear();
}

void AtomicFile::putInPlace() {
    if (m_spare != Spare::none)
        return putSpareInPlace();
    const QByteArray temporary = encoded(m_temporary);
    const QByteArray target = encoded(m_path);
    if (m_existing == Existing::replace) {
        if (::rename(temporary.constData(), target.constData()) != 0)
            fail(errno);
        return;
    }
    // A hard link never replaces anything. A file system without hard links gets a
    // rename after a look.
    if (::link(temporary.constData(), target.constData()) == 0) {
        ::unlink(temporary.constData());
        return;
    }
    const int error = errno;
    if (error == EEXIST || !(error == EPERM || error == ENOTSUP || error == EOPNOTSUPP ||
                             error == EMLINK || error == ENOSYS))
        fail(error);
    if (FileUtil::entryExists(m_path))
        fail(EEXIST);
    if (::rename(temporary.constData(), target.constData()) != 0)
        fail(errno);
}

void AtomicFile::putSpareInPlace() {
    const QByteArray written = encoded(m_temporary);
    const QByteArray target = encoded(m_path);
    const QByteArray spare = encoded(m_path + spareMarker);
#ifdef Q_OS_LINUX
    if (::renameat2(AT_FDCWD, written.constData(), AT_FDCWD, target.constData(), RENAME_EXCHANGE) ==
        0) {
        // The old file is (or becomes) the spare; scrubbed, it holds the new content too,
        // or nothing.
        if (written != spare && ::rename(written.constData(), spare.constData()) != 0)
            ::unlink(written.constData());
        if (m_spare != Spare::scrub)
            return;
        // The old file may have been readable by others, or have another name: it takes
        // the new content only once it is as private as the new file, and only when nothing
        // else can be reached through it; otherwise it goes.
        const int fd = openOwnSpare(m_mode);
        if (fd < 0) {
            ::unlink(spare.constData());
            return;
        }
        const bool whole = ::pwrite(fd, m_content.constData(), size_t(m_content.size()), 0) ==
                           ssize_t(m_content.size());
        (void)::ftruncate(fd, whole ? m_content.size() : 0);
        ::close(fd);
        return;
    }
    if (errno != ENOENT && errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        fail(errno);
#endif
    // No file to change places with yet (or no way to): the new file takes the name.
    if (::rename(written.constData(), target.constData()) != 0)
        fail(errno);
}

void AtomicFile::retire(const QString& path) {
    if (::rename(encoded(path).constData(), encoded(path + spareMarker).constData()) == 0 ||
        errno == ENOENT)
        return;
    FileUtil::remove(path);
}

bool AtomicFile::linkInPlace(const QString& existing, const QString& path) {
    const QByteArray source = encoded(existing);
    QByteArray temporary;
    for (int attempt = 0;; ++attempt) {
        temporary = encoded(path + temporaryMarker + randomSuffix());
        if (::link(source.constData(), temporary.constData()) == 0)
            break;
        const int error = errno;
        if (error == EEXIST && attempt < 100)
            continue;
        if (error == EXDEV || error == EPERM || error == ENOTSUP || error == EOPNOTSUPP ||
            error == EMLINK || error == ENOSYS)
            return false;
        throw FileUtil::writeError(path, error);
    }
    if (::rename(temporary.constData(), encoded(path).constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        throw FileUtil::writeError(path, error);
    }
    return true;
}

QStringList AtomicFile::removeLeftovers() {
    try {
        // Profile and key changes of other Tavrin programs finish first.
        const FilesLock lock;
        return removeLeftovers({AppPaths::codexDirectory(), AppPaths::tavrinDirectory(),
                                AppPaths::backupsDirectory(), AppPaths::claudeDirectory(),
                                AppPaths::claudeBackupsDirectory()});
    } catch (const TavrinError& error) {
        qCWarning(lcProfiles) << "Temporary files were not looked for:"
                              << error.localizedDescription();
        return {};
    }
}

QStringList AtomicFile::removeLeftovers(const QStringList& directories) {
    QStringList removed;
    for (const QString& directory : directories) {
        QStringList names;
        for (const QByteArray& name : FileUtil::namesIn(directory))
            names << QFile::decodeName(name);
        names.sort();
        for (const QString& name : names) {
            if (!isLeftover(directory, name))
                continue;
            const QString path = directory + QLatin1Char('/') + name;
            if (::unlink(encoded(path).constData()) == 0)
                removed << path;
            else
                qCWarning(lcProfiles)
                    << "Could not remove" << path << ":" << qt_error_string(errno);
        }
    }
    return removed;
}

QString AtomicFile::leftoversNote(const QStringList& removed) {
    if (removed.isEmpty())
        return {};
    for (const QString& path : removed)
        qCInfo(lcProfiles) << "Removed" << path;
    return removed.size() == 1
               ? QCoreApplication::translate(
                     "AtomicFile", "Removed 1 temporary file left by an interrupted write.")
               : QCoreApplication::translate(
                     "AtomicFile", "Removed %1 temporary files left by an interrupted write.")
                     .arg(removed.size());
}
