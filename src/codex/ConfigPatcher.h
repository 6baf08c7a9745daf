#pragma once

#include "profiles/Errors.h"
#include "profiles/FileChange.h"
#include "profiles/Profile.h"
#include "system/FileBackupService.h"

#include <QStringList>

#include <memory>
#include <optional>

struct ConfigPatchResult {
    std::optional<BackupResult> backup;
};

// A refused or failed change of config.toml; the text says what and why.
class ConfigPatchError : public TavrinError {
public:
    using TavrinError::TavrinError;
    // "Patch failed, restored backup. " followed by the cause.
    static ConfigPatchError patchFailedAndRestored(const QString& cause);
};

// Rewrites the managed top-level keys of Codex's config.toml (model_provider, model,
// model_reasoning_effort; preferred_auth_method and disable_response_storage are removed),
// adds the Velqor provider table when Codex would need it, and leaves every other line as
// it was. When the file is valid TOML, the new text is checked with a TOML parser before
// it is written; after writing, the file is read back and verified, and the previous file
// is put back when anything fails.
class ConfigPatcher {
public:
    explicit ConfigPatcher(std::shared_ptr<FileBackupService> backupService = nullptr);
    virtual ~ConfigPatcher() = default;

    // `recorder` hears of the change after the backups and before the file is written.
    virtual ConfigPatchResult apply(const Profile& profile, const QString& configURL,
                                    const ChangeRecorder& recorder = {});
    // Throws, without changing anything, when apply() would refuse the file.
    virtual void checkCanApply(const Profile& profile, const QString& configURL);
    // What in the file on disk differs from what the profile asks; empty when it matches.
    virtual QStringList differences(const Profile& profile, const QString& configURL);

    // The new text for the profile. Throws ConfigPatchError, saying why, when Codex could
    // not use the profile with this file or when the change would touch anything else.
    static QString patchedContent(const QString& content, const Profile& profile);
    // When `original` is valid TOML: throws ConfigPatchError unless `patched` is valid TOML,
    // holds what the profile asks and keeps every other key's value.
    static void checkPatch(const QString& original, const QString& patched, const Profile& profile);
    // Throws ConfigPatchError with the first mismatch.
    static void validate(const QString& content, const Profile& profile);
    // One short line per mismatch; empty when the text holds what the profile asks.
    static QStringList differencesIn(const QString& content, const Profile& profile);

    // A TOML basic string of the raw text, as the managed lines write it.
    static QString quoted(const QString& value);

private:
    std::shared_ptr<FileBackupService> m_backupService;
};
