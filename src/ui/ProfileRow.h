#pragma once

#include "profiles/Profile.h"
#include "ui/CompactTheme.h"

#include <QAbstractButton>

// One account in the profiles panel's list: icon, name, key state and, when selected,
// a check mark, on a rounded card. Clicking it runs its action (the clicked signal).
class ProfileRow : public QAbstractButton {
    Q_OBJECT
public:
    ProfileRow(const Profile& profile, bool isSelected, bool hasKey, const CompactTheme& theme,
               QWidget* parent = nullptr);

    void setState(const Profile& profile, bool isSelected, bool hasKey, const CompactTheme& theme);

    const Profile& profile() const { return m_profile; }
    bool isSelected() const { return m_isSelected; }
    QString symbol() const;
    QString subtitle() const;
    QColor borderColor() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Profile m_profile;
    bool m_isSelected = false;
    bool m_hasKey = false;
    CompactTheme m_theme;
};
