#pragma once

#include "profiles/Errors.h"
#include "profiles/FileChange.h"
#include "profiles/Profile.h"

#include <QStringList>

#include <optional>

// A change of settings.json, computed before anything changes.
struct SettingsChange : PlannedWrite {
    Profile profile;
    std::optional<QString> apiKey;
    bool holdsKey = false; // the new file holds an API key
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
// comes back exactly as read, numbers by their text. The file is read and parsed once:
// prepare() computes the change, apply() writes it.
class ClaudeSettingsPatcher {
public:
    ClaudeSettingsPatcher() = default;
    virtual ~ClaudeSettingsPatcher() = default;

    // Throws, without changing anything, when the file cannot be patched.
    SettingsChange prepare(const Profile& profile, const std::optional<QString>& apiKey);
    // Writes the change after two backups of the file; `recorder` hears of it after the
    // backups and before the file is written. A file that changed since prepare() is
    // prepared again.
    virtual void apply(const SettingsChange& change, const ChangeRecorder& recorder = {});
    // What in settings.json differs from what the profile asks; empty when it matches.
    QStringList differences(const Profile& profile, const std::optional<QString>& apiKey);

    // Whether Claude Code holds an account login, where its files show it: on Linux its
    // credentials file ~/.claude/.credentials.json (or a Console key in ~/.claude.json, or
    // CLAUDE_CODE_OAUTH_TOKEN in the environment its sessions inherit). Nothing when that
    // cannot be told: on macOS the login is in the Keychain, and a file in a form not
    // known here says nothing either.
    std::optional<bool> hasAccountLogin();

    // The env variables Tavrin sets or removes: the Velqor ones and the proxy ones.
    static QStringList managedVariables();
};
