#pragma once

#include "profiles/FileChange.h"
#include "profiles/Profile.h"

#include <QStringList>

#include <optional>

// A change of auth.json, computed before anything changes.
struct AuthChange : PlannedWrite {
    Profile profile;
    std::optional<QString> apiKey;
    bool writesKey = false;      // the profile's API key is written
    bool hasLoginTokens = false; // the file holds the login tokens of a Codex account
};

// Sets "auth_mode" and "OPENAI_API_KEY" in ~/.codex/auth.json and keeps every other
// member exactly as read. An existing file is first copied, owner-only, to
// ~/.codex/backups/auth-<time stamp>.json. Platform file and JSON errors pass through; a
// broken file is never overwritten. The file is read and parsed once: prepare() computes
// the change, apply() writes it.
class AuthPatcher {
public:
    AuthPatcher() = default;
    virtual ~AuthPatcher() = default;

    // Throws, without changing anything, when the file cannot be patched.
    AuthChange prepare(const Profile& profile, const std::optional<QString>& apiKey);
    // Writes the change after copying the file; `recorder` hears of it after the copy and
    // before the file is written. A file that changed since prepare() is prepared again.
    virtual void apply(const AuthChange& change, const ChangeRecorder& recorder = {});
    // What in auth.json differs from what the profile asks; empty when it matches.
    QStringList differences(const Profile& profile, const std::optional<QString>& apiKey);
};
