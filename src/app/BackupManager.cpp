#include "app/BackupManager.h"

#include "backups/BackupIndex.h"
#include "backups/BackupPreview.h"
#include "codex/ChatSyncService.h"
#include "codex/CodexRestarter.h"
#include "profiles/AppPaths.h"
#include "profiles/FileUtil.h"
#include "profiles/Logging.h"
#include "profiles/ProfilesStore.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSet>

namespace {

// The database snapshot a chat move journal goes with: the same time in its name.
QString snapshotOf(const QString& chatsJournal) {
    const QFileInfo info(chatsJournal);
    QString stamp = info.fileName();
    stamp = stamp.mid(6, stamp.size() - 6 - 5); // "chats-" … ".json"
    return info.path() + QStringLiteral("/state_5-") + stamp + QStringLiteral(".sqlite");
}

// Marks the copies an unfinished switch's journal names. Throws JsonError when there is a
// journal that cannot be read: nothing can be known safe to remove then.
void markProtected(QList<BackupEntry>& entries, bool underLock) {
    const std::optional<SwitchJournal::State> state = SwitchJournal::interrupted(underLock);
    if (!state)
        return;
    QSet<QString> needed;
    for (const FileChange& change : state->changes)
        if (!change.copy.isEmpty())
            needed << change.copy;
    if (!state->chatsJournal.isEmpty())
        needed << state->chatsJournal << snapshotOf(state->chatsJournal);
    for (BackupEntry& entry : entries)
        for (const QString& file : entry.files())
            if (needed.contains(file))
                entry.isProtected = true;
}

// One file a restore writes: from `source`, or removed when there is none.
struct Step {
    QString live;
    QString source;
};

QList<Step> stepsFor(const BackupEntry& entry) {
    if (entry.kind != BackupKind::chatDatabase)
        return {{entry.original, entry.path}};
    QString wal;
    for (const QString& companion : entry.companions)
        if (companion.section(QLatin1Char('/'), -1).contains(QLatin1String("-wal")))
            wal = companion;
    // The database now may have a log and an index of it: neither goes with the copy.
    const QString database = entry.original;
    return {{database, entry.path},
            {database + QStringLiteral("-wal"), wal},
            {database + QStringLiteral("-shm"), QString()}};
}

// Reads enough of the copy to know it can be put back whole.
void checkCopy(const BackupEntry& entry) {
    if (entry.kind == BackupKind::chatMoves)
        throw TavrinError(QCoreApplication::translate(
            "BackupManager", "A chat move record is not a file to put back: it lets "
                             "the move it records be undone."));
    if (!entry.complete)
        throw TavrinError(QCoreApplication::translate(
            "BackupManager", "This copy of the chat database lacks its main file, so "
                             "it cannot be put back."));
    if (entry.kind != BackupKind::chatDatabase) {
        FileUtil::readAll(entry.path);
        return;
    }
    QFile file(entry.path);
    if (!file.open(QIODevice::ReadOnly) || file.read(16) != QByteArray("SQLite format 3\0", 16))
        throw TavrinError(
            QCoreApplication::translate("BackupManager",
                                        "%1 is not an SQLite database; it cannot be put back.")
                .arg(AppPaths::displayPath(entry.path)));
}

// A time for the "before-restore" copies that none of their names in `folder` uses yet.
QString unusedStamp(const QString& folder, const QList<Step>& steps) {
    return FileUtil::unusedStamp(folder, [&](const QString& stamp) {
        for (const Step& step : steps)
            if (FileUtil::entryExists(folder + QLatin1Char('/') + QFileInfo(step.live).fileName() +
                                      QStringLiteral(".before-restore-") + stamp))
                return true;
        return false;
    });
}

QString titleOf(const BackupEntry& entry) {
    return entry.kind == BackupKind::chatDatabase
               ? QCoreApplication::translate("BackupManager", "the chat database")
               : QFileInfo(entry.original).fileName();
}

} // namespace

BackupManager::BackupManager(ProfilesStore& store, SwitchServices services,
                             std::shared_ptr<BackupPreview> preview)
    : m_store(store), m_services(SwitchServices::withDefaults(std::move(services))),
      m_preview(preview ? std::move(preview) : std::make_shared<BackupPreview>()) {}

BackupManager::~BackupManager() = default;

QList<BackupEntry> BackupManager::list(std::optional<TargetIDE> target) const {
    QList<BackupEntry> entries = BackupCatalogue::scan();
    if (target)
        entries.removeIf([&](const BackupEntry& entry) { return entry.target() != *target; });
    try {
        markProtected(entries, false);
    } catch (const TavrinError& error) {
        qCWarning(lcApp) << "Backups listed without the switch journal:"
                         << error.localizedDescription();
    }
    return entries;
}

BackupEntry BackupManager::find(const QString& reference) const {
    const std::optional<BackupEntry> entry = BackupCatalogue::find(list(), reference);
    if (!entry)
        throw TavrinError(
            QCoreApplication::translate("BackupManager",
                                        "There is no backup %1. `tavrin-cli backups list` shows "
                                        "them.")
                .arg(reference));
    return *entry;
}

QString BackupManager::preview(const BackupEntry& entry) const {
    return m_preview->describe(entry);
}

QString BackupManager::restore(const BackupEntry& chosen, const Progress& progress, Wait wait) {
    checkCopy(chosen);
    const SwitchLock lock(wait);
    SwitchJournal::refuseIfInterrupted();
    // The copy as it is now, under the lock.
    const std::optional<BackupEntry> found =
        BackupCatalogue::find(BackupCatalogue::scan(), chosen.id);
    if (!found)
        throw TavrinError(QCoreApplication::translate("BackupManager", "The backup %1 is gone.")
                              .arg(AppPaths::displayPath(chosen.path)));
    const BackupEntry& entry = *found;
    checkCopy(entry);
    const QList<Step> steps = stepsFor(entry);
    const TargetIDE target = entry.target();

    QStringList notes;
    if (target == TargetIDE::codex && entry.kind != BackupKind::profiles)
        notes = m_services.codexRestarter->quitCodex(progress);

    const QString folder = target == TargetIDE::claude ? AppPaths::claudeBackupsDirectory()
                                                       : AppPaths::backupsDirectory();
    FileUtil::makePath(folder);
    const QString stamp = unusedStamp(folder, steps);
    SwitchJournal journal(target, Profile(), m_store.activeProfileID(target));
    // The journal may be read by a program in another language: the path, not a title.
    journal.markAsRestore(AppPaths::displayPath(entry.original));
    const ChangeRecorder record = journal.recorder();
    QString kept;
    try {
        for (const Step& step : steps) {
            const bool existed = FileUtil::fileExists(step.live);
            QString copy;
            if (existed) {
                copy = folder + QLatin1Char('/') + QFileInfo(step.live).fileName() +
                       QStringLiteral(".before-restore-") + stamp;
                FileUtil::copy(step.live, copy, FileUtil::NewFileMode::OwnerOnly);
                if (kept.isEmpty())
                    kept = copy;
            }
            record(FileChange{step.live, existed, copy});
            if (step.source.isEmpty())
                FileUtil::remove(step.live);
            else if (entry.kind == BackupKind::chatDatabase)
                FileUtil::copyOver(step.source, step.live);
            else
                FileUtil::writeAtomically(step.live, FileUtil::readAll(step.source),
                                          entry.kind == BackupKind::config
                                              ? FileUtil::NewFileMode::Default
                                              : FileUtil::NewFileMode::Secret);
        }
    } catch (const std::exception&) {
        QString cause = describeError(std::current_exception()).trimmed();
        if (!cause.endsWith(QLatin1Char('.')))
            cause += QLatin1Char('.');
        const QString undone = journal.undo(*m_services.chatSyncService);
        throw TavrinError(undone.isEmpty() ? cause : cause + QLatin1Char(' ') + undone);
    }
    journal.finish();

    const bool withWal = steps.size() > 1 && !steps[1].source.isEmpty();
    QStringList line{
        (withWal ? QCoreApplication::translate(
                       "BackupManager", "Restored %1 from its copy of %2 (with its -wal file).")
                 : QCoreApplication::translate("BackupManager", "Restored %1 from its copy of %2."))
            .arg(titleOf(entry), BackupCatalogue::formatTime(entry.made))};
    line << (kept.isEmpty()
                 ? QCoreApplication::translate("BackupManager", "It did not exist until now.")
                 : QCoreApplication::translate("BackupManager",
                                               "What it held until now is kept as %1.")
                       .arg(AppPaths::displayPath(kept)));
    line << notes;
    return line.join(QLatin1Char(' '));
}

QString BackupManager::remove(const BackupEntry& chosen, Wait wait) {
    const SwitchLock lock(wait);
    QList<BackupEntry> entries = BackupCatalogue::scan();
    markProtected(entries, true);
    const std::optional<BackupEntry> entry = BackupCatalogue::find(entries, chosen.id);
    if (!entry)
        throw TavrinError(QCoreApplication::translate("BackupManager", "The backup %1 is gone.")
                              .arg(AppPaths::displayPath(chosen.path)));
    if (entry->isProtected)
        throw TavrinError(QCoreApplication::translate(
            "BackupManager", "The unfinished switch still needs this copy: restore "
                             "its files or keep them as they are first."));
    for (const QString& file : entry->files())
        FileUtil::remove(file);
    return QCoreApplication::translate("BackupManager", "Deleted the copy of %1 of %2 (%3).")
        .arg(titleOf(*entry), BackupCatalogue::formatTime(entry->made),
             BackupCatalogue::formatSize(entry->size));
}

QString BackupManager::prune(const RetentionPolicy& policy, bool dryRun, Wait wait) {
    const SwitchLock lock(wait);
    QList<BackupEntry> entries = BackupCatalogue::scan();
    markProtected(entries, true);
    const PrunePlan plan = BackupRetention::plan(entries, policy);
    if (dryRun)
        return plan.summary(true);
    QStringList failures;
    const PrunePlan done = BackupRetention::remove(plan, failures);
    return (QStringList{done.summary()} + failures).join(QLatin1Char(' '));
}

QString BackupManager::afterSwitch(const SwitchJournal::State& state, const ProfilesStore& store) {
    try {
        QStringList made;
        for (const FileChange& change : state.changes) {
            if (change.copy.isEmpty())
                continue;
            made << change.copy;
            // The latest copy is made with the dated one of these two files.
            if (change.path == AppPaths::configURL())
                made << AppPaths::latestBackupURL();
            else if (change.path == AppPaths::claudeSettingsURL())
                made << AppPaths::claudeLatestBackupURL();
        }
        if (!state.chatsJournal.isEmpty())
            made << state.chatsJournal << snapshotOf(state.chatsJournal);
        QList<BackupEntry> entries = BackupCatalogue::scan();
        markProtected(entries, true);
        QStringList failures;
        const PrunePlan done = BackupRetention::remove(
            BackupRetention::plan(entries, RetentionPolicy::load()), failures);
        for (const QString& failure : failures)
            qCWarning(lcApp).noquote() << failure;
        // The index is written from this scan: the new copies noted, the removed forgotten.
        QSet<QString> removed;
        for (const BackupEntry& entry : done.remove)
            removed.insert(entry.id);
        entries.removeIf(
            [&removed](const BackupEntry& entry) { return removed.contains(entry.id); });
        const std::optional<Profile> before = store.profile(state.activeBefore);
        try {
            BackupIndex::record(entries, made,
                                {before ? before->name : state.activeBefore, state.profileName});
        } catch (const TavrinError& error) {
            qCWarning(lcApp) << "The backup index was not written:" << error.localizedDescription();
        }
        return done.remove.isEmpty() ? QString() : done.summary();
    } catch (const TavrinError& error) {
        qCWarning(lcApp) << "Old backups were not pruned:" << error.localizedDescription();
        return {};
    }
}
