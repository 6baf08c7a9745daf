#include "app/KeyDeletion.h"

#include "backups/BackupCatalogue.h"
#include "backups/KeyScrub.h"
#include "profiles/AppPaths.h"
#include "profiles/FileUtil.h"
#include "profiles/ProfilesStore.h"

#include <QCoreApplication>
#include <QDir>

#include <functional>

namespace {

using CopyVisitor = std::function<void(const QString& path, const KeyScrub::Result& result)>;

// Every copy Tavrin made that may hold a key, and what taking the key out of it gives.
void visitCopies(const QString& key, const CopyVisitor& visit) {
    const auto look = [&](const QString& path, const std::vector<KeyScrub::Path>& managed) {
        QString why;
        const std::optional<QByteArray> data = FileUtil::tryReadAll(path, why, false);
        if (data)
            visit(path, KeyScrub::withoutKey(*data, key, managed));
    };
    for (const BackupEntry& entry : BackupCatalogue::scan()) {
        if (entry.kind == BackupKind::auth)
            look(entry.path, KeyScrub::authMembers());
        else if (entry.kind == BackupKind::claudeSettings)
            look(entry.path, KeyScrub::claudeSettingsMembers());
    }
    // Key files that could not be read were set aside under these names.
    const QDir tavrin(AppPaths::tavrinDirectory());
    for (const QString& name :
         tavrin.entryList({QStringLiteral("keys.json.unreadable-*")}, QDir::Files | QDir::Hidden))
        look(tavrin.filePath(name), {});
}

// "a, b and c", "a, b, c, d and 3 more".
QString named(const QStringList& paths) {
    QStringList shown;
    for (const QString& path : paths.first(qMin<qsizetype>(paths.size(), 4)))
        shown << AppPaths::displayPath(path);
    if (paths.size() > shown.size())
        shown << QCoreApplication::translate("KeyDeletion", "%1 more")
                     .arg(paths.size() - shown.size());
    if (shown.size() == 1)
        return shown.first();
    return QCoreApplication::translate("KeyDeletion", "%1 and %2")
        .arg(shown.first(shown.size() - 1).join(QStringLiteral(", ")), shown.last());
}

QString copies(qsizetype count) {
    return count == 1 ? QCoreApplication::translate("KeyDeletion", "1 backup copy")
                      : QCoreApplication::translate("KeyDeletion", "%1 backup copies").arg(count);
}

// Takes the key out of every copy; throws, naming the copies it could not change.
QString scrubCopies(const KeyDeletionPlan& plan, const QString& key) {
    QStringList failures;
    qsizetype emptied = 0;
    qsizetype removed = 0;
    visitCopies(key, [&](const QString& path, const KeyScrub::Result& result) {
        try {
            if (result.outcome == KeyScrub::Outcome::blanked) {
                FileUtil::writeAtomically(path, result.text);
                ++emptied;
            } else if (result.outcome == KeyScrub::Outcome::removed) {
                FileUtil::remove(path);
                ++removed;
            }
        } catch (const TavrinError& error) {
            failures << error.localizedDescription();
        }
    });
    if (!failures.isEmpty())
        throw TavrinError(
            failures.join(QLatin1Char(' ')) + QLatin1Char(' ') +
            QCoreApplication::translate("KeyDeletion", "The key of %1 is still stored; try again.")
                .arg(plan.profileName));
    QStringList parts;
    if (emptied > 0 && removed > 0)
        parts << QCoreApplication::translate(
                     "KeyDeletion", "Also emptied it in %1 and deleted %2 that held nothing else.")
                     .arg(copies(emptied))
                     .arg(removed);
    else if (emptied > 0)
        parts << QCoreApplication::translate("KeyDeletion", "Also emptied it in %1.")
                     .arg(copies(emptied));
    else if (removed > 0)
        parts << QCoreApplication::translate("KeyDeletion",
                                             "Also deleted %1 that held it and nothing else.")
                     .arg(copies(removed));
    return (parts + plan.staying).join(QLatin1Char(' '));
}

} // namespace

QString KeyDeletionPlan::question() const {
    return QCoreApplication::translate("KeyDeletion", "Delete the API key of \u201C%1\u201D?")
        .arg(profileName);
}

QString KeyDeletionPlan::profileQuestion() const {
    return QCoreApplication::translate("KeyDeletion", "Delete the profile \u201C%1\u201D?")
        .arg(profileName);
}

QString KeyDeletionPlan::profileDetails() const {
    const QString settings = QCoreApplication::translate(
        "KeyDeletion", "Its settings are removed from Tavrin's profiles.");
    if (!hasStoredKey)
        return settings;
    return settings + QLatin1Char(' ') +
           QCoreApplication::translate("KeyDeletion", "Its API key goes with it.") +
           QLatin1Char(' ') + details();
}

QString KeyDeletionPlan::details() const {
    QStringList sentences{
        QCoreApplication::translate("KeyDeletion", "The key is deleted from Tavrin's key store.")};
    if (!emptied.isEmpty())
        sentences << QCoreApplication::translate(
                         "KeyDeletion", "It is also emptied in %1 that keep other settings, every "
                                        "other line as it was: %2.")
                         .arg(copies(emptied.size()), named(emptied));
    if (!removed.isEmpty())
        sentences << (removed.size() == 1
                          ? QCoreApplication::translate(
                                "KeyDeletion", "%1 that held nothing but the key and what Tavrin "
                                               "writes is deleted: %2.")
                          : QCoreApplication::translate(
                                "KeyDeletion", "%1 that held nothing but the key and what Tavrin "
                                               "writes are deleted: %2."))
                         .arg(copies(removed.size()), named(removed));
    if (!unreadable.isEmpty())
        sentences << QCoreApplication::translate(
                         "KeyDeletion", "%1 cannot be read as JSON and still hold the key; remove "
                                        "them by hand if you no longer need them.")
                         .arg(named(unreadable));
    sentences << staying;
    return sentences.join(QLatin1Char(' '));
}

namespace KeyDeletion {

void checkDeletable(const ProfilesStore& store, const QString& profileID) {
    if (profileID == store.activeProfileID(TargetIDE::codex) ||
        profileID == store.activeProfileID(TargetIDE::claude))
        throw ProfilesStoreError::cannotDeleteActiveProfile();
}

KeyDeletionPlan plan(const ProfilesStore& store, const QString& profileID) {
    KeyDeletionPlan plan;
    plan.profileID = profileID;
    const std::optional<Profile> profile = store.profile(profileID);
    plan.profileName = profile ? profile->name : profileID;
    const std::optional<QString> key = store.apiKey(profileID);
    plan.hasStoredKey = key.has_value();
    if (!key)
        return plan;
    visitCopies(*key, [&](const QString& path, const KeyScrub::Result& result) {
        if (result.outcome == KeyScrub::Outcome::blanked)
            plan.emptied << path;
        else if (result.outcome == KeyScrub::Outcome::removed)
            plan.removed << path;
        else if (result.outcome == KeyScrub::Outcome::unreadable)
            plan.unreadable << path;
    });
    // The assistants' own files are theirs: the key stays where one of them uses it.
    for (const TargetIDE target : TargetIDEs::allCases) {
        const QString own =
            target == TargetIDE::codex ? AppPaths::authURL() : AppPaths::claudeSettingsURL();
        QString why;
        const std::optional<QByteArray> data = FileUtil::tryReadAll(own, why);
        if (!data || KeyScrub::withoutKey(*data, *key, {}).outcome == KeyScrub::Outcome::untouched)
            continue;
        const QString name = TargetIDEs::rawValue(target);
        if (store.activeProfileID(target) == profileID)
            plan.staying << QCoreApplication::translate(
                                "KeyDeletion", "%1 is active for %2: its key stays in %3 until you "
                                               "switch to another profile.")
                                .arg(plan.profileName, name, AppPaths::displayPath(own));
        else
            plan.staying << QCoreApplication::translate(
                                "KeyDeletion", "%1 holds the same key, which %2 uses now: it stays "
                                               "there until you switch %2 to another profile.")
                                .arg(AppPaths::displayPath(own), name);
    }
    return plan;
}

QString deleteKey(ProfilesStore& store, const QString& profileID, std::chrono::milliseconds wait) {
    const SwitchLock lock(wait);
    const KeyDeletionPlan found = plan(store, profileID);
    if (!found.hasStoredKey)
        throw NoKeyError(
            QCoreApplication::translate("KeyDeletion", "%1 has no stored key to delete.")
                .arg(found.profileName));
    const QString done = scrubCopies(found, *store.apiKey(profileID));
    store.deleteAPIKey(profileID);
    return done;
}

QString deleteProfile(ProfilesStore& store, const QString& profileID,
                      std::chrono::milliseconds wait) {
    const SwitchLock lock(wait);
    checkDeletable(store, profileID);
    const KeyDeletionPlan found = plan(store, profileID);
    const QString done =
        found.hasStoredKey ? scrubCopies(found, *store.apiKey(profileID)) : QString();
    store.deleteProfile(profileID);
    return done;
}

} // namespace KeyDeletion
