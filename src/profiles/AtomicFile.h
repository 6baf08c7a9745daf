#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>
#include <sys/types.h>

// A file written whole or not at all: the one way Tavrin writes a file. The bytes go to a
// temporary file next to the target, named <name>.tavrin-tmp-XXXXXX; commit() checks that
// every byte was written and synced to the disk and only then puts the file in place, so
// a full disk, a failed write or a kill never leaves a short file under the target's
// name. A writer that ends without commit() removes its temporary file; one that was
// killed leaves it for removeLeftovers().
class AtomicFile {
public:
    // What commit() does when something is at the target already.
    enum class Existing { replace, refuse };
    // For Tavrin's own files that every switch rewrites: the new content is written into
    // <name>.tavrin-spare, which the last write left, instead of a new temporary file, and
    // the two change places in one step (where the system can exchange two names), so no
    // file is created or freed, either of which can cost as much as a sync. Without a spare
    // (or a mode), as usual. `keep`: the old file becomes the spare as it is, for a file
    // others read without a lock (it is not written again until the next write). `scrub`:
    // the old file is then given the new content too, so nothing of it stays behind, for a
    // file read only under the lock its writer holds.
    enum class Spare { none, keep, scrub };

    // `mode`: the permission bits the file ends with (the temporary file has them, or
    // fewer, from the start); nothing for the usual bits of a new file. Throws FileError.
    AtomicFile(const QString& path, std::optional<mode_t> mode,
               Existing existing = Existing::replace, Spare spare = Spare::none);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void write(QByteArrayView data);
    // `sync` false leaves the data to the kernel's own time: for files nothing depends on.
    void commit(bool sync = true);

    // Gives `existing`, a whole file already on the disk, the name `path` as well, in
    // place of what is there, in one step: nothing is written or synced again. False
    // (and nothing changed) where the file system has no hard links; throws FileError.
    static bool linkInPlace(const QString& existing, const QString& path);
    // Removes the file at `path` by making it its spare (see Spare); nothing there is no
    // error. Throws FileError.
    static void retire(const QString& path);

    // Removes the temporary files that interrupted writes left in the folders Tavrin
    // writes (~/.codex, ~/.codex/tavrin, ~/.codex/backups, ~/.claude, ~/.claude/backups):
    // its own, and those of the naming earlier versions used (<file>.XXXXXX, for the
    // files Tavrin writes there, once they are a minute old). Never fails; returns the
    // paths it removed.
    static QStringList removeLeftovers();
    static QStringList removeLeftovers(const QStringList& directories);
    // "Removed 2 temporary files left by an interrupted write.", or nothing.
    static QString leftoversNote(const QStringList& removed);

private:
    [[noreturn]] void fail(int error);
    int openOwnSpare(mode_t mode) const;
    bool openSpare(mode_t mode);
    void discard();
    void putInPlace();
    void putSpareInPlace();

    QString m_path;
    QString m_temporary;
    int m_fd = -1;
    Existing m_existing;
    Spare m_spare = Spare::none; // none when no spare is to be had
    mode_t m_mode = 0;           // the new file's, where there is a spare
    bool m_reusing = false;      // m_temporary is the spare
    qint64 m_size = 0;           // bytes written
    QByteArray m_content;        // what was written, for a spare to scrub
};
