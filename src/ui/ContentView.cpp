#include "ui/ContentView.h"

#include "profiles/ProfilesStore.h"
#include "ui/ActivityPopover.h"
#include "ui/Buttons.h"
#include "ui/Controls.h"
#include "ui/ProfilesPanel.h"
#include "ui/RecoveryPrompt.h"
#include "ui/SwitchPage.h"
#include "ui/UiSettings.h"

#include <QActionGroup>
#include <QDesktopServices>
#include <QEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace {

AppServices withDesktopOpener(AppServices services) {
    if (!services.openURL)
        services.openURL = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    return services;
}

} // namespace

ContentView::ContentView(ProfilesStore* store, AppServices services, QWidget* parent)
    : QWidget(parent), m_store(store),
      m_viewModel(new AppViewModel(store, withDesktopOpener(std::move(services)), this)),
      m_selectedIDE(UiSettings::lastTarget()) {
    setObjectName(QStringLiteral("contentView"));
    setWindowTitle(QStringLiteral("Tavrin"));
    setMinimumWidth(windowWidth);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    buildSwitcher();

    auto* contentBox = new QVBoxLayout;
    contentBox->setContentsMargins(14, 0, 14, 12);
    m_pages = new QStackedWidget(this);
    contentBox->addWidget(m_pages, 1);
    root->addLayout(contentBox, 1);
    m_switchPage = new SwitchPage(m_viewModel);
    QScrollArea* switchScroll = buildPageScroll(QStringLiteral("switchScroll"));
    switchScroll->setWidget(m_switchPage);
    m_switchPage->setAutoFillBackground(false);
    m_profilesScroll = buildPageScroll(QStringLiteral("profilesScroll"));
    m_profileMenu = new QMenu(this);
    m_profileMenu->setObjectName(QStringLiteral("profileMenu"));
    connect(m_switchPage, &SwitchPage::switchRequested, this, &ContentView::startSwitch);
    connect(m_switchPage, &SwitchPage::profileMenuRequested, this, &ContentView::openProfileMenu);
    connect(m_switchPage, &SwitchPage::activityRequested, this, &ContentView::showRecentActivity);
    connect(m_switchPage, &SwitchPage::addKeyRequested, this, &ContentView::addVelqorKey);
    buildTabBar();

    // Everything redraws from what the view model and the store publish.
    for (auto signal :
         {&AppViewModel::selectedProfileIDChanged, &AppViewModel::selectedClaudeProfileIDChanged,
          &AppViewModel::logLinesChanged, &AppViewModel::isSwitchingChanged,
          &AppViewModel::cloudPolicyChanged, &AppViewModel::cloudStatusChanged,
          &AppViewModel::isCheckingCloudChanged})
        connect(m_viewModel, signal, this, &ContentView::refresh);
    connect(m_store, &ProfilesStore::documentChanged, this, &ContentView::refresh);
    connect(m_store, &ProfilesStore::reloadFailed, m_viewModel, &AppViewModel::appendFailure);
    updateTabOrder();
    refresh();
}

ContentView::~ContentView() = default;

void ContentView::buildSwitcher() {
    auto* box = new QVBoxLayout;
    box->setContentsMargins(14, 16, 14, 12);
    m_switcherTrack = new CardWidget(this);
    m_switcherTrack->setObjectName(QStringLiteral("targetSwitcher"));
    auto* track = new QHBoxLayout(m_switcherTrack);
    track->setContentsMargins(4, 4, 4, 4);
    track->setSpacing(0);
    for (int i = 0; i < 2; ++i) {
        const TargetIDE target = TargetIDEs::allCases[i];
        m_segments[i] = new SegmentButton(TargetIDEs::systemImage(target),
                                          TargetIDEs::shortTitle(target), m_switcherTrack);
        m_segments[i]->setObjectName(target == TargetIDE::codex ? QStringLiteral("segmentCodex")
                                                                : QStringLiteral("segmentClaude"));
        m_segments[i]->setAccessibleName(TargetIDEs::rawValue(target));
        track->addWidget(m_segments[i], 1);
        connect(m_segments[i], &QAbstractButton::clicked, this,
                [this, target] { setSelectedIDE(target); });
    }
    box->addWidget(m_switcherTrack);
    static_cast<QVBoxLayout*>(layout())->addLayout(box);
}

QScrollArea* ContentView::buildPageScroll(const QString& name) {
    // The page takes the viewport's height when it fits and scrolls when it does not.
    auto* scroll = new QScrollArea(m_pages);
    scroll->setObjectName(name);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->viewport()->setAutoFillBackground(false);
    // Tab goes to the controls inside, which scroll into view as they get the focus.
    scroll->setFocusPolicy(Qt::NoFocus);
    m_pages->addWidget(scroll);
    return scroll;
}

void ContentView::buildTabBar() {
    auto* box = new QHBoxLayout;
    box->setContentsMargins(20, 6, 20, 12);
    box->setSpacing(0);
    for (int i = 0; i < 2; ++i) {
        const AppTab tab = AppTabs::allCases[i];
        m_tabs[i] = new TabButton(AppTabs::systemImage(tab), AppTabs::rawValue(tab), this);
        m_tabs[i]->setObjectName(tab == AppTab::switcher ? QStringLiteral("tabSwitch")
                                                         : QStringLiteral("tabProfiles"));
        box->addWidget(m_tabs[i], 1);
        connect(m_tabs[i], &QAbstractButton::clicked, this, [this, tab] { setSelectedTab(tab); });
    }
    static_cast<QVBoxLayout*>(layout())->addLayout(box);
}

QSize ContentView::minimumSizeHint() const {
    // The switcher and the tab bar, with a little of the page between them.
    return {windowWidth, 280};
}

CompactTheme ContentView::theme() const {
    return CompactTheme{CompactTheme::systemIsDark(), m_selectedIDE};
}

bool ContentView::isFirstStart() const {
    const QList<Profile>& profiles = m_store->profiles();
    return std::none_of(profiles.begin(), profiles.end(), [this](const Profile& profile) {
        return profile.isVelqorAccount() && m_store->hasAPIKey(profile.id);
    });
}

void ContentView::setSelectedIDE(TargetIDE target) {
    if (target == m_selectedIDE)
        return;
    m_selectedIDE = target;
    UiSettings::saveLastTarget(target);
    if (m_selectedTab == AppTab::profiles)
        showPanelSelection();
    refresh();
}

void ContentView::setSelectedTab(AppTab tab) {
    if (tab == AppTab::profiles)
        ensureProfilesPanel();
    const bool changed = tab != m_selectedTab;
    m_selectedTab = tab;
    m_pages->setCurrentIndex(tab == AppTab::switcher ? 0 : 1);
    if (changed && tab == AppTab::profiles)
        showPanelSelection();
    refresh();
}

void ContentView::addVelqorKey() {
    setSelectedTab(AppTab::profiles);
    m_panel->beginKeyEntry();
}

void ContentView::showPanelSelection() {
    // The panel opens on the profile the selected target would switch to.
    const std::optional<Profile> profile = m_viewModel->selectedProfile(m_selectedIDE);
    m_panel->appear(profile ? std::optional<QString>(profile->id) : std::nullopt);
}

void ContentView::ensureProfilesPanel() {
    if (m_panel)
        return;
    // Built on first use: start-up only pays for the "Switch" tab.
    m_panel = new ProfilesPanel(
        m_store, theme(), [this](const QString& line) { m_viewModel->appendLog(line); },
        [this] { resetSelectionsToStore(); });
    m_profilesScroll->setWidget(m_panel);
    m_panel->setAutoFillBackground(false);
    updateTabOrder();
}

void ContentView::updateTabOrder() {
    QList<QWidget*> order{m_segments[0], m_segments[1]};
    order += m_switchPage->focusOrder();
    if (m_panel)
        order += m_panel->focusOrder();
    order << m_tabs[0] << m_tabs[1];
    chainTabOrder(order);
}

void ContentView::resetSelectionsToStore() {
    m_viewModel->setSelectedProfileID(m_store->activeProfileID());
    m_viewModel->setSelectedClaudeProfileID(m_store->activeClaudeProfileID());
}

void ContentView::startSwitch() {
    // The controls are disabled while a switch runs; this guards a click already queued.
    if (m_viewModel->isSwitching() || m_viewModel->requiresUpdate() ||
        !m_viewModel->selectedProfile(m_selectedIDE))
        return;
    m_viewModel->switchAndRestart(m_selectedIDE);
}

void ContentView::openProfileMenu() {
    m_profileMenu->clear();
    const TargetIDE target = m_selectedIDE;
    QWidget* card = m_switchPage->profileCard();
    // Names as the menu should show them: as wide as the card, "&" not taken as a mnemonic.
    // The active profile is checked; a Velqor profile without its key says so.
    const QFontMetrics metrics(m_profileMenu->font());
    const int textWidth = card->width() - 48;
    const QString active = m_store->activeProfileID(target);
    const std::optional<Profile> selected = m_viewModel->selectedProfile(target);
    m_profileMenu->setToolTipsVisible(true);
    auto* group = new QActionGroup(m_profileMenu);
    for (const Profile& profile : m_viewModel->availableProfiles(target)) {
        const bool keyMissing = profile.isVelqorAccount() && !m_store->hasAPIKey(profile.id);
        const QString note = keyMissing ? tr(" (no key)") : QString();
        QString title = metrics.elidedText(profile.name, Qt::ElideRight,
                                           textWidth - metrics.horizontalAdvance(note));
        QAction* action =
            m_profileMenu->addAction(title.replace(QLatin1Char('&'), QStringLiteral("&&")) + note);
        action->setToolTip(profile.id == active ? tr("%1 (active)").arg(profile.name)
                                                : profile.name);
        action->setCheckable(true);
        action->setChecked(profile.id == active);
        action->setActionGroup(group);
        action->setData(profile.id);
        if (selected && selected->id == profile.id)
            m_profileMenu->setActiveAction(action);
        const QString id = profile.id;
        connect(action, &QAction::triggered, this, [this, target, id] {
            if (target == TargetIDE::claude)
                m_viewModel->setSelectedClaudeProfileID(id);
            else
                m_viewModel->setSelectedProfileID(id);
        });
    }
    m_profileMenu->setMinimumWidth(card->width());
    m_profileMenu->setMaximumWidth(card->width());
    m_profileMenu->popup(card->mapToGlobal(QPoint(0, card->height() + 4)));
}

void ContentView::refresh() {
    if (m_refreshing)
        return;
    m_refreshing = true;
    const CompactTheme t = theme();
    m_switcherTrack->setStyle(t.buttonSurface(), Qt::transparent, 13);
    for (int i = 0; i < 2; ++i)
        m_segments[i]->setAppearance(TargetIDEs::allCases[i] == m_selectedIDE, t);
    const bool firstStart = isFirstStart();
    m_switchPage->refresh(t, m_selectedIDE, firstStart);
    if (m_activity && m_activity->isVisible())
        fillRecentActivity();
    for (int i = 0; i < 2; ++i)
        m_tabs[i]->setAppearance(AppTabs::allCases[i] == m_selectedTab, t);
    if (m_panel) {
        m_panel->setTheme(t);
        m_panel->setFirstStart(firstStart);
    }
    update();
    m_refreshing = false;
    if (m_announcedTheme != t) {
        m_announcedTheme = t;
        applyMenuTheme(m_profileMenu, t);
        for (QScrollArea* scroll :
             m_pages->findChildren<QScrollArea*>(QString(), Qt::FindDirectChildrenOnly))
            applyScrollBarTheme(scroll, t);
        emit themeChanged(t);
    }
}

void ContentView::showRecentActivity() {
    if (m_viewModel->logLines().isEmpty())
        return;
    if (!m_activity) {
        m_activity = new ActivityPopover(this);
        // Escape or a click outside closes it; the keyboard goes back to the caption.
        connect(m_activity, &ActivityPopover::closed, this, [this] {
            if (QWidget* caption =
                    m_switchPage->findChild<QWidget*>(QStringLiteral("lastLogCaption")))
                caption->setFocus(Qt::PopupFocusReason);
        });
    }
    fillRecentActivity();
    // Over the switch card, whose caption was clicked.
    QWidget* card = m_switchPage->switchCard();
    const QRect area(card->mapToGlobal(QPoint(0, 0)), card->size());
    m_activity->setGeometry(area.adjusted(8, 8, -8, -8));
    m_activity->show();
    m_activity->setFocus(Qt::PopupFocusReason);
}

void ContentView::fillRecentActivity() {
    m_activity->fill(*m_viewModel, theme());
}

void ContentView::start(bool onScreen) {
    if (!m_viewModel->logLines().isEmpty())
        return;
    // The remote policy is asked for once the first frame is on screen, not before; with no
    // window to paint (started in the tray only), at once.
    const bool loaded = m_viewModel->load();
    if (onScreen)
        m_policyRefreshDue = loaded;
    else if (loaded)
        QTimer::singleShot(0, m_viewModel, &AppViewModel::refreshCloudControl);
    // Changes made outside the window (tavrin-cli, a second Tavrin) are picked up.
    m_store->startWatchingFiles();
    // Once the window is on screen: a switch that did not finish is asked about.
    QTimer::singleShot(0, this, [this] { RecoveryPrompt::offer(this, *m_store, *m_viewModel); });
}

void ContentView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    start(true);
    refresh();
}

void ContentView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), theme().background());
    if (!m_hasPainted) {
        m_hasPainted = true;
        emit firstFramePainted();
    }
    if (std::exchange(m_policyRefreshDue, false))
        QTimer::singleShot(0, m_viewModel, &AppViewModel::refreshCloudControl);
}

void ContentView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        refresh();
}

bool ContentView::event(QEvent* event) {
    if (event->type() == QEvent::ApplicationPaletteChange)
        refresh();
    return QWidget::event(event);
}
