#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

class QPainter;
class QRectF;

// The app's own single-colour icon set, one SVG per symbol name, tinted at draw time.
// Black in an icon takes the tint, white and transparent parts stay clear.
namespace Icons {

bool exists(const QString& name);
// The icon rendered `size` logical pixels square for a device pixel ratio.
QPixmap pixmap(const QString& name, int size, const QColor& color, qreal devicePixelRatio);
// Draws the icon centred in `rect`, crisp at the painter's device pixel ratio.
void paint(QPainter& painter, const QRectF& rect, const QString& name, const QColor& color);

} // namespace Icons
