#pragma once

#include "profiles/Profile.h"

#include <QColor>
#include <QString>

class QPalette;

// The small palette the main window and the profiles panel draw with. It depends only
// on the appearance and on the target selected in the main window, whose colour
// tints every accent.
struct CompactTheme {
    bool isDark = false;
    TargetIDE targetIDE = TargetIDE::claude;

    QColor background() const;
    QColor panel() const;
    QColor buttonSurface() const;
    QColor border() const;
    QColor primaryText() const;
    QColor secondaryText() const;
    QColor mutedText() const;
    QColor accent() const;
    // The accent as a fill under white text, and as text on the window and its cards:
    // darkened (or lightened) just enough to read.
    QColor accentFill() const;
    QColor accentText() const;
    // Text that reports a failure; readable on `panel` and `background`.
    QColor error() const;
    // The policy card's colour for a required update.
    static QColor warning();
    // A filled control's colours while it cannot be pressed: its fill faded into the
    // panel, and content that stays readable on it.
    QColor dimmed(const QColor& fill) const;
    static QColor readableOn(const QColor& fill, const QColor& preferred);

    bool operator==(const CompactTheme&) const = default;

    // The system appearance as the palette shows it: a dark window colour means dark.
    static bool isDarkPalette(const QPalette& palette);
    static bool systemIsDark();
};

// `color` with its alpha multiplied by `opacity`.
QColor withOpacity(const QColor& color, qreal opacity);
// `top` painted over the opaque `bottom`.
QColor composited(const QColor& top, const QColor& bottom);
// The contrast ratio of two opaque colours (1 to 21), as accessibility guidelines define it.
qreal contrastRatio(const QColor& a, const QColor& b);
// `color`, moved toward black or white (away from `against`) just far enough to reach
// the contrast `minimum` against it.
QColor withContrast(const QColor& color, const QColor& against, qreal minimum);

// The main window's two tabs, in the bottom bar's order.
enum class AppTab { switcher, profiles };

namespace AppTabs {
inline constexpr AppTab allCases[] = {AppTab::switcher, AppTab::profiles};
QString rawValue(AppTab tab); // the tab's label
QString systemImage(AppTab tab);
} // namespace AppTabs
