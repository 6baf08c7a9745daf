#pragma once

#include <exception>
#include <functional>

class QObject;

// Runs `change`, a change made through the profiles store, and then `done` with what it
// threw (null when nothing). When it reaches the system keyring (`usesKeyring`: the store's
// keysMayWait() and a key is saved or deleted), which may take a while (it may first ask
// for its password), off the window's thread, so the window never waits: `busy(true)`
// comes first, and `busy(false)` and `done` follow on `context`'s thread (dropped when it
// is gone). Otherwise at once.
void runKeyChange(QObject* context, bool usesKeyring, std::function<void()> change,
                  std::function<void(bool)> busy, std::function<void(std::exception_ptr)> done);
