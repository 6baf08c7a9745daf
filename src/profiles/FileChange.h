#pragma once

#include "profiles/FileUtil.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// A file that a switch is about to replace or create, and where its content from
// before the change is kept, so the change can be undone.
struct FileChange {
    QString path;         // the file that will be written
    bool existed = false; // false: the file is new; undoing the change removes it
    QString copy;         // a copy of the file as it was; empty when it did not exist
};

// Told about each change just before it is made. When it throws, the change is not made
// and the error passes on to the caller.
using ChangeRecorder = std::function<void(const FileChange&)>;

// Tells `recorder`, when there is one, about `change` before it is made. When that fails,
// the change is not made: those of `kept` (the copies made for it) that are the file
// itself under another name are removed (FileUtil::forgetOtherNames()), and the error
// passes on.
inline void recordChange(const ChangeRecorder& recorder, const FileChange& change,
                         const QStringList& kept) {
    try {
        if (recorder)
            recorder(change);
    } catch (...) {
        FileUtil::forgetOtherNames(change.path, kept);
        throw;
    }
}

// The new content of a file, computed (and checked) from the file as it was read, before
// anything changes: a switch reads and parses each file once.
struct PlannedWrite {
    QString path;
    bool existed = false;
    QByteArray content;
    std::optional<FileUtil::Stamp> source; // the file the content was computed from

    // Whether the file is still the one the content was computed from.
    bool isCurrent() const { return FileUtil::stampOf(path) == source; }
};

// The planned change, or when its file changed since it was planned (an assistant may
// write its files as it quits), the one `plan` makes from the file as it is now.
template <class Change, class Plan> Change replanned(const Change& planned, Plan plan) {
    return planned.isCurrent() ? planned : plan();
}
