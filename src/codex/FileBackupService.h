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
};
