#include "ui/Buttons.h"
#include "ui/Icons.h"
#include "ui/ProfileRow.h"
#include "ui/ProfilesPanel.h"
#include "ui/SettingsView.h"
#include "ui/TavrinApp.h"
#include "ui/UiChecks.h"

#include <QAccessible>
#include <QDir>
#include <QScrollArea>
#include <QScrollBar>

// What every user meets whatever their eyes, hands and screen: readable text in both
// appearances, the whole window by keyboard with a visible focus, controls a screen
// reader can tell apart, nothing out of reach on a small screen, crisp icons.

namespace {

struct Window : WindowFixture {
    using WindowFixture::WindowFixture;
    // Both tabs' controls, the proxy unfolded.
    void showProfiles() const {
        click("tabProfiles");
        view->profilesPanel()->selectProfile(*store->profile("velqor-1"));
        click("proxyDisclosure");
        QApplication::processEvents();
    }
    QStringList focusChain() const {
        find("segmentCodex")->setFocus(Qt::TabFocusReason);
        QStringList names;
        for (QWidget* w = QApplication::focusWidget(); names.size() < 40;
             w = QApplication::focusWidget()) {
            names << w->objectName();
            QTest::keyClick(w, Qt::Key_Tab);
            if (QApplication::focusWidget() == find("segmentCodex"))
                break;
        }
        return names;
    }
};

QWidget* visibleAreaOf(QWidget* w) {
    for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
        if (auto* scroll = qobject_cast<QScrollArea*>(p->parentWidget()))
            return scroll->viewport();
    return w->window();
}

bool within(QWidget* area, QWidget* w) {
    return area->rect().contains(QRect(w->mapTo(area, QPoint()), w->size()));
}

bool inView(QWidget* w) {
    return within(visibleAreaOf(w), w);
}

} // namespace

class TestWindowQuality : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { setAppearance(false); }

    // Every text of every window is at least 4.5:1 against what it is painted on, as painted.
    void textContrast_data() { addAppearanceRows(); }
    void textContrast() {
        QFETCH(bool, dark);
        setAppearance(dark);
        Window f;
        f.store->saveProfile(*f.store->profile("velqor-1"), QString("sk"));
        f.view->viewModel()->appendFailure("Velqor 2 has no API key. Add it in Profiles.");
        // Each tab is measured while it is shown.
        int checked = 0;
        const auto measure = [&checked](QWidget* root) {
            for (QWidget* w : textControls(root)) {
                ++checked;
                // 4.5:1, less what rounding a colour to 8 bits per channel can take away.
                const qreal contrast = paintedContrast(w);
                QVERIFY2(contrast >= 4.45,
                         qPrintable(QString("%1 %2: %3")
                                        .arg(w->metaObject()->className(), w->objectName())
                                        .arg(contrast)));
            }
        };
        measure(f.view.get());
        f.showProfiles();
        measure(f.view.get());
        SettingsView settings(f.store.get());
        settings.show();
        QVERIFY(QTest::qWaitForWindowExposed(&settings));
        measure(&settings);
        QVERIFY2(checked > 40, qPrintable(QString::number(checked)));
    }

    // Tab visits every control in reading order, each showing that it has the focus.
    void keyboard_data() { addAppearanceRows(); }
    void keyboard() {
        QFETCH(bool, dark);
        setAppearance(dark);
        Window f;
        f.view->viewModel()->appendLog("Codex switched to Velqor 1. Synced 0 chats.");
        QCOMPARE(f.focusChain(), QStringList({"segmentCodex", "segmentClaude", "addKeyButton",
                                              "profileCard", "powerButton", "actionButton",
                                              "lastLogCaption", "tabSwitch", "tabProfiles"}));
        for (const QString& name : f.focusChain()) {
            QWidget* w = f.find(qPrintable(name));
            w->setFocus(Qt::TabFocusReason);
            const QImage focused = w->grab().toImage();
            f.find("tabProfiles")->setFocus(Qt::TabFocusReason);
            if (name != "tabProfiles")
                QVERIFY2(w->grab().toImage() != focused, qPrintable(name + " shows no focus"));
        }
        // Enter opens the recent activity from the caption; Escape closes it again.
        QTest::keyClick(f.find("lastLogCaption"), Qt::Key_Return);
        QWidget* popup = f.find("recentActivity");
        QTRY_VERIFY(popup->isVisible());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!popup->isVisible());
        QCOMPARE(QApplication::focusWidget(), f.find("lastLogCaption"));
        // Enter and Space press buttons; the first start's button leads to the key field.
        QTest::keyClick(f.find("tabProfiles"), Qt::Key_Space);
        QVERIFY(f.find("profilesPanel")->isVisible());
        QTest::keyClick(f.find("tabSwitch"), Qt::Key_Enter);
        QTest::keyClick(f.find("addKeyButton"), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), f.find("apiKeyField"));
        QCOMPARE(f.view->profilesPanel()->selectedProfileID(), std::optional<QString>("velqor-1"));
        const QStringList chain = f.focusChain();
        QCOMPARE(chain.mid(chain.indexOf("segmentClaude") + 1, 11),
                 QStringList({"panelAddKeyButton", "addVelqorButton", "profileRow", "profileRow",
                              "profileRow", "profileRow", "apiKeyField", "apiKeyFieldReveal",
                              "proxyDisclosure", "tabSwitch", "tabProfiles"}));
    }

    // A screen reader hears every control by a name of its own, and which segment, tab and
    // row is chosen and whether the proxy section is open.
    void accessibility() {
        Window f;
        f.view->viewModel()->appendLog("Profiles loaded again");
        const auto names = [&] {
            QStringList seen;
            for (QWidget* w : f.view->findChildren<QWidget*>()) {
                if (!w->isVisible() || w->focusPolicy() == Qt::NoFocus || !w->isEnabled())
                    continue;
                QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
                const QString name = a->text(QAccessible::Name);
                if (name.isEmpty())
                    qWarning() << "no name:" << w->objectName();
                seen << name;
            }
            return seen;
        };
        const auto state = [](QObject* w) {
            return QAccessible::queryAccessibleInterface(w)->state();
        };
        for (int tab = 0; tab < 2; ++tab) {
            if (tab == 1)
                f.showProfiles();
            const QStringList seen = names();
            QVERIFY2(!seen.contains(QString()), qPrintable(seen.join(", ")));
            QCOMPARE(QSet<QString>(seen.begin(), seen.end()).size(), seen.size());
        }
        QVERIFY(state(f.find("segmentClaude")).selected && !state(f.find("segmentCodex")).selected);
        QVERIFY(state(f.find("tabProfiles")).selected && !state(f.find("tabSwitch")).selected);
        QCOMPARE(QAccessible::queryAccessibleInterface(f.find("tabSwitch"))->role(),
                 QAccessible::PageTab);
        for (ProfileRow* row : f.view->profilesPanel()->rows())
            QCOMPARE(state(row).checked, row->profile().id == "velqor-1");
        QWidget* disclosure = f.find("proxyDisclosure");
        QVERIFY(state(disclosure).expandable && state(disclosure).expanded);
        f.click("proxyDisclosure");
        QVERIFY(state(disclosure).collapsed && !state(disclosure).expanded);
        QAccessibleInterface* caption =
            QAccessible::queryAccessibleInterface(f.find("lastLogCaption"));
        QCOMPARE(caption->role(), QAccessible::Button);
        caption->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_VERIFY(f.find("recentActivity")->isVisible());
    }

    // The designed size where it fits; on a smaller screen the window is as tall as the
    // screen, its tab bar in view and every control reachable by scrolling.
    void smallScreens_data() {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("designed");
        QTest::newRow("1280x1024") << QRect(0, 0, 1280, 990) << 568 << true;
        QTest::newRow("1920x1080 at 2x") << QRect(0, 0, 960, 510) << 470 << false;
        QTest::newRow("1024x600") << QRect(0, 32, 1024, 568) << 528 << false;
        QTest::newRow("tiny") << QRect(0, 0, 320, 200) << 280 << false;
    }
    void smallScreens() {
        QFETCH(QRect, available);
        QFETCH(bool, designed);
        const QSize size = TavrinApp::windowSizeFor({320, 568}, {320, 280}, available, {0, 40});
        QTEST(size.height(), "height");
        QCOMPARE(size.width(), 320);
        Window f({}, 8, size);
        // At its designed size the first start's welcome leaves the switch in view.
        QVERIFY(f.find("welcomeCard")->isVisible());
        for (const char* name : {"powerButton", "actionButton"})
            QVERIFY2(!designed || inView(f.find(name)), name);
        for (int tab = 0; tab < 2; ++tab) {
            if (tab == 1)
                f.showProfiles();
            for (const char* name : {"tabSwitch", "tabProfiles", "segmentCodex"})
                QVERIFY2(within(f.view.get(), f.find(name)), name);
            for (QWidget* w : f.view->findChildren<QAbstractButton*>()) {
                if (!w->isVisible())
                    continue;
                w->setFocus(Qt::TabFocusReason);
                if (auto* scroll = qobject_cast<QScrollArea*>(visibleAreaOf(w)->parentWidget()))
                    scroll->ensureWidgetVisible(w, 0, 0);
                QVERIFY2(inView(w), qPrintable(w->objectName()));
            }
        }
    }

    // With many profiles the list scrolls and the key and proxy controls stay in view.
    void manyProfiles() {
        Window f({}, 20);
        f.store->saveProfile(*f.store->profile("velqor-1"), QString("sk"));
        f.click("tabProfiles");
        QApplication::processEvents();
        QVERIFY(f.find<QScrollArea>("profileList")->verticalScrollBar()->maximum() > 0);
        for (const char* name : {"apiKeyField", "saveKeyButton", "proxyDisclosure", "panelStatus"})
            QVERIFY2(inView(f.find(name)), name);
    }

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

QTEST_MAIN(TestWindowQuality)
#include "tst_windowquality.moc"
