#pragma once

#include "profiles/Profile.h"
#include "profiles/ProxyURLFormatter.h"
#include "ui/Controls.h"

#include <QScrollArea>

class CreditChecks;
class DisclosureHeader;
class ElidedLabel;
class FilledButton;
class IconButton;
class MenuPicker;
class ProfilesStore;
class QHBoxLayout;
class QLineEdit;
class QVBoxLayout;

// The sections of the "Profiles" tab that have a life of their own.

// The list of account rows. It is as tall as its rows while they fit; with many profiles
// it scrolls within the space the controls below it leave, so they stay in view (at
// least two and a half rows of it, when the window is that tall).
class RowList : public QScrollArea {
    Q_OBJECT
public:
    explicit RowList(QWidget* parent = nullptr);
    QVBoxLayout* rowsLayout() const { return m_layout; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // Call after rows were added or removed.
    void rowsChanged();

private:
    QWidget* m_rows;
    QVBoxLayout* m_layout;
};

// The remaining credit of an API-key profile with a limits endpoint, with its refresh
// button; hidden for every other profile.
class CreditRow : public QWidget {
    Q_OBJECT
public:
    explicit CreditRow(QWidget* parent = nullptr);
    void refresh(const std::optional<Profile>& profile, const CreditChecks& credit, bool hasKey,
                 const CompactTheme& theme);
    IconButton* button() const { return m_button; }

private:
    ElidedLabel* m_status;
    QList<ElidedLabel*> m_details;
    IconButton* m_button;
};

// The collapsible proxy settings of the selected profile: format, address, Save and Clear.
class ProxySection : public CardWidget {
    Q_OBJECT
public:
    explicit ProxySection(QWidget* parent = nullptr);
    void setTheme(const CompactTheme& theme);
    // `profile` is the selection; only an API-key profile can have a proxy.
    void refresh(const std::optional<Profile>& profile, const CompactTheme& theme);
    // Shows a stored proxy in the fields.
    void load(const std::optional<QString>& proxyURL);
    // The proxy URL the fields give, if any.
    std::optional<QString> proxyURL() const;
    void clearAddress();
    QList<QWidget*> focusOrder() const;

signals:
    void saveRequested();
    void clearRequested();

private:
    DisclosureHeader* m_header;
    QWidget* m_content;
    QLabel* m_formatLabel;
    MenuPicker* m_schemePicker;
    QLineEdit* m_addressField;
    FilledButton* m_saveButton;
    FilledButton* m_clearButton;
};

// The text-field look of the panel in the theme's colours.
void applyFieldTheme(QLineEdit* field, const CompactTheme& theme);

// The row of Save Key (taking the width left) and Delete Key.
QHBoxLayout* keyButtonRow(FilledButton* save, FilledButton* remove);
