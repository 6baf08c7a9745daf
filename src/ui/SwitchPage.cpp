#include "ui/SwitchPage.h"

#include "app/AppViewModel.h"
#include "ui/Controls.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace {

bool isPresent(const std::optional<QString>& text) {
    return text && !text->trimmed().isEmpty();
}

// What the profile card shows for a profile (or none) of a target.
QString profileSymbol(TargetIDE target, const std::optional<Profile>& profile) {
    if (!profile)
        return QStringLiteral("questionmark.circle.fill");
    if (target == TargetIDE::codex)
        return profile->isVelqorAccount() ? QStringLiteral("key.fill")
                                          : QStringLiteral("person.crop.circle.fill");
    return profile->isVelqorAccount() ? QStringLiteral("key.fill")
                                      : QStringLiteral("terminal.fill");
}

QString profileDetail(TargetIDE target, const std::optional<Profile>& profile) {
    if (!profile)
        return QStringLiteral("-");
    if (target == TargetIDE::claude)
        return profile->isVelqorAccount() ? SwitchPage::tr("Velqor API")
                                          : SwitchPage::tr("Claude Account");
    if (profile->isChatGPTAccount())
        return SwitchPage::tr("ChatGPT Account");
    if (profile->isVelqorAccount())
        return QStringLiteral("Velqor");
    if (isPresent(profile->modelProvider))
        return *profile->modelProvider;
    return QStringLiteral("ChatGPT");
}

} // namespace

// ProfileCard

ProfileCard::ProfileCard(QWidget* parent) : PlainButton(parent) {
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
    setAccessibleDescription(detail);
    update();
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
    paintFocusRing(p, this, rect(), 14);
}

// SwitchPage

SwitchPage::SwitchPage(AppViewModel* viewModel, QWidget* parent)
    : QWidget(parent), m_viewModel(viewModel) {
    setObjectName(QStringLiteral("switchPage"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    m_welcome = new WelcomeCard(this);
    m_profileCard = new ProfileCard(this);
    connect(m_welcome, &WelcomeCard::nextStepRequested, this, &SwitchPage::addKeyRequested);
    connect(m_profileCard, &QAbstractButton::clicked, this, &SwitchPage::profileMenuRequested);
    layout->addWidget(m_welcome);
    layout->addWidget(m_profileCard);
    buildSwitchCard();
    layout->addWidget(m_switchCard, 1);
    buildPolicyCard();
    layout->addWidget(m_policyCard);
}

void SwitchPage::buildSwitchCard() {
    m_switchCard = new CardWidget(this);
    m_switchCard->setObjectName(QStringLiteral("switchCard"));
    auto* layout = new QVBoxLayout(m_switchCard);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setSpacing(0);
    m_powerButton = new PowerButton(m_switchCard);
    m_powerButton->setObjectName(QStringLiteral("powerButton"));
    m_actionButton = new FilledButton(QString(), m_switchCard);
    m_actionButton->setObjectName(QStringLiteral("actionButton"));
    m_actionButton->setFont(uiFont(14, QFont::Bold));
    m_actionButton->setRadius(-1);
    m_actionButton->setVerticalPadding(12);
    m_actionButton->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_lastLogCaption = new ElidedLabel(m_switchCard);
    m_lastLogCaption->setObjectName(QStringLiteral("lastLogCaption"));
    m_lastLogCaption->setFont(uiFont(11));
    layout->addStretch(1);
    layout->addWidget(m_powerButton, 0, Qt::AlignHCenter);
    layout->addSpacing(18);
    layout->addWidget(m_actionButton);
    layout->addSpacing(10);
    layout->addWidget(m_lastLogCaption);
    layout->addStretch(1);
    connect(m_powerButton, &QAbstractButton::clicked, this, &SwitchPage::switchRequested);
    connect(m_actionButton, &QAbstractButton::clicked, this, &SwitchPage::switchRequested);
    connect(m_lastLogCaption, &ElidedLabel::clicked, this, &SwitchPage::activityRequested);
}

void SwitchPage::buildPolicyCard() {
    m_policyCard = new CardWidget(this);
    m_policyCard->setObjectName(QStringLiteral("policyCard"));
    auto* layout = new QVBoxLayout(m_policyCard);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    auto* row = new QHBoxLayout;
    row->setSpacing(9);
    m_policySymbol = new IconView(13, m_policyCard);
    m_policySymbol->setObjectName(QStringLiteral("policySymbol"));
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    m_policyTitle = new QLabel(m_policyCard);
    m_policyTitle->setObjectName(QStringLiteral("policyTitle"));
    m_policyTitle->setFont(uiFont(13, QFont::Bold));
    m_policyDetail = new QLabel(m_policyCard);
    m_policyDetail->setObjectName(QStringLiteral("policyDetail"));
    m_policyDetail->setFont(uiFont(11));
    m_policyDetail->setWordWrap(true);
    texts->addWidget(m_policyTitle);
    texts->addWidget(m_policyDetail);
    m_refreshButton = new IconButton(QSize(28, 26), 13, m_policyCard);
    m_refreshButton->setObjectName(QStringLiteral("refreshButton"));
    m_refreshButton->setToolTip(tr("Refresh cloud policy"));
    m_refreshButton->setAccessibleName(tr("Refresh cloud policy"));
    row->addWidget(m_policySymbol, 0, Qt::AlignTop);
    row->addLayout(texts, 1);
    row->addWidget(m_refreshButton, 0, Qt::AlignTop);
    m_updateButton = new FilledButton(tr("Update"), m_policyCard);
    m_updateButton->setObjectName(QStringLiteral("updateButton"));
    m_updateButton->setFont(uiFont(11, QFont::Bold));
    m_updateButton->setVerticalPadding(8);
    m_updateButton->setRadius(8);
    m_updateButton->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    layout->addLayout(row);
    layout->addWidget(m_updateButton);
    connect(m_refreshButton, &QAbstractButton::clicked, m_viewModel,
            &AppViewModel::refreshCloudControl);
    connect(m_updateButton, &QAbstractButton::clicked, m_viewModel, &AppViewModel::openUpdateURL);
}

QList<QWidget*> SwitchPage::focusOrder() const {
    return {m_welcome->button(), m_profileCard,   m_powerButton, m_actionButton,
            m_lastLogCaption,    m_refreshButton, m_updateButton};
}

void SwitchPage::refresh(const CompactTheme& t, TargetIDE target, bool firstStart) {
    m_welcome->setVisible(firstStart);
    m_welcome->setTheme(t);
    const std::optional<Profile> profile = m_viewModel->selectedProfile(target);
    const QString title = profile ? profile->name : tr("No profile");
    m_profileCard->setContent(profileSymbol(target, profile), title, profileDetail(target, profile),
                              t);
    m_profileCard->setAccessibleName(tr("%1 profile: %2").arg(TargetIDEs::rawValue(target), title));
    refreshSwitchCard(t, target, profile);
    m_policyCard->setVisible(m_viewModel->requiresUpdate());
    if (m_viewModel->requiresUpdate())
        refreshPolicyCard(t);
}

void SwitchPage::refreshSwitchCard(const CompactTheme& t, TargetIDE target,
                                   const std::optional<Profile>& profile) {
    const AppViewModel* vm = m_viewModel;
    const bool requiresUpdate = vm->requiresUpdate();
    const bool switching = vm->isSwitching();
    const QColor stateColor = requiresUpdate ? t.mutedText() : t.accentFill();
    const bool canSwitch = !switching && profile.has_value() && !requiresUpdate;
    // Both switch controls are dimmed alike while they cannot be pressed, their
    // content kept readable.
    const QColor dimmedFill = t.dimmed(stateColor);
    const QColor dimmedContent = CompactTheme::readableOn(dimmedFill, Qt::white);
    m_switchCard->setStyle(t.panel(), t.border(), 16);
    m_powerButton->setAppearance(canSwitch ? stateColor : dimmedFill, t.isDark ? 0.16 : 0.11,
                                 switching ? QStringLiteral("hourglass") : QStringLiteral("power"),
                                 canSwitch ? QColor(Qt::white) : dimmedContent);
    // Unique among the window's controls: the tab is "Switch" too.
    m_powerButton->setAccessibleName(
        profile ? tr("Switch %1 to %2").arg(TargetIDEs::rawValue(target), profile->name)
                : tr("Switch %1").arg(TargetIDEs::rawValue(target)));
    m_actionButton->setText(vm->actionTitle(target));
    m_actionButton->setColors(stateColor, Qt::white);
    m_actionButton->setDisabledColors(dimmedFill, dimmedContent);
    m_powerButton->setEnabled(canSwitch);
    m_actionButton->setEnabled(canSwitch);
    // Each target shows its own last line.
    const QString lastLine = vm->lastLine(target);
    m_lastLogCaption->setText(lastLine);
    m_lastLogCaption->setAccessibleName(
        lastLine.isEmpty() ? QString() : tr("Recent activity: %1").arg(lastLine));
    m_lastLogCaption->setColor(vm->lastLineIsFailure(target) ? t.error() : t.secondaryText());
    m_lastLogCaption->setClickable(!lastLine.isEmpty());
}

void SwitchPage::refreshPolicyCard(const CompactTheme& t) {
    const AppViewModel* vm = m_viewModel;
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
        detail = tr("No cloud endpoint configured");
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
    m_updateButton->setColors(t.accentFill(), Qt::white);
}
