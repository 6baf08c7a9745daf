#pragma once

#include <exception>
#include <functional>

class QObject;

namespace Background {

// Runs `work` on Qt's global thread pool, then `done` on the thread of `context`, from its
// event loop, with what `work` threw (null when it threw nothing). `done` is dropped when
// `context` is deleted first; `work` must then need nothing of it. Call on `context`'s
// thread.
void run(QObject* context, std::function<void()> work,
         std::function<void(std::exception_ptr)> done);

} // namespace Background
