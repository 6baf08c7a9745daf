#pragma once

#include "profiles/Errors.h"
#include "profiles/FileChange.h"
#include "profiles/Profile.h"

#include <QByteArray>
#include <QStringList>

#include <memory>
#include <optional>

class FileBackupService;

// A refused change of config.toml; the text says what and why.
class ConfigPatchError : public TavrinError {
public:
    using TavrinError::TavrinError;
};

// A change of config.toml, computed and checked before anything changes.
struct ConfigChange : PlannedWrite {
    Profile profile;
};

// Rewrites the managed top-level keys of Codex's config.toml (model_provider, model,
// model_reasoning_effort; preferred_auth_method and disable_response_storage are removed),
// adds the Velqor provider table when Codex would need it, and leaves every other line as
// it was (ConfigPatch). Each text is read and checked once: prepare() computes the change
// and refuses what Codex could not use, apply() backs the file up and writes it. The
// switch journal undoes a change that a later step of the switch does not survive.
class ConfigPatcher {
public:
    explicit ConfigPatcher(std::shared_ptr<FileBackupService> backupService = nullptr);
    virtual ~ConfigPatcher();

    // Throws, without changing anything, when the file cannot be patched for the profile.
    ConfigChange prepare(const Profile& profile, const QString& configURL);
    // Writes the change after two backups of the file; `recorder` hears of it after the
    // backups and before the file is written. A file that changed since prepare() is
    // prepared again.
    virtual void apply(const ConfigChange& change, const ChangeRecorder& recorder = {});
    // What in the file on disk differs from what the profile asks; empty when it matches.
    QStringList differences(const Profile& profile, const QString& configURL);

private:
    std::shared_ptr<FileBackupService> m_backupService;
};
