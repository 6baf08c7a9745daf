#pragma once

#include <exception>
#include <functional>

class ProfilesStore;
class QObject;

// Runs `change`, a change of keys made through `store`, and then `done` with what it
// threw (null when nothing). While keys are in the key file, at once. While they are in
// the system keyring, which may take a while (it may first ask for its password), off
// the window's thread, so the window never waits: `busy(true)` comes first, and
// `busy(false)` and `done` follow on `context`'s thread (dropped when it is gone).
void runKeyChange(QObject* context, const ProfilesStore& store, std::function<void()> change,
                  std::function<void(bool)> busy, std::function<void(std::exception_ptr)> done);
