#include "app/AppViewModel.h"

#include "app/SwitchFlow.h"

#include "codex/ShellService.h"
#include "profiles/ProfilesStore.h"

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
    appendLog(QStringLiteral("Profiles loaded"));
    return true;
}

void AppViewModel::appendLog(const QString& message) {
    m_logLines.append(message);
    m_failureLines.append(false);
    if (m_logLines.size() > maximumLogLines) {
        const qsizetype excess = m_logLines.size() - maximumLogLines;
        m_logLines.remove(0, excess);
        m_failureLines.remove(0, excess);
    }
    emit logLinesChanged();
}

void AppViewModel::appendFailure(const QString& message) {
    {
        const QSignalBlocker blocker(this);
        appendLog(message);
    }
    m_failureLines.last() = true;
    emit logLinesChanged();
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
        appendLog(QStringLiteral("Update required"));
        return;
    }
    // One switch at a time: a second press while one runs is ignored.
    if (m_isSwitching)
        return;
    const std::optional<Profile> profile = selectedProfile(target);
    if (!profile) {
        appendLog(QStringLiteral("Select a profile first"));
        return;
    }
    setSwitching(true);

    // The worker holds only what the switch needs; the policy service and the link opener
    // stay on this thread. The outcome is posted back and dropped if the view model is gone
    // (its destructor waits for the worker, so the post itself is always safe).
    auto flow = std::make_shared<SwitchFlow>(*m_store, SwitchServices(m_services));
    // A terminal the switch opens for the user starts at this thread's priority, not at
    // the worker's.
    ShellService::startDetachedAtThisPriority();
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
            [self, line, failed] {
                if (self)
                    self->finishSwitch(line, failed);
            },
            Qt::QueuedConnection);
    });
}

void AppViewModel::finishSwitch(const QString& line, bool failed) {
    if (failed)
        appendFailure(line);
    else
        appendLog(line);
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
