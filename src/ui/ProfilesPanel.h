#pragma once

#include "profiles/Profile.h"
#include "profiles/ProxyURLFormatter.h"
#include "ui/CompactTheme.h"

#include <QAbstractButton>
#include <QList>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class CardWidget;
class CreditChecks;
class ElidedLabel;
class FilledButton;
class IconButton;
class IconView;
class MenuPicker;
class ProfileRow;
class ProfilesStore;
class QLabel;
class QLineEdit;
class QVBoxLayout;

// The clickable title row of a collapsible section: chevron, icon, title and a badge.
class DisclosureHeader : public QAbstractButton {
    Q_OBJECT
public:
    explicit DisclosureHeader(QWidget* parent = nullptr);
    void setExpanded(bool expanded);
    void setAppearance(const CompactTheme& theme, bool enabled);
    QLabel* badge() const { return m_badge; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_expanded = false;
    IconView* m_chevron;
    IconView* m_icon;
    QLabel* m_title;
    QLabel* m_badge;
};

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

    // Runs each time the panel comes on screen: selects `profileID` when there is such
    // a profile, otherwise keeps the selection (the active Codex profile at first).
    void appear(const std::optional<QString>& profileID = std::nullopt);

    std::optional<Profile> selectedProfile() const;
    std::optional<QString> selectedProfileID() const { return m_selectedProfileID; }
    QString status() const { return m_status; }
    QString keyStatus(const Profile& profile) const;
    QList<ProfileRow*> rows() const { return m_rows; }

    // The id number that "Add Velqor" gives next: one past the largest plain count
    // (up to six digits; time stamps do not count) among the "velqor-" ids of
    // `profiles`, and never the number of an existing id.
    static qint64 nextVelqorNumber(const QList<Profile>& profiles);

    // The actions behind the controls.
    void selectProfile(const Profile& profile);
    void addAccount();
    void saveKey();
    void deleteKey();
    void saveProxy();
    void clearProxy();
    // Asks the selected profile's limits endpoint again (the credit row's button).
    void checkCredit();

private:
    void refresh();
    void refreshCredit(const std::optional<Profile>& profile);
    void select(const QString& profileID);
    void rebuildRows();
    void applyTheme();
    void setStatus(const QString& status);
    void loadProxyFields(const std::optional<QString>& proxyURL);
    void fail(const QString& message);
    // Runs one change of the store; a failure ends the action with its text in the
    // status line and the log.
    bool perform(const std::function<void()>& change);
    // After a successful change: the status line, the owner's refresh and a log line.
    void report(const QString& status, const QString& logLine);
    ProxyScheme proxyScheme() const;

    ProfilesStore* m_store;
    CompactTheme m_theme;
    LogHandler m_onLog;
    ChangeHandler m_onProfilesChanged;
    std::shared_ptr<CreditChecks> m_credit;

    std::optional<QString> m_selectedProfileID;
    QString m_status;
    bool m_themeApplied = false;

    QLabel* m_title;
    FilledButton* m_addButton;
    QVBoxLayout* m_rowsLayout;
    QList<ProfileRow*> m_rows;
    ElidedLabel* m_keyHeading;
    QWidget* m_creditRow;
    ElidedLabel* m_creditStatus;
    QList<ElidedLabel*> m_creditDetails;
    IconButton* m_creditButton;
    QLineEdit* m_apiKeyField;
    FilledButton* m_saveKeyButton;
    FilledButton* m_deleteKeyButton;
    CardWidget* m_proxyGroup;
    DisclosureHeader* m_proxyHeader;
    QWidget* m_proxyContent;
    QLabel* m_formatLabel;
    MenuPicker* m_proxySchemePicker;
    QLineEdit* m_proxyAddressField;
    FilledButton* m_saveProxyButton;
    FilledButton* m_clearProxyButton;
    QLabel* m_statusLabel;
};
