#pragma once

#include "app/ProfileEditorState.h"

#include <QColor>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class Desktop;
class KeyReveal;
struct KeyDeletionPlan;
class ProfilesStore;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QToolButton;
class QVBoxLayout;
class SettingsList;

// The settings window: on its "Profiles" tab every profile in a list, and a form that
// edits one detached copy of a profile, its stored API key and its proxy; on its "General"
// tab the settings of Tavrin itself.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    // The window's first and smallest size.
    static constexpr int windowWidth = 780;
    static constexpr int windowHeight = 460;

    // A null `desktop` takes the one of this system.
    explicit SettingsView(ProfilesStore* store, std::shared_ptr<Desktop> desktop = nullptr,
                          QWidget* parent = nullptr);

    const ProfileEditorState& editor() const { return m_editor; }
    std::optional<QString> selectedProfileID() const { return m_selectedProfileID; }
    QString status() const { return m_status; }

    // The actions behind the controls.
    void selectProfileID(const std::optional<QString>& id);
    void addProfile();
    void saveProfile();
    void deleteProfile();
    void deleteStoredAPIKey();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* buildProfilesPage();
    QWidget* buildForm();
    void buildProfileGroup(QVBoxLayout* form);
    void buildKeyGroup(QVBoxLayout* form);
    void buildProxyGroup(QVBoxLayout* form);
    void connectControls();
    void makeSecondaryTextReadable();
    // Changes the selection; the change handling runs when the current action ends.
    void setSelection(const std::optional<QString>& id);
    void finishAction();
    void selectionChanged();
    void setEditor(const ProfileEditorState& editor);
    void setStatus(const QString& status);
    void updateControls();
    // What a key change does while it waits on the system keyring.
    std::function<void(bool)> busy();
    // After a profile was deleted: the first one left, or a new one.
    void showDeletedProfile(const QString& more);
    // Looks at what deleting the key of `id` removes, `ask`s, and on a yes runs `remove`
    // (each off the window's thread when `usesKeyring`); `deleted` gets what it did besides.
    void deleteAfterAsking(const QString& id, bool usesKeyring,
                           std::function<bool(const KeyDeletionPlan&)> ask,
                           std::function<QString()> remove,
                           std::function<void(const QString&)> deleted);
    void readForm();
    // The text fields that edit the profile (not the API key).
    QList<QLineEdit*> editorFields() const;

    ProfilesStore* m_store;
    std::optional<QString> m_selectedProfileID;
    ProfileEditorState m_editor;
    bool m_hasStoredKey = false;
    QString m_status;
    bool m_selectionChangePending = false;
    // Whether the running action has set a status of its own, which then stays.
    bool m_actionSetStatus = false;
    int m_actionDepth = 0;
    bool m_updatingForm = false;

    SettingsList* m_list;
    QScrollArea* m_formScroll;
    QPushButton* m_addButton;
    QLineEdit* m_idField;
    QLineEdit* m_nameField;
    QLineEdit* m_authField;
    QLineEdit* m_providerField;
    QLineEdit* m_modelField;
    QLineEdit* m_effortField;
    QLineEdit* m_limitsField;
    QCheckBox* m_disableStorageToggle;
    QCheckBox* m_restartToggle;
    QLineEdit* m_apiKeyField;
    KeyReveal* m_keyReveal;
    QPushButton* m_deleteKeyButton;
    QLabel* m_statusLabel;
    QPushButton* m_saveButton;
    QPushButton* m_deleteButton;
    QToolButton* m_proxyToggle;
    QLabel* m_proxyLabel;
    QWidget* m_proxyContent;
    QComboBox* m_proxySchemePicker;
    QLineEdit* m_proxyAddressField;
    QPushButton* m_saveProxyButton;
};
