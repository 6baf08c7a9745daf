#pragma once

#include "profiles/Profile.h"
#include "profiles/ProxyURLFormatter.h"
#include "ui/CompactTheme.h"

#include <QAbstractButton>
#include <QList>
#include <QWidget>

#include <functional>
#include <optional>

class CardWidget;
class FilledButton;
class IconView;
class ProfileRow;
class ProfilesStore;
class QComboBox;
class QLabel;
class QLineEdit;
class QVBoxLayout;

// The clickable title row of a collapsible section: chevron, icon, title and a badge.
class DisclosureHeader : public QAbstractButton {
    Q_OBJECT
public:
    explicit DisclosureHeader(QWidget* parent = nullptr);
    void setExpanded(bool expanded);
    bool isExpanded() const { return m_expanded; }
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

// The "Profiles" tab: every account profile, Add Velqor, the selected profile's key
// and its proxy. Works directly on the shared store and reports through two callbacks.
class ProfilesPanel : public QWidget {
    Q_OBJECT
public:
    using LogHandler = std::function<void(const QString&)>;
    using ChangeHandler = std::function<void()>;

    ProfilesPanel(ProfilesStore* store, const CompactTheme& theme, LogHandler onLog,
                  ChangeHandler onProfilesChanged, QWidget* parent = nullptr);

    void setTheme(const CompactTheme& theme);
    const CompactTheme& theme() const { return m_theme; }

    // Runs each time the panel comes on screen.
    void appear();

    std::optional<Profile> selectedProfile() const;
    std::optional<QString> selectedProfileID() const { return m_selectedProfileID; }
    QString status() const { return m_status; }
    QString keyStatus(const Profile& profile) const;
    QList<ProfileRow*> rows() const { return m_rows; }

    // The id number that "Add Velqor" gives next: one past the largest among the
    // "velqor-" ids of `profiles`.
    static qint64 nextVelqorNumber(const QList<Profile>& profiles);

    // The actions behind the controls.
    void selectProfile(const Profile& profile);
    void addAccount();
    void saveKey();
    void deleteKey();
    void saveProxy();
    void clearProxy();

private:
    void refresh();
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

    std::optional<QString> m_selectedProfileID;
    QString m_status;
    bool m_themeApplied = false;

    QLabel* m_title;
    FilledButton* m_addButton;
    QVBoxLayout* m_rowsLayout;
    QList<ProfileRow*> m_rows;
    QLabel* m_keyHeading;
    QLineEdit* m_apiKeyField;
    FilledButton* m_saveKeyButton;
    FilledButton* m_deleteKeyButton;
    CardWidget* m_proxyGroup;
    DisclosureHeader* m_proxyHeader;
    QWidget* m_proxyContent;
    QLabel* m_formatLabel;
    QComboBox* m_proxySchemePicker;
    QLineEdit* m_proxyAddressField;
    FilledButton* m_saveProxyButton;
    FilledButton* m_clearProxyButton;
    QLabel* m_statusLabel;
};
