#pragma once

#include "profiles/Errors.h"
#include "profiles/FileChange.h"
#include "profiles/Profile.h"

#include <QStringList>

#include <optional>

struct ClaudeSettingsPatchResult {
    std::optional<QString> latestBackupURL;
    std::optional<QString> timestampedBackupURL;
    bool operator==(const ClaudeSettingsPatchResult&) const = default;
};

class ClaudeSettingsPatchError : public TavrinError {
public:
    // "Claude settings.json is not a JSON object."
    static ClaudeSettingsPatchError invalidSettings();

private:
    using TavrinError::TavrinError;
};

// Rewrites the env block (and drops "apiKeyHelper") of ~/.claude/settings.json for an
// API-key or an account profile, after two backup copies of the file. Every other value
// comes back exactly as read, numbers by their text.
class ClaudeSettingsPatcher {
public:
    ClaudeSettingsPatcher() = default;
    virtual ~ClaudeSettingsPatcher() = default;

    // `recorder` hears of the change after the backups and before the file is written.
    virtual ClaudeSettingsPatchResult apply(const Profile& profile,
                                            const std::optional<QString>& apiKey,
                                            const ChangeRecorder& recorder = {});
    // Throws, without changing anything, when apply() would refuse the file.
    virtual void checkCanApply();
    // What in settings.json differs from what the profile asks; empty when it matches.
    virtual QStringList differences(const Profile& profile, const std::optional<QString>& apiKey);

    // Whether Claude Code holds an account login, where its files show it: on Linux its
    // credentials file ~/.claude/.credentials.json (or a Console key in ~/.claude.json, or
    // CLAUDE_CODE_OAUTH_TOKEN in the environment its sessions inherit). Nothing when that
    // cannot be told: on macOS the login is in the Keychain, and a file in a form not
    // known here says nothing either.
    virtual std::optional<bool> hasAccountLogin();

private:
    ClaudeSettingsPatchResult createBackup();
};
