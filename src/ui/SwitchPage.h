#pragma once

#include "profiles/Profile.h"
#include "ui/Buttons.h"
#include "ui/CompactTheme.h"

#include <QWidget>

#include <optional>

class AppViewModel;
class CardWidget;
class ElidedLabel;
class IconView;
class QLabel;
class WelcomeCard;

// The profile card of the "Switch" tab: an icon tile, the profile's name and kind, and
// a chevron. Clicking it opens the menu of profiles for the selected target.
class ProfileCard : public PlainButton {
    Q_OBJECT
public:
    explicit ProfileCard(QWidget* parent = nullptr);
    void setContent(const QString& symbol, const QString& title, const QString& detail,
                    const CompactTheme& theme);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    IconView* m_tile;
    ElidedLabel* m_title;
    ElidedLabel* m_detail;
    IconView* m_chevron;
    CompactTheme m_theme;
};

// The "Switch" tab: the first start's explanation, the profile card, the power and action
// buttons with the last activity line, and the policy card while an update is required.
class SwitchPage : public QWidget {
    Q_OBJECT
public:
    explicit SwitchPage(AppViewModel* viewModel, QWidget* parent = nullptr);

    // Draws everything for the target; `firstStart` shows the explanation.
    void refresh(const CompactTheme& theme, TargetIDE target, bool firstStart);

    ProfileCard* profileCard() const { return m_profileCard; }
    CardWidget* switchCard() const { return m_switchCard; }
    // The controls in reading order.
    QList<QWidget*> focusOrder() const;

signals:
    void switchRequested();
    void profileMenuRequested();
    void activityRequested();
    void addKeyRequested();

private:
    void buildSwitchCard();
    void buildPolicyCard();
    void refreshSwitchCard(const CompactTheme& t, TargetIDE target,
                           const std::optional<Profile>& profile);
    void refreshPolicyCard(const CompactTheme& t);

    AppViewModel* m_viewModel;
    WelcomeCard* m_welcome;
    ProfileCard* m_profileCard;
    CardWidget* m_switchCard;
    PowerButton* m_powerButton;
    FilledButton* m_actionButton;
    ElidedLabel* m_lastLogCaption;
    CardWidget* m_policyCard;
    IconView* m_policySymbol;
    QLabel* m_policyTitle;
    QLabel* m_policyDetail;
    IconButton* m_refreshButton;
    FilledButton* m_updateButton;
};
