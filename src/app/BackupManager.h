#pragma once

#include "app/SwitchFlow.h"
#include "app/SwitchJournal.h"
#include "app/SwitchLock.h"
#include "backups/BackupCatalogue.h"
#include "backups/BackupRetention.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class BackupPreview;
class ProfilesStore;

// The copies Tavrin made, for the window and the command line: list, preview, restore,
// delete and prune. Restoring, deleting and pruning hold the switch lock, so they never
// run during a switch, and a copy an unfinished switch still needs is never removed.
// Every call blocks on file work (and a restore of a Codex file on quitting Codex).
class BackupManager {
public:
    using Progress = std::function<void(const QString&)>;
    using Wait = std::chrono::milliseconds;

    explicit BackupManager(ProfilesStore& store, SwitchServices services = {},
                           std::shared_ptr<BackupPreview> preview = nullptr);
    ~BackupManager();

    // Every copy, newest first, those an unfinished switch points to marked; only one
    // assistant's with `target`.
    QList<BackupEntry> list(std::optional<TargetIDE> target = std::nullopt) const;
    // The copy `reference` names (see BackupCatalogue::find); throws TavrinError
    // "There is no backup <reference>." when none does.
    BackupEntry find(const QString& reference) const;
    // What restoring the copy would change (see BackupPreview).
    QString preview(const BackupEntry& entry) const;

    // Puts the copy back in place of its file: the assistant is quit first as a switch
    // quits it (Codex for its files; Claude Code is not running from a file), what the
    // file holds now is kept as "<file>.before-restore-<time>" in the backups folder, and
    // every change is journaled, so a failure or a kill halfway puts everything back.
    // A chat database is put back with its -wal copy (a -wal and -shm of the database
    // now are kept and removed). Returns the line that says what was restored.
    QString restore(const BackupEntry& entry, const Progress& progress = {},
                    Wait wait = SwitchLock::defaultWait);
    // Deletes one copy; refuses one an unfinished switch needs.
    QString remove(const BackupEntry& entry, Wait wait = SwitchLock::defaultWait);
    // Applies `policy`; with `dryRun` only says what it would remove.
    QString prune(const RetentionPolicy& policy, bool dryRun = false,
                  Wait wait = SwitchLock::defaultWait);

    // After a switch's last change, under its lock: notes the profiles of the copies it
    // made and prunes by the saved policy. Never throws (a failure is only logged);
    // returns the sentence for the switch's line, empty when nothing was removed.
    static QString afterSwitch(const SwitchJournal::State& state, const ProfilesStore& store);

private:
    ProfilesStore& m_store;
    SwitchServices m_services;
    std::shared_ptr<BackupPreview> m_preview;
};
