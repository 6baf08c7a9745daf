#pragma once

#include "app/SwitchLock.h"
#include "profiles/Errors.h"

#include <QString>
#include <QStringList>

#include <chrono>

class ProfilesStore;

// What deleting a profile's API key removes: the key in Tavrin's store, and the key in
// every copy Tavrin made that holds it (auth.json and settings.json backups, the
// "backup-before-profile-switch" copy, "before-restore" copies, key files set aside).
// A copy that keeps other settings has the key's value emptied in place ("" instead of
// the key, every other byte as it was); a copy that held nothing but what Tavrin writes
// itself is deleted. The assistants' own auth.json and settings.json are never changed:
// the assistant in use reads its key there.
struct KeyDeletionPlan {
    QString profileID;
    QString profileName;
    bool hasStoredKey = false;
    QStringList emptied;    // copies whose key is emptied in place (paths)
    QStringList removed;    // copies deleted whole
    QStringList unreadable; // copies that hold the key but are not JSON: left alone
    QStringList staying;    // a sentence for each assistant's own file that keeps it

    // The dialog's question: "Delete the API key of “Velqor 1”?"
    QString question() const;
    // Exactly what goes and what stays, in a few sentences.
    QString details() const;
    // The same when the whole profile is deleted: "Delete the profile “Velqor 1”?"
    QString profileQuestion() const;
    QString profileDetails() const;
};

class NoKeyError : public TavrinError {
public:
    using TavrinError::TavrinError;
};

namespace KeyDeletion {

// Looks, changing nothing. Throws when the key store cannot be read.
KeyDeletionPlan plan(const ProfilesStore& store, const QString& profileID);

// Deletes the key as plan() describes it, under the switch lock (the copies are looked at
// again there). Throws NoKeyError "Velqor 2 has no stored key to delete." when there is
// none; when a copy cannot be changed, throws before the stored key is deleted (so a
// second try still finds the copies). Returns what was done besides deleting the stored
// key ("Also emptied it in 2 backups and deleted 1 that held nothing else.") plus the
// sentences of the files that keep it; empty when there was nothing more.
QString deleteKey(ProfilesStore& store, const QString& profileID,
                  std::chrono::milliseconds wait = SwitchLock::defaultWait);
// Throws "The active profile cannot be deleted." for a profile an assistant uses now.
void checkDeletable(const ProfilesStore& store, const QString& profileID);
// Deletes a profile and its key the same way; refuses an active profile.
QString deleteProfile(ProfilesStore& store, const QString& profileID,
                      std::chrono::milliseconds wait = SwitchLock::defaultWait);

} // namespace KeyDeletion
