#include "codex/FileBackupService.h"

#include "profiles/AppPaths.h"
#include "profiles/FileUtil.h"

BackupError BackupError::configNotFound(const QString& path) {
    return BackupError(QStringLiteral("Could not read config.toml at ") + path + QLatin1Char('.'));
}

BackupResult FileBackupService::createConfigBackups(const QString& configURL) {
    if (!FileUtil::exists(configURL))
        throw BackupError::configNotFound(configURL);

    const QString backupsDirectory = AppPaths::backupsDirectory();
    FileUtil::makePath(backupsDirectory);

    // The latest copy has a fixed name and is replaced on every run; copying refuses to
    // overwrite, so the old one goes first.
    const QString latest = AppPaths::latestBackupURL();
    if (FileUtil::exists(latest))
        FileUtil::remove(latest);
    FileUtil::copy(configURL, latest);

    // The time-stamped copy is never replaced: a second run within the same second fails
    // here, after the latest copy has been refreshed.
    const QString timestamped = backupsDirectory + QStringLiteral("/config-") +
                                FileUtil::timestamp() + QStringLiteral(".toml");
    FileUtil::copy(configURL, timestamped);

    return BackupResult{latest, timestamped};
}
