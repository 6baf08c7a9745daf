#pragma once

#include <QString>

// Whether the remote policy requires a newer version of Tavrin before switching. The
// request loads Qt's network library only when a policy location is configured.
namespace PolicyCheck {

enum class Verdict { allowed, updateRequired, unknown };

// `problem` says why the verdict is unknown (the policy could not be loaded).
Verdict updateRequired(QString& problem);

} // namespace PolicyCheck
