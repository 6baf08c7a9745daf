#pragma once

#include <QString>

#include <chrono>

// Held for a whole switch, and while an interrupted one is restored or set aside, by
// whichever program does it (the window or the command line), so that they never
// interleave their changes. It is the kernel's lock on an open file: it ends with the
// process that holds it, however that process ends, and the file itself means nothing.
class SwitchLock {
public:
    static constexpr std::chrono::milliseconds defaultWait{5000};

    // Waits up to `wait` for another holder to let go, then throws SwitchError ("Another
    // switch is running. ..."); throws FileError when the lock file cannot be opened.
    explicit SwitchLock(std::chrono::milliseconds wait = defaultWait);
    ~SwitchLock();
    SwitchLock(const SwitchLock&) = delete;
    SwitchLock& operator=(const SwitchLock&) = delete;

    static QString path();
    // Whether a switch holds the lock now, in this process or another; never waits.
    static bool heldElsewhere();

private:
    int m_fd = -1;
};
