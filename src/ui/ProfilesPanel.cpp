#include "ui/ProfilesPanel.h"

#include "app/CreditChecks.h"
#include "profiles/ProfilesStore.h"
#include "ui/Buttons.h"
#include "ui/Controls.h"
#include "ui/KeyReveal.h"
#include "ui/ProfileRow.h"
#include "ui/ProfilesPanelParts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

bool hasProxy(const Profile& profile) {
    return ProxyURLFormatter::normalized(profile.proxyURL).has_value();
}

} // namespace

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
    m_welcome = new WelcomeCard(this);
    m_welcome->setVisible(false);
    m_welcome->button()->setObjectName(QStringLiteral("panelAddKeyButton"));
    layout->addWidget(m_welcome);
    buildHeader(layout);
    m_list = new RowList(this);
    layout->addWidget(m_list, 1);
    buildKeySection(layout);
    m_proxy = new ProxySection(this);
    layout->addWidget(m_proxy);
    m_statusLabel = new QLabel(this);
    m_statusLabel->setObjectName(QStringLiteral("panelStatus"));
    m_statusLabel->setFont(uiFont(11, QFont::DemiBold));
    m_statusLabel->setWordWrap(true);
    m_statusLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Wraps anywhere rather than widen the panel for a long name.
    m_statusLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(m_statusLabel);
    layout->addStretch(0);
    connectControls();
    applyTheme();
    refresh();
}

ProfilesPanel::~ProfilesPanel() = default;

void ProfilesPanel::buildHeader(QVBoxLayout* layout) {
    auto* header = new QHBoxLayout;
    header->setSpacing(6);
    m_title = new QLabel(tr("Accounts"), this);
    m_title->setFont(uiFont(15, QFont::Bold));
    m_addButton = new FilledButton(tr("Add Velqor"), this);
    m_addButton->setObjectName(QStringLiteral("addVelqorButton"));
    m_addButton->setFont(uiFont(13, QFont::Bold));
    m_addButton->setHorizontalPadding(4);
    m_addButton->setVerticalPadding(2);
    header->addWidget(m_title);
    header->addStretch(1);
    header->addWidget(m_addButton);
    layout->addLayout(header);
}

void ProfilesPanel::buildKeySection(QVBoxLayout* layout) {
    auto* section = new QVBoxLayout;
    section->setSpacing(8);
    m_keyHeading = new ElidedLabel(this, Qt::AlignLeft);
    m_keyHeading->setObjectName(QStringLiteral("keyHeading"));
    m_keyHeading->setFont(uiFont(13, QFont::Bold));
    m_creditRow = new CreditRow(this);
    m_apiKeyField = new QLineEdit(this);
    m_apiKeyField->setObjectName(QStringLiteral("apiKeyField"));
    m_apiKeyField->setEchoMode(QLineEdit::Password);
    m_apiKeyField->setFont(uiFont(13));
    m_apiKeyField->setAccessibleName(tr("API key"));
    m_revealKeyButton = new IconButton(QSize(26, 24), 14, this);
    m_keyReveal = new KeyReveal(m_apiKeyField, m_revealKeyButton, [this](const QString& symbol) {
        m_revealKeyButton->setAppearance(symbol, m_theme.secondaryText(), Qt::transparent);
    });
    m_saveKeyButton = new FilledButton(tr("Save Key"), this);
    m_deleteKeyButton = new FilledButton(tr("Delete Key"), this);
    section->addWidget(m_keyHeading);
    section->addWidget(m_creditRow);
    section->addWidget(m_apiKeyField);
    section->addLayout(keyButtonRow(m_saveKeyButton, m_deleteKeyButton));
    layout->addLayout(section);
}

void ProfilesPanel::connectControls() {
    connect(m_welcome, &WelcomeCard::nextStepRequested, this, &ProfilesPanel::beginKeyEntry);
    connect(m_addButton, &QAbstractButton::clicked, this, &ProfilesPanel::addAccount);
    connect(m_saveKeyButton, &QAbstractButton::clicked, this, &ProfilesPanel::saveKey);
    connect(m_deleteKeyButton, &QAbstractButton::clicked, this, &ProfilesPanel::deleteKey);
    connect(m_proxy, &ProxySection::saveRequested, this, &ProfilesPanel::saveProxy);
    connect(m_proxy, &ProxySection::clearRequested, this, &ProfilesPanel::clearProxy);
    connect(m_apiKeyField, &QLineEdit::returnPressed, this, [this] {
        if (m_saveKeyButton->isEnabled())
            saveKey();
    });
    // Typing only decides whether Save Key can be pressed; the key file is not read again.
    connect(m_apiKeyField, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_saveKeyButton->setEnabled(!m_keyBusy && selectedProfile().has_value() && !text.isEmpty());
    });
    connect(m_creditRow->button(), &QAbstractButton::clicked, this, &ProfilesPanel::checkCredit);
    connect(m_credit.get(), &CreditChecks::changed, this, [this](const QString& id) {
        if (const auto profile = selectedProfile(); profile && profile->id == id)
            m_creditRow->refresh(profile, *m_credit, m_store->hasAPIKey(id), m_theme);
    });
    connect(m_store, &ProfilesStore::documentChanged, this, &ProfilesPanel::refresh);
}

QList<QWidget*> ProfilesPanel::focusOrder() const {
    QList<QWidget*> order{m_welcome->button(), m_addButton};
    for (ProfileRow* row : m_rows)
        order << row;
    order << m_creditRow->button() << m_apiKeyField << m_revealKeyButton << m_saveKeyButton
          << m_deleteKeyButton;
    return order + m_proxy->focusOrder();
}

void ProfilesPanel::setTheme(const CompactTheme& theme) {
    if (theme == m_theme && m_themeApplied)
        return;
    m_theme = theme;
    applyTheme();
    refresh();
}

void ProfilesPanel::setFirstStart(bool firstStart) {
    m_welcome->setVisible(firstStart);
}

void ProfilesPanel::applyTheme() {
    m_themeApplied = true;
    m_welcome->setTheme(m_theme);
    applyScrollBarTheme(m_list, m_theme);
    setTextColor(m_title, m_theme.primaryText());
    m_keyHeading->setColor(m_theme.primaryText());
    setTextColor(m_statusLabel, m_theme.secondaryText());
    m_addButton->setColors(Qt::transparent, m_theme.accentText());
    m_saveKeyButton->setColors(m_theme.accentFill(), Qt::white);
    m_deleteKeyButton->setColors(m_theme.buttonSurface(), m_theme.secondaryText());
    applyFieldTheme(m_apiKeyField, m_theme);
    m_keyReveal->restyle();
    m_proxy->setTheme(m_theme);
}

std::optional<Profile> ProfilesPanel::selectedProfile() const {
    const QList<Profile>& profiles = m_store->profiles();
    if (!m_selectedProfileID)
        return profiles.isEmpty() ? std::nullopt : std::optional<Profile>(profiles.first());
    return m_store->profile(*m_selectedProfileID);
}

QString ProfilesPanel::keyStatus(const Profile& profile) const {
    if (!profile.isVelqorAccount())
        return tr("Current app accounts do not need a Velqor key.");
    const bool key = m_store->hasAPIKey(profile.id);
    if (hasProxy(profile))
        return key ? tr("Key saved, proxy saved.") : tr("No key, proxy saved.");
    return key ? tr("Key saved, no proxy.") : tr("No key, no proxy.");
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
    m_proxy->load(profile->proxyURL);
    m_status = keyStatus(*profile);
    // Choosing a profile asks for its credit (at most once a minute).
    if (CreditChecks::appliesTo(*profile))
        m_credit->check(*profile);
}

void ProfilesPanel::checkCredit() {
    if (const auto profile = selectedProfile())
        m_credit->check(*profile);
}

void ProfilesPanel::beginKeyEntry() {
    const QList<Profile>& profiles = m_store->profiles();
    const auto withoutKey =
        std::find_if(profiles.begin(), profiles.end(), [this](const Profile& p) {
            return p.isVelqorAccount() && !m_store->hasAPIKey(p.id);
        });
    if (withoutKey != profiles.end())
        selectProfile(*withoutKey);
    else
        addAccount();
    m_apiKeyField->setFocus(Qt::OtherFocusReason);
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

void ProfilesPanel::selectProfile(const Profile& profile) {
    m_apiKeyField->clear();
    select(profile.id);
    refresh();
}

void ProfilesPanel::addAccount() {
    const Profile profile = Profile::velqorAccount(Profile::nextVelqorNumber(m_store->profiles()));
    if (!perform([&] { m_store->saveProfile(profile, std::nullopt); }))
        return;
    m_selectedProfileID = profile.id;
    m_apiKeyField->clear();
    m_proxy->load(profile.proxyURL);
    report(tr("Account added. Paste Velqor key and press Save Key."),
           QStringLiteral("Added ") + profile.name);
}

void ProfilesPanel::saveProxy() {
    const auto selected = selectedProfile();
    if (!selected)
        return;
    Profile profile = *selected;
    profile.proxyURL = m_proxy->proxyURL();
    if (!perform([&] { m_store->saveProfile(profile, std::nullopt); }))
        return;
    m_selectedProfileID = profile.id;
    m_proxy->load(profile.proxyURL);
    QString status = profile.proxyURL ? tr("Proxy saved for %1.").arg(profile.name)
                                      : tr("Proxy cleared for %1.").arg(profile.name);
    // Saved all the same: the profile may serve Codex, which can use it.
    if (ProxyURLFormatter::scheme(profile.proxyURL) == ProxyScheme::socks5 &&
        profile.isAvailable(TargetIDE::claude))
        status += QLatin1Char(' ') + tr("Claude Code cannot use a SOCKS5 proxy: switching it to "
                                        "this profile will be refused. Codex can use it.");
    report(status, QStringLiteral("Saved proxy for ") + profile.name);
}

void ProfilesPanel::clearProxy() {
    m_proxy->clearAddress();
    saveProxy();
}

void ProfilesPanel::rebuildRows() {
    const QList<Profile>& profiles = m_store->profiles();
    const auto selected = selectedProfile();
    const qsizetype before = m_rows.size();
    while (m_rows.size() > profiles.size()) {
        ProfileRow* row = m_rows.takeLast();
        m_list->rowsLayout()->removeWidget(row);
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
        m_list->rowsLayout()->addWidget(row);
        m_rows.append(row);
    }
    if (m_rows.size() != before) {
        m_list->rowsChanged();
        // New rows join the Tab order where the list stands.
        chainTabOrder(focusOrder());
    }
}

void ProfilesPanel::refresh() {
    rebuildRows();
    const auto profile = selectedProfile();
    const bool hasSelection = profile.has_value();
    const bool isVelqor = hasSelection && profile->isVelqorAccount();
    const bool hasKey = hasSelection && m_store->hasAPIKey(profile->id);
    m_keyHeading->setText(hasSelection ? profile->name : tr("No profile"));
    m_creditRow->refresh(profile, *m_credit, hasKey, m_theme);
    QString placeholder;
    if (!hasSelection)
        placeholder = tr("Universal Velqor API key");
    else if (isVelqor && hasKey)
        placeholder = QString(24, QChar(0x2022));
    else if (isVelqor)
        placeholder = tr("Paste universal Velqor key");
    else
        placeholder = tr("No Velqor key needed");
    m_apiKeyField->setPlaceholderText(placeholder);
    m_apiKeyField->setEnabled(!m_keyBusy);
    m_revealKeyButton->setEnabled(!m_keyBusy);
    m_saveKeyButton->setEnabled(!m_keyBusy && hasSelection && !m_apiKeyField->text().isEmpty());
    // Only a key that is stored can be deleted.
    m_deleteKeyButton->setEnabled(!m_keyBusy && hasKey);
    m_proxy->refresh(profile, m_theme);
    m_statusLabel->setText(
        !m_status.isEmpty() ? m_status
        : m_store->keyStorage().keptInKeyring()
            ? tr("Velqor keys are kept in the system keyring and work for Codex and Claude Code.")
            : tr("Velqor keys are saved locally and work for Codex and Claude Code."));
}
