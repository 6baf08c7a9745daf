#pragma once

#include "app/AppViewModel.h"
#include "profiles/Profile.h"
#include "ui/CompactTheme.h"

#include <QWidget>

#include <optional>

class ActivityPopover;
class CardWidget;
class ProfilesPanel;
class ProfilesStore;
class QMenu;
class QScrollArea;
class QStackedWidget;
class SegmentButton;
class SwitchPage;
class TabButton;

// The main window's content: target switcher, the "Switch" and "Profiles" tabs and the
// tab bar, drawn from the view model and the shared store. Its designed size is 320 x 568;
// on a shorter screen the tabs' content scrolls between the switcher and the tab bar.
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
    // The target shown; the choice is remembered for the next start.
    void setSelectedIDE(TargetIDE target);
    void setSelectedTab(AppTab tab);

    // Null until the "Profiles" tab has been shown once.
    ProfilesPanel* profilesPanel() const { return m_panel; }
    QMenu* profileMenu() const { return m_profileMenu; }

    // Loads the profiles, once: when the window is first shown (`onScreen`), or at a start
    // in the tray only.
    void start(bool onScreen);
    // Opens the list of recent activity lines, newest last (a click on the caption).
    void showRecentActivity();
    // The first start's next step: the key field of a Velqor profile on the "Profiles" tab.
    void addVelqorKey();
    // Whether no Velqor profile has a key yet: the window explains what keys are for.
    bool isFirstStart() const;

    QSize sizeHint() const override { return {windowWidth, windowHeight}; }
    QSize minimumSizeHint() const override;

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
    void buildSwitcher();
    QScrollArea* buildPageScroll(const QString& name);
    void buildTabBar();
    void refresh();
    void openProfileMenu();
    void ensureProfilesPanel();
    void startSwitch();
    void resetSelectionsToStore();
    void showPanelSelection();
    void fillRecentActivity();
    void updateTabOrder();

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
    SwitchPage* m_switchPage;
    QMenu* m_profileMenu;
    ActivityPopover* m_activity = nullptr;
    QScrollArea* m_profilesScroll;
    ProfilesPanel* m_panel = nullptr;
    TabButton* m_tabs[2];
};
