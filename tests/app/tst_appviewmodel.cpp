#include "app/AppViewModel.h"
#include "profiles/ProfilesStore.h"
#include "support/FakeRestarters.h"
#include "support/TestHome.h"
#include "support/TestHttpServer.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(TargetIDE)

class TestAppViewModel : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void logKeepsTheNewestFiftyLines();
    void loadCopiesActiveIdsOrLogsTheError();
    void selectionRules_data();
    void selectionRules();
    void actionTitles();

    void switchRunsOnItsOwnThreadAndReportsBack();

    void policyVerdicts_data();
    void policyVerdicts();
    void failedRefreshKeepsTheLock();

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<ProfilesStore> m_store;
};

void TestAppViewModel::init() {
    m_home = std::make_unique<TestHome>();
    m_store = std::make_unique<ProfilesStore>();
}

void TestAppViewModel::cleanup() {
    m_store.reset();
    m_home.reset();
}

void TestAppViewModel::logKeepsTheNewestFiftyLines() {
    AppViewModel model(m_store.get());
    QSignalSpy changed(&model, &AppViewModel::logLinesChanged);
    for (int i = 1; i <= 60; ++i)
        model.appendLog(QString::number(i));
    QCOMPARE(model.logLines().size(), 50);
    QCOMPARE(model.logLines().first(), QStringLiteral("11"));
    QCOMPARE(model.logLines().last(), QStringLiteral("60"));
    QCOMPARE(changed.count(), 60);
}

void TestAppViewModel::loadCopiesActiveIdsOrLogsTheError() {
    {
        AppViewModel model(m_store.get());
        m_home->write(QStringLiteral(".codex/tavrin/profiles.json"), "{ nope");
        model.load();
        QCOMPARE(model.logLines().size(), 1);
        QVERIFY(model.logLines().first().contains(QStringLiteral("not valid JSON")));
        QVERIFY(!model.selectedProfileID());
        QVERIFY(!model.isCheckingCloud());
    }
    QFile::remove(m_home->file(QStringLiteral(".codex/tavrin/profiles.json")));
    AppViewModel model(m_store.get());
    QSignalSpy refreshed(&model, &AppViewModel::cloudRefreshFinished);
    model.load();
    QCOMPARE(model.selectedProfileID(), std::optional<QString>(QStringLiteral("chatgpt")));
    QCOMPARE(model.selectedClaudeProfileID(),
             std::optional<QString>(QStringLiteral("claude-code")));
    QCOMPARE(model.logLines(), QStringList{QStringLiteral("Profiles loaded")});
    // One refresh is started and ends on its own; without a policy location it is off.
    QVERIFY(refreshed.wait(5000));
    QCOMPARE(model.cloudStatus(), QStringLiteral("Cloud control is off"));
    QVERIFY(!model.requiresUpdate());
}

void TestAppViewModel::selectionRules_data() {
    QTest::addColumn<QString>("activeCodex");
    QTest::addColumn<QString>("activeClaude");
    QTest::addColumn<QStringList>("deleted");
    QTest::addColumn<QString>("pickCodex");
    QTest::addColumn<QString>("pickClaude");
    QTest::addColumn<QString>("codex");
    QTest::addColumn<QString>("claude");
    QTest::addColumn<QString>("untargeted");

    const QString chatgpt = "chatgpt", claude = "claude-code", v1 = "velqor-1", v2 = "velqor-2";
    QTest::newRow("active ids when nothing picked") << chatgpt << claude << QStringList{} << ""
                                                    << "" << chatgpt << claude << chatgpt;
    QTest::newRow("active velqor for both") << v2 << v1 << QStringList{} << ""
                                            << "" << v2 << v1 << v2;
    QTest::newRow("picks win") << chatgpt << claude << QStringList{} << v2 << v1 << v2 << v1 << v2;
    QTest::newRow("claude pick not offered to claude")
        << chatgpt << v1 << QStringList{} << "" << chatgpt << chatgpt << claude << chatgpt;
    QTest::newRow("codex pick not offered to codex, untargeted keeps it")
        << chatgpt << claude << QStringList{} << claude << "" << chatgpt << claude << claude;
    QTest::newRow("unknown picks") << v2 << v2 << QStringList{} << "gone"
                                   << "gone" << chatgpt << claude << "-";
    QTest::newRow("no account profiles left: first candidate")
        << v2 << v2 << QStringList{chatgpt, claude} << "gone"
        << "gone" << v1 << v1 << "-";
}

void TestAppViewModel::selectionRules() {
    QFETCH(QString, activeCodex);
    QFETCH(QString, activeClaude);
    QFETCH(QStringList, deleted);
    QFETCH(QString, pickCodex);
    QFETCH(QString, pickClaude);
    m_store->load();
    m_store->saveActiveProfileID(activeCodex);
    m_store->saveActiveClaudeProfileID(activeClaude);
    for (const QString& id : deleted)
        m_store->deleteProfile(id);

    AppViewModel model(m_store.get());
    if (!pickCodex.isEmpty())
        model.setSelectedProfileID(pickCodex);
    if (!pickClaude.isEmpty())
        model.setSelectedClaudeProfileID(pickClaude);

    const auto idOf = [](const std::optional<Profile>& p) {
        return p ? p->id : QStringLiteral("-");
    };
    QTEST(idOf(model.selectedProfile(TargetIDE::codex)), "codex");
    QTEST(idOf(model.selectedProfile(TargetIDE::claude)), "claude");
    QTEST(idOf(model.selectedProfile()), "untargeted");
}

void TestAppViewModel::actionTitles() {
    m_store->load();
    AppViewModel model(m_store.get());
    model.setSelectedProfileID(QStringLiteral("chatgpt"));
    model.setSelectedClaudeProfileID(QStringLiteral("velqor-1"));
    QCOMPARE(model.actionTitle(TargetIDE::codex), QStringLiteral("Restart Codex"));
    QCOMPARE(model.actionTitle(TargetIDE::claude), QStringLiteral("Switch Profile"));
    model.setSelectedClaudeProfileID(QStringLiteral("claude-code"));
    QCOMPARE(model.actionTitle(TargetIDE::claude), QStringLiteral("Open Claude Code"));
    model.setSelectedProfileID(QStringLiteral("velqor-2"));
    QCOMPARE(model.actionTitle(TargetIDE::codex), QStringLiteral("Switch Profile"));
}

void TestAppViewModel::switchRunsOnItsOwnThreadAndReportsBack() {
    m_store->load();
    auto codex = std::make_shared<FakeCodexRestarter>();
    codex->quitMilliseconds = 1000;
    codex->failing = QStringLiteral("open");
    AppServices services;
    services.codexRestarter = codex;
    AppViewModel model(m_store.get(), services);
    // The event loop keeps turning while the quit blocks the switch's thread.
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(50);
    QSignalSpy finished(&model, &AppViewModel::switchFinished);
    model.switchAndRestart(TargetIDE::codex);
    QCOMPARE(model.actionTitle(TargetIDE::codex), QStringLiteral("Switching..."));
    QCOMPARE(model.actionTitle(TargetIDE::claude), QStringLiteral("Switching..."));
    model.switchAndRestart(TargetIDE::claude); // ignored while the first runs
    QVERIFY(finished.wait(20000));
    QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
    QCOMPARE(finished.count(), 1);
    QVERIFY(!model.isSwitching());
    QVERIFY(!m_home->exists(QStringLiteral(".claude/settings.json")));
    // A failure comes back as a failure line.
    QVERIFY2(model.logLines().last().startsWith(QStringLiteral("Could not restart Codex")),
             qPrintable(model.logLines().last()));
    QVERIFY(model.lastLineIsFailure());
}

void TestAppViewModel::policyVerdicts_data() {
    QTest::addColumn<QByteArray>("policy");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("access");
    QTest::addColumn<bool>("locked");
    QTest::addColumn<bool>("opensLink");
    QTest::newRow("update required")
        << QByteArray(
               R"({"latest_version": "9.1", "minimum_supported_version": " 9.0 ", "update_url": "https://get.tavrin.test/x"})")
        << "Update required"
        << "Update required" << true << true;
    QTest::newRow("update available")
        << QByteArray(R"({"latest_version": "1.0.1", "minimum_supported_version": "1.0"})")
        << "Update available"
        << "Update available" << false << false;
    QTest::newRow("current") << QByteArray(R"({"latest_version": "1.0.0", "announcement": "hi"})")
                             << "Cloud policy loaded"
                             << "Access active" << false << false;
}

void TestAppViewModel::policyVerdicts() {
    QFETCH(QByteArray, policy);
    QFETCH(bool, locked);
    TestHttpServer server;
    server.setResponse(TestHttpServer::Response::json(policy));
    CloudControlService::setInfoDictionaryOverride(QVariantMap{
        {QStringLiteral("CloudPolicyURL"), server.url(QStringLiteral("/policy.json")).toString()},
        {QStringLiteral("CFBundleShortVersionString"), QStringLiteral("1.0.0")}});
    m_store->load();
    QList<QUrl> opened;
    AppServices services;
    services.openURL = [&](const QUrl& url) { opened << url; };
    AppViewModel model(m_store.get(), services);
    QSignalSpy refreshed(&model, &AppViewModel::cloudRefreshFinished);
    model.refreshCloudControl();
    QVERIFY(model.isCheckingCloud());
    QVERIFY(refreshed.wait(10000));
    CloudControlService::setInfoDictionaryOverride(std::nullopt);
    QVERIFY(!model.isCheckingCloud());
    QVERIFY(model.cloudPolicyConfigured());
    QTEST(model.cloudStatus(), "status");
    QTEST(model.accessTitle(), "access");
    QCOMPARE(model.requiresUpdate(), locked);
    QCOMPARE(model.actionTitle(TargetIDE::codex) == QLatin1String("Locked"), locked);

    model.openUpdateURL();
    QTEST(!opened.isEmpty(), "opensLink");
    if (locked) {
        model.switchAndRestart(TargetIDE::claude);
        QVERIFY(!model.isSwitching());
        QCOMPARE(model.logLines().last(), QStringLiteral("Update required"));
    }
}

void TestAppViewModel::failedRefreshKeepsTheLock() {
    TestHttpServer server;
    server.setResponse(TestHttpServer::Response::json(R"({"minimum_supported_version": "2"})"));
    CloudControlService::setInfoDictionaryOverride(
        QVariantMap{{QStringLiteral("CloudPolicyURL"), server.url().toString()},
                    {QStringLiteral("CFBundleShortVersionString"), QStringLiteral("1.0.0")}});
    m_store->load();
    AppViewModel model(m_store.get());
    QSignalSpy refreshed(&model, &AppViewModel::cloudRefreshFinished);
    model.refreshCloudControl();
    QVERIFY(refreshed.wait(10000));
    QVERIFY(model.requiresUpdate());
    server.setResponse(TestHttpServer::Response::text("down", 503));
    model.refreshCloudControl();
    QVERIFY(refreshed.wait(10000));
    CloudControlService::setInfoDictionaryOverride(std::nullopt);
    QCOMPARE(model.cloudStatus(),
             QStringLiteral("Cloud check failed: Cloud server returned HTTP 503."));
    QVERIFY(model.requiresUpdate());
    QCOMPARE(model.actionTitle(TargetIDE::claude), QStringLiteral("Locked"));
}

QTEST_GUILESS_MAIN(TestAppViewModel)
#include "tst_appviewmodel.moc"
