#include "ui/Buttons.h"
#include "ui/Icons.h"
#include "ui/ProfileRow.h"
#include "ui/SettingsView.h"
#include "ui/TavrinApp.h"
#include "ui/Translations.h"
#include "ui/UiChecks.h"

#include <QAccessible>
#include <QDir>
#include <QGroupBox>
#include <QScrollBar>

// What every user meets whatever their eyes, hands, screen and language: readable text in
// both appearances, every text translated and whole, the whole window by keyboard with a
// visible focus, controls a screen reader can tell apart, nothing out of reach on a small
// screen, crisp icons.

namespace {

// Names, and the user's own data; a name before any shorter one it holds.
const QStringList allowed =
    QString("host:port:user:pass,Claude Code,Claude,Codex,Velqor,ChatGPT,Tavrin,API,ID,JSON,"
            "SOCKS5,http,socks5")
        .split(',');

// Whether a text shown in the language was left in English. The pseudo-translation
// lengthens every text by 40 % and brackets it, so a text without brackets was never
// translated.
bool untranslated(QString text, const QString& language) {
    if (language == "en")
        return false;
    if (language == "pseudo")
        return !Translations::isPseudo(text) && !allowed.contains(text) &&
               !text.startsWith("Velqor ");
    for (const QString& word : allowed)
        text.remove(word);
    return text.contains(QRegularExpression("[A-Za-z]{2,}"));
}

// The text of a control or a settings group, and by how many pixels it falls short of
// showing it whole. A field's value is the user's: its placeholder is the text.
std::pair<QString, int> shownText(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w))
        return {label->text(), label->wordWrap()
                                   ? label->heightForWidth(label->width()) - label->height()
                                   : label->sizeHint().width() - label->width()};
    if (auto* elided = qobject_cast<ElidedLabel*>(w))
        return {elided->text(), elided->text() == elided->displayedText() ? 0 : 1};
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return {button->text(), button->sizeHint().width() - button->width()};
    if (auto* field = qobject_cast<QLineEdit*>(w))
        return {field->placeholderText(), 0};
    auto* group = qobject_cast<QGroupBox*>(w);
    return {group ? group->title() : QString(), 0};
}

// The contrast of a text control as its window paints it: the most common colour of its
// area is the background, the colour that stands out most from it the text.
qreal paintedContrast(QWidget* widget) {
    QWidget* window = widget->window();
    const QImage image =
        window->grab(QRect(widget->mapTo(window, QPoint()), widget->size())).toImage();
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y) | 0xff000000];
    const QRgb background =
        std::max_element(counts.keyValueBegin(), counts.keyValueEnd(), [](auto a, auto b) {
            return a.second < b.second;
        })->first;
    qreal best = 1;
    for (auto it = counts.keyBegin(); it != counts.keyEnd(); ++it)
        best = std::max(best, contrastRatio(QColor(*it), QColor(background)));
    return best;
}

} // namespace

class TestWindowQuality : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        setAppearance(false);
        Translations::install(QLocale(QLocale::English));
    }

    // Every text of every window, as painted, is at least 4.5:1 against what it is painted
    // on, translated, and whole. A switch that fails off the GUI thread says why in the
    // error colour and the window's language: the core's texts are translated too.
    void everyText_data() {
        QTest::addColumn<bool>("dark");
        QTest::addColumn<QString>("language");
        QTest::newRow("dark") << true << "en";
        QTest::newRow("zh_CN") << false << "zh_CN";
        QTest::newRow("ja, dark") << true << "ja";
        QTest::newRow("pseudo") << false << "pseudo";
    }
    void everyText() {
        QFETCH(bool, dark);
        QFETCH(QString, language);
        setAppearance(dark);
        if (language == "pseudo")
            Translations::installPseudo();
        else
            QCOMPARE(Translations::install(QLocale(language)), language != "en");
        WindowFixture f;
        f.store->saveProfile(*f.store->profile("velqor-1"), QString("sk"));
        auto* caption = f.find<ElidedLabel>("lastLogCaption");
        QVERIFY2(!untranslated(caption->text(), language), qPrintable(caption->text()));
        f.view->setSelectedIDE(TargetIDE::codex);
        pickProfile(f.view.get(), "velqor-2"); // it has no key
        f.click("powerButton");
        QTRY_VERIFY(caption->text().contains("Velqor 2"));
        // Each tab is measured while it is shown: every enabled control whole on screen (not
        // a row scrolled out of its list) with a text of its own (a field its value or
        // placeholder) in letters or digits, as bullets and dashes are too small to measure.
        QList<QWidget*> shown;
        const auto measure = [&shown](QWidget* root) {
            for (QWidget* w : root->findChildren<QWidget*>()) {
                auto* field = qobject_cast<QLineEdit*>(w);
                const QString text =
                    field ? field->text() + field->placeholderText() : shownText(w).first;
                if (!w->isVisible() || !w->isEnabled() ||
                    w->visibleRegion().boundingRect() != w->rect() ||
                    !text.contains(QRegularExpression("[\\p{L}\\p{N}]")))
                    continue;
                shown << w;
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
        for (QGroupBox* group : settings.findChildren<QGroupBox*>())
            shown << group;
        QVERIFY2(shown.size() > 40, qPrintable(QString::number(shown.size())));
        QStringList names; // the profiles' names, and the first-start profile's shown
        for (const Profile& profile : f.store->profiles())
            names << profile.name;
        for (QWidget* w : shown) {
            const auto [text, needed] = shownText(w);
            const QString where =
                QString("%1 %2: %3").arg(w->metaObject()->className(), w->objectName(), text);
            QVERIFY2(text.isEmpty() || names.contains(text) || !untranslated(text, language),
                     qPrintable("not translated: " + where));
            QVERIFY2(needed <= 1, qPrintable("cut off: " + where));
        }
    }

    // Tab visits every control in reading order, each showing that it has the focus.
    void keyboard_data() {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }
    void keyboard() {
        QFETCH(bool, dark);
        setAppearance(dark);
        WindowFixture f;
        f.view->viewModel()->appendLog("Codex switched to Velqor 1. Synced 0 chats.");
        // The names of the controls Tab visits, from the Codex segment round to it again.
        const auto focusChain = [&f] {
            f.find("segmentCodex")->setFocus(Qt::TabFocusReason);
            QStringList names;
            do {
                names << QApplication::focusWidget()->objectName();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            } while (QApplication::focusWidget() != f.find("segmentCodex") && names.size() < 40);
            return names;
        };
        QCOMPARE(focusChain(), QStringList({"segmentCodex", "segmentClaude", "addKeyButton",
                                            "profileCard", "powerButton", "actionButton",
                                            "lastLogCaption", "tabSwitch", "tabProfiles"}));
        for (const QString& name : focusChain()) {
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
        const QStringList chain = focusChain();
        QCOMPARE(chain.mid(chain.indexOf("segmentClaude") + 1, 11),
                 QStringList({"panelAddKeyButton", "addVelqorButton", "profileRow", "profileRow",
                              "profileRow", "profileRow", "apiKeyField", "apiKeyFieldReveal",
                              "proxyDisclosure", "tabSwitch", "tabProfiles"}));
    }

    // A screen reader hears every control by a name of its own, and which segment, tab and
    // row is chosen and whether the proxy section is open.
    void accessibility() {
        WindowFixture f;
        f.view->viewModel()->appendLog("Profiles loaded again");
        const auto state = [](QObject* w) {
            return QAccessible::queryAccessibleInterface(w)->state();
        };
        for (int tab = 0; tab < 2; ++tab) {
            if (tab == 1)
                f.showProfiles();
            QStringList seen;
            for (QWidget* w : f.view->findChildren<QWidget*>()) {
                if (!w->isVisible() || w->focusPolicy() == Qt::NoFocus || !w->isEnabled())
                    continue;
                seen << QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
                QVERIFY2(!seen.last().isEmpty(), qPrintable("no name: " + w->objectName()));
            }
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
    // screen, its tab bar in view and every control reachable by scrolling. With many
    // profiles the list scrolls, and at the designed size the key and proxy controls stay
    // in view.
    void smallScreens_data() {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QSize>("size");
        QTest::newRow("1280x1024") << QRect(0, 0, 1280, 990) << QSize(320, 568);
        QTest::newRow("1024x600") << QRect(0, 32, 1024, 568) << QSize(320, 528);
        QTest::newRow("tiny") << QRect(0, 0, 320, 200) << QSize(320, 280);
    }
    void smallScreens() {
        QFETCH(QRect, available);
        const QSize size = TavrinApp::windowSizeFor({320, 568}, {320, 280}, available, {0, 40});
        QTEST(size, "size");
        const bool designed = size == QSize(320, 568);
        WindowFixture f({}, 20, size);
        // At its designed size the first start's welcome leaves the switch in view.
        QVERIFY(f.find("welcomeCard")->isVisible());
        for (const char* name : {"powerButton", "actionButton"})
            QVERIFY2(!designed || inView(f.find(name)), name);
        f.store->saveProfile(*f.store->profile("velqor-1"), QString("sk"));
        for (int tab = 0; tab < 2; ++tab) {
            if (tab == 1) {
                f.click("tabProfiles");
                QApplication::processEvents();
                QVERIFY(f.find<QScrollArea>("profileList")->verticalScrollBar()->maximum() > 0);
                for (const char* name :
                     {"apiKeyField", "saveKeyButton", "proxyDisclosure", "panelStatus"})
                    QVERIFY2(!designed || inView(f.find(name)), name);
                f.showProfiles();
            }
            for (const char* name : {"tabSwitch", "tabProfiles", "segmentCodex"})
                QVERIFY2(inView(f.find(name), f.view.get()), name);
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

    // Every symbol of the icon set draws in the tint at 1x and 2x; an unknown one draws nothing.
    void iconsRenderTinted_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("drawn");
        Q_INIT_RESOURCE(icons);
        const QStringList files = QDir(":/icons").entryList({"*.svg"}, QDir::Files);
        QVERIFY2(!files.isEmpty(), "no icons in the resources");
        for (const QString& file : files)
            QTest::newRow(qPrintable(file.chopped(4))) << file.chopped(4) << true;
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
                        QVERIFY(sameColor(QColor(px), tint, 3));
                }
            QVERIFY2(drawn ? covered > image.width() : covered == 0, qPrintable(name));
        }
    }
};

QTEST_MAIN(TestWindowQuality)
#include "tst_windowquality.moc"
