#include "system/FileBackupService.h"

#include "profiles/AppPaths.h"
#include "profiles/AtomicFile.h"
#include "profiles/FileUtil.h"

#include <QCoreApplication>

BackupError BackupError::configNotFound(const QString& path) {
    return BackupError(
        QCoreApplication::translate("FileBackupService", "Could not read config.toml at %1.")
            .arg(path));
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
    const FileUtil::NewFileMode mode =
        ownerOnly ? FileUtil::NewFileMode::OwnerOnly : FileUtil::NewFileMode::Default;
    // The time-stamped copy is never replaced: every run keeps one of its own. It comes
    // first, so a run that cannot make it (a read-only or full backups folder) leaves the
    // latest copy as it was.
    const QString timestamped = FileUtil::keepToDatedFile(file, directory, prefix, suffix, mode);
    // The latest copy has a fixed name; it is replaced in one step once the new one is
    // complete: the dated copy under that name too, or where a second name cannot be
    // given, a copy of its own.
    if (!AtomicFile::linkInPlace(timestamped, latest))
        FileUtil::copyOver(file, latest, mode);
    return BackupResult{latest, timestamped};
}
