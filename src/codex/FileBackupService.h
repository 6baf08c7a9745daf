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
    enum class Kind { configNotFound };
    static BackupError configNotFound(const QString& path);
    Kind kind() const { return Kind::configNotFound; }

private:
    using TavrinError::TavrinError;
};

// Keeps copies of config.toml before it is changed: a "latest" copy beside it and a
// time-stamped copy in ~/.codex/backups that is never replaced or pruned.
class FileBackupService {
public:
    FileBackupService() = default;
    virtual ~FileBackupService() = default;

    virtual BackupResult createConfigBackups(const QString& configURL);

    // Copies `file` to `latest`, replacing an older latest copy, and to
    // directory/<prefix><time stamp><suffix>, which is never replaced. With `ownerOnly`
    // (the file may hold a secret) both copies are readable by the owner only.
    static BackupResult createBackups(const QString& file, const QString& latest,
                                      const QString& directory, const QString& prefix,
                                      const QString& suffix, bool ownerOnly = false);
};
