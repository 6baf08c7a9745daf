#include "ui/SettingsView.h"

#include "profiles/ProfilesStore.h"
#include "ui/CompactTheme.h"
#include "ui/Controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Runs the selection-change handling once the outermost action has finished, so it
// comes after that action's own status text.
class ActionScope {
public:
    ActionScope(int& depth, std::function<void()> atEnd)
        : m_depth(depth), m_atEnd(std::move(atEnd)) {
        ++m_depth;
    }
    ~ActionScope() {
        if (--m_depth == 0)
            m_atEnd();
    }
    ActionScope(const ActionScope&) = delete;
    ActionScope& operator=(const ActionScope&) = delete;

private:
    int& m_depth;
    std::function<void()> m_atEnd;
};

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

// A list row: the name, elided to the row's width, and at the right the mark of the
// targets the profile is active for.
class ProfileRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const SettingsView::RowColors colors = SettingsView::rowColors(option.palette, selected);
        painter->save();
        if (selected) {
            painter->fillRect(option.rect, colors.background);
        } else if (option.widget) {
            option.widget->style()->drawPrimitive(QStyle::PE_PanelItemViewItem, &option, painter,
                                                  option.widget);
        }
        const QRect area = option.rect.adjusted(8, 0, -8, 0);
        int nameRight = area.right();
        const QString mark = index.data(SettingsView::activeMarkRole).toString();
        if (!mark.isEmpty()) {
            const QFont font = markFont(option.font);
            const int width = QFontMetrics(font).horizontalAdvance(mark);
            painter->setFont(font);
            painter->setPen(colors.mark);
            painter->drawText(QRect(area.right() - width, area.top(), width + 1, area.height()),
                              Qt::AlignRight | Qt::AlignVCenter, mark);
            nameRight -= width + 10;
        }
        const QString name = QFontMetrics(option.font)
                                 .elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight,
                                             std::max(0, nameRight - area.left()));
        painter->setFont(option.font);
        painter->setPen(colors.name);
        painter->drawText(QRect(area.left(), area.top(), nameRight - area.left(), area.height()),
                          Qt::AlignLeft | Qt::AlignVCenter, name);
        painter->restore();
    }

    // As wide as the view gives, never wider: the list does not scroll sideways.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return {0, QFontMetrics(option.font).height() + 10};
    }

private:
    static QFont markFont(QFont font) {
        font.setPointSizeF(font.pointSizeF() * 0.85);
        return font;
    }
};

} // namespace

SettingsView::SettingsView(ProfilesStore* store, QWidget* parent)
    : QWidget(parent), m_store(store), m_editor(ProfileEditorState::newProfile()) {
    setObjectName(QStringLiteral("settingsView"));
    setWindowTitle(QStringLiteral("Tavrin Settings"));
    setMinimumSize(windowWidth, windowHeight);
    resize(windowWidth, windowHeight);

    auto* root = new QHBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    // Left column.
    auto* left = new QWidget(this);
    left->setFixedWidth(260);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(14, 14, 14, 14);
    leftLayout->setSpacing(8);
    auto* heading = new QLabel(QStringLiteral("Profiles"), left);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    heading->setFont(headingFont);
    m_list = new QListWidget(left);
    m_list->setObjectName(QStringLiteral("settingsProfileList"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setItemDelegate(new ProfileRowDelegate(m_list));
    m_addButton = new QPushButton(QStringLiteral("Add Profile"), left);
    m_addButton->setObjectName(QStringLiteral("addProfileButton"));
    leftLayout->addWidget(heading);
    leftLayout->addWidget(m_list, 1);
    leftLayout->addWidget(m_addButton, 0, Qt::AlignLeft);
    root->addWidget(left);

    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::VLine);
    divider->setFrameShadow(QFrame::Sunken);
    root->addWidget(divider);

    // The form.
    // It fits the smallest window while the proxy group is folded; otherwise it scrolls.
    m_formScroll = new QScrollArea(this);
    m_formScroll->setObjectName(QStringLiteral("settingsFormScroll"));
    m_formScroll->setFrameShape(QFrame::NoFrame);
    m_formScroll->setWidgetResizable(true);
    m_formScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* form = new QWidget(m_formScroll);
    form->setObjectName(QStringLiteral("settingsForm"));
    auto* formLayout = new QVBoxLayout(form);
    formLayout->setContentsMargins(16, 10, 16, 10);
    formLayout->setSpacing(8);

    // 1. "Profile".
    auto* profileGroup = new QGroupBox(QStringLiteral("Profile"), form);
    auto* fields = new QFormLayout(profileGroup);
    fields->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    m_idField = makeField(QStringLiteral("idField"), QStringLiteral("ID"), profileGroup);
    m_nameField = makeField(QStringLiteral("nameField"), QStringLiteral("Name"), profileGroup);
    m_authField = makeField(QStringLiteral("authMethodField"),
                            QStringLiteral("Preferred auth method"), profileGroup);
    m_providerField = makeField(QStringLiteral("modelProviderField"),
                                QStringLiteral("Model provider"), profileGroup);
    m_modelField = makeField(QStringLiteral("modelField"), QStringLiteral("Model"), profileGroup);
    m_effortField = makeField(QStringLiteral("reasoningEffortField"),
                              QStringLiteral("Reasoning effort"), profileGroup);
    m_limitsField = makeField(QStringLiteral("limitsEndpointField"),
                              QStringLiteral("Limits endpoint"), profileGroup);
    fields->addRow(QStringLiteral("ID"), m_idField);
    fields->addRow(QStringLiteral("Name"), m_nameField);
    fields->addRow(QStringLiteral("Preferred auth method"), m_authField);
    fields->addRow(QStringLiteral("Model provider"), m_providerField);
    fields->addRow(QStringLiteral("Model"), m_modelField);
    fields->addRow(QStringLiteral("Reasoning effort"), m_effortField);
    fields->addRow(QStringLiteral("Limits endpoint"), m_limitsField);
    m_disableStorageToggle =
        new QCheckBox(QStringLiteral("Disable response storage"), profileGroup);
    m_disableStorageToggle->setObjectName(QStringLiteral("disableResponseStorageToggle"));
    m_restartToggle = new QCheckBox(QStringLiteral("Restart app after switch"), profileGroup);
    m_restartToggle->setObjectName(QStringLiteral("restartToggle"));
    auto* toggles = new QHBoxLayout;
    toggles->addWidget(m_disableStorageToggle);
    toggles->addWidget(m_restartToggle);
    toggles->addStretch(1);
    fields->addRow(toggles);
    formLayout->addWidget(profileGroup);

    // 2. "API Key".
    auto* keyGroup = new QGroupBox(QStringLiteral("API Key"), form);
    auto* keyLayout = new QVBoxLayout(keyGroup);
    m_apiKeyField = new QLineEdit(keyGroup);
    m_apiKeyField->setObjectName(QStringLiteral("settingsApiKeyField"));
    m_apiKeyField->setEchoMode(QLineEdit::Password);
    m_apiKeyField->setPlaceholderText(QStringLiteral("API key (stored locally, not in JSON)"));
    m_apiKeyField->setAccessibleName(QStringLiteral("API key"));
    auto* keyRow = new QHBoxLayout;
    m_deleteKeyButton = new QPushButton(QStringLiteral("Delete Stored API Key"), keyGroup);
    m_deleteKeyButton->setObjectName(QStringLiteral("deleteStoredKeyButton"));
    m_statusLabel = secondaryLabel(QString(), keyGroup);
    m_statusLabel->setObjectName(QStringLiteral("settingsStatus"));
    m_statusLabel->setWordWrap(true);
    m_statusLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    keyRow->addWidget(m_deleteKeyButton);
    keyRow->addWidget(m_statusLabel, 1);
    keyLayout->addWidget(m_apiKeyField);
    keyLayout->addLayout(keyRow);
    formLayout->addWidget(keyGroup);

    // 3. Save and delete.
    auto* buttons = new QHBoxLayout;
    m_saveButton = new QPushButton(QStringLiteral("Save Profile"), form);
    m_saveButton->setObjectName(QStringLiteral("saveProfileButton"));
    m_saveButton->setDefault(true);
    m_deleteButton = new QPushButton(QStringLiteral("Delete Profile"), form);
    m_deleteButton->setObjectName(QStringLiteral("deleteProfileButton"));
    buttons->addWidget(m_saveButton);
    buttons->addWidget(m_deleteButton);
    buttons->addStretch(1);
    formLayout->addLayout(buttons);

    // 4. Proxy settings, collapsed at first.
    auto* proxyHeader = new QHBoxLayout;
    m_proxyToggle = new QToolButton(form);
    m_proxyToggle->setObjectName(QStringLiteral("settingsProxyToggle"));
    m_proxyToggle->setText(QStringLiteral("Proxy Settings"));
    m_proxyToggle->setCheckable(true);
    m_proxyToggle->setAutoRaise(true);
    m_proxyToggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_proxyToggle->setArrowType(Qt::RightArrow);
    m_proxyLabel = secondaryLabel(QStringLiteral("Off"), form);
    m_proxyLabel->setObjectName(QStringLiteral("settingsProxyBadge"));
    proxyHeader->addWidget(m_proxyToggle);
    proxyHeader->addStretch(1);
    proxyHeader->addWidget(m_proxyLabel);
    formLayout->addLayout(proxyHeader);
    m_proxyContent = new QWidget(form);
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
    m_proxyAddressField->setAccessibleName(QStringLiteral("Proxy address"));
    m_saveProxyButton = new QPushButton(QStringLiteral("Save Proxy"), m_proxyContent);
    m_saveProxyButton->setObjectName(QStringLiteral("settingsSaveProxyButton"));
    proxyForm->addRow(QStringLiteral("Format"), m_proxySchemePicker);
    proxyForm->addRow(m_proxyAddressField);
    proxyForm->addRow(m_saveProxyButton);
    m_proxyContent->setVisible(false);
    formLayout->addWidget(m_proxyContent);
    formLayout->addStretch(1);

    m_formScroll->setWidget(form);
    root->addWidget(m_formScroll, 1);

    // Bindings.
    // Follows the selection the user makes, not the current item the view sets on focus.
    connect(m_list, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> selected = m_list->selectedItems();
        if (!selected.isEmpty())
            selectProfileID(selected.first()->data(profileIDRole).toString());
    });
    connect(m_addButton, &QPushButton::clicked, this, &SettingsView::addProfile);
    connect(m_saveButton, &QPushButton::clicked, this, &SettingsView::saveProfile);
    connect(m_saveProxyButton, &QPushButton::clicked, this, &SettingsView::saveProfile);
    connect(m_deleteButton, &QPushButton::clicked, this, &SettingsView::deleteProfile);
    connect(m_deleteKeyButton, &QPushButton::clicked, this, &SettingsView::deleteStoredAPIKey);
    connect(m_proxyToggle, &QToolButton::toggled, this, [this](bool expanded) {
        m_proxyToggle->setArrowType(expanded ? Qt::DownArrow : Qt::RightArrow);
        m_proxyContent->setVisible(expanded);
        if (expanded)
            QTimer::singleShot(0, this,
                               [this] { m_formScroll->ensureWidgetVisible(m_saveProxyButton); });
    });
    for (QLineEdit* field : editorFields())
        connect(field, &QLineEdit::textChanged, this, &SettingsView::readForm);
    connect(m_disableStorageToggle, &QCheckBox::toggled, this, &SettingsView::readForm);
    connect(m_restartToggle, &QCheckBox::toggled, this, &SettingsView::readForm);
    connect(m_proxySchemePicker, &QComboBox::currentIndexChanged, this, &SettingsView::readForm);
    connect(m_store, &ProfilesStore::documentChanged, this, [this] {
        rebuildList();
        updateControls();
    });

    setEditor(m_editor);
    rebuildList();
    setStatus(QString());
}

void SettingsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    ActionScope scope(m_actionDepth, [this] { finishAction(); });
    try {
        m_store->load();
    } catch (const std::exception&) {
        setStatus(describeError(std::current_exception()));
        return;
    }
    if (!m_selectedProfileID)
        setSelection(m_store->activeProfileID());
}

void SettingsView::selectProfileID(const std::optional<QString>& id) {
    ActionScope scope(m_actionDepth, [this] { finishAction(); });
    setSelection(id);
}

void SettingsView::setSelection(const std::optional<QString>& id) {
    if (id == m_selectedProfileID)
        return;
    m_selectedProfileID = id;
    m_selectionChangePending = true;
    syncListSelection();
}

void SettingsView::syncListSelection() {
    const QSignalBlocker blocker(m_list);
    for (int row = 0; row < m_list->count(); ++row) {
        QListWidgetItem* item = m_list->item(row);
        if (m_selectedProfileID && item->data(profileIDRole).toString() == *m_selectedProfileID) {
            m_list->setCurrentItem(item);
            return;
        }
    }
    m_list->setCurrentRow(-1);
    m_list->clearSelection();
}

void SettingsView::finishAction() {
    if (m_selectionChangePending) {
        m_selectionChangePending = false;
        selectionChanged();
    }
    m_actionSetStatus = false;
}

void SettingsView::selectionChanged() {
    if (!m_selectedProfileID)
        return;
    const std::optional<Profile> profile = m_store->profile(*m_selectedProfileID);
    if (!profile)
        return;
    setEditor(ProfileEditorState::fromProfile(*profile));
    m_apiKeyField->clear();
    // The status of the action that moved the selection ("Profile saved.") stays.
    if (!m_actionSetStatus)
        setStatus(m_hasStoredKey ? QStringLiteral("API key is saved locally.") : QString());
}

void SettingsView::addProfile() {
    ActionScope scope(m_actionDepth, [this] { finishAction(); });
    setSelection(std::nullopt);
    setEditor(ProfileEditorState::newProfile());
    m_apiKeyField->clear();
    setStatus(QString());
}

void SettingsView::saveProfile() {
    ActionScope scope(m_actionDepth, [this] { finishAction(); });
    readForm();
    if (!m_editor.isValid())
        return;
    const Profile profile = m_editor.profile();
    if (!m_editor.isExisting && m_store->profile(profile.id)) {
        // A new profile must not silently take the place of a stored one.
        setStatus(QStringLiteral("A profile with the ID '%1' already exists. Choose another ID.")
                      .arg(profile.id));
        return;
    }
    const QString key = m_apiKeyField->text();
    try {
        m_store->saveProfile(profile, key.isEmpty() ? std::nullopt : std::optional<QString>(key));
    } catch (const std::exception&) {
        setStatus(describeError(std::current_exception()));
        return;
    }
    setSelection(profile.id);
    setEditor(ProfileEditorState::fromProfile(profile));
    m_apiKeyField->clear();
    setStatus(QStringLiteral("Profile saved."));
}

void SettingsView::deleteProfile() {
    ActionScope scope(m_actionDepth, [this] { finishAction(); });
    try {
        m_store->deleteProfile(m_editor.id);
    } catch (const std::exception&) {
        setStatus(describeError(std::current_exception()));
        return;
    }
    const QList<Profile>& remaining = m_store->profiles();
    setSelection(remaining.isEmpty() ? std::nullopt : std::optional<QString>(remaining.first().id));
    const std::optional<Profile> selected =
        m_selectedProfileID ? m_store->profile(*m_selectedProfileID) : std::nullopt;
    setEditor(selected ? ProfileEditorState::fromProfile(*selected)
                       : ProfileEditorState::newProfile());
    m_apiKeyField->clear();
    setStatus(QStringLiteral("Profile deleted."));
}

void SettingsView::deleteStoredAPIKey() {
    ActionScope scope(m_actionDepth, [this] { finishAction(); });
    // Only the key of the stored profile the form shows, never one an unsaved ID names.
    const std::optional<Profile> profile =
        m_editor.isExisting ? m_store->profile(m_editor.id) : std::nullopt;
    if (!profile || !m_store->hasAPIKey(profile->id) || !confirmKeyDeletion(this, profile->name))
        return;
    try {
        m_store->deleteAPIKey(profile->id);
    } catch (const std::exception&) {
        setStatus(describeError(std::current_exception()));
        return;
    }
    m_apiKeyField->clear();
    m_hasStoredKey = false;
    updateControls();
    setStatus(QStringLiteral("Stored API key deleted."));
}

void SettingsView::setEditor(const ProfileEditorState& editor) {
    m_editor = editor;
    m_hasStoredKey = editor.isExisting && m_store->hasAPIKey(editor.id);
    m_updatingForm = true;
    m_idField->setText(editor.id);
    m_nameField->setText(editor.name);
    m_authField->setText(editor.preferredAuthMethod);
    m_providerField->setText(editor.modelProvider);
    m_modelField->setText(editor.model);
    m_effortField->setText(editor.modelReasoningEffort);
    m_limitsField->setText(editor.limitsEndpoint);
    m_disableStorageToggle->setChecked(editor.disableResponseStorage);
    m_restartToggle->setChecked(editor.restartCodex);
    m_proxySchemePicker->setCurrentIndex(editor.proxyScheme == ProxyScheme::socks5 ? 1 : 0);
    m_proxyAddressField->setText(editor.proxyAddress);
    // A long value shows its start.
    for (QLineEdit* field : editorFields())
        field->setCursorPosition(0);
    m_updatingForm = false;
    updateControls();
}

QList<QLineEdit*> SettingsView::editorFields() const {
    return {m_idField,    m_nameField,   m_authField,   m_providerField,
            m_modelField, m_effortField, m_limitsField, m_proxyAddressField};
}

void SettingsView::readForm() {
    if (m_updatingForm)
        return;
    m_editor.id = m_idField->text();
    m_editor.name = m_nameField->text();
    m_editor.preferredAuthMethod = m_authField->text();
    m_editor.modelProvider = m_providerField->text();
    m_editor.model = m_modelField->text();
    m_editor.modelReasoningEffort = m_effortField->text();
    m_editor.limitsEndpoint = m_limitsField->text();
    m_editor.disableResponseStorage = m_disableStorageToggle->isChecked();
    m_editor.restartCodex = m_restartToggle->isChecked();
    m_editor.proxyScheme =
        ProxySchemes::fromRawValue(m_proxySchemePicker->currentText()).value_or(ProxyScheme::http);
    m_editor.proxyAddress = m_proxyAddressField->text();
    updateControls();
}

void SettingsView::setStatus(const QString& status) {
    if (m_actionDepth > 0)
        m_actionSetStatus = true;
    m_status = status;
    m_statusLabel->setText(status);
}

void SettingsView::updateControls() {
    m_idField->setEnabled(!m_editor.isExisting);
    m_deleteKeyButton->setEnabled(m_editor.isExisting && m_hasStoredKey);
    m_saveButton->setEnabled(m_editor.isValid());
    m_saveProxyButton->setEnabled(m_editor.isValid());
    // The store refuses to delete either target's active profile.
    m_deleteButton->setEnabled(m_editor.isExisting && m_editor.id != m_store->activeProfileID() &&
                               m_editor.id != m_store->activeClaudeProfileID());
    m_proxyLabel->setText(m_editor.proxyLabel());
}

void SettingsView::rebuildList() {
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    const QString codexID = m_store->activeProfileID();
    const QString claudeID = m_store->activeClaudeProfileID();
    for (const Profile& profile : m_store->profiles()) {
        auto* item = new QListWidgetItem(profile.name, m_list);
        item->setData(profileIDRole, profile.id);
        const QString mark = activeMark(profile.id, codexID, claudeID);
        item->setData(activeMarkRole, mark);
        item->setToolTip(mark.isEmpty()
                             ? profile.name
                             : profile.name + QStringLiteral(" (") + mark + QStringLiteral(")"));
    }
    syncListSelection();
}

QString SettingsView::activeMark(const QString& profileID, const QString& activeCodexID,
                                 const QString& activeClaudeID) {
    QStringList targets;
    if (profileID == activeCodexID)
        targets << TargetIDEs::rawValue(TargetIDE::codex);
    if (profileID == activeClaudeID)
        targets << TargetIDEs::rawValue(TargetIDE::claude);
    return targets.isEmpty()
               ? QString()
               : QStringLiteral("Active \u00B7 ") + targets.join(QStringLiteral(", "));
}

SettingsView::RowColors SettingsView::rowColors(const QPalette& palette, bool selected) {
    RowColors colors;
    if (selected) {
        // Some styles' highlight is too light for its text: darken it until it reads.
        colors.name = palette.color(QPalette::HighlightedText);
        colors.background = withContrast(palette.color(QPalette::Highlight), colors.name, 4.5);
        colors.mark = colors.name;
    } else {
        colors.background = palette.color(QPalette::Base);
        colors.name = withContrast(palette.color(QPalette::Text), colors.background, 4.5);
        colors.mark =
            withContrast(palette.color(QPalette::PlaceholderText), colors.background, 3.0);
    }
    return colors;
}
