#pragma once

#include <QString>

// Whether the remote policy requires a newer version of Tavrin before switching. The
// request itself lives in a module that is loaded only when a policy location is
// configured, so the command line starts without Qt's network library.
namespace PolicyCheck {

enum class Verdict { allowed, updateRequired, unknown };

// `problem` says why the verdict is unknown (the policy could not be loaded).
Verdict updateRequired(QString& problem);

} // namespace PolicyCheck
