#pragma once

#include "profiles/Profile.h"

#include <QList>
#include <QString>

#include <optional>

// One variable of the environment an assistant is started with: set to a value, or
// cleared when the value is absent.
struct EnvironmentVariable {
    QString name;
    std::optional<QString> value;
    bool operator==(const EnvironmentVariable&) const = default;
};

// The variables a switch sets or clears, in the order they are applied.
using LaunchEnvironment = QList<EnvironmentVariable>;

namespace LaunchEnvironments {

// Codex: the proxy variables (with NO_PROXY and no_proxy keeping loopback calls direct),
// set for the profile's proxy or all cleared.
LaunchEnvironment codex(const std::optional<Profile>& profile);

// Claude Code: the proxy variables as for Codex, then for an API-key profile the Velqor base URL,
// the three "1" switches and the two token variables (cleared when the trimmed key is
// blank); for an account profile (or none) those six variables cleared.
LaunchEnvironment claude(const std::optional<Profile>& profile,
                         const std::optional<QString>& apiKey);

// The shells whose syntax shellScript() speaks.
enum class Shell { sh, bash, zsh, fish };
std::optional<Shell> shellNamed(const QString& name);

// Lines that apply the variables to the shell that evaluates them, values quoted so they
// arrive exactly as given: export/unset for sh, bash and zsh; set -gx/set -e for fish.
QString shellScript(const LaunchEnvironment& variables, Shell shell);

} // namespace LaunchEnvironments
