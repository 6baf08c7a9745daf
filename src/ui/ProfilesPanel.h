#pragma once

#include "profiles/Profile.h"
#include "ui/CompactTheme.h"

#include <QList>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class CreditChecks;
class CreditRow;
class ElidedLabel;
class FilledButton;
class IconButton;
class KeyReveal;
class ProfileRow;
class ProfilesStore;
class ProxySection;
class QLabel;
class QLineEdit;
class RowList;
class WelcomeCard;

// The "Profiles" tab: every account profile, Add Velqor, the selected profile's
// remaining credit, key and proxy. Works directly on the shared store and reports
// through two callbacks.
class ProfilesPanel : public QWidget {
    Q_OBJECT
public:
    using LogHandler = std::function<void(const QString&)>;
    using ChangeHandler = std::function<void()>;

    // A null `creditChecks` gets its own, asking the default limits checker.
    ProfilesPanel(ProfilesStore* store, const CompactTheme& theme, LogHandler onLog,
                  ChangeHandler onProfilesChanged,
                  std::shared_ptr<CreditChecks> creditChecks = nullptr, QWidget* parent = nullptr);
    ~ProfilesPanel() override;

    void setTheme(const CompactTheme& theme);
    const CompactTheme& theme() const { return m_theme; }
    // Shows the explanation of Velqor keys above the list (while none has a key).
    void setFirstStart(bool firstStart);

    // Runs each time the panel comes on screen: selects `profileID` when there is such
    // a profile, otherwise keeps the selection (the active Codex profile at first).
    void appear(const std::optional<QString>& profileID = std::nullopt);

    std::optional<Profile> selectedProfile() const;
    std::optional<QString> selectedProfileID() const { return m_selectedProfileID; }
    QString status() const { return m_status; }
    QList<ProfileRow*> rows() const { return m_rows; }
    // The controls in reading order.
    QList<QWidget*> focusOrder() const;

    // The actions behind the controls.
    void selectProfile(const Profile& profile);
    void addAccount();
    void saveKey();
    void deleteKey();
    void deleteConfirmedKey(const Profile& profile);
    void saveProxy();
    void clearProxy();
    // Asks the selected profile's limits endpoint again (the credit row's button).
    void checkCredit();
    // Selects a Velqor profile (the first without a key, a new one when there is none)
    // and puts the keyboard in its key field.
    void beginKeyEntry();

private:
    void buildHeader(class QVBoxLayout* layout);
    void buildKeySection(class QVBoxLayout* layout);
    void connectControls();
    QString keyStatus(const Profile& profile) const;
    void refresh();
    void select(const QString& profileID);
    void rebuildRows();
    void applyTheme();
    void setStatus(const QString& status);
    void fail(const QString& message);
    // Runs one change of the store; a failure ends the action with its text in the
    // status line and the log.
    bool perform(const std::function<void()>& change);
    // After a successful change: the status line, the owner's refresh and a log line.
    void report(const QString& status, const QString& logLine);
    // A change of a key: off the window's thread while keys are in the keyring, which may
    // take a while (it may ask for its password), the key controls disabled meanwhile and
    // `busy` in the status line. `succeeded` runs on the window's thread.
    void changeKey(const QString& busy, std::function<void()> change,
                   std::function<void()> succeeded);

    ProfilesStore* m_store;
    CompactTheme m_theme;
    LogHandler m_onLog;
    ChangeHandler m_onProfilesChanged;
    std::shared_ptr<CreditChecks> m_credit;

    std::optional<QString> m_selectedProfileID;
    QString m_status;
    bool m_themeApplied = false;
    // A key change runs off the window's thread.
    bool m_keyBusy = false;

    WelcomeCard* m_welcome;
    QLabel* m_title;
    FilledButton* m_addButton;
    RowList* m_list;
    QList<ProfileRow*> m_rows;
    ElidedLabel* m_keyHeading;
    CreditRow* m_creditRow;
    QLineEdit* m_apiKeyField;
    IconButton* m_revealKeyButton;
    KeyReveal* m_keyReveal;
    FilledButton* m_saveKeyButton;
    FilledButton* m_deleteKeyButton;
    ProxySection* m_proxy;
    QLabel* m_statusLabel;
};
