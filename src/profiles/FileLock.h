#pragma once

#include <QString>

// A lock the kernel keeps for this process on an open file (flock), so it ends with the
// process whatever happens to it: no kill, crash or power loss leaves it behind. The lock
// file is created (0600) when missing and never removed.
class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Waits up to `waitMilliseconds` for the lock; false when another process held it all
    // that time. Throws FileError when the lock file cannot be opened.
    bool tryLock(const QString& path, int waitMilliseconds);
    void unlock();

private:
    int m_fd = -1;
};

// Held while Tavrin's own files (profiles.json, keys.json) are read again and rewritten,
// by whichever Tavrin program: one writer at a time, so no change is lost. A thread may
// take it again while it holds it; other threads of the process wait their turn.
class FilesLock {
public:
    // Throws FileError when the lock cannot be had within a few seconds.
    FilesLock();
    ~FilesLock();
    FilesLock(const FilesLock&) = delete;
    FilesLock& operator=(const FilesLock&) = delete;

    // ~/.codex/tavrin/files.lock
    static QString path();
};
