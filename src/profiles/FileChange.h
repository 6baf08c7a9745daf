#pragma once

#include <QString>

#include <functional>

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
