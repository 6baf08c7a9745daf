#pragma once

#include "app/SwitchFlow.h"
#include "claude/ClaudeSettingsPatcher.h"
#include "codex/AuthPatcher.h"
#include "codex/ChatSyncService.h"
#include "codex/ConfigPatcher.h"
#include "profiles/AppPaths.h"
#include "profiles/Errors.h"

#include <QDir>
#include <QFile>

// The real patchers and chat move of a switch, made to fail at the step a test names.

// The crashes stand for a kill: an exception no step catches stops the switch where it is.
enum class Fault {
    none,
    config,
    configWritten, // config.toml is written, then its patch fails
    auth,
    chats,
    chatsLeftMoved,
    fileGone, // a session file is gone before the move
    save,
    crash,
    crashAtChatJournal,
    crashAfterChats
};
// The step the next switch fails at.
inline Fault injected = Fault::none;

// The profiles file can no longer be replaced: a folder stands where it was.
inline void breakProfilesFile() {
    QFile::remove(AppPaths::profilesURL());
    QDir().mkpath(AppPaths::profilesURL());
}

struct FaultyConfigPatcher : ConfigPatcher {
    void apply(const ConfigChange& change, const ChangeRecorder& recorder) override {
        if (injected == Fault::config)
            throw FileError("config.toml could not be written.");
        ConfigPatcher::apply(change, recorder);
        if (injected == Fault::configWritten)
            throw FileError("config.toml could not be written.");
    }
};

struct FaultyAuthPatcher : AuthPatcher {
    void apply(const AuthChange& change, const ChangeRecorder& recorder) override {
        if (injected == Fault::auth)
            throw FileError("auth.json could not be written.");
        if (injected == Fault::crash)
            throw 42; // like a kill: nothing after this point runs
        AuthPatcher::apply(change, recorder);
    }
};

struct FaultyChatSync : ChatSyncService {
    ChatSyncResult syncChats(const Profile& p,
                             const std::function<void(const QString&)>& written) override {
        if (injected == Fault::chats)
            throw ChatSyncError::sqliteFailed("database is locked");
        if (injected == Fault::fileGone)
            QFile::remove(AppPaths::codexDirectory() + "/sessions/2026/01/01/rollout-b.jsonl");
        ChatSyncResult result = ChatSyncService::syncChats(p, [&](const QString& journal) {
            written(journal);
            if (injected == Fault::crashAtChatJournal)
                throw 42;
        });
        if (injected == Fault::save)
            breakProfilesFile();
        if (injected == Fault::crashAfterChats)
            throw 42;
        if (injected == Fault::chatsLeftMoved)
            throw ChatSyncError::leftMoved("Could not put the chats back: disk full");
        return result;
    }
};

struct FaultySettingsPatcher : ClaudeSettingsPatcher {
    void apply(const SettingsChange& change, const ChangeRecorder& recorder) override {
        if (injected == Fault::config)
            throw FileError("settings.json could not be written.");
        ClaudeSettingsPatcher::apply(change, recorder);
        if (injected == Fault::save)
            breakProfilesFile();
    }
};

// The services of a switch with the patchers and the chat move above.
inline SwitchServices faultyServices() {
    SwitchServices services;
    services.configPatcher = std::make_shared<FaultyConfigPatcher>();
    services.authPatcher = std::make_shared<FaultyAuthPatcher>();
    services.chatSyncService = std::make_shared<FaultyChatSync>();
    services.claudeSettingsPatcher = std::make_shared<FaultySettingsPatcher>();
    return services;
}
