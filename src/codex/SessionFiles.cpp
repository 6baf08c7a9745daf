#include "codex/SessionFiles.h"

#include "profiles/AppPaths.h"
#include "profiles/AtomicFile.h"
#include "profiles/Errors.h"
#include "profiles/ExactJson.h"
#include "profiles/Logging.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>

#include <array>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SessionFiles {

namespace {

// A session_meta line is a few kilobytes; anything far beyond that is not one.
constexpr qsizetype maxFirstLineBytes = 16 * 1024 * 1024;
constexpr qsizetype copyChunkBytes = 1024 * 1024;

QByteArray tokenOf(const QString& provider) {
    return '"' + provider.toUtf8() + '"';
}

} // namespace

// The line with the provider token at `offset` replaced by `token`; nothing unless the new
// line reads as the same record naming the new provider there.
std::optional<QByteArray> replaced(const QByteArray& line, qsizetype offset, qsizetype oldSize,
                                   const QByteArray& token) {
    QByteArray result = line.left(offset) + token + line.mid(offset + oldSize);
    const std::optional<ProviderAt> check = providerIn(result);
    if (!check || check->offset != offset || check->token != token)
        return std::nullopt;
    return result;
}

namespace {

// The realpath of a folder; empty when it cannot be resolved.
QString realFolder(const QString& folder) {
    char resolved[PATH_MAX];
    if (!::realpath(QFile::encodeName(folder).constData(), resolved))
        return {};
    return QFile::decodeName(resolved);
}

} // namespace

std::optional<ProviderAt> providerIn(const QByteArray& line) {
    static const std::vector<std::vector<QByteArray>> paths{{"type"},
                                                            {"payload", "model_provider"}};
    std::vector<std::optional<ExactJson::StringAt>> found;
    try {
        found = ExactJson::findStrings(line, paths);
    } catch (const ExactJson::SyntaxError&) {
        return std::nullopt;
    }
    if (!found[0] || found[0]->value != "session_meta" || !found[1])
        return std::nullopt;
    const ExactJson::StringAt& value = *found[1];
    return ProviderAt{value.begin, line.mid(value.begin, value.end - value.begin),
                      QString::fromUtf8(value.value)};
}

Locator::Locator() : m_codex(QDir::cleanPath(AppPaths::codexDirectory())) {
    m_realCodex = realFolder(m_codex);
    for (const char* name : {"sessions", "archived_sessions"}) {
        const QString root = m_codex + QLatin1Char('/') + QLatin1String(name);
        if (!m_realCodex.isEmpty() && QFileInfo(root).isDir())
            m_roots << root;
    }
}

QStringList Locator::roots() const {
    QStringList names;
    for (const QString& root : m_roots)
        names << root << root.mid(m_codex.size() + 1);
    return names;
}

QString Locator::path(const QString& rolloutPath) {
    if (rolloutPath.isEmpty() || m_roots.isEmpty())
        return {};
    const QString path = QDir::cleanPath(
        QDir::isAbsolutePath(rolloutPath) ? rolloutPath : m_codex + QLatin1Char('/') + rolloutPath);
    for (const QString& root : std::as_const(m_roots))
        if (path.startsWith(root + QLatin1Char('/')))
            return staysInside(path.section(QLatin1Char('/'), 0, -2)) ? path : QString();
    return {};
}

// Whether the folder, its links resolved, still lies inside ~/.codex.
bool Locator::staysInside(const QString& folder) {
    const auto known = m_folders.constFind(folder);
    if (known != m_folders.constEnd())
        return *known;
    const QString real = realFolder(folder);
    const bool inside = !real.isEmpty() && real.startsWith(m_realCodex + QLatin1Char('/'));
    if (!inside && !real.isEmpty())
        qCWarning(lcCodex) << "Leaving session files alone behind a link out of ~/.codex:"
                           << folder;
    m_folders.insert(folder, inside);
    return inside;
}

File::File(const QString& path) : m_path(path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        !m_file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle))
        ::close(fd);
}

std::optional<QByteArray> File::firstLine() {
    QByteArray line;
    std::array<char, 64 * 1024> buffer;
    for (;;) {
        const qint64 count = m_file.read(buffer.data(), qint64(buffer.size()));
        if (count < 0)
            throw FileError(QCoreApplication::translate("SessionFiles", "Could not read %1: %2")
                                .arg(m_path, m_file.errorString()));
        if (count == 0)
            break;
        const void* feed = std::memchr(buffer.data(), '\n', size_t(count));
        if (feed) {
            line.append(buffer.data(), static_cast<const char*>(feed) - buffer.data());
            break;
        }
        line.append(buffer.data(), count);
        if (line.size() > maxFirstLineBytes)
            return std::nullopt;
    }
    return line;
}

void File::replaceFirstLine(qint64 oldSize, const QByteArray& line) {
    const auto readFailed = [&] {
        return FileError(QCoreApplication::translate("SessionFiles", "Could not read %1: %2")
                             .arg(m_path, m_file.errorString()));
    };
    // The file keeps its permission bits and its time: Codex lists chats by it.
    struct stat info {};
    if (::fstat(m_file.handle(), &info) != 0)
        throw FileError(QCoreApplication::translate("SessionFiles", "Could not read %1: %2")
                            .arg(m_path, QString::fromLocal8Bit(std::strerror(errno))));
    AtomicFile target(m_path, mode_t(info.st_mode & 07777));
    target.write(line);
    if (!m_file.seek(oldSize))
        throw readFailed();
    QByteArray buffer(copyChunkBytes, Qt::Uninitialized);
    for (;;) {
        const qint64 count = m_file.read(buffer.data(), buffer.size());
        if (count < 0)
            throw readFailed();
        if (count == 0)
            break;
        target.write(QByteArrayView(buffer.constData(), count));
    }
    target.commit();
    const struct timespec times[2] = {{0, UTIME_OMIT}, info.st_mtim};
    if (::utimensat(AT_FDCWD, QFile::encodeName(m_path).constData(), times, 0) != 0)
        qCWarning(lcCodex) << "Could not keep the modification time of" << m_path;
}

std::optional<Change> plan(const QString& path, const QStringList& from) {
    File file(path);
    if (!file.isOpen())
        return std::nullopt;
    std::optional<QByteArray> line;
    try {
        line = file.firstLine();
    } catch (const FileError& error) {
        qCWarning(lcCodex) << "Leaving an unreadable session file alone:" << error.what();
    }
    const std::optional<ProviderAt> at = line ? providerIn(*line) : std::nullopt;
    if (!at || !from.contains(at->provider))
        return std::nullopt;
    return Change{path, at->provider, at->offset, at->token, qHash(*line)};
}

bool apply(const Change& change, const QString& to) {
    File file(change.path);
    const std::optional<QByteArray> line =
        file.isOpen() ? file.firstLine() : std::optional<QByteArray>();
    const std::optional<QByteArray> moved =
        line && qHash(*line) == change.lineHash
            ? replaced(*line, change.offset, change.token.size(), tokenOf(to))
            : std::nullopt;
    if (!moved) {
        qCWarning(lcCodex) << "Session file changed during the chat move, left alone:"
                           << change.path;
        return false;
    }
    file.replaceFirstLine(line->size(), *moved);
    return true;
}

Restore restore(const Change& change, const QString& to, bool dryRun) {
    File file(change.path);
    const std::optional<QByteArray> line =
        file.isOpen() ? file.firstLine() : std::optional<QByteArray>();
    const std::optional<ProviderAt> at = line ? providerIn(*line) : std::nullopt;
    if (!at || at->offset != change.offset)
        return Restore::changedSince;
    if (at->token == change.token)
        return Restore::alreadyOriginal;
    const std::optional<QByteArray> original =
        at->token == tokenOf(to) ? replaced(*line, change.offset, at->token.size(), change.token)
                                 : std::nullopt;
    if (!original)
        return Restore::changedSince;
    if (!dryRun)
        file.replaceFirstLine(line->size(), *original);
    return Restore::done;
}

} // namespace SessionFiles
