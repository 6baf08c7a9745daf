#include "ui/Icons.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

#include <cmath>

static void initIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace Icons {
namespace {

QString resourcePath(const QString& name) {
    static const bool initialised = [] {
        initIconResources();
        return true;
    }();
    Q_UNUSED(initialised);
    return QStringLiteral(":/icons/") + name + QStringLiteral(".svg");
}

QSvgRenderer* renderer(const QString& name) {
    // One parsed renderer per icon, kept as long as the application object lives.
    static QHash<QString, QSvgRenderer*> renderers;
    auto it = renderers.constFind(name);
    if (it != renderers.constEnd())
        return *it;
    QCoreApplication* app = QCoreApplication::instance();
    if (renderers.isEmpty() && app)
        QObject::connect(app, &QObject::destroyed, [] { renderers.clear(); });
    const QString path = resourcePath(name);
    auto* svg = QFile::exists(path) ? new QSvgRenderer(path, app) : nullptr;
    if (svg && !svg->isValid()) {
        delete svg;
        svg = nullptr;
    }
    renderers.insert(name, svg);
    return svg;
}

} // namespace

bool exists(const QString& name) {
    return QFile::exists(resourcePath(name));
}

QPixmap pixmap(const QString& name, int size, const QColor& color, qreal devicePixelRatio) {
    const qreal dpr = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const QString key = QStringLiteral("tavrin-icon:%1:%2:%3:%4")
                            .arg(name)
                            .arg(size)
                            .arg(color.rgba(), 8, 16)
                            .arg(dpr);
    QPixmap cached;
    if (QPixmapCache::find(key, &cached))
        return cached;

    const int pixels = std::max(1, int(std::lround(size * dpr)));
    QImage image(pixels, pixels, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    if (QSvgRenderer* svg = renderer(name)) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg->render(&painter, QRectF(0, 0, pixels, pixels));
    }
    // Black becomes the tint, white becomes clear; grey edges blend between them.
    const QRgb tint = color.rgb();
    const int tintAlpha = color.alpha();
    for (int y = 0; y < pixels; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < pixels; ++x) {
            const QRgb px = line[x];
            const int coverage = qAlpha(px) * (255 - qGray(px)) / 255;
            line[x] = qRgba(qRed(tint), qGreen(tint), qBlue(tint), coverage * tintAlpha / 255);
        }
    }
    QPixmap result = QPixmap::fromImage(std::move(image));
    result.setDevicePixelRatio(dpr);
    QPixmapCache::insert(key, result);
    return result;
}

void paint(QPainter& painter, const QRectF& rect, const QString& name, const QColor& color) {
    const qreal side = std::min(rect.width(), rect.height());
    const int size = std::max(1, int(std::lround(side)));
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QPixmap icon = pixmap(name, size, color, dpr);
    const QPointF topLeft(rect.center().x() - size / 2.0, rect.center().y() - size / 2.0);
    painter.drawPixmap(topLeft, icon);
}

} // namespace Icons
