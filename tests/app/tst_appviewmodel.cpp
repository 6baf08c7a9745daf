#include "app/AppViewModel.h"
#include "claude/ClaudeRestarter.h"
#include "codex/CodexRestarter.h"
#include "desktop/MacDesktop.h"
#include "profiles/ProfilesStore.h"
#include "support/TestHome.h"
#include "support/TestHttpServer.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(TargetIDE)

namespace {

// The flows are checked against the macOS desktop's tools on every platform.
AppServices macServices() {
    const auto desktop = std::make_shared<MacDesktop>();
    AppServices services;
    services.restarter = std::make_shared<CodexRestarter>(desktop);
    services.claudeRestarter = std::make_shared<ClaudeRestarter>(desktop);
    return services;
}

} // namespace

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

    void codexSwitchEndToEnd();
    void codexSwitchWithoutRestartLeavesCodexClosed();
    void codexFailures_data();
    void codexFailures();
    void loopKeepsTurningAndSecondPressIsIgnored();

    void claudeSwitch_data();
    void claudeSwitch();
    void claudeFailures_data();
    void claudeFailures();

    void policyVerdicts_data();
    void policyVerdicts();
    void failedRefreshKeepsTheLock();

private:
    // Runs one switch and waits for its end.
    void switchAndWait(AppViewModel& model, TargetIDE target);
    void makeChatDatabase(int openai, int other);

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<StandIns> m_tools;
    std::unique_ptr<ProfilesStore> m_store;
};

void TestAppViewModel::init() {
    m_home = std::make_unique<TestHome>();
    // `sleep` is stood in too, so that quitting Codex does not wait two seconds here.
    m_tools = std::make_unique<StandIns>(m_home->file(QStringLiteral("tools")),
                                         QStringList{"osascript", "open", "launchctl", "sleep"});
    m_tools->requireFirstOnPath();
    m_store = std::make_unique<ProfilesStore>();
}

void TestAppViewModel::cleanup() {
    m_store.reset();
    m_tools.reset();
    m_home.reset();
}

void TestAppViewModel::switchAndWait(AppViewModel& model, TargetIDE target) {
    QSignalSpy finished(&model, &AppViewModel::switchFinished);
    model.switchAndRestart(target);
    QVERIFY(model.isSwitching());
    QVERIFY(finished.wait(20000));
    QVERIFY(!model.isSwitching());
}

void TestAppViewModel::makeChatDatabase(int openai, int other) {
    QDir().mkpath(m_home->file(QStringLiteral(".codex")));
    QString sql = QStringLiteral("PRAGMA journal_mode=WAL; CREATE TABLE threads(id INTEGER PRIMARY "
                                 "KEY, model_provider TEXT);");
    for (int i = 0; i < openai; ++i)
        sql += QStringLiteral("INSERT INTO threads(model_provider) VALUES('openai');");
    for (int i = 0; i < other; ++i)
        sql += QStringLiteral("INSERT INTO threads(model_provider) VALUES('other');");
    QProcess sqlite;
    sqlite.start(QStringLiteral("sqlite3"),
                 {m_home->file(QStringLiteral(".codex/state_5.sqlite")), sql});
    QVERIFY(sqlite.waitForFinished());
    QCOMPARE(sqlite.exitCode(), 0);
}

void TestAppViewModel::logKeepsTheNewestFiftyLines() {
    AppViewModel model(m_store.get(), macServices());
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
        AppViewModel model(m_store.get(), macServices());
        m_home->write(QStringLiteral(".codex/tavrin/profiles.json"), "{ nope");
        model.load();
        QCOMPARE(model.logLines().size(), 1);
        QVERIFY(model.logLines().first().contains(QStringLiteral("not valid JSON")));
        QVERIFY(!model.selectedProfileID());
        QVERIFY(!model.isCheckingCloud());
    }
    QFile::remove(m_home->file(QStringLiteral(".codex/tavrin/profiles.json")));
    AppViewModel model(m_store.get(), macServices());
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

    AppViewModel model(m_store.get(), macServices());
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
    AppViewModel model(m_store.get(), macServices());
    model.setSelectedProfileID(QStringLiteral("chatgpt"));
    model.setSelectedClaudeProfileID(QStringLiteral("velqor-1"));
    QCOMPARE(model.actionTitle(TargetIDE::codex), QStringLiteral("Restart Codex"));
    QCOMPARE(model.actionTitle(TargetIDE::claude), QStringLiteral("Switch Profile"));
    model.setSelectedClaudeProfileID(QStringLiteral("claude-code"));
    QCOMPARE(model.actionTitle(TargetIDE::claude), QStringLiteral("Open Claude Code"));
    model.setSelectedProfileID(QStringLiteral("velqor-2"));
    QCOMPARE(model.actionTitle(TargetIDE::codex), QStringLiteral("Switch Profile"));
}

void TestAppViewModel::codexSwitchEndToEnd() {
    m_store->load();
    Profile velqor = *m_store->profile(QStringLiteral("velqor-1"));
    velqor.proxyURL = QStringLiteral("http://u:p@proxy:8080");
    m_store->saveProfile(velqor, QStringLiteral("sk-test"));
    m_home->write(QStringLiteral(".codex/config.toml"), "model = \"old\"\n\n[tools]\nx = 1\n");
    makeChatDatabase(3, 2);

    AppViewModel model(m_store.get(), macServices());
    model.setSelectedProfileID(QStringLiteral("velqor-1"));
    switchAndWait(model, TargetIDE::codex);

    QCOMPARE(model.logLines().last(),
             QStringLiteral("Codex switched to Velqor 1. Synced 3 chats."));
    QCOMPARE(m_store->activeProfileID(), QStringLiteral("velqor-1"));
    QCOMPARE(model.actionTitle(TargetIDE::codex), QStringLiteral("Restart Codex"));
    const QByteArray config = m_home->read(QStringLiteral(".codex/config.toml"));
    QVERIFY(config.contains("model_provider = \"velqor\""));
    QVERIFY(config.endsWith("[tools]\nx = 1\n"));
    const QJsonObject auth =
        QJsonDocument::fromJson(m_home->read(QStringLiteral(".codex/auth.json"))).object();
    QCOMPARE(auth.value(QStringLiteral("auth_mode")).toString(), QStringLiteral("apikey"));
    QCOMPARE(auth.value(QStringLiteral("OPENAI_API_KEY")).toString(), QStringLiteral("sk-test"));

    // Quit first, then the proxy environment, then the launch.
    const QStringList calls = m_tools->callLog();
    QCOMPARE(calls.first(), QStringLiteral("osascript -e quit app \"Codex\""));
    QCOMPARE(calls.at(1), QStringLiteral("sleep 2"));
    QCOMPARE(calls.filter(QStringLiteral("launchctl setenv")).size(), 6);
    QVERIFY(calls.contains(QStringLiteral("launchctl setenv HTTPS_PROXY http://u:p@proxy:8080")));
    QCOMPARE(calls.last(), QStringLiteral("open -a Codex"));
}

void TestAppViewModel::codexSwitchWithoutRestartLeavesCodexClosed() {
    m_store->load();
    Profile profile = Profile::chatGPTAccount();
    profile.restartCodex = false;
    m_store->saveProfile(profile);
    AppViewModel model(m_store.get(), macServices());
    switchAndWait(model, TargetIDE::codex);
    // No chat database: the switch goes on and reports no chats.
    QCOMPARE(model.logLines().last(),
             QStringLiteral("Codex switched to ChatGPT Account. Synced 0 chats."));
    QCOMPARE(m_tools->callCount(QStringLiteral("open")), 0);
    QCOMPARE(m_tools->callCount(QStringLiteral("launchctl")), 0);
    QCOMPARE(m_tools->callCount(QStringLiteral("osascript")), 1);
}

void TestAppViewModel::codexFailures_data() {
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("logged");
    QTest::addColumn<int>("opens");
    QTest::addColumn<bool>("configChanged");

    QTest::newRow("quit fails") << "quit"
                                << "Could not restart Codex: cannot wait" << 0 << false;
    QTest::newRow("config not utf-8") << "config"
                                      << "config.toml" << 1 << false;
    QTest::newRow("auth not json") << "auth"
                                   << "auth.json" << 1 << true;
    QTest::newRow("saving active fails") << "save"
                                         << "profiles.json" << 1 << true;
    QTest::newRow("reopen fails twice") << "open"
                                        << "Could not restart Codex: no such app" << 2 << true;
}

void TestAppViewModel::codexFailures() {
    QFETCH(QString, failure);
    QFETCH(QString, logged);
    m_store->load();
    const QByteArray config = failure == QLatin1String("config") ? QByteArray("model = \"\xff\"\n")
                                                                 : QByteArray("model = \"old\"\n");
    m_home->write(QStringLiteral(".codex/config.toml"), config);
    if (failure == QLatin1String("quit"))
        m_tools->setResult(QStringLiteral("sleep"), 1, "cannot wait\n");
    if (failure == QLatin1String("auth"))
        m_home->write(QStringLiteral(".codex/auth.json"), "{ broken");
    if (failure == QLatin1String("open"))
        m_tools->setResult(QStringLiteral("open"), 1, "no such app\n");

    AppViewModel model(m_store.get(), macServices());
    model.setSelectedProfileID(QStringLiteral("velqor-2"));
    if (failure == QLatin1String("save")) {
        // The profiles file can no longer be replaced.
        const QString path = m_home->file(QStringLiteral(".codex/tavrin/profiles.json"));
        QFile::remove(path);
        QDir().mkpath(path);
    }
    switchAndWait(model, TargetIDE::codex);

    QVERIFY2(model.logLines().last().contains(logged), qPrintable(model.logLines().last()));
    QVERIFY(!model.logLines().last().startsWith(QStringLiteral("Codex switched")));
    QTEST(m_tools->callCount(QStringLiteral("open")), "opens");
    QTEST(m_home->read(QStringLiteral(".codex/config.toml")) != config, "configChanged");
    if (failure != QLatin1String("open"))
        QCOMPARE(m_store->activeProfileID(), failure == QLatin1String("save")
                                                 ? QStringLiteral("velqor-2")
                                                 : QStringLiteral("chatgpt"));
    if (failure == QLatin1String("auth"))
        QCOMPARE(m_home->read(QStringLiteral(".codex/auth.json")), QByteArray("{ broken"));
}

void TestAppViewModel::loopKeepsTurningAndSecondPressIsIgnored() {
    // The real `sleep`: quitting Codex waits two seconds, and the window must not freeze.
    m_tools.reset();
    m_tools = std::make_unique<StandIns>(m_home->file(QStringLiteral("tools2")));
    m_store->load();
    AppViewModel model(m_store.get(), macServices());
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(50);
    QSignalSpy finished(&model, &AppViewModel::switchFinished);
    QSignalSpy switching(&model, &AppViewModel::isSwitchingChanged);
    model.switchAndRestart(TargetIDE::codex);
    QCOMPARE(model.actionTitle(TargetIDE::codex), QStringLiteral("Switching..."));
    QCOMPARE(model.actionTitle(TargetIDE::claude), QStringLiteral("Switching..."));
    model.switchAndRestart(TargetIDE::claude); // ignored while the first runs
    QVERIFY(finished.wait(20000));
    QVERIFY2(ticks >= 20, qPrintable(QString::number(ticks)));
    QCOMPARE(switching.count(), 2);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(m_tools->callCount(QStringLiteral("osascript")), 1);
    QVERIFY(!m_home->exists(QStringLiteral(".claude/settings.json")));
}

void TestAppViewModel::claudeSwitch_data() {
    QTest::addColumn<QString>("profile");
    QTest::addColumn<bool>("restart");
    QTest::addColumn<QString>("logged");
    QTest::addColumn<int>("osascriptCalls");
    QTest::newRow("api key session")
        << "velqor-1" << true << "Claude Code API session opened for Velqor 1." << 1;
    QTest::newRow("account session")
        << "claude-code" << true << "Claude Code account session opened for Claude Account." << 1;
    QTest::newRow("no restart") << "velqor-2" << false
                                << "Claude Code API session opened for Velqor 2." << 0;
}

void TestAppViewModel::claudeSwitch() {
    QFETCH(QString, profile);
    QFETCH(bool, restart);
    m_store->load();
    Profile p = *m_store->profile(profile);
    p.restartCodex = restart;
    m_store->saveProfile(p, QStringLiteral("  sk-claude \n"));
    AppViewModel model(m_store.get(), macServices());
    model.setSelectedClaudeProfileID(profile);
    switchAndWait(model, TargetIDE::claude);
    QTEST(model.logLines().last(), "logged");
    QTEST(m_tools->callCount(QStringLiteral("osascript")), "osascriptCalls");
    QCOMPARE(m_store->activeClaudeProfileID(), profile);
    QCOMPARE(model.actionTitle(TargetIDE::claude), QStringLiteral("Open Claude Code"));
    const QJsonObject env =
        QJsonDocument::fromJson(m_home->read(QStringLiteral(".claude/settings.json")))
            .object()
            .value(QStringLiteral("env"))
            .toObject();
    QCOMPARE(env.value(QStringLiteral("ANTHROPIC_API_KEY")).toString(),
             p.isVelqorAccount() ? QStringLiteral("sk-claude") : QString());
    QCOMPARE(m_tools->callCount(QStringLiteral("open")), 0);
}

void TestAppViewModel::claudeFailures_data() {
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("logged");
    QTest::addColumn<bool>("activeSaved");
    QTest::newRow("settings is an array") << "settings"
                                          << "Claude settings.json is not a JSON object." << false;
    QTest::newRow("launch environment fails") << "launchctl"
                                              << "Could not restart Claude Code: denied" << true;
    QTest::newRow("terminal fails silently") << "osascript"
                                             << "Could not restart Claude Code." << true;
}

void TestAppViewModel::claudeFailures() {
    QFETCH(QString, failure);
    m_store->load();
    if (failure == QLatin1String("settings"))
        m_home->write(QStringLiteral(".claude/settings.json"), "[1, 2]");
    if (failure == QLatin1String("launchctl"))
        m_tools->setResult(QStringLiteral("launchctl"), 1, " denied \n");
    if (failure == QLatin1String("osascript"))
        m_tools->setResult(QStringLiteral("osascript"), 1);
    AppViewModel model(m_store.get(), macServices());
    model.setSelectedClaudeProfileID(QStringLiteral("velqor-1"));
    switchAndWait(model, TargetIDE::claude);
    QFETCH(QString, logged);
    QVERIFY2(model.logLines().last().startsWith(logged), qPrintable(model.logLines().last()));
    QTEST(m_store->activeClaudeProfileID() == QLatin1String("velqor-1"), "activeSaved");
    if (failure == QLatin1String("settings"))
        QCOMPARE(m_home->read(QStringLiteral(".claude/settings.json")), QByteArray("[1, 2]"));
    if (failure == QLatin1String("launchctl"))
        QCOMPARE(m_tools->callCount(QStringLiteral("osascript")), 0);
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
    AppServices services = macServices();
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
        QCOMPARE(m_tools->callLog(), QStringList());
    }
}

void TestAppViewModel::failedRefreshKeepsTheLock() {
    TestHttpServer server;
    server.setResponse(TestHttpServer::Response::json(R"({"minimum_supported_version": "2"})"));
    CloudControlService::setInfoDictionaryOverride(
        QVariantMap{{QStringLiteral("CloudPolicyURL"), server.url().toString()},
                    {QStringLiteral("CFBundleShortVersionString"), QStringLiteral("1.0.0")}});
    m_store->load();
    AppViewModel model(m_store.get(), macServices());
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
