#pragma once

#include <QIcon>

// The application icon, drawn from the same SVG that the packages install: each size only
// when it is first asked for, and once per process.
namespace TrayIcons {

// The application icon: window icon and idle tray icon.
QIcon application();
// The tray icon while a switch runs: the knob halfway along a dimmed track.
QIcon switching();

} // namespace TrayIcons
