#include "app/AppViewModel.h"
#include "profiles/ProfilesStore.h"
#include "support/Checks.h"
#include "support/FakeRestarters.h"
#include "support/TestHome.h"
#include "support/TestHttpServer.h"

#include <QTimer>

class TestAppViewModel : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_home = std::make_unique<TestHome>();
        m_store = std::make_unique<ProfilesStore>();
    }

    void cleanup() {
        m_store.reset();
        m_home.reset();
    }

    void logKeepsTheNewestFiftyLines() {
        AppViewModel model(m_store.get());
        QSignalSpy changed(&model, &AppViewModel::logLinesChanged);
        for (int i = 1; i <= 61; ++i)
            model.appendLog(QString::number(i));
        QCOMPARE(model.logLines().size(), 50);
        QCOMPARE(model.logLines().first(), "12");
        QCOMPARE(model.logLines().last(), "61");
        QCOMPARE(changed.count(), 61);
        // Each line keeps the time it was added.
        QVERIFY(model.logTime(0).isValid() && model.logTime(49) >= model.logTime(0));
    }

    void loadCopiesActiveIdsOrLogsTheError() {
        {
            AppViewModel model(m_store.get());
            m_home->write(".codex/tavrin/profiles.json", "{ nope");
            QVERIFY(!model.load());
            QCOMPARE(model.logLines().size(), 1);
            QVERIFY(model.logLines().first().contains("not valid JSON"));
            QVERIFY(!model.selectedProfileID());
            QVERIFY(!model.isCheckingCloud());
        }
        QFile::remove(m_home->file(".codex/tavrin/profiles.json"));
        AppViewModel model(m_store.get());
        QSignalSpy refreshed(&model, &AppViewModel::cloudRefreshFinished);
        QVERIFY(model.load());
        QCOMPARE(model.selectedProfileID(), std::optional<QString>("chatgpt"));
        QCOMPARE(model.selectedClaudeProfileID(), std::optional<QString>("claude-code"));
        QCOMPARE(model.logLines(), QStringList{"Profiles loaded"});
        // Without a policy location a refresh ends on its own with the control off.
        model.refreshCloudControl();
        QVERIFY(refreshed.wait(5000));
        QCOMPARE(model.cloudStatus(), "Cloud control is off");
        QVERIFY(!model.requiresUpdate());
    }

    void selectionRules_data() {
        QTest::addColumn<QStringList>("setup"); // active Codex, Claude Code; picks; deleted
        QTest::addColumn<QString>("chosen");    // for Codex, Claude Code
        const auto row = [](const char* name, const char* setup, const char* chosen) {
            QTest::newRow(name) << QString(setup).split(' ') << QString(chosen);
        };
        // clang-format off
        row("active ids when nothing picked", "chatgpt claude-code - -", "chatgpt claude-code");
        row("active velqor for both", "velqor-2 velqor-1 - -", "velqor-2 velqor-1");
        row("picks win", "chatgpt claude-code velqor-2 velqor-1", "velqor-2 velqor-1");
        row("claude pick not offered to claude", "chatgpt velqor-1 - chatgpt", "chatgpt claude-code");
        row("codex pick not offered to codex", "chatgpt claude-code claude-code -", "chatgpt claude-code");
        row("unknown picks", "velqor-2 velqor-2 gone gone", "chatgpt claude-code");
        row("no account profiles left: first candidate", "velqor-2 velqor-2 gone gone chatgpt claude-code", "velqor-1 velqor-1");
        // clang-format on
    }

    void selectionRules() {
        QFETCH(QStringList, setup);
        m_store->load();
        m_store->saveActiveProfileID(setup[0]);
        m_store->saveActiveClaudeProfileID(setup[1]);
        for (const QString& id : setup.mid(4))
            m_store->deleteProfile(id);
        AppViewModel model(m_store.get());
        if (setup[2] != "-")
            model.setSelectedProfileID(setup[2]);
        if (setup[3] != "-")
            model.setSelectedClaudeProfileID(setup[3]);
        QStringList chosen;
        for (const TargetIDE target : TargetIDEs::allCases) {
            const auto p = model.selectedProfile(target);
            chosen << (p ? p->id : "-");
        }
        QTEST(chosen.join(' '), "chosen");
    }

    void switchRunsOnItsOwnThreadAndReportsBack() {
        m_store->load();
        auto codex = std::make_shared<FakeCodexRestarter>();
        codex->holdQuit = true;
        codex->failing = "open";
        AppServices services;
        services.codexRestarter = codex;
        services.claudeRestarter = std::make_shared<FakeClaudeRestarter>();
        AppViewModel model(m_store.get(), services);
        QSignalSpy finished(&model, &AppViewModel::switchFinished);
        model.switchAndRestart(TargetIDE::codex);
        QCOMPARE(model.actionTitle(TargetIDE::codex), "Switching...");
        QCOMPARE(model.actionTitle(TargetIDE::claude), "Switching...");
        model.switchAndRestart(TargetIDE::claude); // ignored while the first runs
        // The event loop delivers events while the quit still blocks the switch's thread.
        QTRY_VERIFY(codex->calls().contains("quit"));
        bool delivered = false;
        QTimer::singleShot(0, this, [&delivered] { delivered = true; });
        QTRY_VERIFY(delivered);
        QVERIFY(model.isSwitching());
        QCOMPARE(codex->calls(), QStringList({"ready", "quit"}));
        codex->releaseQuit();
        QVERIFY(finished.wait(120000)); // the syncs of a switch are slow on a busy disk
        QCOMPARE(finished.count(), 1);
        QVERIFY(!model.isSwitching());
        QVERIFY(!m_home->exists(".claude/settings.json"));
        // A failure comes back as a failure line, shown under its own target only.
        QVERIFY2(model.lastLine(TargetIDE::codex).startsWith("Could not restart Codex"),
                 qPrintable(model.lastLine(TargetIDE::codex)));
        QVERIFY(model.lastLineIsFailure());
        QVERIFY(model.lastLineIsFailure(TargetIDE::codex));
        model.switchAndRestart(TargetIDE::claude);
        QVERIFY(finished.wait(120000)); // the syncs of a switch are slow on a busy disk
        QVERIFY2(model.lastLine(TargetIDE::claude).startsWith("Claude Code "),
                 qPrintable(model.lastLine(TargetIDE::claude)));
        QVERIFY(model.lastLine(TargetIDE::codex).startsWith("Could not restart Codex"));
        QVERIFY(model.lastLineIsFailure(TargetIDE::codex));
        QVERIFY(!model.lastLineIsFailure(TargetIDE::claude));
    }

    void policyVerdicts_data() {
        QTest::addColumn<QByteArray>("policy");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("access");
        QTest::addColumn<bool>("locked"); // and a link to the update opens
        // clang-format off
        QTest::newRow("update required") << QByteArray("{\"latest_version\": \"9.1\", \"minimum_supported_version\": \" 9.0 \", \"update_url\": \"https://get.tavrin.test/x\"}")
                                         << "Update required" << "Update required" << true;
        QTest::newRow("update available") << QByteArray(R"({"latest_version": "1.0.1", "minimum_supported_version": "1.0"})") << "Update available"
                                          << "Update available" << false;
        QTest::newRow("current") << QByteArray(R"({"latest_version": "1.0.0", "announcement": "hi"})") << "Cloud policy loaded" << "Access active" << false;
        // clang-format on
    }

    void policyVerdicts() {
        QFETCH(QByteArray, policy);
        QFETCH(bool, locked);
        ServedPolicy served(policy);
        m_store->load();
        QList<QUrl> opened;
        AppServices services;
        services.openURL = [&](const QUrl& url) { opened << url; };
        AppViewModel model(m_store.get(), services);
        QSignalSpy refreshed(&model, &AppViewModel::cloudRefreshFinished);
        model.refreshCloudControl();
        QVERIFY(model.isCheckingCloud());
        QVERIFY(refreshed.wait(10000));
        QVERIFY(!model.isCheckingCloud());
        QVERIFY(model.cloudPolicyConfigured());
        QTEST(model.cloudStatus(), "status");
        QTEST(model.accessTitle(), "access");
        QCOMPARE(model.requiresUpdate(), locked);
        QCOMPARE(model.actionTitle(TargetIDE::codex) == "Locked", locked);
        model.openUpdateURL();
        QCOMPARE(!opened.isEmpty(), locked);
        if (!locked)
            return;
        model.switchAndRestart(TargetIDE::claude);
        QVERIFY(!model.isSwitching());
        QCOMPARE(model.logLines().last(), "Update required");
        // A failed refresh keeps the lock.
        served.server.setResponse(TestHttpServer::Response::text("down", 503));
        model.refreshCloudControl();
        QVERIFY(refreshed.wait(10000));
        QCOMPARE(model.cloudStatus(), "Cloud check failed: Cloud server returned HTTP 503.");
        QVERIFY(model.requiresUpdate());
        QCOMPARE(model.actionTitle(TargetIDE::claude), "Locked");
    }

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<ProfilesStore> m_store;
};

QTEST_GUILESS_MAIN(TestAppViewModel)
#include "tst_appviewmodel.moc"
