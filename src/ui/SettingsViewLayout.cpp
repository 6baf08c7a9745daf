// The settings window's layout: the "Profiles" page with its list and form.

#include "ui/SettingsView.h"

#include "ui/Icons.h"
#include "ui/KeyReveal.h"
#include "ui/SettingsList.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QLineEdit* makeField(const QString& objectName, const QString& label, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(objectName);
    field->setAccessibleName(label);
    return field;
}

QLabel* secondaryLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

} // namespace

QWidget* SettingsView::buildProfilesPage() {
    auto* page = new QWidget(this);
    auto* row = new QHBoxLayout(page);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto* left = new QWidget(page);
    left->setFixedWidth(260);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(14, 14, 14, 14);
    leftLayout->setSpacing(8);
    auto* heading = new QLabel(tr("Profiles"), left);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    heading->setFont(headingFont);
    m_list = new SettingsList(left);
    m_addButton = new QPushButton(tr("Add Profile"), left);
    m_addButton->setObjectName(QStringLiteral("addProfileButton"));
    leftLayout->addWidget(heading);
    leftLayout->addWidget(m_list, 1);
    leftLayout->addWidget(m_addButton, 0, Qt::AlignLeft);
    row->addWidget(left);
    auto* divider = new QFrame(page);
    divider->setFrameShape(QFrame::VLine);
    divider->setFrameShadow(QFrame::Sunken);
    row->addWidget(divider);
    row->addWidget(buildForm(), 1);
    return page;
}

QWidget* SettingsView::buildForm() {
    // It fits the smallest window while the proxy group is folded; otherwise it scrolls.
    m_formScroll = new QScrollArea(this);
    m_formScroll->setObjectName(QStringLiteral("settingsFormScroll"));
    m_formScroll->setFrameShape(QFrame::NoFrame);
    m_formScroll->setWidgetResizable(true);
    m_formScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* form = new QWidget(m_formScroll);
    form->setObjectName(QStringLiteral("settingsForm"));
    auto* layout = new QVBoxLayout(form);
    layout->setContentsMargins(16, 10, 16, 10);
    layout->setSpacing(8);
    buildProfileGroup(layout);
    buildKeyGroup(layout);
    auto* buttons = new QHBoxLayout;
    m_saveButton = new QPushButton(tr("Save Profile"), form);
    m_saveButton->setObjectName(QStringLiteral("saveProfileButton"));
    m_saveButton->setDefault(true);
    m_deleteButton = new QPushButton(tr("Delete Profile"), form);
    m_deleteButton->setObjectName(QStringLiteral("deleteProfileButton"));
    buttons->addWidget(m_saveButton);
    buttons->addWidget(m_deleteButton);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    buildProxyGroup(layout);
    layout->addStretch(1);
    m_formScroll->setWidget(form);
    return m_formScroll;
}

void SettingsView::buildProfileGroup(QVBoxLayout* form) {
    auto* group = new QGroupBox(tr("Profile"), form->parentWidget());
    auto* fields = new QFormLayout(group);
    fields->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    const auto field = [&](QLineEdit*& edit, const char* name, const QString& label) {
        edit = makeField(QString::fromLatin1(name), label, group);
        fields->addRow(label, edit);
    };
    field(m_idField, "idField", tr("ID"));
    field(m_nameField, "nameField", tr("Name"));
    field(m_authField, "authMethodField", tr("Preferred auth method"));
    field(m_providerField, "modelProviderField", tr("Model provider"));
    field(m_modelField, "modelField", tr("Model"));
    field(m_effortField, "reasoningEffortField", tr("Reasoning effort"));
    field(m_limitsField, "limitsEndpointField", tr("Limits endpoint"));
    m_disableStorageToggle = new QCheckBox(tr("Disable response storage"), group);
    m_disableStorageToggle->setObjectName(QStringLiteral("disableResponseStorageToggle"));
    m_restartToggle = new QCheckBox(tr("Restart app after switch"), group);
    m_restartToggle->setObjectName(QStringLiteral("restartToggle"));
    auto* toggles = new QHBoxLayout;
    toggles->addWidget(m_disableStorageToggle);
    toggles->addWidget(m_restartToggle);
    toggles->addStretch(1);
    fields->addRow(toggles);
    form->addWidget(group);
}

void SettingsView::buildKeyGroup(QVBoxLayout* form) {
    auto* group = new QGroupBox(tr("API Key"), form->parentWidget());
    auto* layout = new QVBoxLayout(group);
    m_apiKeyField = new QLineEdit(group);
    m_apiKeyField->setObjectName(QStringLiteral("settingsApiKeyField"));
    m_apiKeyField->setEchoMode(QLineEdit::Password);
    m_apiKeyField->setPlaceholderText(tr("API key (stored locally, not in JSON)"));
    m_apiKeyField->setAccessibleName(tr("API key"));
    auto* reveal = new QToolButton(group);
    reveal->setAutoRaise(true);
    m_keyReveal = new KeyReveal(m_apiKeyField, reveal, [reveal](const QString& symbol) {
        reveal->setIcon(Icons::pixmap(symbol, 16, reveal->palette().color(QPalette::ButtonText),
                                      reveal->devicePixelRatioF()));
    });
    auto* row = new QHBoxLayout;
    m_deleteKeyButton = new QPushButton(tr("Delete Stored API Key"), group);
    m_deleteKeyButton->setObjectName(QStringLiteral("deleteStoredKeyButton"));
    m_statusLabel = secondaryLabel(QString(), group);
    m_statusLabel->setObjectName(QStringLiteral("settingsStatus"));
    m_statusLabel->setWordWrap(true);
    m_statusLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    row->addWidget(m_deleteKeyButton);
    row->addWidget(m_statusLabel, 1);
    layout->addWidget(m_apiKeyField);
    layout->addLayout(row);
    form->addWidget(group);
}

void SettingsView::buildProxyGroup(QVBoxLayout* form) {
    QWidget* parent = form->parentWidget();
    auto* header = new QHBoxLayout;
    m_proxyToggle = new QToolButton(parent);
    m_proxyToggle->setObjectName(QStringLiteral("settingsProxyToggle"));
    m_proxyToggle->setText(tr("Proxy Settings"));
    m_proxyToggle->setCheckable(true);
    m_proxyToggle->setAutoRaise(true);
    m_proxyToggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_proxyToggle->setArrowType(Qt::RightArrow);
    m_proxyLabel = secondaryLabel(tr("Off"), parent);
    m_proxyLabel->setObjectName(QStringLiteral("settingsProxyBadge"));
    header->addWidget(m_proxyToggle);
    header->addStretch(1);
    header->addWidget(m_proxyLabel);
    form->addLayout(header);
    m_proxyContent = new QWidget(parent);
    m_proxyContent->setObjectName(QStringLiteral("settingsProxyContent"));
    auto* proxyForm = new QFormLayout(m_proxyContent);
    proxyForm->setContentsMargins(20, 0, 0, 0);
    proxyForm->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    m_proxySchemePicker = new QComboBox(m_proxyContent);
    m_proxySchemePicker->setObjectName(QStringLiteral("settingsProxySchemePicker"));
    for (ProxyScheme scheme : ProxySchemes::allCases)
        m_proxySchemePicker->addItem(ProxySchemes::rawValue(scheme));
    m_proxyAddressField = new QLineEdit(m_proxyContent);
    m_proxyAddressField->setObjectName(QStringLiteral("settingsProxyAddressField"));
    m_proxyAddressField->setPlaceholderText(QStringLiteral("host:port:user:pass"));
    m_proxyAddressField->setAccessibleName(tr("Proxy address"));
    m_saveProxyButton = new QPushButton(tr("Save Proxy"), m_proxyContent);
    m_saveProxyButton->setObjectName(QStringLiteral("settingsSaveProxyButton"));
    proxyForm->addRow(tr("Format"), m_proxySchemePicker);
    proxyForm->addRow(m_proxyAddressField);
    proxyForm->addRow(m_saveProxyButton);
    m_proxyContent->setVisible(false);
    form->addWidget(m_proxyContent);
}
