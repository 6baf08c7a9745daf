#pragma once

#include <QLoggingCategory>

// One logging category per folder. QT_LOGGING_RULES (for example
// "tavrin.*.debug=true") or tavrin-cli --verbose shows what they say.
Q_DECLARE_LOGGING_CATEGORY(lcProfiles) // tavrin.profiles
Q_DECLARE_LOGGING_CATEGORY(lcCodex)    // tavrin.codex
Q_DECLARE_LOGGING_CATEGORY(lcClaude)   // tavrin.claude
Q_DECLARE_LOGGING_CATEGORY(lcRemote)   // tavrin.remote
Q_DECLARE_LOGGING_CATEGORY(lcApp)      // tavrin.app
Q_DECLARE_LOGGING_CATEGORY(lcDesktop)  // tavrin.desktop
