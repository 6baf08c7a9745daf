#pragma once

#include "profiles/Profile.h"
#include "ui/CompactTheme.h"

#include "ui/Buttons.h"

// One account in the profiles panel's list: icon, name, key state and, when selected,
// a check mark, on a rounded card. Clicking it runs its action (the clicked signal);
// screen readers hear the selected one as checked.
class ProfileRow : public PlainButton {
    Q_OBJECT
public:
    static constexpr int rowHeight = 48;

    ProfileRow(const Profile& profile, bool isSelected, bool hasKey, const CompactTheme& theme,
               QWidget* parent = nullptr);

    void setState(const Profile& profile, bool isSelected, bool hasKey, const CompactTheme& theme);

    const Profile& profile() const { return m_profile; }
    bool isSelected() const { return m_isSelected; }
    QString subtitle() const;
    QColor borderColor() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString symbol() const;

    Profile m_profile;
    bool m_isSelected = false;
    bool m_hasKey = false;
    CompactTheme m_theme;
};
