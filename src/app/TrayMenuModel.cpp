#include "app/TrayMenuModel.h"

#include "app/AppViewModel.h"
#include "profiles/Logging.h"
#include "profiles/ProfilesStore.h"

#include <QCoreApplication>

#include <algorithm>

TrayMenuModel::TrayMenuModel(AppViewModel* viewModel, QObject* parent)
    : QObject(parent), m_viewModel(viewModel) {
    connect(m_viewModel->profilesStore(), &ProfilesStore::documentChanged, this,
            &TrayMenuModel::changed);
    connect(m_viewModel, &AppViewModel::isSwitchingChanged, this, &TrayMenuModel::changed);
    connect(m_viewModel, &AppViewModel::cloudPolicyChanged, this, &TrayMenuModel::changed);
    connect(m_viewModel, &AppViewModel::logLinesChanged, this, [this] { m_logChanged = true; });
    connect(m_viewModel, &AppViewModel::switchFinished, this, [this] {
        if (m_awaitingOutcome)
            finishChoice();
    });
}

QList<TrayMenuEntry> TrayMenuModel::entries() const {
    using Kind = TrayMenuEntry::Kind;
    const ProfilesStore* store = m_viewModel->profilesStore();
    // The same rule as the power button: no switch while one runs or an update is required.
    const bool canSwitch = !m_viewModel->isSwitching() && !m_viewModel->requiresUpdate();
    QList<TrayMenuEntry> result = lockEntries();
    for (const TargetIDE target : TargetIDEs::allCases) {
        if (!result.isEmpty() && result.last().kind != Kind::separator)
            result.append(TrayMenuEntry{});
        result.append({Kind::section, TargetIDEs::rawValue(target), target, {}, false, false});
        const QString active = store->activeProfileID(target);
        const QList<Profile> profiles = m_viewModel->availableProfiles(target);
        if (profiles.isEmpty())
            result.append({Kind::placeholder,
                           QCoreApplication::translate("TrayMenuModel", "No profile"),
                           target,
                           {},
                           false,
                           false});
        for (const Profile& profile : profiles)
            result.append(
                {Kind::profile, profile.name, target, profile.id, canSwitch, profile.id == active});
    }
    result.append(TrayMenuEntry{});
    result.append({Kind::openWindow,
                   QCoreApplication::translate("TrayMenuModel", "Open Tavrin"),
                   {},
                   {},
                   true,
                   false});
    result.append({Kind::settings, QStringLiteral("Settings\u2026"), {}, {}, true, false});
    result.append(TrayMenuEntry{});
    result.append(
        {Kind::quit, QCoreApplication::translate("TrayMenuModel", "Quit"), {}, {}, true, false});
    return result;
}

QList<TrayMenuEntry> TrayMenuModel::lockEntries() const {
    using Kind = TrayMenuEntry::Kind;
    if (!m_viewModel->requiresUpdate())
        return {};
    const CloudPolicy& policy = m_viewModel->cloudPolicy();
    QList<TrayMenuEntry> entries{
        {Kind::placeholder,
         QCoreApplication::translate("TrayMenuModel", "Update required"),
         {},
         {},
         false,
         false},
        {Kind::placeholder,
         QCoreApplication::translate("TrayMenuModel",
                                     "Switching is off until Tavrin %1 or newer is installed.")
             .arg(policy.minimumSupportedVersion.value_or(QString()).trimmed()),
         {},
         {},
         false,
         false}};
    if (policy.updateURL)
        entries.append({Kind::update,
                        QCoreApplication::translate("TrayMenuModel", "Get the Update\u2026"),
                        {},
                        {},
                        true,
                        false});
    entries.append(TrayMenuEntry{});
    return entries;
}

void TrayMenuModel::openUpdate() {
    m_viewModel->openUpdateURL();
}

bool TrayMenuModel::isSwitching() const {
    return m_viewModel->isSwitching();
}

QString TrayMenuModel::toolTip() const {
    QStringList lines{QStringLiteral("Tavrin")};
    if (m_viewModel->isSwitching())
        lines.append(QStringLiteral("Switching\u2026"));
    const ProfilesStore* store = m_viewModel->profilesStore();
    for (const TargetIDE target : TargetIDEs::allCases) {
        const auto profile = store->profile(store->activeProfileID(target));
        if (profile)
            lines.append(TargetIDEs::rawValue(target) + QStringLiteral(": ") + profile->name);
    }
    return lines.join(QLatin1Char('\n'));
}

void TrayMenuModel::choose(TargetIDE target, const QString& profileID) {
    if (m_viewModel->isSwitching())
        return;
    const QList<Profile> profiles = m_viewModel->availableProfiles(target);
    if (std::none_of(profiles.begin(), profiles.end(),
                     [&](const Profile& profile) { return profile.id == profileID; })) {
        // Switching anyway would fall back to some other profile of the target.
        qCWarning(lcApp) << "Ignored a tray choice of" << profileID << "for"
                         << TargetIDEs::rawValue(target) << ": no such profile any more";
        return;
    }
    m_awaitingOutcome = true;
    m_logChanged = false;
    m_viewModel->switchTo(target, profileID);
    // Refused at once (for example while an update is required): the line is the outcome.
    if (m_awaitingOutcome && !m_viewModel->isSwitching()) {
        if (m_logChanged)
            finishChoice();
        m_awaitingOutcome = false;
    }
}

void TrayMenuModel::finishChoice() {
    m_awaitingOutcome = false;
    if (!m_viewModel->logLines().isEmpty())
        emit outcome(m_viewModel->logLines().last(), m_viewModel->lastLineIsFailure());
}
