#pragma once

#include "app/AppViewModel.h"
#include "profiles/Profile.h"
#include "ui/CompactTheme.h"

#include <QAbstractButton>
#include <QWidget>

#include <optional>

class ActivityPopover;
class CardWidget;
class ElidedLabel;
class FilledButton;
class IconButton;
class IconView;
class PowerButton;
class ProfilesPanel;
class ProfilesStore;
class QLabel;
class QMenu;
class QScrollArea;
class QStackedWidget;
class SegmentButton;
class TabButton;

// The profile card of the "Switch" tab: an icon tile, the profile's name and kind, and
// a chevron. Clicking it opens the menu of profiles for the selected target.
class ProfileCard : public QAbstractButton {
    Q_OBJECT
public:
    explicit ProfileCard(QWidget* parent = nullptr);
    void setContent(const QString& symbol, const QString& title, const QString& detail,
                    const CompactTheme& theme);
    QString symbol() const;
    QString title() const;
    QString detail() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    IconView* m_tile;
    ElidedLabel* m_title;
    ElidedLabel* m_detail;
    IconView* m_chevron;
    CompactTheme m_theme;
};

// The main window's content: target switcher, the "Switch" and "Profiles" tabs and the
// tab bar, drawn from the view model and the shared store.
class ContentView : public QWidget {
    Q_OBJECT
public:
    static constexpr int windowWidth = 320;
    static constexpr int windowHeight = 568;

    explicit ContentView(ProfilesStore* store, AppServices services = {},
                         QWidget* parent = nullptr);
    ~ContentView() override;

    AppViewModel* viewModel() const { return m_viewModel; }
    ProfilesStore* profilesStore() const { return m_store; }

    CompactTheme theme() const;
    TargetIDE selectedIDE() const { return m_selectedIDE; }
    void setSelectedIDE(TargetIDE target);
    void setSelectedTab(AppTab tab);

    // Null until the "Profiles" tab has been shown once.
    ProfilesPanel* profilesPanel() const { return m_panel; }
    QMenu* profileMenu() const { return m_profileMenu; }

    // What the profile card shows for a profile (or none) of a target.
    static QString profileSymbol(TargetIDE target, const std::optional<Profile>& profile);
    static QString profileDetail(TargetIDE target, const std::optional<Profile>& profile);

    // Opens the list of recent activity lines, newest last (a click on the caption).
    void showRecentActivity();

signals:
    // Once, when the first frame has been painted (start-up measurement).
    void firstFramePainted();
    // The window's colours changed (appearance or target).
    void themeChanged(const CompactTheme& theme);

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void refresh();
    void openProfileMenu();
    void ensureProfilesPanel();
    void startSwitch();
    void resetSelectionsToStore();
    void showPanelSelection();
    void fillRecentActivity();

    ProfilesStore* m_store;
    AppViewModel* m_viewModel;
    AppTab m_selectedTab = AppTab::switcher;
    TargetIDE m_selectedIDE = TargetIDE::claude;
    bool m_hasPainted = false;
    bool m_policyRefreshDue = false;
    bool m_refreshing = false;
    std::optional<CompactTheme> m_announcedTheme;

    CardWidget* m_switcherTrack;
    SegmentButton* m_segments[2];
    QStackedWidget* m_pages;
    ProfileCard* m_profileCard;
    QMenu* m_profileMenu;
    CardWidget* m_switchCard;
    PowerButton* m_powerButton;
    FilledButton* m_actionButton;
    ElidedLabel* m_lastLogCaption;
    ActivityPopover* m_activity = nullptr;
    CardWidget* m_policyCard;
    IconView* m_policySymbol;
    QLabel* m_policyTitle;
    QLabel* m_policyDetail;
    IconButton* m_refreshButton;
    FilledButton* m_updateButton;
    QScrollArea* m_profilesScroll;
    ProfilesPanel* m_panel = nullptr;
    TabButton* m_tabs[2];
};
