#include "ui/ContentView.h"

#include "claude/ClaudeSettingsPatcher.h"
#include "profiles/ProfilesStore.h"
#include "ui/Controls.h"
#include "ui/ProfilesPanel.h"
#include "ui/RecoveryPrompt.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace {

AppServices withDesktopOpener(AppServices services) {
    if (!services.openURL)
        services.openURL = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    return services;
}

bool isPresent(const std::optional<QString>& text) {
    return text && !text->trimmed().isEmpty();
}

} // namespace

// The recent activity lines, newest last, selectable and copyable, in a popup.
class ActivityPopover : public QFrame {
public:
    explicit ActivityPopover(QWidget* parent) : QFrame(parent, Qt::Popup) {
        setObjectName(QStringLiteral("recentActivity"));
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(10, 10, 10, 10);
        layout->setSpacing(8);
        auto* header = new QHBoxLayout;
        m_title = new QLabel(QStringLiteral("Recent activity"), this);
        m_title->setFont(uiFont(12, QFont::Bold));
        m_copy = new FilledButton(QStringLiteral("Copy"), this);
        m_copy->setObjectName(QStringLiteral("copyActivityButton"));
        m_copy->setFont(uiFont(11, QFont::Bold));
        m_copy->setVerticalPadding(3);
        m_copy->setHorizontalPadding(10);
        header->addWidget(m_title, 1);
        header->addWidget(m_copy);
        m_lines = new QPlainTextEdit(this);
        m_lines->setObjectName(QStringLiteral("recentActivityText"));
        m_lines->setReadOnly(true);
        m_lines->setFrameShape(QFrame::NoFrame);
        m_lines->setFont(uiFont(11));
        m_lines->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        layout->addLayout(header);
        layout->addWidget(m_lines, 1);
        connect(m_copy, &QAbstractButton::clicked, this,
                [this] { QGuiApplication::clipboard()->setText(m_lines->toPlainText()); });
    }

    void fill(const AppViewModel& vm, const CompactTheme& t) {
        setStyleSheet(
            QStringLiteral("QFrame#recentActivity { background: %1; border: 1px solid %2; }"
                           "QPlainTextEdit { background: %1; color: %3; }")
                .arg(t.panel().name(), t.buttonSurface().name(), t.primaryText().name()));
        setTextColor(m_title, t.primaryText());
        m_copy->setColors(t.buttonSurface(), t.primaryText());
        m_lines->clear();
        const QStringList& log = vm.logLines();
        for (qsizetype i = 0; i < log.size(); ++i) {
            m_lines->appendPlainText(log.at(i));
            if (!vm.isFailureLine(i))
                continue;
            QTextCursor cursor(m_lines->document()->lastBlock());
            cursor.select(QTextCursor::BlockUnderCursor);
            QTextCharFormat failure;
            failure.setForeground(t.error());
            cursor.mergeCharFormat(failure);
        }
        m_lines->verticalScrollBar()->setValue(m_lines->verticalScrollBar()->maximum());
    }

private:
    QLabel* m_title;
    FilledButton* m_copy;
    QPlainTextEdit* m_lines;
};

// ProfileCard

ProfileCard::ProfileCard(QWidget* parent) : QAbstractButton(parent) {
    setObjectName(QStringLiteral("profileCard"));
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(9, 9, 12, 9);
    row->setSpacing(10);
    m_tile = new IconView(18, this);
    m_tile->setObjectName(QStringLiteral("profileSymbol"));
    m_tile->setFixedSize(36, 36);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    texts->setContentsMargins(0, 0, 0, 0);
    m_title = new ElidedLabel(this, Qt::AlignLeft);
    m_title->setObjectName(QStringLiteral("profileName"));
    m_title->setFont(uiFont(15, QFont::Bold));
    m_detail = new ElidedLabel(this, Qt::AlignLeft);
    m_detail->setObjectName(QStringLiteral("profileDetail"));
    m_detail->setFont(uiFont(11, QFont::DemiBold));
    texts->addStretch(1);
    texts->addWidget(m_title);
    texts->addWidget(m_detail);
    texts->addStretch(1);
    m_chevron = new IconView(11, this);
    row->addWidget(m_tile);
    row->addLayout(texts, 1);
    row->addWidget(m_chevron);
    for (QWidget* child : {static_cast<QWidget*>(m_tile), static_cast<QWidget*>(m_title),
                           static_cast<QWidget*>(m_detail), static_cast<QWidget*>(m_chevron)})
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ProfileCard::setContent(const QString& symbol, const QString& title, const QString& detail,
                             const CompactTheme& theme) {
    m_theme = theme;
    m_tile->setTile(withOpacity(theme.accent(), 0.13), 9);
    m_tile->setIcon(symbol, theme.accent());
    m_title->setText(title);
    m_detail->setText(detail);
    m_title->setColor(theme.primaryText());
    m_detail->setColor(theme.secondaryText());
    m_chevron->setIcon(QStringLiteral("chevron.right"), theme.mutedText());
    setAccessibleName(title);
    setAccessibleDescription(detail);
    update();
}

QString ProfileCard::symbol() const {
    return m_tile->symbol();
}
QString ProfileCard::title() const {
    return m_title->text();
}
QString ProfileCard::detail() const {
    return m_detail->text();
}

QSize ProfileCard::sizeHint() const {
    return {292, 54};
}

void ProfileCard::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(m_theme.border(), 1));
    p.setBrush(isDown() ? m_theme.buttonSurface() : m_theme.panel());
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 14, 14);
}

// ContentView

ContentView::ContentView(ProfilesStore* store, AppServices services, QWidget* parent)
    : QWidget(parent), m_store(store),
      m_viewModel(new AppViewModel(store, withDesktopOpener(std::move(services)), this)) {
    setObjectName(QStringLiteral("contentView"));
    setWindowTitle(QStringLiteral("Tavrin"));
    setFixedSize(windowWidth, windowHeight);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    // 1. Target switcher.
    auto* switcherBox = new QVBoxLayout;
    switcherBox->setContentsMargins(14, 16, 14, 12);
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
    switcherBox->addWidget(m_switcherTrack);
    root->addLayout(switcherBox);

    // 2. Content area.
    auto* contentBox = new QVBoxLayout;
    contentBox->setContentsMargins(14, 0, 14, 12);
    m_pages = new QStackedWidget(this);
    contentBox->addWidget(m_pages, 1);
    root->addLayout(contentBox, 1);

    auto* switchPage = new QWidget(m_pages);
    switchPage->setObjectName(QStringLiteral("switchPage"));
    auto* switchLayout = new QVBoxLayout(switchPage);
    switchLayout->setContentsMargins(0, 0, 0, 0);
    switchLayout->setSpacing(12);

    m_profileCard = new ProfileCard(switchPage);
    m_profileMenu = new QMenu(this);
    m_profileMenu->setObjectName(QStringLiteral("profileMenu"));
    connect(m_profileCard, &QAbstractButton::clicked, this, &ContentView::openProfileMenu);
    switchLayout->addWidget(m_profileCard);

    m_switchCard = new CardWidget(switchPage);
    m_switchCard->setObjectName(QStringLiteral("switchCard"));
    auto* switchCardLayout = new QVBoxLayout(m_switchCard);
    switchCardLayout->setContentsMargins(18, 18, 18, 18);
    switchCardLayout->setSpacing(0);
    m_powerButton = new PowerButton(m_switchCard);
    m_powerButton->setObjectName(QStringLiteral("powerButton"));
    m_powerButton->setAccessibleName(QStringLiteral("Switch"));
    m_actionButton = new FilledButton(QString(), m_switchCard);
    m_actionButton->setObjectName(QStringLiteral("actionButton"));
    m_actionButton->setFont(uiFont(14, QFont::Bold));
    m_actionButton->setRadius(-1);
    m_actionButton->setVerticalPadding(12);
    m_actionButton->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_lastLogCaption = new ElidedLabel(m_switchCard);
    m_lastLogCaption->setObjectName(QStringLiteral("lastLogCaption"));
    m_lastLogCaption->setFont(uiFont(11));
    m_lastLogCaption->setAccessibleName(QStringLiteral("Last activity"));
    connect(m_lastLogCaption, &ElidedLabel::clicked, this, &ContentView::showRecentActivity);
    switchCardLayout->addStretch(1);
    switchCardLayout->addWidget(m_powerButton, 0, Qt::AlignHCenter);
    switchCardLayout->addSpacing(18);
    switchCardLayout->addWidget(m_actionButton);
    switchCardLayout->addSpacing(10);
    switchCardLayout->addWidget(m_lastLogCaption);
    switchCardLayout->addStretch(1);
    connect(m_powerButton, &QAbstractButton::clicked, this, &ContentView::startSwitch);
    connect(m_actionButton, &QAbstractButton::clicked, this, &ContentView::startSwitch);
    switchLayout->addWidget(m_switchCard, 1);

    m_policyCard = new CardWidget(switchPage);
    m_policyCard->setObjectName(QStringLiteral("policyCard"));
    auto* policyLayout = new QVBoxLayout(m_policyCard);
    policyLayout->setContentsMargins(12, 12, 12, 12);
    policyLayout->setSpacing(10);
    auto* policyRow = new QHBoxLayout;
    policyRow->setSpacing(9);
    m_policySymbol = new IconView(13, m_policyCard);
    m_policySymbol->setObjectName(QStringLiteral("policySymbol"));
    auto* policyTexts = new QVBoxLayout;
    policyTexts->setSpacing(2);
    m_policyTitle = new QLabel(m_policyCard);
    m_policyTitle->setObjectName(QStringLiteral("policyTitle"));
    m_policyTitle->setFont(uiFont(13, QFont::Bold));
    m_policyDetail = new QLabel(m_policyCard);
    m_policyDetail->setObjectName(QStringLiteral("policyDetail"));
    m_policyDetail->setFont(uiFont(11));
    m_policyDetail->setWordWrap(true);
    policyTexts->addWidget(m_policyTitle);
    policyTexts->addWidget(m_policyDetail);
    m_refreshButton = new IconButton(QSize(28, 26), 13, m_policyCard);
    m_refreshButton->setObjectName(QStringLiteral("refreshButton"));
    m_refreshButton->setToolTip(QStringLiteral("Refresh cloud policy"));
    m_refreshButton->setAccessibleName(QStringLiteral("Refresh cloud policy"));
    policyRow->addWidget(m_policySymbol, 0, Qt::AlignTop);
    policyRow->addLayout(policyTexts, 1);
    policyRow->addWidget(m_refreshButton, 0, Qt::AlignTop);
    m_updateButton = new FilledButton(QStringLiteral("Update"), m_policyCard);
    m_updateButton->setObjectName(QStringLiteral("updateButton"));
    m_updateButton->setFont(uiFont(11, QFont::Bold));
    m_updateButton->setVerticalPadding(8);
    m_updateButton->setRadius(8);
    m_updateButton->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    policyLayout->addLayout(policyRow);
    policyLayout->addWidget(m_updateButton);
    connect(m_refreshButton, &QAbstractButton::clicked, m_viewModel,
            &AppViewModel::refreshCloudControl);
    connect(m_updateButton, &QAbstractButton::clicked, m_viewModel, &AppViewModel::openUpdateURL);
    switchLayout->addWidget(m_policyCard);
    m_pages->addWidget(switchPage);

    m_profilesScroll = new QScrollArea(m_pages);
    m_profilesScroll->setObjectName(QStringLiteral("profilesScroll"));
    m_profilesScroll->setFrameShape(QFrame::NoFrame);
    m_profilesScroll->setWidgetResizable(true);
    m_profilesScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_profilesScroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_profilesScroll->viewport()->setAutoFillBackground(false);
    m_pages->addWidget(m_profilesScroll);

    // 3. Tab bar.
    auto* tabBox = new QHBoxLayout;
    tabBox->setContentsMargins(20, 6, 20, 12);
    tabBox->setSpacing(0);
    for (int i = 0; i < 2; ++i) {
        const AppTab tab = AppTabs::allCases[i];
        m_tabs[i] = new TabButton(AppTabs::systemImage(tab), AppTabs::rawValue(tab), this);
        m_tabs[i]->setObjectName(tab == AppTab::switcher ? QStringLiteral("tabSwitch")
                                                         : QStringLiteral("tabProfiles"));
        tabBox->addWidget(m_tabs[i], 1);
        connect(m_tabs[i], &QAbstractButton::clicked, this, [this, tab] { setSelectedTab(tab); });
    }
    root->addLayout(tabBox);

    // Everything redraws from what the view model and the store publish.
    for (auto signal :
         {&AppViewModel::selectedProfileIDChanged, &AppViewModel::selectedClaudeProfileIDChanged,
          &AppViewModel::logLinesChanged, &AppViewModel::isSwitchingChanged,
          &AppViewModel::cloudPolicyChanged, &AppViewModel::cloudStatusChanged,
          &AppViewModel::isCheckingCloudChanged})
        connect(m_viewModel, signal, this, &ContentView::refresh);
    connect(m_store, &ProfilesStore::documentChanged, this, &ContentView::refresh);
    connect(m_store, &ProfilesStore::reloadFailed, m_viewModel, &AppViewModel::appendFailure);

    refresh();
}

ContentView::~ContentView() = default;

CompactTheme ContentView::theme() const {
    return CompactTheme{CompactTheme::systemIsDark(), m_selectedIDE};
}

void ContentView::setSelectedIDE(TargetIDE target) {
    if (target == m_selectedIDE)
        return;
    m_selectedIDE = target;
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
    // Names as the menu should show them: as wide as the card, "&" not taken as a mnemonic.
    const QFontMetrics metrics(m_profileMenu->font());
    const int textWidth = m_profileCard->width() - 40;
    m_profileMenu->setToolTipsVisible(true);
    for (const Profile& profile : m_viewModel->availableProfiles(target)) {
        QString title = metrics.elidedText(profile.name, Qt::ElideRight, textWidth);
        QAction* action =
            m_profileMenu->addAction(title.replace(QLatin1Char('&'), QStringLiteral("&&")));
        action->setToolTip(profile.name);
        action->setData(profile.id);
        const QString id = profile.id;
        connect(action, &QAction::triggered, this, [this, target, id] {
            if (target == TargetIDE::claude)
                m_viewModel->setSelectedClaudeProfileID(id);
            else
                m_viewModel->setSelectedProfileID(id);
        });
    }
    m_profileMenu->setMinimumWidth(m_profileCard->width());
    m_profileMenu->setMaximumWidth(m_profileCard->width());
    m_profileMenu->popup(m_profileCard->mapToGlobal(QPoint(0, m_profileCard->height() + 4)));
}

QString ContentView::profileSymbol(TargetIDE target, const std::optional<Profile>& profile) {
    if (!profile)
        return QStringLiteral("questionmark.circle.fill");
    if (target == TargetIDE::codex)
        return profile->isVelqorAccount() ? QStringLiteral("key.fill")
                                          : QStringLiteral("person.crop.circle.fill");
    return ClaudeSettingsPatcher::usesVelqor(*profile) ? QStringLiteral("key.fill")
                                                       : QStringLiteral("terminal.fill");
}

QString ContentView::profileDetail(TargetIDE target, const std::optional<Profile>& profile) {
    if (!profile)
        return QStringLiteral("-");
    if (target == TargetIDE::claude)
        return ClaudeSettingsPatcher::usesVelqor(*profile) ? QStringLiteral("Velqor API")
                                                           : QStringLiteral("Claude Account");
    if (profile->isChatGPTAccount())
        return QStringLiteral("ChatGPT Account");
    if (profile->isVelqorAccount())
        return QStringLiteral("Velqor");
    if (isPresent(profile->modelProvider))
        return *profile->modelProvider;
    return QStringLiteral("ChatGPT");
}

void ContentView::refresh() {
    if (m_refreshing)
        return;
    m_refreshing = true;
    const CompactTheme t = theme();
    AppViewModel* vm = m_viewModel;

    // Target switcher.
    m_switcherTrack->setStyle(t.buttonSurface(), Qt::transparent, 13);
    for (int i = 0; i < 2; ++i)
        m_segments[i]->setAppearance(TargetIDEs::allCases[i] == m_selectedIDE, t);

    // Profile card.
    const std::optional<Profile> profile = vm->selectedProfile(m_selectedIDE);
    m_profileCard->setContent(profileSymbol(m_selectedIDE, profile),
                              profile ? profile->name : QStringLiteral("No profile"),
                              profileDetail(m_selectedIDE, profile), t);

    // Switch card.
    const bool requiresUpdate = vm->requiresUpdate();
    const bool switching = vm->isSwitching();
    const QColor stateColor = requiresUpdate ? t.mutedText() : t.accent();
    const bool canSwitch = !switching && profile.has_value() && !requiresUpdate;
    // Both switch controls are dimmed alike while they cannot be pressed, their
    // content kept readable.
    const QColor dimmedFill = t.dimmed(stateColor);
    const QColor dimmedContent = CompactTheme::readableOn(dimmedFill, Qt::white);
    m_switchCard->setStyle(t.panel(), t.border(), 16);
    m_powerButton->setAppearance(canSwitch ? stateColor : dimmedFill, t.isDark ? 0.16 : 0.11,
                                 switching ? QStringLiteral("hourglass") : QStringLiteral("power"),
                                 canSwitch ? QColor(Qt::white) : dimmedContent);
    m_actionButton->setText(vm->actionTitle(m_selectedIDE));
    m_actionButton->setColors(stateColor, Qt::white);
    m_actionButton->setDisabledColors(dimmedFill, dimmedContent);
    m_powerButton->setEnabled(canSwitch);
    m_actionButton->setEnabled(canSwitch);
    const QStringList& log = vm->logLines();
    m_lastLogCaption->setText(log.isEmpty() ? QString() : log.last());
    m_lastLogCaption->setColor(vm->lastLineIsFailure() ? t.error() : t.secondaryText());
    m_lastLogCaption->setCursor(log.isEmpty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
    if (m_activity && m_activity->isVisible())
        fillRecentActivity();

    // Policy card, only while an update is required.
    m_policyCard->setVisible(requiresUpdate);
    if (requiresUpdate) {
        const CloudPolicy& policy = vm->cloudPolicy();
        m_policyCard->setStyle(t.panel(), t.border(), 14);
        m_policySymbol->setIcon(QStringLiteral("exclamationmark.triangle.fill"),
                                CompactTheme::warning());
        m_policyTitle->setText(vm->accessTitle());
        setTextColor(m_policyTitle, t.primaryText());
        QString detail;
        if (isPresent(policy.announcement))
            detail = *policy.announcement;
        else if (!vm->cloudPolicyConfigured())
            detail = QStringLiteral("No cloud endpoint configured");
        else
            detail = vm->cloudStatus();
        m_policyDetail->setText(detail);
        setTextColor(m_policyDetail, t.secondaryText());
        const bool checking = vm->isCheckingCloud();
        m_refreshButton->setAppearance(checking ? QStringLiteral("hourglass")
                                                : QStringLiteral("arrow.clockwise"),
                                       t.primaryText(), t.buttonSurface());
        m_refreshButton->setEnabled(!checking);
        m_updateButton->setVisible(vm->updateAvailable() && policy.updateURL.has_value());
        m_updateButton->setColors(t.accent(), Qt::white);
    }

    // Tab bar.
    for (int i = 0; i < 2; ++i)
        m_tabs[i]->setAppearance(AppTabs::allCases[i] == m_selectedTab, t);

    if (m_panel)
        m_panel->setTheme(t);
    update();
    m_refreshing = false;
    if (m_announcedTheme != t) {
        m_announcedTheme = t;
        applyMenuTheme(m_profileMenu, t);
        emit themeChanged(t);
    }
}

void ContentView::showRecentActivity() {
    if (m_viewModel->logLines().isEmpty())
        return;
    if (!m_activity)
        m_activity = new ActivityPopover(this);
    fillRecentActivity();
    // Over the switch card, whose caption was clicked.
    const QRect card(m_switchCard->mapToGlobal(QPoint(0, 0)), m_switchCard->size());
    m_activity->setGeometry(card.adjusted(8, 8, -8, -8));
    m_activity->show();
}

void ContentView::fillRecentActivity() {
    m_activity->fill(*m_viewModel, theme());
}

void ContentView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_viewModel->logLines().isEmpty()) {
        m_policyRefreshDue = m_viewModel->load();
        // Changes made outside the window (tavrin-cli, a second Tavrin) are picked up.
        m_store->startWatchingFiles();
        // Once the window is on screen: a switch that did not finish is asked about.
        QTimer::singleShot(0, this,
                           [this] { RecoveryPrompt::offer(this, *m_store, *m_viewModel); });
    }
    refresh();
}

void ContentView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), theme().background());
    if (!m_hasPainted) {
        m_hasPainted = true;
        emit firstFramePainted();
    }
    // The remote policy is asked for once the first frame is on screen, not before.
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
