#include "profiles/Logging.h"

Q_LOGGING_CATEGORY(lcProfiles, "tavrin.profiles", QtInfoMsg)
Q_LOGGING_CATEGORY(lcCodex, "tavrin.codex", QtInfoMsg)
Q_LOGGING_CATEGORY(lcClaude, "tavrin.claude", QtInfoMsg)
Q_LOGGING_CATEGORY(lcRemote, "tavrin.remote", QtInfoMsg)
Q_LOGGING_CATEGORY(lcApp, "tavrin.app", QtInfoMsg)
Q_LOGGING_CATEGORY(lcDesktop, "tavrin.desktop", QtInfoMsg)
