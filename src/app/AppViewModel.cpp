#include "app/AppViewModel.h"

#include "app/SwitchFlow.h"

#include "profiles/ProfilesStore.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QTimer>

AppViewModel::AppViewModel(ProfilesStore* profilesStore, AppServices services, QObject* parent)
    : QObject(parent), m_store(profilesStore) {
    m_switchPool.setMaxThreadCount(1);
    static_cast<SwitchServices&>(m_services) = SwitchServices::withDefaults(services);
    m_services.cloudControlService = services.cloudControlService
                                         ? std::move(services.cloudControlService)
                                         : std::make_shared<CloudControlService>();
    m_services.openURL = std::move(services.openURL);
}

AppViewModel::~AppViewModel() {
    // A running switch finishes first: it may have quit Codex and must reopen it.
    m_switchPool.waitForDone();
}

void AppViewModel::setSelectedProfileID(const std::optional<QString>& id) {
    if (m_selectedProfileID == id)
        return;
    m_selectedProfileID = id;
    emit selectedProfileIDChanged();
}

void AppViewModel::setSelectedClaudeProfileID(const std::optional<QString>& id) {
    if (m_selectedClaudeProfileID == id)
        return;
    m_selectedClaudeProfileID = id;
    emit selectedClaudeProfileIDChanged();
}

void AppViewModel::load() {
    try {
        m_store->load();
    } catch (const TavrinError& error) {
        appendFailure(error.localizedDescription());
        return;
    }
    setSelectedProfileID(m_store->activeProfileID());
    setSelectedClaudeProfileID(m_store->activeClaudeProfileID());
    appendLog(QStringLiteral("Profiles loaded"));
    // Started from the event loop, so the window paints before any policy work begins.
    QTimer::singleShot(0, this, &AppViewModel::refreshCloudControl);
}

void AppViewModel::appendLog(const QString& message) {
    appendLine(message, false, std::nullopt);
}

void AppViewModel::appendFailure(const QString& message) {
    appendLine(message, true, std::nullopt);
}

void AppViewModel::appendLine(const QString& message, bool failure,
                              std::optional<TargetIDE> target) {
    m_logLines.append(message);
    m_failureLines.append(failure);
    m_lineTargets.append(target);
    if (m_logLines.size() > maximumLogLines) {
        const qsizetype excess = m_logLines.size() - maximumLogLines;
        m_logLines.remove(0, excess);
        m_failureLines.remove(0, excess);
        m_lineTargets.remove(0, excess);
    }
    emit logLinesChanged();
}

qsizetype AppViewModel::lastLineIndex(TargetIDE target) const {
    for (qsizetype i = m_lineTargets.size() - 1; i >= 0; --i)
        if (!m_lineTargets.at(i) || *m_lineTargets.at(i) == target)
            return i;
    return -1;
}

QString AppViewModel::lastLine(TargetIDE target) const {
    return m_logLines.value(lastLineIndex(target));
}

bool AppViewModel::lastLineIsFailure(TargetIDE target) const {
    return m_failureLines.value(lastLineIndex(target));
}

QList<Profile> AppViewModel::availableProfiles(TargetIDE target) const {
    QList<Profile> result;
    for (const Profile& profile : m_store->profiles())
        if (profile.isAvailable(target))
            result.append(profile);
    return result;
}

std::optional<Profile> AppViewModel::selectedProfile(TargetIDE target) const {
    const QList<Profile> candidates = availableProfiles(target);
    const bool claude = target == TargetIDE::claude;
    const QString wanted =
        claude ? m_selectedClaudeProfileID.value_or(m_store->activeClaudeProfileID())
               : m_selectedProfileID.value_or(m_store->activeProfileID());
    for (const Profile& profile : candidates)
        if (profile.id == wanted)
            return profile;
    for (const Profile& profile : candidates)
        if (claude ? profile.isClaudeCodeAccount() : profile.isChatGPTAccount())
            return profile;
    if (!candidates.isEmpty())
        return candidates.first();
    return std::nullopt;
}

std::optional<Profile> AppViewModel::selectedProfile() const {
    if (!m_selectedProfileID)
        return m_store->activeProfile();
    return m_store->profile(*m_selectedProfileID);
}

bool AppViewModel::selectedIsActive(TargetIDE target) const {
    const auto profile =
        target == TargetIDE::claude ? selectedProfile(TargetIDE::claude) : selectedProfile();
    return profile && profile->id == m_store->activeProfileID(target);
}

QString AppViewModel::actionTitle(TargetIDE target) const {
    if (m_isSwitching)
        return QStringLiteral("Switching...");
    if (requiresUpdate())
        return QStringLiteral("Locked");
    if (selectedIsActive(target))
        return target == TargetIDE::codex ? QStringLiteral("Restart Codex")
                                          : QStringLiteral("Open Claude Code");
    return QStringLiteral("Switch Profile");
}

void AppViewModel::setSwitching(bool switching) {
    if (m_isSwitching == switching)
        return;
    m_isSwitching = switching;
    emit isSwitchingChanged();
}

void AppViewModel::switchAndRestart(TargetIDE target) {
    if (requiresUpdate()) {
        appendLine(QStringLiteral("Update required"), false, target);
        return;
    }
    // One switch at a time: a second press while one runs is ignored.
    if (m_isSwitching)
        return;
    const std::optional<Profile> profile = selectedProfile(target);
    if (!profile) {
        appendLine(QStringLiteral("Select a profile first"), false, target);
        return;
    }
    setSwitching(true);

    // The worker holds only what the switch needs; the policy service and the link opener
    // stay on this thread. The outcome is posted back and dropped if the view model is gone
    // (its destructor waits for the worker, so the post itself is always safe).
    auto flow = std::make_shared<SwitchFlow>(*m_store, SwitchServices(m_services));
    const QPointer<AppViewModel> self(this);
    m_switchPool.start([self, flow, target, profile = *profile] {
        QString line;
        bool failed = false;
        try {
            line = flow->apply(target, profile);
        } catch (const std::exception&) {
            line = describeError(std::current_exception());
            failed = true;
        }
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, target, line, failed] {
                if (self)
                    self->finishSwitch(target, line, failed);
            },
            Qt::QueuedConnection);
    });
}

void AppViewModel::finishSwitch(TargetIDE target, const QString& line, bool failed) {
    appendLine(line, failed, target);
    setSwitching(false);
    emit switchFinished();
}

// Remote policy.

bool AppViewModel::requiresUpdate() const {
    return m_cloudPolicyConfigured &&
           CloudControlService::isVersion(CloudControlService::currentAppVersion(),
                                          m_cloudPolicy.minimumSupportedVersion);
}

bool AppViewModel::updateAvailable() const {
    return m_cloudPolicyConfigured &&
           CloudControlService::isVersion(CloudControlService::currentAppVersion(),
                                          m_cloudPolicy.latestVersion);
}

QString AppViewModel::accessTitle() const {
    if (requiresUpdate())
        return QStringLiteral("Update required");
    if (updateAvailable())
        return QStringLiteral("Update available");
    return QStringLiteral("Access active");
}

void AppViewModel::setCheckingCloud(bool checking) {
    if (m_isCheckingCloud == checking)
        return;
    m_isCheckingCloud = checking;
    emit isCheckingCloudChanged();
}

void AppViewModel::setCloudStatus(const QString& status) {
    if (m_cloudStatus == status)
        return;
    m_cloudStatus = status;
    emit cloudStatusChanged();
}

void AppViewModel::refreshCloudControl() {
    setCheckingCloud(true);
    QPointer<AppViewModel> self(this);
    m_services.cloudControlService->loadPolicy(
        [self](std::exception_ptr error, const CloudPolicyResult& result) {
            if (!self)
                return;
            if (error) {
                // Keep the verdicts of the last successful refresh.
                self->setCloudStatus(QStringLiteral("Cloud check failed: ") + describeError(error));
            } else {
                self->m_cloudPolicy = result.policy;
                self->m_cloudPolicyConfigured = result.isConfigured;
                emit self->cloudPolicyChanged();
                QString status = QStringLiteral("Cloud control is off");
                if (result.isConfigured) {
                    status = self->updateAvailable() ? QStringLiteral("Update available")
                                                     : QStringLiteral("Cloud policy loaded");
                    if (self->requiresUpdate())
                        status = QStringLiteral("Update required");
                }
                self->setCloudStatus(status);
            }
            self->setCheckingCloud(false);
            emit self->cloudRefreshFinished();
        });
}

void AppViewModel::openUpdateURL() {
    // The link comes from a remote document: only web links are handed to the system.
    const std::optional<QUrl>& url = m_cloudPolicy.updateURL;
    if (url && m_services.openURL &&
        (url->scheme() == QLatin1String("https") || url->scheme() == QLatin1String("http")))
        m_services.openURL(*url);
}

#include "moc_AppViewModel.cpp"
