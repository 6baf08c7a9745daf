#include "app/AppViewModel.h"
#include "support/FakeRestarters.h"
#include "ui/Buttons.h"
#include "ui/SettingsView.h"
#include "ui/TavrinApp.h"
#include "ui/Tray.h"
#include "ui/UiChecks.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QThreadPool>

class TestApp : public QObject {
    Q_OBJECT
private slots:
    // The real application entry over a temporary home: pick a profile for Codex,
    // press the power button and see the files change and the result line.
    void switchesCodexEndToEnd() {
        TestHome home;
        StandIns tools(home.path() + "/tools");
        tools.requireFirstOnPath();
        home.write(".codex/config.toml", "model = \"gpt-4\"\nmodel_provider = \"openai\"\n");
        home.write(".codex/auth.json", "{\n    \"auth_mode\": \"chatgpt\"\n}\n");

        TavrinApp app;
        app.show();
        QVERIFY(QTest::qWaitForWindowExposed(app.mainWindow()));
        ContentView* view = app.contentView();
        // No taller than this screen allows.
        QVERIFY(app.mainWindow()->frameGeometry().height() <=
                app.mainWindow()->screen()->availableGeometry().height());
        app.profilesStore()->saveProfile(*app.profilesStore()->profile("velqor-1"),
                                         QString("sk-e2e"));
        // The menu band has the content's background, in either appearance.
        for (const bool dark : {true, false}) {
            setAppearance(dark);
            QVERIFY(sameColor(app.mainWindow()->menuBar()->grab().toImage().pixelColor(2, 2),
                              view->theme().background()));
        }
        // The settings share the one store: a deletion there reaches the main window.
        QVERIFY(app.mainWindow()->findChild<QMenu*>("appMenu")->actions().contains(
            app.settingsAction()));
        app.settingsAction()->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(app.settingsView()));
        app.settingsView()->selectProfileID(QString("velqor-2"));
        answerNextMessageBox("Delete Profile");
        app.settingsView()->deleteProfile();
        QCOMPARE(view->viewModel()->availableProfiles(TargetIDE::codex).size(), 2);

        QTest::mouseClick(view->findChild<QWidget*>("segmentCodex"), Qt::LeftButton);
        QVERIFY(pickProfile(view, "velqor-1").contains("Velqor 1"));

        auto* power = view->findChild<PowerButton*>("powerButton");
        auto* action = view->findChild<FilledButton*>("actionButton");
        QTest::mouseClick(power, Qt::LeftButton);
        // Quitting Codex alone takes two seconds: meanwhile the controls show the switch
        // and take no presses.
        QCOMPARE(power->symbol(), QString("hourglass"));
        QCOMPARE(action->text(), QString("Switching..."));
        QVERIFY(!power->isEnabled() && !action->isEnabled());
        // Closing the window waits for the switch, so Codex is not left quit.
        QVERIFY(!app.mainWindow()->close() && app.mainWindow()->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!view->viewModel()->isSwitching(), 120000);
        QTRY_VERIFY(!app.mainWindow()->isVisible());
        // Each target shows its own last line.
        QTest::mouseClick(view->findChild<QWidget*>("segmentClaude"), Qt::LeftButton);
        auto* caption = view->findChild<ElidedLabel*>("lastLogCaption");
        QCOMPARE(caption->text(), QString("Profiles loaded"));
        QTest::mouseClick(view->findChild<QWidget*>("segmentCodex"), Qt::LeftButton);

        // No chat database here: the line says the chats did not move.
        QVERIFY2(caption->text().startsWith("Codex switched to Velqor 1. Chats not moved: "),
                 qPrintable(caption->text()));
        QCOMPARE(power->symbol(), QString("power"));
        QCOMPARE(action->text(), QString("Restart Codex"));
        QCOMPARE(app.profilesStore()->activeProfileID(), QString("velqor-1"));
#ifdef Q_OS_MACOS
        const QStringList calls = tools.callLog();
        // Codex was quit first and opened again at the end.
        QVERIFY2(!calls.isEmpty() && calls.first().startsWith("osascript") &&
                     calls.last().startsWith("open -a Codex"),
                 qPrintable(calls.join('\n')));
#else
        // At the end the Codex CLI opens in a terminal; the switch's own work yields to
        // painting (SCHED_IDLE), the assistant it opens for the user runs at normal priority.
        QTRY_COMPARE(tools.callLog().count("codex"), 1);
        QCOMPARE(tools.schedulingPolicy("systemctl"), "5");
        QCOMPARE(tools.schedulingPolicy("codex"), "0");
#endif
    }

    // A switch killed halfway left its journal: the window asks at start and restores; a
    // journal that cannot be read is offered to be set aside.
    void interruptedSwitchIsOfferedAtStart_data() {
        QTest::addColumn<bool>("readable");
        QTest::newRow("readable") << true;
        QTest::newRow("unreadable") << false;
    }

    void interruptedSwitchIsOfferedAtStart() {
        QFETCH(bool, readable);
        TestHome home;
        writeInterruptedCodexSwitch(home);
        if (!readable)
            home.write(".codex/tavrin/switch-journal.json", "{ cut short");
        TavrinApp app;
        const auto asked = answerNextMessageBox(readable ? "Restore" : "Set Aside", true);
        app.show();
        QTRY_VERIFY(!asked->isEmpty());
        QVERIFY2(
            asked->contains(readable ? "config.toml: changed by the switch" : "cannot be read"),
            qPrintable(*asked));
        QTRY_VERIFY(!home.exists(".codex/tavrin/switch-journal.json"));
        QVERIFY(app.contentView()->viewModel()->logLines().last().startsWith(
            readable ? "Restored config.toml" : "Set the switch journal aside"));
    }

    // With a tray, closing the window leaves Tavrin running there (said once), and the
    // tray menu opens the window, opens the settings and switches like the power button.
    void trayKeepsRunningAndSwitches() {
        TestHome home;
        StandIns tools(home.path() + "/tools", {"osascript", "open", "launchctl", "sleep"});
        TavrinApp app(nullptr, true);
        app.show();
        QVERIFY(QTest::qWaitForWindowExposed(app.mainWindow()));
        QTRY_VERIFY(app.tray()); // once the first frame is on screen
        QVERIFY(!QGuiApplication::quitOnLastWindowClosed());
        // The Codex section comes first, so the first match is the Codex entry.
        const auto action = [&app](const QString& text) {
            for (QAction* a : app.tray()->menu()->actions())
                if (a->text() == text)
                    return a;
            qFatal("no menu item %s", qPrintable(text));
        };
        const auto notices = [] {
            const QWidgetList windows = QApplication::topLevelWidgets();
            return std::count_if(windows.begin(), windows.end(), [](QWidget* w) {
                return w->objectName() == "trayNotice" && w->isVisible();
            });
        };

        QVERIFY(app.mainWindow()->close());
        QCOMPARE(notices(), 1); // no notifications offscreen: a message box instead
        action("Open Tavrin")->trigger();
        QVERIFY(app.mainWindow()->isVisible());
        QVERIFY(app.mainWindow()->close());
        QCOMPARE(notices(), 1);
        action("Settings\u2026")->trigger();
        QVERIFY(app.settingsView()->isVisible());

        // The icon's knob stands in the middle of its track while a switch runs.
        const auto knobInTheMiddle = [&app] {
            return app.tray()->icon()->icon().pixmap(32).toImage().pixelColor(16, 16) == Qt::white;
        };
        QTRY_VERIFY(!app.tray()->icon()->icon().isNull()); // drawn after the first frame
        QVERIFY(!knobInTheMiddle());
        AppViewModel* viewModel = app.contentView()->viewModel();
        action("Velqor 2")->trigger();
        QTRY_VERIFY(!action("Velqor 2")->isEnabled());
        QVERIFY(knobInTheMiddle());
        QTRY_VERIFY_WITH_TIMEOUT(!viewModel->isSwitching(), 120000);
        QTRY_VERIFY(action("Velqor 2")->isEnabled());
        QVERIFY(!knobInTheMiddle());
        QCOMPARE(action("Velqor 2")->isChecked(),
                 app.profilesStore()->activeProfileID() == "velqor-2");
    }

    // The window keeps painting while a switch blocks: the switch runs on a thread of its
    // own, never on Qt's global pool, which painting also uses (on a one-CPU machine that
    // pool has a single thread).
    void repaintsWhileAStepBlocks() {
        QThreadPool::globalInstance()->setMaxThreadCount(1);
        auto codex = std::make_shared<FakeCodexRestarter>();
        codex->holdQuit = true;
        AppServices services;
        services.codexRestarter = codex;
        WindowFixture f(services);
        // What earlier tests left running, and what the window started for itself, is done.
        QThreadPool::globalInstance()->waitForDone();
        AppViewModel* viewModel = f.view->viewModel();
        f.view->setSelectedIDE(TargetIDE::codex);

        viewModel->switchAndRestart(TargetIDE::codex);
        QTRY_VERIFY(codex->calls().contains(QStringLiteral("quit")));
        // While the quit is held, the pool painting uses comes free (short work of the
        // window's own may still end on it) and a repaint completes.
        QTRY_COMPARE(QThreadPool::globalInstance()->activeThreadCount(), 0);
        f.view->repaint();
        QVERIFY(viewModel->isSwitching());
        codex->releaseQuit();
        QTRY_VERIFY_WITH_TIMEOUT(!viewModel->isSwitching(), 120000);
        QThreadPool::globalInstance()->setMaxThreadCount(QThread::idealThreadCount());
    }
};

QTEST_MAIN(TestApp)
#include "tst_app.moc"
