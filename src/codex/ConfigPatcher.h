#pragma once

#include "codex/FileBackupService.h"
#include "profiles/Errors.h"
#include "profiles/FileChange.h"
#include "profiles/Profile.h"

#include <QHash>
#include <QStringList>

#include <memory>
#include <optional>

struct ConfigPatchResult {
    std::optional<BackupResult> backup;
};

class ConfigPatchError : public TavrinError {
public:
    enum class Kind { validationFailed, patchFailedAndRestored };
    static ConfigPatchError validationFailed(const QString& message);
    static ConfigPatchError patchFailedAndRestored(const QString& message);
    Kind kind() const { return m_kind; }
    QString message() const { return m_message; }

private:
    ConfigPatchError(Kind kind, const QString& message);
    Kind m_kind;
    QString m_message;
};

// Rewrites the five managed top-level keys of Codex's config.toml line by line,
// verifies them after writing and restores the previous file when anything fails.
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

    static QString patchedContent(const QString& content, const Profile& profile);
    // Throws ConfigPatchError::validationFailed with the first mismatch.
    static void validate(const QString& content, const Profile& profile);

    // Text rules, public so they can be tested as tables.
    static std::optional<QString> topLevelKey(const QString& line);
    static QString normalizeTomlValue(const QString& value);
    static QString quoted(const QString& value);
    static QHash<QString, QString> activeTopLevelValues(const QStringList& lines);

private:
    static void rollBack(const QString& configURL, bool existed, const QByteArray& originalBytes,
                         const std::optional<BackupResult>& backup);
    std::shared_ptr<FileBackupService> m_backupService;
};
