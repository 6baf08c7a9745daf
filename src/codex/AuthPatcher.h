#pragma once

#include "profiles/FileChange.h"
#include "profiles/Profile.h"

#include <QStringList>

#include <optional>

// Sets "auth_mode" and "OPENAI_API_KEY" in ~/.codex/auth.json and keeps every other
// member exactly as read. An existing file is first copied, owner-only, to
// ~/.codex/backups/auth-<time stamp>.json. Platform file and JSON errors pass through; a
// broken file is never overwritten.
struct AuthPatchResult {
    // The copy of auth.json taken before it was changed; absent when there was no file.
    std::optional<QString> backupURL;
};

class AuthPatcher {
public:
    AuthPatcher() = default;
    virtual ~AuthPatcher() = default;

    // `recorder` hears of the change after the copy and before the file is written.
    virtual AuthPatchResult apply(const Profile& profile, const std::optional<QString>& apiKey,
                                  const ChangeRecorder& recorder = {});
    // Throws, without changing anything, when apply() would refuse the file.
    virtual void checkCanApply();
    // Whether auth.json holds the login tokens of a Codex account.
    virtual bool hasLoginTokens();
    // What in auth.json differs from what the profile asks; empty when it matches.
    virtual QStringList differences(const Profile& profile, const std::optional<QString>& apiKey);
};
