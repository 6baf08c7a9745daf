#include "ui/TrayIcons.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace {

// Sizes that trays, title bars, task switchers and docks ask for.
constexpr int iconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

QImage render(QSvgRenderer& renderer, int size, bool switching) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!switching) {
        renderer.render(&painter);
        return image;
    }
    const QRectF viewBox = renderer.viewBoxF();
    const qreal scale = size / viewBox.width();
    const auto place = [&](const QRectF& bounds) {
        return QRectF(bounds.topLeft() * scale, bounds.size() * scale);
    };
    renderer.render(&painter, QStringLiteral("tile"),
                    place(renderer.boundsOnElement(QStringLiteral("tile"))));
    painter.setOpacity(0.45);
    renderer.render(&painter, QStringLiteral("track"),
                    place(renderer.boundsOnElement(QStringLiteral("track"))));
    painter.setOpacity(1);
    QRectF knob = renderer.boundsOnElement(QStringLiteral("knob"));
    knob.moveCenter(QPointF(viewBox.center().x(), knob.center().y()));
    renderer.render(&painter, QStringLiteral("knob"), place(knob));
    return image;
}

QIcon build(bool switching) {
    QSvgRenderer renderer(QStringLiteral(":/appicon/dev.tavrin.Tavrin.svg"));
    QIcon icon;
    for (const int size : iconSizes)
        icon.addPixmap(QPixmap::fromImage(render(renderer, size, switching)));
    return icon;
}

} // namespace

QIcon TrayIcons::application() {
    return build(false);
}

QIcon TrayIcons::switching() {
    return build(true);
}
