#include "ui/SettingsView.h"

#include "app/KeyDeletion.h"
#include "codex/CodexRestarter.h"
#include "profiles/ProfilesStore.h"
#include "ui/BackupsSection.h"
#include "ui/CompactTheme.h"
#include "ui/Controls.h"
#include "ui/GeneralSettings.h"
#include "ui/KeyChange.h"
#include "ui/KeyReveal.h"
#include "ui/KeyStorageSettings.h"
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
#include <QShowEvent>
#include <QTabWidget>
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

} // namespace

SettingsView::SettingsView(ProfilesStore* store, std::shared_ptr<Desktop> desktop, QWidget* parent)
    : QWidget(parent), m_store(store), m_editor(ProfileEditorState::newProfile()) {
    setObjectName(QStringLiteral("settingsView"));
    setWindowTitle(tr("Tavrin Settings"));
    setMinimumSize(windowWidth, windowHeight);
    resize(windowWidth, windowHeight);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 6, 0, 0);
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("settingsTabs"));
    tabs->setDocumentMode(true);
    tabs->addTab(buildProfilesPage(), tr("Profiles"));
    // The settings of Tavrin itself, the backups among them, scroll as one page.
    SwitchServices restorers;
    restorers.codexRestarter = std::make_shared<CodexRestarter>(desktop);
    auto* general = new GeneralSettings(std::move(desktop));
    general->addSection(tr("API Keys"))->addWidget(new KeyStorageSettings(m_store, general));
    general->addSection(tr("Backups"))
        ->addWidget(new BackupsSection(m_store, std::move(restorers), general));
    auto* generalPage = new QScrollArea(tabs);
    generalPage->setFrameShape(QFrame::NoFrame);
    generalPage->setWidgetResizable(true);
    generalPage->setWidget(general);
    tabs->addTab(generalPage, tr("General"));
    root->addWidget(tabs);
    connectControls();
    makeSecondaryTextReadable();
    setEditor(m_editor);
    m_list->rebuild(*m_store, m_selectedProfileID);
    setStatus(QString());
}

void SettingsView::connectControls() {
    // Follows the selection the user makes, not the current item the view sets on focus.
    connect(m_list, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> selected = m_list->selectedItems();
        if (!selected.isEmpty())
            selectProfileID(selected.first()->data(SettingsList::profileIDRole).toString());
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
        m_list->rebuild(*m_store, m_selectedProfileID);
        updateControls();
    });
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

void SettingsView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        makeSecondaryTextReadable();
        m_keyReveal->restyle();
    }
}

void SettingsView::makeSecondaryTextReadable() {
    // Some styles draw placeholders and secondary texts too faint to read: they are
    // darkened (or lightened) until they do on the fields and on the window, on the
    // palette of the moment.
    QPalette current = palette();
    const QColor base = current.color(QPalette::Base);
    const QColor window = current.color(QPalette::Window);
    const QColor readable = withContrast(
        withContrast(composited(current.color(QPalette::PlaceholderText), base), base, 4.5), window,
        4.5);
    if (current.color(QPalette::PlaceholderText) == readable)
        return;
    current.setColor(QPalette::PlaceholderText, readable);
    setPalette(current);
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
    m_list->showSelection(id);
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
        setStatus(!m_hasStoredKey ? QString()
                  : m_store->keyStorage().keptInKeyring()
                      ? tr("API key is saved in the system keyring.")
                      : tr("API key is saved locally."));
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
        setStatus(
            tr("A profile with the ID '%1' already exists. Choose another ID.").arg(profile.id));
        return;
    }
    const QString key = m_apiKeyField->text();
    const auto save = [store = m_store, profile,
                       key = key.isEmpty() ? std::nullopt : std::optional<QString>(key)] {
        store->saveProfile(profile, key);
    };
    const bool usesKeyring = m_store->keysMayWait() && !key.isEmpty();
    runKeyChange(this, usesKeyring, save, busy(), [this, profile](std::exception_ptr error) {
        ActionScope answered(m_actionDepth, [this] { finishAction(); });
        if (error) {
            setStatus(describeError(error));
            return;
        }
        setSelection(profile.id);
        setEditor(ProfileEditorState::fromProfile(profile));
        m_apiKeyField->clear();
        setStatus(tr("Profile saved."));
    });
}

void SettingsView::deleteProfile() {
    const QString id = m_editor.id;
    if (!m_store->profile(id))
        return;
    deleteAfterAsking(
        id, m_store->keysMayWait() && m_store->hasAPIKey(id),
        [this](const KeyDeletionPlan& plan) { return confirmProfileDeletion(this, plan); },
        [store = m_store, id] {
            return KeyDeletion::deleteProfile(*store, id, std::chrono::milliseconds(0));
        },
        [this](const QString& more) { showDeletedProfile(more); });
}

// The plan reads the key, which may wait for the system keyring: like the deletion, off
// the window's thread then. A switch that runs meanwhile is not waited for.
void SettingsView::deleteAfterAsking(const QString& id, bool usesKeyring,
                                     std::function<bool(const KeyDeletionPlan&)> ask,
                                     std::function<QString()> remove,
                                     std::function<void(const QString&)> deleted) {
    auto plan = std::make_shared<KeyDeletionPlan>();
    const auto look = [store = m_store, id, plan] { *plan = KeyDeletion::plan(*store, id); };
    runKeyChange(this, usesKeyring, look, busy(), [=, this](std::exception_ptr error) {
        ActionScope scope(m_actionDepth, [this] { finishAction(); });
        if (error) {
            setStatus(describeError(error));
            return;
        }
        if (!ask(*plan))
            return;
        auto more = std::make_shared<QString>();
        const auto run = [remove, more] { *more = remove(); };
        runKeyChange(this, usesKeyring, run, busy(),
                     [this, more, deleted](std::exception_ptr failed) {
                         ActionScope answered(m_actionDepth, [this] { finishAction(); });
                         if (failed)
                             setStatus(describeError(failed));
                         else
                             deleted(*more);
                     });
    });
}

void SettingsView::showDeletedProfile(const QString& more) {
    const QList<Profile>& remaining = m_store->profiles();
    setSelection(remaining.isEmpty() ? std::nullopt : std::optional<QString>(remaining.first().id));
    const std::optional<Profile> selected =
        m_selectedProfileID ? m_store->profile(*m_selectedProfileID) : std::nullopt;
    setEditor(selected ? ProfileEditorState::fromProfile(*selected)
                       : ProfileEditorState::newProfile());
    m_apiKeyField->clear();
    setStatus(more.isEmpty() ? tr("Profile deleted.")
                             : tr("Profile deleted.") + QLatin1Char(' ') + more);
}

void SettingsView::deleteStoredAPIKey() {
    ActionScope scope(m_actionDepth, [this] { finishAction(); });
    // Only the key of the stored profile the form shows, never one an unsaved ID names.
    const std::optional<Profile> profile =
        m_editor.isExisting ? m_store->profile(m_editor.id) : std::nullopt;
    if (!profile || !m_store->hasAPIKey(profile->id))
        return;
    const QString id = profile->id;
    deleteAfterAsking(
        id, m_store->keysMayWait(),
        [this](const KeyDeletionPlan& plan) { return confirmKeyDeletion(this, plan); },
        [store = m_store, id] {
            return KeyDeletion::deleteKey(*store, id, std::chrono::milliseconds(0));
        },
        [this](const QString& more) {
            m_apiKeyField->clear();
            m_hasStoredKey = false;
            updateControls();
            setStatus(more.isEmpty() ? tr("Stored API key deleted.")
                                     : tr("Stored API key deleted.") + QLatin1Char(' ') + more);
        });
}

std::function<void(bool)> SettingsView::busy() {
    return [this](bool waiting) {
        // Nothing else changes the profiles meanwhile.
        for (QWidget* part : std::initializer_list<QWidget*>{m_formScroll, m_list, m_addButton})
            part->setEnabled(!waiting);
        if (waiting)
            setStatus(tr("Waiting for the system keyring…"));
    };
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
