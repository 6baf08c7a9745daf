#pragma once

#include <QString>

// The names Tavrin is known by to the system: its settings, desktop entry and bundle.
namespace AppIdentity {

// The reverse-DNS application id of this build ("dev.tavrin.Tavrin"): the macOS bundle id
// and defaults domain, the desktop entry's and the AppStream metadata's name.
QString applicationID();

// Gives the running application (the window or the command line) its organisation name
// and domain and its application name, so that both read the same user settings:
// organisation "Tavrin", domain "tavrin.dev", application "Tavrin".
void configure();

} // namespace AppIdentity
