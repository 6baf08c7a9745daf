#include "ui/TrayIcons.h"

#include <QCoreApplication>
#include <QHash>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include <memory>

namespace {

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

// Draws the icon at a size only when that size is asked for, once: a window icon, a tray
// and a task switcher each want a few sizes, and under Wayland none. Copies of the icon
// share the drawings.
class AppIconEngine final : public QIconEngine {
public:
    explicit AppIconEngine(bool switching)
        : m_switching(switching), m_drawings(std::make_shared<Drawings>()) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = std::max(1, std::min(size.width(), size.height()));
        QPixmap& drawn = m_drawings->pixmaps[side];
        if (drawn.isNull()) {
            if (!m_drawings->renderer)
                m_drawings->renderer = std::make_unique<QSvgRenderer>(
                    QStringLiteral(":/appicon/dev.tavrin.Tavrin.svg"));
            drawn = QPixmap::fromImage(render(*m_drawings->renderer, side, m_switching));
        }
        return drawn;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

    // The sizes a tray sends and a window manager keeps; larger ones are drawn on demand.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const int side : {16, 22, 24, 32, 48, 64, 128})
            sizes.append(QSize(side, side));
        return sizes;
    }

    QIconEngine* clone() const override { return new AppIconEngine(*this); }
    QString key() const override { return QStringLiteral("TavrinAppIcon"); }

private:
    struct Drawings {
        std::unique_ptr<QSvgRenderer> renderer;
        QHash<int, QPixmap> pixmaps;
    };
    bool m_switching;
    std::shared_ptr<Drawings> m_drawings;
};

// One icon of each kind per process, for the window, the tray and every switch; let go
// with the application object, while Qt can still free what was drawn.
QIcon shared(bool switching) {
    static QIcon icons[2];
    QIcon& icon = icons[switching ? 1 : 0];
    if (icon.isNull()) {
        icon = QIcon(new AppIconEngine(switching));
        if (QCoreApplication* app = QCoreApplication::instance())
            QObject::connect(app, &QObject::destroyed, [&icon] { icon = QIcon(); });
    }
    return icon;
}

} // namespace

QIcon TrayIcons::application() {
    return shared(false);
}

QIcon TrayIcons::switching() {
    return shared(true);
}
