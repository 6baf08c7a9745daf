#pragma once

#include "backups/BackupCatalogue.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// How many copies are kept: the newest `keepPerFile` of each file and at most `maxBytes`
// in all; 0 keeps everything by that measure. Kept in Tavrin's settings file.
struct RetentionPolicy {
    static constexpr int defaultKeepPerFile = 10;
    static constexpr qint64 defaultMaxBytes = 500LL * 1000 * 1000;

    int keepPerFile = defaultKeepPerFile;
    qint64 maxBytes = defaultMaxBytes;

    bool operator==(const RetentionPolicy&) const = default;

    // ~/.config/Tavrin/Tavrin.conf (under $XDG_CONFIG_HOME when set).
    static QString settingsPath();
    static RetentionPolicy load();
    // Throws FileError when the settings file cannot be written.
    void save() const;

    // "500M", "1.5 GB", "800k", "2GiB", "1048576", "0": bytes; nothing for anything else.
    static std::optional<qint64> parseSize(const QString& text);
};

// The copies pruning removes, and what that frees.
struct PrunePlan {
    QList<BackupEntry> remove;
    qint64 bytes = 0;

    // "Removed 12 old backups, 310 MB.", "Would remove …" for a dry run, or
    // "No old backups to remove." when there are none.
    QString summary(bool dryRun = false) const;
};

namespace BackupRetention {

// Which copies go under `policy`: beyond the newest `keepPerFile` of each file, then the
// oldest others until all copies together fit in `maxBytes`. Never the newest copy of a
// file, a copy an unfinished switch points to (isProtected), or a latest copy
// ("*.backup-before-profile-switch"). Copies of the same time go in the order of their
// names, so the outcome is the same on every run.
PrunePlan plan(const QList<BackupEntry>& entries, const RetentionPolicy& policy);

// Removes the copies' files; what it removed, and in `failures` a sentence for each copy
// it could not.
PrunePlan remove(const PrunePlan& plan, QStringList& failures);

} // namespace BackupRetention
