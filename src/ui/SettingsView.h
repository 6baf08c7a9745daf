#pragma once

#include "app/ProfileEditorState.h"

#include <QColor>
#include <QWidget>

#include <optional>

class ProfilesStore;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPalette;
class QPushButton;
class QScrollArea;
class QToolButton;

// The settings window: every profile in a list, and a form that edits one detached
// copy of a profile, its stored API key and its proxy.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    // The window's first and smallest size.
    static constexpr int windowWidth = 780;
    static constexpr int windowHeight = 460;
    // The list rows' data: the profile id, and the mark of the targets it is active for.
    static constexpr int profileIDRole = Qt::UserRole;
    static constexpr int activeMarkRole = Qt::UserRole + 1;

    // How a list row is drawn: its background, the name and the "Active" mark, readable
    // on the palette's highlight too.
    struct RowColors {
        QColor background;
        QColor name;
        QColor mark;
    };
    static RowColors rowColors(const QPalette& palette, bool selected);
    // "Active · Codex", "Active · Claude Code", both, or empty.
    static QString activeMark(const QString& profileID, const QString& activeCodexID,
                              const QString& activeClaudeID);

    explicit SettingsView(ProfilesStore* store, QWidget* parent = nullptr);

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

private:
    // Changes the selection; the change handling runs when the current action ends.
    void setSelection(const std::optional<QString>& id);
    void finishAction();
    void selectionChanged();
    void setEditor(const ProfileEditorState& editor);
    void setStatus(const QString& status);
    void rebuildList();
    void syncListSelection();
    void updateControls();
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

    QListWidget* m_list;
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
