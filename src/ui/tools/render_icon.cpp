// Renders an SVG icon to square PNG files at build time:
//   tavrin_render_icon <icon.svg> <size>:<out.png> [<size>:<out.png> ...]
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char* argv[]) {
    // Painting into an image needs no application object and no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (arguments.size() < 3) {
        std::fputs("usage: tavrin_render_icon <icon.svg> <size>:<out.png>...\n", stderr);
        return 2;
    }
    QSvgRenderer renderer(arguments.at(1));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "%s: not a valid SVG file\n", qPrintable(arguments.at(1)));
        return 1;
    }
    for (const QString& target : arguments.mid(2)) {
        const qsizetype colon = target.indexOf(QLatin1Char(':'));
        bool ok = false;
        const int size = target.left(colon).toInt(&ok);
        const QString path = target.mid(colon + 1);
        if (colon < 0 || !ok || size <= 0 || path.isEmpty()) {
            std::fprintf(stderr, "%s: expected <size>:<out.png>\n", qPrintable(target));
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !image.save(path, "PNG")) {
            std::fprintf(stderr, "%s: could not write\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
