#pragma once

#include "profiles/Profile.h"

#include <QString>

// What the window remembers between starts, in Tavrin's own settings file (the one the
// remote policy location is read from: organisation and application "Tavrin").
namespace UiSettings {

// ~/.config/Tavrin/Tavrin.conf (under $XDG_CONFIG_HOME when set).
QString filePath();
// The target the window showed last; Claude Code the first time.
TargetIDE lastTarget();
void saveLastTarget(TargetIDE target);

} // namespace UiSettings
