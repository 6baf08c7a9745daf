#pragma once

#include "profiles/Profile.h"

#include <QDateTime>
#include <QJsonArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What a copy is a copy of.
enum class BackupKind {
    config,         // ~/.codex/config.toml
    auth,           // ~/.codex/auth.json
    claudeSettings, // ~/.claude/settings.json
    chatDatabase,   // ~/.codex/state_5.sqlite, with its -wal (and -shm) copies
    chatMoves,      // the record of one chat move (chats-<time>.json)
    profiles,       // ~/.codex/tavrin/profiles.json
};

enum class BackupRole {
    dated,         // made by a switch, named by its time: config-<time>.toml
    latest,        // the fixed-name copy each switch replaces: *.backup-before-profile-switch
    beforeRestore, // what a file held before a restore replaced it: *.before-restore-<time>
};

// One copy Tavrin made, as it is on disk now.
struct BackupEntry {
    QString id;             // its path below the home folder: ".codex/backups/config-….toml"
    QString path;           // absolute; for a database copy its main file (or the first there is)
    QStringList companions; // the "-wal" and "-shm" copies of a database copy
    BackupKind kind = BackupKind::config;
    BackupRole role = BackupRole::dated;
    QString original;    // the file it is a copy of (absolute)
    QDateTime made;      // the time in its name, else the time it was last written
    int sequence = 1;    // 2, 3, ... for the "-2", "-3" of copies made within the same second
    qint64 size = 0;     // all its files
    QString fromProfile; // the profiles of the switch that made it, where known
    QString toProfile;
    bool isProtected = false; // an unfinished switch's journal points to it
    bool complete = true;     // false: a database copy without its main file (not restorable)

    TargetIDE target() const;
    // The copies retention counts together: the same file, the same role.
    QString group() const;
    QStringList files() const { return QStringList{path} + companions; }
};

namespace BackupCatalogue {

// The folders copies are looked for in.
QStringList folders();

// Every copy in those folders, newest first; whatever else lies there is left out. Names
// made by every version count: config-<time>.toml, auth-<time>.json,
// settings-<time>.json, state_5-<time>[-wal|-shm].sqlite, chats-<time>.json (each with
// "-2", "-3" ... after the time when a second copy was made within the same second),
// *.backup-before-profile-switch and <file>.before-restore-<time>. The profiles come from
// the index (BackupIndex); a missing or broken index only leaves them unknown.
QList<BackupEntry> scan();

// The copy `reference` names: its id, its path (also as "~/..."), or its file name when
// no other copy has that name.
std::optional<BackupEntry> find(const QList<BackupEntry>& entries, const QString& reference);

// "config.toml", "auth.json", "settings.json", "chat database", "chat move", "profiles.json".
QString title(BackupKind kind);
// "switch", "latest", "before restore".
QString roleName(BackupRole role);
// A size in plain words: "512 bytes", "3.4 KB", "310 MB" (1 KB = 1000 bytes).
QString formatSize(qint64 bytes);
// "2026-03-01 14:05:09".
QString formatTime(const QDateTime& time);

QJsonArray toJson(const QList<BackupEntry>& entries);

} // namespace BackupCatalogue
