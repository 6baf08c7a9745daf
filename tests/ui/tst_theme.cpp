#include "ui/CompactTheme.h"
#include "ui/Icons.h"

#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QTest>

using Role = QColor (CompactTheme::*)() const;
Q_DECLARE_METATYPE(Role)

class TestTheme : public QObject {
    Q_OBJECT
private slots:
    void roles_data() {
        QTest::addColumn<Role>("role");
        QTest::addColumn<QColor>("dark");
        QTest::addColumn<QColor>("light");
        const auto c = [](double r, double g, double b, double a = 1) {
            return QColor::fromRgbF(r, g, b, a);
        };
        QTest::newRow("background")
            << &CompactTheme::background << c(0.09, 0.09, 0.085) << c(0.96, 0.97, 0.96);
        QTest::newRow("panel") << &CompactTheme::panel << c(0.14, 0.14, 0.13) << QColor(Qt::white);
        QTest::newRow("buttonSurface")
            << &CompactTheme::buttonSurface << c(0.2, 0.2, 0.19) << c(0.9, 0.92, 0.93);
        QTest::newRow("border") << &CompactTheme::border << c(1, 1, 1, 0.09) << c(0, 0, 0, 0.07);
        QTest::newRow("primaryText")
            << &CompactTheme::primaryText << c(0.9, 0.9, 0.91) << c(0.1, 0.11, 0.13);
        QTest::newRow("secondaryText")
            << &CompactTheme::secondaryText << c(0.62, 0.62, 0.64) << c(0.42, 0.45, 0.49);
        QTest::newRow("mutedText")
            << &CompactTheme::mutedText << c(0.44, 0.44, 0.46) << c(0.62, 0.65, 0.69);
        QTest::newRow("good") << &CompactTheme::good << c(0.18, 0.83, 0.36) << c(0.18, 0.83, 0.36);
    }

    void roles() {
        QFETCH(Role, role);
        QFETCH(QColor, dark);
        QFETCH(QColor, light);
        for (TargetIDE target : TargetIDEs::allCases) {
            QCOMPARE((CompactTheme{true, target}.*role)(), dark);
            QCOMPARE((CompactTheme{false, target}.*role)(), light);
        }
    }

    void accentFollowsTargetOnly() {
        const QColor blue = QColor::fromRgbF(0.05, 0.56, 1.0);
        const QColor orange = QColor::fromRgbF(0.82, 0.36, 0.2);
        for (bool dark : {true, false}) {
            QCOMPARE((CompactTheme{dark, TargetIDE::codex}.accent()), blue);
            QCOMPARE((CompactTheme{dark, TargetIDE::claude}.accent()), orange);
        }
    }

    void paletteDecidesAppearance_data() {
        QTest::addColumn<QColor>("window");
        QTest::addColumn<bool>("dark");
        QTest::newRow("white") << QColor(Qt::white) << false;
        QTest::newRow("light grey") << QColor(0xef, 0xef, 0xef) << false;
        QTest::newRow("dark grey") << QColor(0x2b, 0x2b, 0x2b) << true;
        QTest::newRow("black") << QColor(Qt::black) << true;
    }

    void paletteDecidesAppearance() {
        QFETCH(QColor, window);
        QFETCH(bool, dark);
        QPalette palette;
        palette.setColor(QPalette::Window, window);
        QCOMPARE(CompactTheme::isDarkPalette(palette), dark);
    }

    void tabs() {
        QCOMPARE(AppTabs::rawValue(AppTabs::allCases[0]), QString("Switch"));
        QCOMPARE(AppTabs::systemImage(AppTab::switcher), QString("power"));
        QCOMPARE(AppTabs::rawValue(AppTabs::allCases[1]), QString("Profiles"));
        QCOMPARE(AppTabs::systemImage(AppTab::profiles), QString("key.fill"));
    }

    void iconsRenderTintedAtEveryScale_data() {
        QTest::addColumn<QString>("name");
        for (const char* name :
             {"sparkles", "terminal.fill", "power", "key.fill", "person.crop.circle.fill",
              "questionmark.circle.fill", "chevron.right", "hourglass",
              "exclamationmark.triangle.fill", "arrow.down.circle.fill", "checkmark.seal.fill",
              "arrow.clockwise", "network", "checkmark"})
            QTest::newRow(name) << QString(name);
    }

    void iconsRenderTintedAtEveryScale() {
        QFETCH(QString, name);
        QVERIFY(Icons::exists(name));
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
                    if (qAlpha(px) > 0)
                        ++covered;
                    if (qAlpha(px) >= 200) {
                        QVERIFY(qAbs(qRed(px) - tint.red()) <= 3);
                        QVERIFY(qAbs(qGreen(px) - tint.green()) <= 3);
                        QVERIFY(qAbs(qBlue(px) - tint.blue()) <= 3);
                    }
                }
            QVERIFY2(covered > image.width(), "icon draws almost nothing");
        }
    }

    void unknownIconDrawsNothing() {
        QVERIFY(!Icons::exists("no.such.symbol"));
        const QImage image = Icons::pixmap("no.such.symbol", 12, Qt::red, 1).toImage();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                QCOMPARE(qAlpha(image.pixel(x, y)), 0);
    }
};

QTEST_MAIN(TestTheme)
#include "tst_theme.moc"
