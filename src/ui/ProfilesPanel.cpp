#include "ui/ProfilesPanel.h"

#include "app/CreditChecks.h"
#include "profiles/ProfilesStore.h"
#include "ui/Controls.h"
#include "ui/ProfileRow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSet>
#include <QVBoxLayout>

namespace {

const QString velqorPrefix = QStringLiteral("velqor-");

QString defaultStatus() {
    return QStringLiteral("Velqor keys are saved locally and work for Codex and Claude Code.");
}

bool hasProxy(const Profile& profile) {
    return ProxyURLFormatter::normalized(profile.proxyURL).has_value();
}

// A plain count: one to six decimal digits, no sign or spaces. Longer numbers, such as
// the time stamps of profiles made in the settings, are not counts.
std::optional<qint64> plainCount(const QString& text) {
    if (text.isEmpty() || text.size() > 6)
        return std::nullopt;
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    return text.toLongLong();
}

QString fieldStyle(const CompactTheme& theme) {
    return QStringLiteral("QLineEdit { background: %1; color: %2; border: 1px solid %3;"
                          " border-radius: 9px; padding: 7px 11px; }"
                          "QLineEdit:disabled { color: %4; }")
        .arg(theme.buttonSurface().name(QColor::HexArgb), theme.primaryText().name(QColor::HexArgb),
             theme.border().name(QColor::HexArgb), theme.mutedText().name(QColor::HexArgb));
}

void setPlaceholderColor(QLineEdit* field, const QColor& color) {
    QPalette palette = field->palette();
    palette.setColor(QPalette::PlaceholderText, color);
    field->setPalette(palette);
}

} // namespace

// DisclosureHeader

DisclosureHeader::DisclosureHeader(QWidget* parent) : QAbstractButton(parent) {
    setObjectName(QStringLiteral("proxyDisclosure"));
    setCheckable(false);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 4);
    layout->setSpacing(7);
    m_chevron = new IconView(10, this);
    m_icon = new IconView(14, this);
    m_title = new QLabel(QStringLiteral("Proxy Settings"), this);
    m_title->setObjectName(QStringLiteral("proxyTitle"));
    m_title->setFont(uiFont(13, QFont::Bold));
    m_badge = new QLabel(QStringLiteral("Off"), this);
    m_badge->setObjectName(QStringLiteral("proxyBadge"));
    m_badge->setFont(uiFont(10, QFont::Bold));
    m_badge->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_chevron);
    layout->addWidget(m_icon);
    layout->addWidget(m_title);
    layout->addStretch(1);
    layout->addWidget(m_badge);
    for (QWidget* child : {static_cast<QWidget*>(m_chevron), static_cast<QWidget*>(m_icon),
                           static_cast<QWidget*>(m_title), static_cast<QWidget*>(m_badge)})
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(this, &QAbstractButton::clicked, this, [this] { setExpanded(!m_expanded); });
}

void DisclosureHeader::setExpanded(bool expanded) {
    if (expanded == m_expanded)
        return;
    m_expanded = expanded;
    setAccessibleDescription(expanded ? QStringLiteral("expanded") : QStringLiteral("collapsed"));
    m_chevron->setRotation(expanded ? 90 : 0);
    emit toggled(expanded);
}

void DisclosureHeader::setAppearance(const CompactTheme& theme, bool enabled) {
    m_chevron->setIcon(QStringLiteral("chevron.right"), theme.mutedText());
    m_icon->setIcon(QStringLiteral("network"), enabled ? theme.accent() : theme.mutedText());
    setTextColor(m_title, enabled ? theme.primaryText() : theme.mutedText());
    const QString badgeStyle =
        QStringLiteral(
            "QLabel { background: %1; color: %2; border-radius: 6px; padding: 1px 7px; }")
            .arg(theme.buttonSurface().name(QColor::HexArgb),
                 (enabled ? theme.secondaryText() : theme.mutedText()).name(QColor::HexArgb));
    if (m_badge->styleSheet() != badgeStyle)
        m_badge->setStyleSheet(badgeStyle);
}

QSize DisclosureHeader::sizeHint() const {
    return layout()->sizeHint();
}

void DisclosureHeader::paintEvent(QPaintEvent*) {
    // The child widgets draw the whole row.
}

// ProfilesPanel

ProfilesPanel::ProfilesPanel(ProfilesStore* store, const CompactTheme& theme, LogHandler onLog,
                             ChangeHandler onProfilesChanged,
                             std::shared_ptr<CreditChecks> creditChecks, QWidget* parent)
    : QWidget(parent), m_store(store), m_theme(theme), m_onLog(std::move(onLog)),
      m_onProfilesChanged(std::move(onProfilesChanged)),
      m_credit(creditChecks ? std::move(creditChecks) : std::make_shared<CreditChecks>()) {
    setObjectName(QStringLiteral("profilesPanel"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);

    // Header: title and Add Velqor.
    auto* header = new QHBoxLayout;
    header->setSpacing(6);
    m_title = new QLabel(QStringLiteral("Accounts"), this);
    m_title->setFont(uiFont(15, QFont::Bold));
    m_addButton = new FilledButton(QStringLiteral("Add Velqor"), this);
    m_addButton->setObjectName(QStringLiteral("addVelqorButton"));
    m_addButton->setFont(uiFont(13, QFont::Bold));
    m_addButton->setHorizontalPadding(2);
    m_addButton->setVerticalPadding(2);
    header->addWidget(m_title);
    header->addStretch(1);
    header->addWidget(m_addButton);
    layout->addLayout(header);

    // The list.
    m_rowsLayout = new QVBoxLayout;
    m_rowsLayout->setSpacing(6);
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(m_rowsLayout);

    // Key section.
    auto* keySection = new QVBoxLayout;
    keySection->setSpacing(8);
    m_keyHeading = new ElidedLabel(this, Qt::AlignLeft);
    m_keyHeading->setObjectName(QStringLiteral("keyHeading"));
    m_keyHeading->setFont(uiFont(13, QFont::Bold));

    // The remaining credit, for API-key profiles with a limits endpoint.
    m_creditRow = new QWidget(this);
    m_creditRow->setObjectName(QStringLiteral("creditRow"));
    auto* creditLayout = new QHBoxLayout(m_creditRow);
    creditLayout->setContentsMargins(0, 0, 0, 0);
    creditLayout->setSpacing(8);
    auto* creditTexts = new QVBoxLayout;
    creditTexts->setSpacing(2);
    m_creditStatus = new ElidedLabel(m_creditRow, Qt::AlignLeft);
    m_creditStatus->setObjectName(QStringLiteral("creditStatus"));
    m_creditStatus->setFont(uiFont(12, QFont::DemiBold));
    creditTexts->addWidget(m_creditStatus);
    for (int i = 0; i < LimitCheckerService::maximumDetails; ++i) {
        auto* detail = new ElidedLabel(m_creditRow, Qt::AlignLeft);
        detail->setObjectName(QStringLiteral("creditDetail"));
        detail->setFont(uiFont(11));
        creditTexts->addWidget(detail);
        m_creditDetails << detail;
    }
    m_creditButton = new IconButton(QSize(26, 24), 12, m_creditRow);
    m_creditButton->setObjectName(QStringLiteral("creditRefreshButton"));
    m_creditButton->setAccessibleName(QStringLiteral("Check remaining credit"));
    creditLayout->addLayout(creditTexts, 1);
    creditLayout->addWidget(m_creditButton, 0, Qt::AlignTop);
    m_apiKeyField = new QLineEdit(this);
    m_apiKeyField->setObjectName(QStringLiteral("apiKeyField"));
    m_apiKeyField->setEchoMode(QLineEdit::Password);
    m_apiKeyField->setFont(uiFont(13));
    m_apiKeyField->setAccessibleName(QStringLiteral("API key"));
    auto* keyButtons = new QHBoxLayout;
    keyButtons->setSpacing(8);
    m_saveKeyButton = new FilledButton(QStringLiteral("Save Key"), this);
    m_saveKeyButton->setObjectName(QStringLiteral("saveKeyButton"));
    m_deleteKeyButton = new FilledButton(QStringLiteral("Delete Key"), this);
    m_deleteKeyButton->setObjectName(QStringLiteral("deleteKeyButton"));
    m_deleteKeyButton->setFixedWidth(96);
    m_deleteKeyButton->setHorizontalPadding(4);
    for (FilledButton* b : {m_saveKeyButton, m_deleteKeyButton}) {
        b->setFont(uiFont(14, QFont::Bold));
        b->setRadius(9);
        b->setVerticalPadding(8);
    }
    m_saveKeyButton->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    keyButtons->addWidget(m_saveKeyButton, 1);
    keyButtons->addWidget(m_deleteKeyButton);
    keySection->addWidget(m_keyHeading);
    keySection->addWidget(m_creditRow);
    keySection->addWidget(m_apiKeyField);
    keySection->addLayout(keyButtons);
    layout->addLayout(keySection);

    // Proxy section.
    m_proxyGroup = new CardWidget(this);
    m_proxyGroup->setObjectName(QStringLiteral("proxyGroup"));
    auto* proxyLayout = new QVBoxLayout(m_proxyGroup);
    proxyLayout->setContentsMargins(10, 6, 10, 8);
    proxyLayout->setSpacing(8);
    m_proxyHeader = new DisclosureHeader(m_proxyGroup);
    m_proxyContent = new QWidget(m_proxyGroup);
    m_proxyContent->setObjectName(QStringLiteral("proxyContent"));
    auto* content = new QVBoxLayout(m_proxyContent);
    content->setContentsMargins(0, 0, 0, 0);
    content->setSpacing(8);
    auto* formatRow = new QHBoxLayout;
    m_formatLabel = new QLabel(QStringLiteral("Format"), m_proxyContent);
    m_formatLabel->setFont(uiFont(11));
    m_proxySchemePicker = new MenuPicker(m_proxyContent);
    m_proxySchemePicker->setObjectName(QStringLiteral("proxySchemePicker"));
    m_proxySchemePicker->setAccessibleName(QStringLiteral("Proxy format"));
    m_proxySchemePicker->setFont(uiFont(12));
    for (ProxyScheme scheme : ProxySchemes::allCases)
        m_proxySchemePicker->addItem(ProxySchemes::rawValue(scheme));
    formatRow->addWidget(m_formatLabel);
    formatRow->addStretch(1);
    formatRow->addWidget(m_proxySchemePicker);
    m_proxyAddressField = new QLineEdit(m_proxyContent);
    m_proxyAddressField->setObjectName(QStringLiteral("proxyAddressField"));
    m_proxyAddressField->setPlaceholderText(QStringLiteral("host:port:user:pass"));
    m_proxyAddressField->setFont(uiFont(12));
    m_proxyAddressField->setAccessibleName(QStringLiteral("Proxy address"));
    auto* proxyButtons = new QHBoxLayout;
    proxyButtons->setSpacing(8);
    m_saveProxyButton = new FilledButton(QStringLiteral("Save Proxy"), m_proxyContent);
    m_saveProxyButton->setObjectName(QStringLiteral("saveProxyButton"));
    m_saveProxyButton->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_clearProxyButton = new FilledButton(QStringLiteral("Clear"), m_proxyContent);
    m_clearProxyButton->setObjectName(QStringLiteral("clearProxyButton"));
    m_clearProxyButton->setFixedWidth(70);
    m_clearProxyButton->setHorizontalPadding(4);
    for (FilledButton* b : {m_saveProxyButton, m_clearProxyButton}) {
        b->setFont(uiFont(13, QFont::Bold));
        b->setRadius(8);
        b->setVerticalPadding(7);
    }
    proxyButtons->addWidget(m_saveProxyButton, 1);
    proxyButtons->addWidget(m_clearProxyButton);
    content->addLayout(formatRow);
    content->addWidget(m_proxyAddressField);
    content->addLayout(proxyButtons);
    m_proxyContent->setVisible(false);
    proxyLayout->addWidget(m_proxyHeader);
    proxyLayout->addWidget(m_proxyContent);
    layout->addWidget(m_proxyGroup);

    // Status line.
    m_statusLabel = new QLabel(this);
    m_statusLabel->setObjectName(QStringLiteral("panelStatus"));
    m_statusLabel->setFont(uiFont(11, QFont::DemiBold));
    m_statusLabel->setWordWrap(true);
    m_statusLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Wraps anywhere rather than widen the panel for a long name.
    m_statusLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(m_statusLabel);
    layout->addStretch(1);

    connect(m_addButton, &QAbstractButton::clicked, this, &ProfilesPanel::addAccount);
    connect(m_saveKeyButton, &QAbstractButton::clicked, this, &ProfilesPanel::saveKey);
    connect(m_deleteKeyButton, &QAbstractButton::clicked, this, &ProfilesPanel::deleteKey);
    connect(m_saveProxyButton, &QAbstractButton::clicked, this, &ProfilesPanel::saveProxy);
    connect(m_clearProxyButton, &QAbstractButton::clicked, this, &ProfilesPanel::clearProxy);
    connect(m_apiKeyField, &QLineEdit::returnPressed, this, [this] {
        if (m_saveKeyButton->isEnabled())
            saveKey();
    });
    // Typing only decides whether Save Key can be pressed; the key file is not read again.
    connect(m_apiKeyField, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_saveKeyButton->setEnabled(selectedProfile().has_value() && !text.isEmpty());
    });
    connect(m_creditButton, &QAbstractButton::clicked, this, &ProfilesPanel::checkCredit);
    connect(m_credit.get(), &CreditChecks::changed, this, [this](const QString& id) {
        if (const auto profile = selectedProfile(); profile && profile->id == id)
            refreshCredit(profile);
    });
    connect(m_proxyHeader, &QAbstractButton::toggled, m_proxyContent, &QWidget::setVisible);
    connect(m_store, &ProfilesStore::documentChanged, this, &ProfilesPanel::refresh);

    applyTheme();
    refresh();
}

ProfilesPanel::~ProfilesPanel() = default;

void ProfilesPanel::setTheme(const CompactTheme& theme) {
    if (theme == m_theme && m_themeApplied)
        return;
    m_theme = theme;
    applyTheme();
    refresh();
}

void ProfilesPanel::applyTheme() {
    m_themeApplied = true;
    setTextColor(m_title, m_theme.primaryText());
    setTextColor(m_keyHeading, m_theme.primaryText());
    setTextColor(m_formatLabel, m_theme.secondaryText());
    setTextColor(m_statusLabel, m_theme.secondaryText());
    m_addButton->setColors(Qt::transparent, m_theme.accent());
    m_saveKeyButton->setColors(m_theme.accent(), Qt::white);
    m_deleteKeyButton->setColors(m_theme.buttonSurface(), m_theme.secondaryText());
    m_saveProxyButton->setColors(m_theme.accent(), Qt::white);
    m_clearProxyButton->setColors(m_theme.buttonSurface(), m_theme.secondaryText());
    m_proxyGroup->setStyle(m_theme.panel(), m_theme.border(), 12);
    for (QLineEdit* field : {m_apiKeyField, m_proxyAddressField}) {
        field->setStyleSheet(fieldStyle(m_theme));
        setPlaceholderColor(field, m_theme.mutedText());
    }
    m_proxySchemePicker->setTheme(m_theme);
}

std::optional<Profile> ProfilesPanel::selectedProfile() const {
    const QList<Profile>& profiles = m_store->profiles();
    if (!m_selectedProfileID)
        return profiles.isEmpty() ? std::nullopt : std::optional<Profile>(profiles.first());
    return m_store->profile(*m_selectedProfileID);
}

QString ProfilesPanel::keyStatus(const Profile& profile) const {
    if (!profile.isVelqorAccount())
        return QStringLiteral("Current app accounts do not need a Velqor key.");
    return (m_store->hasAPIKey(profile.id) ? QStringLiteral("Key saved")
                                           : QStringLiteral("No key")) +
           QStringLiteral(", ") +
           (hasProxy(profile) ? QStringLiteral("proxy saved") : QStringLiteral("no proxy")) +
           QStringLiteral(".");
}

qint64 ProfilesPanel::nextVelqorNumber(const QList<Profile>& profiles) {
    qint64 largest = 0;
    QSet<QString> ids;
    for (const Profile& profile : profiles) {
        ids.insert(profile.id);
        if (!profile.id.startsWith(velqorPrefix))
            continue;
        QString rest = profile.id;
        rest.remove(velqorPrefix);
        if (const auto number = plainCount(rest))
            largest = std::max(largest, *number);
    }
    qint64 next = largest + 1;
    // A number past the counts may still be taken by an id that was not counted.
    while (ids.contains(velqorPrefix + QString::number(next)))
        ++next;
    return next;
}

void ProfilesPanel::appear(const std::optional<QString>& profileID) {
    if (profileID && m_store->profile(*profileID))
        select(*profileID);
    else if (!m_selectedProfileID)
        select(m_store->activeProfileID());
    else if (const auto profile = selectedProfile())
        select(profile->id);
    refresh();
}

void ProfilesPanel::select(const QString& profileID) {
    if (m_selectedProfileID != profileID)
        m_apiKeyField->clear();
    m_selectedProfileID = profileID;
    const auto profile = selectedProfile();
    if (!profile)
        return;
    loadProxyFields(profile->proxyURL);
    m_status = keyStatus(*profile);
    // Choosing a profile asks for its credit (at most once a minute).
    if (CreditChecks::appliesTo(*profile))
        m_credit->check(*profile);
}

void ProfilesPanel::checkCredit() {
    if (const auto profile = selectedProfile())
        m_credit->check(*profile);
}

void ProfilesPanel::setStatus(const QString& status) {
    m_status = status;
    refresh();
}

void ProfilesPanel::fail(const QString& message) {
    setStatus(message);
    if (m_onLog)
        m_onLog(message);
}

bool ProfilesPanel::perform(const std::function<void()>& change) {
    try {
        change();
        return true;
    } catch (const std::exception&) {
        fail(describeError(std::current_exception()));
        return false;
    }
}

void ProfilesPanel::report(const QString& status, const QString& logLine) {
    setStatus(status);
    if (m_onProfilesChanged)
        m_onProfilesChanged();
    if (m_onLog)
        m_onLog(logLine);
}

void ProfilesPanel::loadProxyFields(const std::optional<QString>& proxyURL) {
    const QSignalBlocker blockPicker(m_proxySchemePicker);
    m_proxySchemePicker->setCurrentIndex(
        ProxyURLFormatter::scheme(proxyURL) == ProxyScheme::socks5 ? 1 : 0);
    m_proxyAddressField->setText(ProxyURLFormatter::withoutScheme(proxyURL));
}

ProxyScheme ProfilesPanel::proxyScheme() const {
    return ProxySchemes::fromRawValue(m_proxySchemePicker->currentText())
        .value_or(ProxyScheme::http);
}

void ProfilesPanel::selectProfile(const Profile& profile) {
    m_apiKeyField->clear();
    select(profile.id);
    refresh();
}

void ProfilesPanel::addAccount() {
    const Profile profile = Profile::velqorAccount(nextVelqorNumber(m_store->profiles()));
    if (!perform([&] { m_store->saveProfile(profile, std::nullopt); }))
        return;
    m_selectedProfileID = profile.id;
    m_apiKeyField->clear();
    loadProxyFields(profile.proxyURL);
    report(QStringLiteral("Account added. Paste Velqor key and press Save Key."),
           QStringLiteral("Added ") + profile.name);
}

void ProfilesPanel::saveKey() {
    const auto profile = selectedProfile();
    if (!profile)
        return;
    if (!perform([&] { m_store->saveAPIKey(m_apiKeyField->text(), profile->id); }))
        return;
    m_apiKeyField->clear();
    // The new key may answer differently.
    m_credit->forget(profile->id);
    if (CreditChecks::appliesTo(*profile))
        m_credit->check(*profile);
    report(QStringLiteral("Key saved for ") + profile->name + QStringLiteral("."),
           QStringLiteral("Saved key for ") + profile->name);
}

void ProfilesPanel::deleteKey() {
    const auto profile = selectedProfile();
    if (!profile || !m_store->hasAPIKey(profile->id) || !confirmKeyDeletion(this, profile->name))
        return;
    if (!perform([&] { m_store->deleteAPIKey(profile->id); }))
        return;
    m_apiKeyField->clear();
    m_credit->forget(profile->id);
    report(QStringLiteral("Key deleted for ") + profile->name + QStringLiteral("."),
           QStringLiteral("Deleted key for ") + profile->name);
}

void ProfilesPanel::saveProxy() {
    const auto selected = selectedProfile();
    if (!selected)
        return;
    Profile profile = *selected;
    profile.proxyURL = ProxyURLFormatter::normalized(m_proxyAddressField->text(), proxyScheme());
    if (!perform([&] { m_store->saveProfile(profile, std::nullopt); }))
        return;
    m_selectedProfileID = profile.id;
    loadProxyFields(profile.proxyURL);
    report((profile.proxyURL ? QStringLiteral("Proxy saved for ")
                             : QStringLiteral("Proxy cleared for ")) +
               profile.name + QStringLiteral("."),
           QStringLiteral("Saved proxy for ") + profile.name);
}

void ProfilesPanel::clearProxy() {
    m_proxyAddressField->clear();
    saveProxy();
}

void ProfilesPanel::rebuildRows() {
    const QList<Profile>& profiles = m_store->profiles();
    const auto selected = selectedProfile();
    while (m_rows.size() > profiles.size()) {
        ProfileRow* row = m_rows.takeLast();
        m_rowsLayout->removeWidget(row);
        row->hide();
        row->deleteLater();
    }
    for (qsizetype i = 0; i < profiles.size(); ++i) {
        const Profile& profile = profiles.at(i);
        const bool isSelected = selected && selected->id == profile.id;
        const bool hasKey = m_store->hasAPIKey(profile.id);
        if (i < m_rows.size()) {
            m_rows.at(i)->setState(profile, isSelected, hasKey, m_theme);
            continue;
        }
        auto* row = new ProfileRow(profile, isSelected, hasKey, m_theme, this);
        connect(row, &QAbstractButton::clicked, this,
                [this, row] { selectProfile(row->profile()); });
        m_rowsLayout->addWidget(row);
        m_rows.append(row);
    }
}

void ProfilesPanel::refresh() {
    rebuildRows();
    const auto profile = selectedProfile();
    const bool hasSelection = profile.has_value();
    const bool isVelqor = hasSelection && profile->isVelqorAccount();

    const bool hasKey = hasSelection && m_store->hasAPIKey(profile->id);
    m_keyHeading->setText(hasSelection ? profile->name : QStringLiteral("No profile"));
    refreshCredit(profile);
    QString placeholder;
    if (!hasSelection)
        placeholder = QStringLiteral("Universal Velqor API key");
    else if (isVelqor && hasKey)
        placeholder = QString(24, QChar(0x2022));
    else if (isVelqor)
        placeholder = QStringLiteral("Paste universal Velqor key");
    else
        placeholder = QStringLiteral("No Velqor key needed");
    m_apiKeyField->setPlaceholderText(placeholder);

    m_saveKeyButton->setEnabled(hasSelection && !m_apiKeyField->text().isEmpty());
    // Only a key that is stored can be deleted.
    m_deleteKeyButton->setEnabled(hasKey);

    m_proxyGroup->setEnabled(hasSelection && isVelqor);
    m_proxyHeader->setAppearance(m_theme, hasSelection && isVelqor);
    m_saveProxyButton->setEnabled(hasSelection);
    m_clearProxyButton->setEnabled(hasSelection);
    m_proxyHeader->badge()->setText(
        hasSelection && hasProxy(*profile)
            ? ProxySchemes::rawValue(ProxyURLFormatter::scheme(profile->proxyURL))
            : QStringLiteral("Off"));

    m_statusLabel->setText(m_status.isEmpty() ? defaultStatus() : m_status);
}

void ProfilesPanel::refreshCredit(const std::optional<Profile>& profile) {
    const bool shown = profile && CreditChecks::appliesTo(*profile);
    m_creditRow->setVisible(shown);
    if (!shown)
        return;
    const std::optional<LimitStatus> status = m_credit->status(*profile);
    const bool checking = m_credit->isChecking(*profile);
    QString line;
    QColor color = m_theme.secondaryText();
    if (status) {
        line = CreditChecks::describe(*status);
        if (status->failed)
            color = m_theme.error();
        else if (status->isConfigured)
            color = m_theme.primaryText();
    } else if (checking) {
        line = QStringLiteral("Checking remaining credit\u2026");
    } else {
        line = LimitStatus::idle(*profile, m_store->hasAPIKey(profile->id)).text;
    }
    m_creditStatus->setText(line);
    m_creditStatus->setColor(color);
    const QStringList details = status && !status->failed ? status->details : QStringList();
    for (qsizetype i = 0; i < m_creditDetails.size(); ++i) {
        ElidedLabel* label = m_creditDetails.at(i);
        label->setVisible(i < details.size());
        label->setText(details.value(i));
        label->setColor(m_theme.secondaryText());
    }
    m_creditButton->setAppearance(checking ? QStringLiteral("hourglass")
                                           : QStringLiteral("arrow.clockwise"),
                                  m_theme.primaryText(), m_theme.buttonSurface());
    const bool canCheck = m_credit->canCheck(*profile);
    m_creditButton->setEnabled(canCheck);
    m_creditButton->setToolTip(canCheck || checking
                                   ? QStringLiteral("Check remaining credit")
                                   : QStringLiteral("Checked less than a minute ago"));
}
