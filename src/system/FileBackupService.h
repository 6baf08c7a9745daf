#pragma once

#include "profiles/Errors.h"

#include <QString>

struct BackupResult {
    QString latestBackupURL;
    QString timestampedBackupURL;
    bool operator==(const BackupResult&) const = default;
};

class BackupError : public TavrinError {
public:
    // "Could not read config.toml at <path>."
    static BackupError configNotFound(const QString& path);

private:
    using TavrinError::TavrinError;
};

// Keeps copies of a file before it is replaced: a "latest" copy that each run replaces and a
// time-stamped copy in a backups folder that is never replaced (retention prunes old ones).
// Where it can, the time-stamped copy is the file itself under a second name
// (FileUtil::keepToDatedFile()), so the caller replaces the file next or, when it does not,
// removes the copies again (recordChange()).
class FileBackupService {
public:
    // Copies config.toml to ~/.codex/config.toml.backup-before-profile-switch and to
    // ~/.codex/backups/config-<time stamp>.toml.
    BackupResult createConfigBackups(const QString& configURL);

    // Copies `file` to directory/<prefix><time stamp><suffix> and then to `latest`,
    // replacing an older latest copy; when a copy of that name exists already (a run
    // within the same second), "-2", "-3", ... goes before the suffix. A run that fails
    // leaves the latest copy as it was. With `ownerOnly` (the file may hold a secret)
    // both copies are readable by the owner only. The latest copy is the dated one under a
    // second name (a hard link) where the file system allows: the file is copied once.
    static BackupResult createBackups(const QString& file, const QString& latest,
                                      const QString& directory, const QString& prefix,
                                      const QString& suffix, bool ownerOnly = false);
};
