#include "app/AppViewModel.h"

#include "app/SwitchFlow.h"

#include "profiles/ProfilesStore.h"
#include "system/ShellService.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

AppViewModel::AppViewModel(ProfilesStore* profilesStore, AppServices services, QObject* parent)
    : QObject(parent), m_store(profilesStore) {
    m_switchPool.setMaxThreadCount(1);
    // The switch yields the processor to painting, so the window stays smooth on a busy
    // machine (see switchAndRestart() for what it starts for the user).
    m_switchPool.setThreadPriority(QThread::IdlePriority);
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

bool AppViewModel::load() {
    try {
        m_store->load();
    } catch (const TavrinError& error) {
        appendFailure(error.localizedDescription());
        return false;
    }
    setSelectedProfileID(m_store->activeProfileID());
    setSelectedClaudeProfileID(m_store->activeClaudeProfileID());
    appendLog(QCoreApplication::translate("AppViewModel", "Profiles loaded"));
    return true;
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
    m_logTimes.append(QDateTime::currentDateTime());
    if (m_logLines.size() > maximumLogLines) {
        const qsizetype excess = m_logLines.size() - maximumLogLines;
        m_logLines.remove(0, excess);
        m_failureLines.remove(0, excess);
        m_lineTargets.remove(0, excess);
        m_logTimes.remove(0, excess);
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

bool AppViewModel::selectedIsActive(TargetIDE target) const {
    const auto profile = selectedProfile(target);
    return profile && profile->id == m_store->activeProfileID(target);
}

QString AppViewModel::actionTitle(TargetIDE target) const {
    if (m_isSwitching)
        return QStringLiteral("Switching...");
    if (requiresUpdate())
        return QCoreApplication::translate("AppViewModel", "Locked");
    if (selectedIsActive(target))
        return target == TargetIDE::codex
                   ? QCoreApplication::translate("AppViewModel", "Restart Codex")
                   : QCoreApplication::translate("AppViewModel", "Open Claude Code");
    return QCoreApplication::translate("AppViewModel", "Switch Profile");
}

void AppViewModel::setSwitching(bool switching) {
    if (m_isSwitching == switching)
        return;
    m_isSwitching = switching;
    emit isSwitchingChanged();
}

void AppViewModel::switchAndRestart(TargetIDE target) {
    startSwitch(target, selectedProfile(target));
}

void AppViewModel::switchTo(TargetIDE target, const QString& profileID) {
    startSwitch(target, SwitchFlow::availableProfile(*m_store, target, profileID));
}

void AppViewModel::startSwitch(TargetIDE target, const std::optional<Profile>& chosen) {
    if (requiresUpdate()) {
        appendLine(QCoreApplication::translate("AppViewModel", "Update required"), false, target);
        return;
    }
    // One switch at a time: a second press while one runs is ignored.
    if (m_isSwitching)
        return;
    if (!chosen) {
        appendLine(QCoreApplication::translate("AppViewModel", "Select a profile first"), false,
                   target);
        return;
    }
    const Profile profile = *chosen;
    setSwitching(true);
    // The worker holds only what the switch needs; the policy service and the link opener
    // stay on this thread. The outcome is posted back and dropped if the view model is gone
    // (its destructor waits for the worker, so the post itself is always safe).
    auto flow = std::make_shared<SwitchFlow>(*m_store, SwitchServices(m_services));
    // A terminal the switch opens for the user starts at this thread's priority, not at
    // the worker's.
    ShellService::startDetachedAtThisPriority();
    const QPointer<AppViewModel> self(this);
    m_switchPool.start([self, flow, target, profile] {
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
            [self, target, id = profile.id, line, failed] {
                if (self)
                    self->finishSwitch(target, id, line, failed);
            },
            Qt::QueuedConnection);
    });
}

void AppViewModel::finishSwitch(TargetIDE target, const QString& profileID, const QString& line,
                                bool failed) {
    appendLine(line, failed, target);
    // The window shows what is now active, whichever front end switched.
    if (!failed)
        setSelectedID(target, profileID);
    setSwitching(false);
    emit switchFinished();
}

void AppViewModel::setSelectedID(TargetIDE target, const QString& id) {
    if (target == TargetIDE::claude)
        setSelectedClaudeProfileID(id);
    else
        setSelectedProfileID(id);
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
        return QCoreApplication::translate("AppViewModel", "Update required");
    if (updateAvailable())
        return QCoreApplication::translate("AppViewModel", "Update available");
    return QCoreApplication::translate("AppViewModel", "Access active");
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
    m_services.cloudControlService->loadPolicy([self](std::exception_ptr error,
                                                      const CloudPolicyResult& result) {
        if (!self)
            return;
        if (error) {
            // Keep the verdicts of the last successful refresh.
            self->setCloudStatus(
                QCoreApplication::translate("AppViewModel", "Cloud check failed: %1")
                    .arg(describeError(error)));
        } else {
            self->m_cloudPolicy = result.policy;
            self->m_cloudPolicyConfigured = result.isConfigured;
            emit self->cloudPolicyChanged();
            QString status = QCoreApplication::translate("AppViewModel", "Cloud control is off");
            if (result.isConfigured) {
                status = self->updateAvailable()
                             ? QCoreApplication::translate("AppViewModel", "Update available")
                             : QCoreApplication::translate("AppViewModel", "Cloud policy loaded");
                if (self->requiresUpdate())
                    status = QCoreApplication::translate("AppViewModel", "Update required");
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
