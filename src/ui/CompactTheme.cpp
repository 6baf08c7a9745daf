#include "ui/CompactTheme.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

QColor rgb(qreal r, qreal g, qreal b, qreal a = 1.0) {
    return QColor::fromRgbF(r, g, b, a);
}

} // namespace

QColor CompactTheme::background() const {
    return isDark ? rgb(0.09, 0.09, 0.085) : rgb(0.96, 0.97, 0.96);
}

QColor CompactTheme::panel() const {
    return isDark ? rgb(0.14, 0.14, 0.13) : rgb(1, 1, 1);
}

QColor CompactTheme::buttonSurface() const {
    return isDark ? rgb(0.2, 0.2, 0.19) : rgb(0.9, 0.92, 0.93);
}

QColor CompactTheme::border() const {
    return isDark ? rgb(1, 1, 1, 0.09) : rgb(0, 0, 0, 0.07);
}

QColor CompactTheme::primaryText() const {
    return isDark ? rgb(0.9, 0.9, 0.91) : rgb(0.1, 0.11, 0.13);
}

QColor CompactTheme::secondaryText() const {
    return isDark ? rgb(0.62, 0.62, 0.64) : rgb(0.42, 0.45, 0.49);
}

QColor CompactTheme::mutedText() const {
    return isDark ? rgb(0.44, 0.44, 0.46) : rgb(0.62, 0.65, 0.69);
}

QColor CompactTheme::accent() const {
    return targetIDE == TargetIDE::codex ? rgb(0.05, 0.56, 1.0) : rgb(0.82, 0.36, 0.2);
}

QColor CompactTheme::good() const {
    return rgb(0.18, 0.83, 0.36);
}

QColor CompactTheme::warning() {
    return rgb(1.0, 0.49, 0.31);
}

bool CompactTheme::isDarkPalette(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() < 128;
}

bool CompactTheme::systemIsDark() {
    return isDarkPalette(QGuiApplication::palette());
}

QColor withOpacity(const QColor& color, qreal opacity) {
    QColor c = color;
    c.setAlphaF(color.alphaF() * opacity);
    return c;
}

namespace AppTabs {

QString rawValue(AppTab tab) {
    return tab == AppTab::switcher ? QStringLiteral("Switch") : QStringLiteral("Profiles");
}

QString systemImage(AppTab tab) {
    return tab == AppTab::switcher ? QStringLiteral("power") : QStringLiteral("key.fill");
}

} // namespace AppTabs
