#include "ui/Icons.h"

#include <QDir>
#include <QImage>
#include <QTest>

class TestIcons : public QObject {
    Q_OBJECT
private slots:
    // Every symbol of the icon set draws in the tint at 1x and 2x; an unknown one draws nothing.
    void iconsRenderTinted_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("drawn");
        Q_INIT_RESOURCE(icons);
        const QStringList files = QDir(":/icons").entryList({"*.svg"}, QDir::Files);
        QVERIFY2(!files.isEmpty(), "no icons in the resources");
        for (const QString& file : files) {
            const QString name = file.chopped(4);
            QTest::newRow(qPrintable(name)) << name << true;
        }
        QTest::newRow("unknown") << QString("no.such.symbol") << false;
    }

    void iconsRenderTinted() {
        QFETCH(QString, name);
        QFETCH(bool, drawn);
        QCOMPARE(Icons::exists(name), drawn);
        const QColor tint(10, 140, 250);
        for (qreal dpr : {1.0, 2.0}) {
            const QPixmap pixmap = Icons::pixmap(name, 18, tint, dpr);
            QCOMPARE(pixmap.devicePixelRatio(), dpr);
            QCOMPARE(pixmap.width(), int(18 * dpr));
            const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
            int covered = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const QRgb px = image.pixel(x, y);
                    covered += qAlpha(px) > 0;
                    if (qAlpha(px) >= 200)
                        QVERIFY(qAbs(qRed(px) - tint.red()) <= 3 &&
                                qAbs(qGreen(px) - tint.green()) <= 3 &&
                                qAbs(qBlue(px) - tint.blue()) <= 3);
                }
            QVERIFY2(drawn ? covered > image.width() : covered == 0, qPrintable(name));
        }
    }
};

QTEST_MAIN(TestIcons)
#include "tst_icons.moc"
