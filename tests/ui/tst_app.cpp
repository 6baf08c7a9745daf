#include "app/AppViewModel.h"
#include "profiles/ProfilesStore.h"
#include "support/TestHome.h"
#include "ui/ContentView.h"
#include "ui/Controls.h"
#include "ui/SettingsView.h"
#include "ui/TavrinApp.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QProcess>
#include <QTest>

class TestApp : public QObject {
    Q_OBJECT
private slots:
    // The real application entry over a temporary home: pick a profile for Codex,
    // press the power button and see the files change and the result line.
    void switchesCodexEndToEnd() {
        TestHome home;
        StandIns tools(home.path() + "/tools");
        const QByteArray config =
            "model = \"gpt-4\"\nmodel_provider = \"openai\"\n\n[tui]\nx = 1\n";
        const QByteArray auth = "{\n    \"auth_mode\": \"chatgpt\"\n}\n";
        home.write(".codex/config.toml", config);
        home.write(".codex/auth.json", auth);

        TavrinApp app;
        QCOMPARE(QCoreApplication::organizationName(), QString("Tavrin"));
        QCOMPARE(QCoreApplication::applicationName(), QString("Tavrin"));
        app.show();
        QVERIFY(QTest::qWaitForWindowExposed(app.mainWindow()));
        ContentView* view = app.contentView();
        QCOMPARE(view->size(), QSize(320, 568));
        QVERIFY(home.exists(".codex/tavrin/profiles.json"));
        app.profilesStore()->saveProfile(*app.profilesStore()->profile("velqor-1"),
                                         QString("sk-e2e"));

        QTest::mouseClick(view->findChild<QWidget*>("segmentCodex"), Qt::LeftButton);
        QTest::mouseClick(view->findChild<QWidget*>("profileCard"), Qt::LeftButton);
        QAction* item = nullptr;
        for (QAction* a : view->profileMenu()->actions())
            if (a->text() == "Velqor 1")
                item = a;
        QVERIFY(item);
        item->trigger();
        view->profileMenu()->hide();

        auto* power = view->findChild<PowerButton*>("powerButton");
        QTest::mouseClick(power, Qt::LeftButton);
        QVERIFY(view->viewModel()->isSwitching());
        QCOMPARE(power->symbol(), QString("hourglass"));
        QTRY_VERIFY_WITH_TIMEOUT(!view->viewModel()->isSwitching(), 30000);

        auto* caption = view->findChild<ElidedLabel*>("lastLogCaption");
        QCOMPARE(caption->text(), QString("Codex switched to Velqor 1. Synced 0 chats."));
        QVERIFY(home.read(".codex/config.toml") != config);
        QVERIFY(home.read(".codex/config.toml").contains("velqor"));
        QVERIFY(home.read(".codex/auth.json") != auth);
        QCOMPARE(app.profilesStore()->activeProfileID(), QString("velqor-1"));
        QCOMPARE(view->findChild<FilledButton*>("actionButton")->text(), QString("Restart Codex"));
        // Codex was quit first and opened again at the end.
        const QStringList calls = tools.callLog();
        QVERIFY2(!calls.isEmpty() && calls.first().startsWith("osascript"),
                 qPrintable(calls.join('\n')));
        QVERIFY2(calls.last().startsWith("open -a Codex"), qPrintable(calls.join('\n')));
    }

    void settingsCommandOpensSettings() {
        TestHome home;
        TavrinApp app;
        app.show();
        QAction* settings = app.settingsAction();
        QCOMPARE(settings->menuRole(), QAction::PreferencesRole);
        QVERIFY(!settings->shortcut().isEmpty());
        QVERIFY(app.mainWindow()->findChild<QMenu*>("appMenu")->actions().contains(settings));
        settings->trigger();
        SettingsView* view = app.settingsView();
        QVERIFY(QTest::qWaitForWindowExposed(view));
        QCOMPARE(view->size(), QSize(780, 460));
        QCOMPARE(view->selectedProfileID(), std::optional<QString>("chatgpt"));
        // Both windows share the one store.
        QCOMPARE(view->findChild<QWidget*>("settingsProfileList") != nullptr, true);
        app.profilesStore()->saveProfile(Profile::velqorAccount(5));
        QVERIFY(app.contentView()->viewModel()->availableProfiles(TargetIDE::codex).size() == 4);
    }

    void refusesToStartWithoutDisplay() {
        const QString binary = qEnvironmentVariable("TAVRIN_APP");
        if (binary.isEmpty())
            QSKIP("TAVRIN_APP is not set (run through ctest)");
        TestHome home;
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        env.insert("HOME", home.path());
        process.setProcessEnvironment(env);
        process.start(binary, {});
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 1);
        QCOMPARE(
            process.readAllStandardError(),
            QByteArray(
                "Tavrin needs a graphical display, but none was found (DISPLAY is not set).\n"));
        QVERIFY(!home.exists(".codex"));
    }
};

QTEST_MAIN(TestApp)
#include "tst_app.moc"
