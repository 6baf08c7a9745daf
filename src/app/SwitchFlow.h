#pragma once

#include "profiles/Errors.h"
#include "profiles/Profile.h"

#include <QString>

#include <functional>
#include <memory>

class AuthPatcher;
class ChatSyncService;
class ClaudeRestarter;
class ClaudeSettingsPatcher;
class CodexRestarter;
class ConfigPatcher;
class ProfilesStore;
class SwitchJournal;

// The services a switch drives; any left empty gets its default instance.
struct SwitchServices {
    std::shared_ptr<ConfigPatcher> configPatcher;
    std::shared_ptr<AuthPatcher> authPatcher;
    std::shared_ptr<CodexRestarter> codexRestarter;
    std::shared_ptr<ChatSyncService> chatSyncService;
    std::shared_ptr<ClaudeSettingsPatcher> claudeSettingsPatcher;
    std::shared_ptr<ClaudeRestarter> claudeRestarter;

    static SwitchServices withDefaults(SwitchServices services);
};

struct SwitchOptions {
    // False: the assistant is not started again afterwards, whatever the profile says.
    bool restart = true;
};

// A switch that failed; its text is the whole log line, including what was undone.
class SwitchError : public TavrinError {
public:
    using TavrinError::TavrinError;
};

// One switch of one assistant, start to end, on the calling thread (it blocks: quitting
// Codex alone can take seconds). Every check that can be made before the first change is
// made first; a change is journaled before it is made and undone when a later step fails.
// Two switches never run at once, in this process or another: the second waits a few
// seconds for the first, then fails.
class SwitchFlow {
public:
    // Hears what the switch is doing, a short line per step, as it happens.
    using Progress = std::function<void(const QString&)>;

    SwitchFlow(ProfilesStore& store, SwitchServices services, Progress progress = {});

    // Each returns the line that reports success and throws SwitchError (or the error of
    // a check made before anything changed) on failure.
    QString applyCodex(const Profile& profile, SwitchOptions options = {});
    QString applyClaude(const Profile& profile, SwitchOptions options = {});
    QString apply(TargetIDE target, const Profile& profile, SwitchOptions options = {});
    // The switch the tray and the command line ask for: to the profile with that id, one
    // the target may use (SwitchError "Select a profile first" when there is none).
    QString switchTo(TargetIDE target, const QString& profileID, SwitchOptions options = {});

    // The profile with that id, when the target may use it.
    static std::optional<Profile> availableProfile(const ProfilesStore& store, TargetIDE target,
                                                   const QString& profileID);

    // Why `profile` cannot be switched to, checked from the profile and its key alone.
    static void checkProfile(TargetIDE target, const Profile& profile,
                             const std::optional<QString>& apiKey);

private:
    void progress(const QString& line) const;
    // The checks every switch begins with, none of which changes anything; the key.
    std::optional<QString> checkBeforeChanges(TargetIDE target, const Profile& profile);
    // Moves Codex's chats to the profile's provider; the sentence for the line. A move that
    // fails before it changes anything is reported, not thrown.
    QString moveChats(const Profile& profile, SwitchJournal& journal);
    // Starts Codex with the profile, once more when the first start fails; the notes.
    QStringList startCodex(const Profile& profile);
    // Called in a handler: undoes what the journal recorded and throws the switch's error.
    [[noreturn]] void undoAndThrow(SwitchJournal& journal, TargetIDE target,
                                   const QString& activeBefore, bool restart);
    // After an undone switch that was to start the assistant: starts it on the profile
    // that is active again. The sentences for the line (what was started, or why not).
    QStringList reopenAfterUndo(TargetIDE target, const QString& activeID, bool restart);

    ProfilesStore& m_store;
    SwitchServices m_services;
    Progress m_progress;
};
