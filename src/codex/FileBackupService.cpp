#include "codex/FileBackupService.h"

#include "profiles/AppPaths.h"
#include "profiles/FileUtil.h"

BackupError BackupError::configNotFound(const QString& path) {
    return BackupError(QStringLiteral("Could not read config.toml at ") + path + QLatin1Char('.'));
}

BackupResult FileBackupService::createConfigBackups(const QString& configURL) {
    if (!FileUtil::exists(configURL))
        throw BackupError::configNotFound(configURL);
    return createBackups(configURL, AppPaths::latestBackupURL(), AppPaths::backupsDirectory(),
                         QStringLiteral("config-"), QStringLiteral(".toml"));
}

BackupResult FileBackupService::createBackups(const QString& file, const QString& latest,
                                              const QString& directory, const QString& prefix,
                                              const QString& suffix, bool ownerOnly) {
    FileUtil::makePath(directory);

    // The latest copy has a fixed name and is replaced on every run; copying refuses to
    // overwrite, so the old one goes first.
    const FileUtil::NewFileMode mode =
        ownerOnly ? FileUtil::NewFileMode::OwnerOnly : FileUtil::NewFileMode::Default;
    FileUtil::remove(latest);
    FileUtil::copy(file, latest, mode);

    // The time-stamped copy is never replaced: every run keeps one of its own.
    const QString timestamped = FileUtil::copyToDatedFile(file, directory, prefix, suffix, mode);

    return BackupResult{latest, timestamped};
}
