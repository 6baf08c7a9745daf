// The Profiles tab's key actions: save and delete, off the window's thread when the keys
// are in the system keyring.

#include "ui/ProfilesPanel.h"

#include "app/CreditChecks.h"
#include "app/KeyDeletion.h"
#include "profiles/ProfilesStore.h"
#include "ui/Controls.h"
#include "ui/KeyChange.h"
#include "ui/ProfilesPanelParts.h"

#include <QLineEdit>

void ProfilesPanel::changeKey(const QString& busy, std::function<void()> change,
                              std::function<void()> succeeded) {
    const auto wait = [this, busy](bool waiting) {
        m_keyBusy = waiting;
        setStatus(waiting ? busy : m_status);
    };
    runKeyChange(
        this, m_store->keysMayWait(), std::move(change), wait,
        [this, succeeded](std::exception_ptr e) { e ? fail(describeError(e)) : succeeded(); });
}

void ProfilesPanel::saveKey() {
    const auto profile = selectedProfile();
    if (!profile || m_keyBusy)
        return;
    changeKey(
        tr("Saving the key in the system keyring…"),
        [store = m_store, key = m_apiKeyField->text(), id = profile->id] {
            store->saveAPIKey(key, id);
        },
        [this, profile = *profile] {
            m_apiKeyField->clear();
            // The new key may answer differently.
            m_credit->forget(profile.id);
            if (CreditChecks::appliesTo(profile))
                m_credit->check(profile);
            report(tr("Key saved for %1.").arg(profile.name),
                   QStringLiteral("Saved key for ") + profile.name);
        });
}

void ProfilesPanel::deleteKey() {
    const auto profile = selectedProfile();
    if (!profile || m_keyBusy || !m_store->hasAPIKey(profile->id))
        return;
    // The plan reads the key: with the key in the system keyring, that may wait, so it is
    // made off the window's thread like the deletion. A switch running meanwhile is not
    // waited for.
    auto plan = std::make_shared<KeyDeletionPlan>();
    changeKey(
        tr("Deleting the key from the system keyring…"),
        [store = m_store, id = profile->id, plan] { *plan = KeyDeletion::plan(*store, id); },
        [this, plan, profile = *profile] {
            if (confirmKeyDeletion(this, *plan))
                deleteConfirmedKey(profile);
        });
}

void ProfilesPanel::deleteConfirmedKey(const Profile& profile) {
    auto more = std::make_shared<QString>();
    changeKey(
        tr("Deleting the key from the system keyring…"),
        [store = m_store, id = profile.id, more] {
            *more = KeyDeletion::deleteKey(*store, id, std::chrono::milliseconds(0));
        },
        [this, profile, more] {
            m_apiKeyField->clear();
            m_credit->forget(profile.id);
            const QString status = tr("Key deleted for %1.").arg(profile.name);
            report(more->isEmpty() ? status : status + QLatin1Char(' ') + *more,
                   QStringLiteral("Deleted key for ") + profile.name);
        });
}
