#include "ui/CompactTheme.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPalette>

#include <cmath>

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
    // A shade darker than first drawn in light, so it reads on every light surface.
    return isDark ? rgb(0.62, 0.62, 0.64) : rgb(0.38, 0.41, 0.45);
}

QColor CompactTheme::mutedText() const {
    return isDark ? rgb(0.44, 0.44, 0.46) : rgb(0.62, 0.65, 0.69);
}

QColor CompactTheme::accent() const {
    return targetIDE == TargetIDE::codex ? rgb(0.05, 0.56, 1.0) : rgb(0.82, 0.36, 0.2);
}

QColor CompactTheme::accentFill() const {
    return withContrast(accent(), Qt::white, 4.5);
}

QColor CompactTheme::accentText() const {
    return withContrast(withContrast(accent(), background(), 4.5), panel(), 4.5);
}

QColor CompactTheme::error() const {
    return isDark ? rgb(1.0, 0.45, 0.42) : rgb(0.78, 0.13, 0.13);
}

QColor CompactTheme::dimmed(const QColor& fill) const {
    return composited(withOpacity(fill, 0.45), panel());
}

QColor CompactTheme::readableOn(const QColor& fill, const QColor& preferred) {
    return withContrast(preferred, fill, 4.5);
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

QColor composited(const QColor& top, const QColor& bottom) {
    const qreal a = top.alphaF();
    return QColor::fromRgbF(float(top.redF() * a + bottom.redF() * (1 - a)),
                            float(top.greenF() * a + bottom.greenF() * (1 - a)),
                            float(top.blueF() * a + bottom.blueF() * (1 - a)));
}

namespace {

qreal luminance(const QColor& color) {
    const auto linear = [](qreal c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) +
           0.0722 * linear(color.blueF());
}

QColor mixed(const QColor& a, const QColor& b, qreal t) {
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t), a.alphaF());
}

} // namespace

qreal contrastRatio(const QColor& a, const QColor& b) {
    const qreal la = luminance(a);
    const qreal lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor withContrast(const QColor& color, const QColor& against, qreal minimum) {
    if (contrastRatio(color, against) >= minimum)
        return color;
    // A little above the minimum, so rounding to stored components cannot fall below it.
    const qreal goal = minimum + 0.02;
    // Black and white contrast equally with a luminance of about 0.18.
    const QColor target = luminance(against) > 0.18 ? QColor(Qt::black) : QColor(Qt::white);
    qreal low = 0;
    qreal high = 1;
    for (int i = 0; i < 16; ++i) {
        const qreal t = (low + high) / 2;
        (contrastRatio(mixed(color, target, t), against) >= goal ? high : low) = t;
    }
    return mixed(color, target, high).toRgb();
}

namespace AppTabs {

QString rawValue(AppTab tab) {
    return tab == AppTab::switcher ? QCoreApplication::translate("AppTab", "Switch")
                                   : QCoreApplication::translate("AppTab", "Profiles");
}

QString systemImage(AppTab tab) {
    return tab == AppTab::switcher ? QStringLiteral("power") : QStringLiteral("key.fill");
}

} // namespace AppTabs
