#pragma once

#include "app/SwitchFlow.h"
#include "profiles/Profile.h"
#include "remote/CloudControlService.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QThreadPool>

#include <functional>
#include <memory>
#include <optional>

class ProfilesStore;

// The collaborators of one view model: those of the switch, the policy service and the
// link opener. Any service left empty gets its default instance.
struct AppServices : SwitchServices {
    std::shared_ptr<CloudControlService> cloudControlService;
    // Hands a link to the system's default handler for its scheme; the window passes
    // the desktop's opener (without one, links are not opened).
    std::function<void(const QUrl&)> openURL;
};

// All state the main window shows, and the switch and policy flows that change it.
// Lives on the GUI thread; a switch runs whole on a worker thread of its own, so the
// window keeps repainting, and its outcome comes back to the GUI thread.
class AppViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString selectedProfileID READ selectedProfileIDText NOTIFY selectedProfileIDChanged)
    Q_PROPERTY(QString selectedClaudeProfileID READ selectedClaudeProfileIDText NOTIFY
                   selectedClaudeProfileIDChanged)
    Q_PROPERTY(QStringList logLines READ logLines NOTIFY logLinesChanged)
    Q_PROPERTY(bool lastLineIsFailure READ lastLineIsFailure NOTIFY logLinesChanged)
    Q_PROPERTY(bool isSwitching READ isSwitching NOTIFY isSwitchingChanged)
    Q_PROPERTY(bool cloudPolicyConfigured READ cloudPolicyConfigured NOTIFY cloudPolicyChanged)
    Q_PROPERTY(QString cloudStatus READ cloudStatus NOTIFY cloudStatusChanged)
    Q_PROPERTY(bool isCheckingCloud READ isCheckingCloud NOTIFY isCheckingCloudChanged)
    Q_PROPERTY(bool requiresUpdate READ requiresUpdate NOTIFY cloudPolicyChanged)
    Q_PROPERTY(bool updateAvailable READ updateAvailable NOTIFY cloudPolicyChanged)
    Q_PROPERTY(QString accessTitle READ accessTitle NOTIFY cloudPolicyChanged)

public:
    static constexpr int maximumLogLines = 50;

    explicit AppViewModel(ProfilesStore* profilesStore, AppServices services = {},
                          QObject* parent = nullptr);
    ~AppViewModel() override;

    ProfilesStore* profilesStore() const { return m_store; }

    // Selections, one per target.
    std::optional<QString> selectedProfileID() const { return m_selectedProfileID; }
    std::optional<QString> selectedClaudeProfileID() const { return m_selectedClaudeProfileID; }
    void setSelectedProfileID(const std::optional<QString>& id);
    void setSelectedClaudeProfileID(const std::optional<QString>& id);
    QString selectedProfileIDText() const { return m_selectedProfileID.value_or(QString()); }
    QString selectedClaudeProfileIDText() const {
        return m_selectedClaudeProfileID.value_or(QString());
    }

    const QStringList& logLines() const { return m_logLines; }
    // Whether the line at `index` of logLines() reports a failure, and when it was added.
    bool isFailureLine(qsizetype index) const { return m_failureLines.value(index); }
    QDateTime logTime(qsizetype index) const { return m_logTimes.value(index); }
    bool lastLineIsFailure() const { return !m_failureLines.isEmpty() && m_failureLines.last(); }
    // The newest line shown under a target: its own (how its last switch ended) or one
    // that belongs to no target; empty when there is none. Whether it reports a failure.
    QString lastLine(TargetIDE target) const;
    bool lastLineIsFailure(TargetIDE target) const;
    bool isSwitching() const { return m_isSwitching; }

    // Loads the profiles and selects the active ones; false (and a failure line) when
    // they cannot be loaded. The caller then starts the first policy refresh: the window
    // does once its first frame is on screen.
    bool load();
    // Lines that belong to no target, shown under both.
    void appendLog(const QString& message);
    // Appends a line that reports a failure (the window shows it as one).
    void appendFailure(const QString& message);

    // The profile a target would switch to: its pick, else the store's active profile,
    // else its account profile, else its first available profile.
    std::optional<Profile> selectedProfile(TargetIDE target) const;
    QList<Profile> availableProfiles(TargetIDE target) const;
    bool selectedIsActive(TargetIDE target) const;
    QString actionTitle(TargetIDE target) const;

    // Starts a switch of the target to its selected profile and returns at once; the
    // outcome arrives as a log line, and switchFinished() is emitted at the end.
    void switchAndRestart(TargetIDE target);
    // The same switch to a profile named by its id (the tray and other front ends), whatever
    // is picked. Once it has succeeded, the target's pick is the profile switched to.
    void switchTo(TargetIDE target, const QString& profileID);

    // Remote policy.
    const CloudPolicy& cloudPolicy() const { return m_cloudPolicy; }
    bool cloudPolicyConfigured() const { return m_cloudPolicyConfigured; }
    QString cloudStatus() const { return m_cloudStatus; }
    bool isCheckingCloud() const { return m_isCheckingCloud; }
    bool requiresUpdate() const;
    bool updateAvailable() const;
    QString accessTitle() const;
    // Starts one refresh; cloudRefreshFinished() is emitted when it has ended.
    void refreshCloudControl();
    void openUpdateURL();

signals:
    void selectedProfileIDChanged();
    void selectedClaudeProfileIDChanged();
    void logLinesChanged();
    void isSwitchingChanged();
    void cloudPolicyChanged();
    void cloudStatusChanged();
    void isCheckingCloudChanged();
    void switchFinished();
    void cloudRefreshFinished();

private:
    // A line about one target is shown under that target only.
    void appendLine(const QString& message, bool failure, std::optional<TargetIDE> target);
    // The index in logLines() of lastLine(target); -1 when there is none.
    qsizetype lastLineIndex(TargetIDE target) const;
    void startSwitch(TargetIDE target, const std::optional<Profile>& profile);
    void finishSwitch(TargetIDE target, const QString& profileID, const QString& line, bool failed);
    void setSelectedID(TargetIDE target, const QString& id);
    void setSwitching(bool switching);
    void setCheckingCloud(bool checking);
    void setCloudStatus(const QString& status);

    ProfilesStore* m_store;
    AppServices m_services;
    // One thread, the switch's own: Qt's global pool also serves painting.
    QThreadPool m_switchPool;

    std::optional<QString> m_selectedProfileID;
    std::optional<QString> m_selectedClaudeProfileID;
    QStringList m_logLines;
    QList<bool> m_failureLines;
    QList<std::optional<TargetIDE>> m_lineTargets;
    QList<QDateTime> m_logTimes;
    bool m_isSwitching = false;

    CloudPolicy m_cloudPolicy = CloudPolicy::fallback();
    bool m_cloudPolicyConfigured = false;
    QString m_cloudStatus = QCoreApplication::translate("AppViewModel", "Cloud control is off");
    bool m_isCheckingCloud = false;
};
