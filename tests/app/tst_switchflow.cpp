#include "app/SwitchFlow.h"
#include "app/SwitchJournal.h"
#include "claude/ClaudeSettingsPatcher.h"
#include "codex/AuthPatcher.h"
#include "codex/ChatSyncService.h"
#include "codex/ConfigPatcher.h"
#include "profiles/AppPaths.h"
#include "profiles/ProfilesStore.h"
#include "support/FakeRestarters.h"
#include "support/TestHome.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QProcess>
#include <QTest>

// The switch flows end to end on a temporary home with the real patchers, the real chat
// database tool and real files; only the assistants are stood in for. Failures are
// injected at each step, and what the files hold afterwards is checked: all old or all
// new, never mixed.

namespace {

enum class Fault { none, config, auth, chats, save, crash };

Fault faultNamed(const QString& name) {
    static const QHash<QString, Fault> names{{"config", Fault::config},
                                             {"auth", Fault::auth},
                                             {"chats", Fault::chats},
                                             {"save", Fault::save},
                                             {"crash", Fault::crash}};
    return names.value(name, Fault::none);
}

// The profiles file can no longer be replaced: a folder stands where it was.
void breakProfilesFile() {
    QFile::remove(AppPaths::profilesURL());
    QDir().mkpath(AppPaths::profilesURL());
}

class FaultyConfigPatcher : public ConfigPatcher {
public:
    Fault* fault;
    explicit FaultyConfigPatcher(Fault* f) : fault(f) {}
    ConfigPatchResult apply(const Profile& p, const QString& url,
                            const ChangeRecorder& recorder) override {
        if (*fault == Fault::config)
            throw FileError(QStringLiteral("config.toml could not be written."));
        return ConfigPatcher::apply(p, url, recorder);
    }
};

class FaultyAuthPatcher : public AuthPatcher {
public:
    Fault* fault;
    explicit FaultyAuthPatcher(Fault* f) : fault(f) {}
    AuthPatchResult apply(const Profile& p, const std::optional<QString>& key,
                          const ChangeRecorder& recorder) override {
        if (*fault == Fault::auth)
            throw FileError(QStringLiteral("auth.json could not be written."));
        if (*fault == Fault::crash)
            throw 42; // like a kill: nothing after this point runs
        return AuthPatcher::apply(p, key, recorder);
    }
};

class FaultyChatSync : public ChatSyncService {
public:
    Fault* fault;
    explicit FaultyChatSync(Fault* f) : fault(f) {}
    ChatSyncResult syncChats(const Profile& p,
                             const std::function<void(const QString&)>& written) override {
        if (*fault == Fault::chats)
            throw ChatSyncError::sqliteFailed(QStringLiteral("database is locked"));
        ChatSyncResult result = ChatSyncService::syncChats(p, written);
        if (*fault == Fault::save)
            breakProfilesFile();
        return result;
    }
};

class FaultySettingsPatcher : public ClaudeSettingsPatcher {
public:
    Fault* fault;
    explicit FaultySettingsPatcher(Fault* f) : fault(f) {}
    ClaudeSettingsPatchResult apply(const Profile& p, const std::optional<QString>& key,
                                    const ChangeRecorder& recorder) override {
        if (*fault == Fault::config)
            throw FileError(QStringLiteral("settings.json could not be written."));
        ClaudeSettingsPatchResult result = ClaudeSettingsPatcher::apply(p, key, recorder);
        if (*fault == Fault::save)
            breakProfilesFile();
        return result;
    }
};

const QByteArray oldConfig = "model = \"gpt-old\"\r\nmodel_provider = \"openai\"\r\n\r\n[tui]\r\n";
const QByteArray oldAuth = R"({"auth_mode": "chatgpt", "tokens": {"id_token": "t"}})";
const QByteArray oldSettings = R"({"env": {"KEEP": "1"}, "theme": "dark"})";

QByteArray sessionFile(const QString& id, const QString& provider) {
    return QStringLiteral("{\"timestamp\":\"2026-01-01T00:00:00Z\",\"type\":\"session_meta\","
                          "\"payload\":{\"id\":\"%1\",\"model_provider\":\"%2\"}}\n"
                          "{\"type\":\"event\"}\n")
        .arg(id, provider)
        .toUtf8();
}

QString sqlite(const QString& database, const QString& sql) {
    QProcess process;
    process.start(QStringLiteral("sqlite3"), {database, sql});
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

} // namespace

class TestSwitchFlow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void codexOutcomes_data();
    void codexOutcomes();
    void claudeOutcomes_data();
    void claudeOutcomes();
    void refusedBeforeAnyChange_data();
    void refusedBeforeAnyChange();
    void interruptedSwitchIsFoundAndRestored();

private:
    SwitchFlow flow();
    QString chatProviders() const;

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<ProfilesStore> m_store;
    Fault m_fault = Fault::none;
    std::shared_ptr<FakeCodexRestarter> m_codex;
    std::shared_ptr<FakeClaudeRestarter> m_claude;
};

void TestSwitchFlow::init() {
    m_home = std::make_unique<TestHome>();
    m_store = std::make_unique<ProfilesStore>();
    m_store->load();
    m_store->saveProfile(*m_store->profile(QStringLiteral("velqor-1")), QStringLiteral("sk-1"));
    m_home->write(QStringLiteral(".codex/config.toml"), oldConfig);
    m_home->write(QStringLiteral(".codex/auth.json"), oldAuth);
    m_home->write(QStringLiteral(".claude/settings.json"), oldSettings);
    // Two chats of the switched providers, each with its session file, and one of another.
    for (const char* id : {"a", "b"})
        m_home->write(QStringLiteral(".codex/sessions/2026/01/01/rollout-%1.jsonl").arg(id),
                      sessionFile(QString::fromLatin1(id), QStringLiteral("openai")));
    sqlite(m_home->file(QStringLiteral(".codex/state_5.sqlite")),
           QStringLiteral("CREATE TABLE threads(id TEXT PRIMARY KEY, rollout_path TEXT, "
                          "model_provider TEXT); INSERT INTO threads VALUES"
                          "('a', 'sessions/2026/01/01/rollout-a.jsonl', 'openai'), "
                          "('b', 'sessions/2026/01/01/rollout-b.jsonl', 'openai'), "
                          "('c', '', 'other');"));
    m_fault = Fault::none;
    m_codex = std::make_shared<FakeCodexRestarter>();
    m_claude = std::make_shared<FakeClaudeRestarter>();
}

void TestSwitchFlow::cleanup() {
    m_store.reset();
    m_home.reset();
}

SwitchFlow TestSwitchFlow::flow() {
    SwitchServices services;
    services.configPatcher = std::make_shared<FaultyConfigPatcher>(&m_fault);
    services.authPatcher = std::make_shared<FaultyAuthPatcher>(&m_fault);
    services.chatSyncService = std::make_shared<FaultyChatSync>(&m_fault);
    services.claudeSettingsPatcher = std::make_shared<FaultySettingsPatcher>(&m_fault);
    services.codexRestarter = m_codex;
    services.claudeRestarter = m_claude;
    return SwitchFlow(*m_store, services);
}

QString TestSwitchFlow::chatProviders() const {
    return sqlite(m_home->file(QStringLiteral(".codex/state_5.sqlite")),
                  QStringLiteral("SELECT group_concat(model_provider, ',') FROM "
                                 "(SELECT model_provider FROM threads ORDER BY id);"));
}

void TestSwitchFlow::codexOutcomes_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("reopen");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("switched"); // config.toml, auth.json and the active profile
    QTest::addColumn<QString>("chats");
    QTest::addColumn<QStringList>("calls");

    const QStringList quitOpen{"ready", "quit", "open"};
    const QString moved = "velqor,velqor,other", kept = "openai,openai,other";
    QTest::newRow("success") << ""
                             << ""
                             << "Codex switched to Velqor 1. Synced 2 chats." << true << moved
                             << quitOpen;
    QTest::newRow("config patch fails")
        << "config"
        << ""
        << "config.toml could not be written." << false << kept << quitOpen;
    QTest::newRow("auth patch fails")
        << "auth"
        << ""
        << "auth.json could not be written. Restored config.toml from before the switch." << false
        << kept << quitOpen;
    QTest::newRow("chat move fails")
        << "chats"
        << ""
        << "Codex switched to Velqor 1. Chats not moved: Could not sync chats: database is locked."
        << true << kept << quitOpen;
    QTest::newRow("store save fails")
        << "save"
        << ""
        << "*Restored config.toml, auth.json and the chats from before the switch." << false << kept
        << quitOpen;
    QTest::newRow("reopen fails once") << ""
                                       << "open once"
                                       << "Codex switched to Velqor 1. Synced 2 chats." << true
                                       << moved << QStringList{"ready", "quit", "open", "open"};
    QTest::newRow("reopen fails twice")
        << ""
        << "open"
        << "Could not restart Codex: no such app. The switch to Velqor 1 itself is complete."
        << true << moved << QStringList{"ready", "quit", "open", "open"};
    QTest::newRow("quit fails") << ""
                                << "quit"
                                << "Could not restart Codex: cannot quit" << false << kept
                                << QStringList{"ready", "quit"};
}

void TestSwitchFlow::codexOutcomes() {
    QFETCH(QString, fault);
    QFETCH(QString, line);
    QFETCH(bool, switched);
    m_fault = faultNamed(fault);
    QFETCH(QString, reopen);
    m_codex->failing = reopen;
    const Profile profile = *m_store->profile(QStringLiteral("velqor-1"));

    QString outcome;
    try {
        outcome = flow().applyCodex(profile);
    } catch (const TavrinError& error) {
        outcome = QStringLiteral("!") + error.localizedDescription();
    }
    if (line.startsWith(QLatin1Char('*')))
        QVERIFY2(outcome.endsWith(line.mid(1)), qPrintable(outcome));
    else
        QCOMPARE(outcome.mid(outcome.startsWith(QLatin1Char('!')) ? 1 : 0), line);
    QCOMPARE(outcome.startsWith(QLatin1Char('!')),
             !line.startsWith(QStringLiteral("Codex switched")));

    const QByteArray config = m_home->read(QStringLiteral(".codex/config.toml"));
    const QJsonObject auth =
        QJsonDocument::fromJson(m_home->read(QStringLiteral(".codex/auth.json"))).object();
    if (switched) {
        QVERIFY(ConfigPatcher().differences(profile, AppPaths::configURL()).isEmpty());
        QCOMPARE(auth.value(QStringLiteral("auth_mode")).toString(), QStringLiteral("apikey"));
        QCOMPARE(auth.value(QStringLiteral("tokens")).toObject().value(QStringLiteral("id_token")),
                 QJsonValue(QStringLiteral("t")));
    } else {
        QCOMPARE(config, oldConfig);
        QCOMPARE(m_home->read(QStringLiteral(".codex/auth.json")), oldAuth);
    }
    if (m_fault != Fault::save)
        QCOMPARE(m_store->activeProfileID(),
                 switched ? QStringLiteral("velqor-1") : QStringLiteral("chatgpt"));
    QTEST(chatProviders(), "chats");
    // The session files moved with their rows, or not at all.
    QFETCH(QString, chats);
    QCOMPARE(m_home->read(QStringLiteral(".codex/sessions/2026/01/01/rollout-a.jsonl")),
             sessionFile(QStringLiteral("a"), chats.section(QLatin1Char(','), 0, 0)));
    QTEST(m_codex->calls(), "calls");
    QVERIFY(!QFileInfo::exists(SwitchJournal::path()));
}

void TestSwitchFlow::claudeOutcomes_data() {
    QTest::addColumn<QString>("profile");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("restartFails");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("switched");
    QTest::addColumn<QStringList>("calls");

    QTest::newRow("api key session")
        << "velqor-1"
        << "" << false << "Claude Code API session opened for Velqor 1." << true
        << QStringList{"ready", "restart sk-1"};
    QTest::newRow("account session without restart")
        << "claude-code"
        << "" << false << "Claude Code account session opened for Claude Account." << true
        << QStringList{};
    QTest::newRow("patch fails") << "velqor-1"
                                 << "config" << false << "settings.json could not be written."
                                 << false << QStringList{"ready"};
    QTest::newRow("store save fails")
        << "velqor-1"
        << "save" << false << "*Restored settings.json from before the switch." << false
        << QStringList{"ready"};
    QTest::newRow("session fails")
        << "velqor-1"
        << "" << true
        << "Could not restart Claude Code: denied. The switch to Velqor 1 itself is complete."
        << true << QStringList{"ready", "restart sk-1"};
}

void TestSwitchFlow::claudeOutcomes() {
    QFETCH(QString, profile);
    QFETCH(QString, fault);
    QFETCH(QString, line);
    QFETCH(bool, switched);
    QFETCH(bool, restartFails);
    m_fault = faultNamed(fault);
    m_claude->failing = restartFails;
    Profile p = *m_store->profile(profile);
    p.restartCodex = p.isVelqorAccount();
    m_store->saveProfile(p);

    QString outcome;
    try {
        outcome = flow().applyClaude(p);
    } catch (const TavrinError& error) {
        outcome = error.localizedDescription();
    }
    if (line.startsWith(QLatin1Char('*')))
        QVERIFY2(outcome.endsWith(line.mid(1)), qPrintable(outcome));
    else
        QCOMPARE(outcome, line);

    const QByteArray settings = m_home->read(QStringLiteral(".claude/settings.json"));
    if (switched) {
        QVERIFY(ClaudeSettingsPatcher().differences(p, m_store->apiKey(p.id)).isEmpty());
        QVERIFY(settings.contains("\"theme\": \"dark\""));
        QCOMPARE(m_store->activeClaudeProfileID(), profile);
    } else {
        QCOMPARE(settings, oldSettings);
        if (m_fault != Fault::save)
            QCOMPARE(m_store->activeClaudeProfileID(), QStringLiteral("claude-code"));
    }
    QTEST(m_claude->calls(), "calls");
    QVERIFY(!QFileInfo::exists(SwitchJournal::path()));
}

void TestSwitchFlow::refusedBeforeAnyChange_data() {
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("profile");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("line");

    const int codex = int(TargetIDE::codex), claude = int(TargetIDE::claude);
    QTest::newRow("no key") << codex << "velqor-2"
                            << ""
                            << "Velqor 2 has no API key. Add it in Profiles.";
    QTest::newRow("blank key") << claude << "velqor-2"
                               << "key"
                               << "Velqor 2 has no API key. Add it in Profiles.";
    QTest::newRow("auth.json broken") << codex << "velqor-1"
                                      << "auth"
                                      << "*not valid JSON";
    QTest::newRow("config.toml not text") << codex << "velqor-1"
                                          << "config"
                                          << "*UTF-8";
    QTest::newRow("settings.json an array") << claude << "velqor-1"
                                            << "settings"
                                            << "Claude settings.json is not a JSON object.";
    QTest::newRow("profiles unreadable") << codex << "velqor-1"
                                         << "profiles"
                                         << "*read-only";
    QTest::newRow("proxy without host") << codex << "velqor-1"
                                        << "proxy http://:8080"
                                        << "The proxy of Velqor 1 cannot be used: it has no host.";
    QTest::newRow("socks proxy for claude")
        << claude << "velqor-1"
        << "proxy socks5://h:1080"
        << "Claude Code cannot use a SOCKS5 proxy; use an HTTP proxy for this profile.";
    QTest::newRow("codex cannot start here") << codex << "chatgpt"
                                             << "ready"
                                             << "Could not restart Codex: Codex is not installed";
}

void TestSwitchFlow::refusedBeforeAnyChange() {
    QFETCH(int, target);
    QFETCH(QString, profile);
    QFETCH(QString, setup);
    Profile p = *m_store->profile(profile);
    if (setup == QLatin1String("key"))
        m_home->write(QStringLiteral(".codex/tavrin/keys.json"), R"({"velqor-2": "  \n"})");
    if (setup == QLatin1String("auth"))
        m_home->write(QStringLiteral(".codex/auth.json"), "{ broken");
    if (setup == QLatin1String("config"))
        m_home->write(QStringLiteral(".codex/config.toml"), "model = \"\xff\"\n");
    if (setup == QLatin1String("settings"))
        m_home->write(QStringLiteral(".claude/settings.json"), "[1]");
    if (setup.startsWith(QLatin1String("proxy "))) {
        p.proxyURL = setup.mid(6);
        m_store->saveProfile(p);
    }
    if (setup == QLatin1String("ready"))
        m_codex->failing = QStringLiteral("ready");
    if (setup == QLatin1String("profiles")) {
        m_home->write(QStringLiteral(".codex/tavrin/profiles.json"), "{ broken");
        QVERIFY_THROWS_EXCEPTION(JsonError, m_store->load());
    }
    QStringList before;
    for (const char* file : {".codex/config.toml", ".codex/auth.json", ".claude/settings.json",
                             ".codex/tavrin/profiles.json"})
        before << QString::fromLatin1(m_home->read(QString::fromLatin1(file)).toBase64());

    QString outcome;
    try {
        flow().apply(TargetIDE(target), p);
        QFAIL("the switch went ahead");
    } catch (const TavrinError& error) {
        outcome = error.localizedDescription();
    }
    QFETCH(QString, line);
    if (line.startsWith(QLatin1Char('*')))
        QVERIFY2(outcome.contains(line.mid(1)), qPrintable(outcome));
    else
        QCOMPARE(outcome, line);
    QStringList after;
    for (const char* file : {".codex/config.toml", ".codex/auth.json", ".claude/settings.json",
                             ".codex/tavrin/profiles.json"})
        after << QString::fromLatin1(m_home->read(QString::fromLatin1(file)).toBase64());
    QCOMPARE(after, before);
    QVERIFY(!m_codex->calls().contains(QStringLiteral("quit")));
    QVERIFY(m_claude->calls().filter(QStringLiteral("restart")).isEmpty());
    QCOMPARE(chatProviders(), QStringLiteral("openai,openai,other"));
    QVERIFY(!m_home->exists(QStringLiteral(".codex/backups")));
}

void TestSwitchFlow::interruptedSwitchIsFoundAndRestored() {
    m_fault = Fault::crash;
    const Profile profile = *m_store->profile(QStringLiteral("velqor-1"));
    try {
        flow().applyCodex(profile);
        QFAIL("the crash did not happen");
    } catch (int) {
    }
    {
        // While a switch holds the lock (another program's, say), its journal is no
        // interrupted one.
        QLockFile running(SwitchJournal::lockPath());
        QVERIFY(running.tryLock(0));
        QVERIFY(!SwitchJournal::interrupted());
    }
    const std::optional<SwitchJournal::State> state = SwitchJournal::interrupted();
    QVERIFY(state);
    QCOMPARE(state->profileID, QStringLiteral("velqor-1"));
    const QString text = SwitchJournal::describe(*state);
    QVERIFY2(text.contains(QStringLiteral("Velqor 1")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("config.toml: changed by the switch")), qPrintable(text));

    // Until it is looked at, no other switch starts.
    m_fault = Fault::none;
    try {
        flow().applyClaude(profile);
        QFAIL("a switch started over an interrupted one");
    } catch (const SwitchError& error) {
        QVERIFY(error.localizedDescription().contains(QStringLiteral("did not finish")));
    }

    ChatSyncService chats;
    const QString summary = SwitchJournal::restore(*state, chats, *m_store);
    QVERIFY2(summary.startsWith(QStringLiteral("Restored config.toml")), qPrintable(summary));
    QCOMPARE(m_home->read(QStringLiteral(".codex/config.toml")), oldConfig);
    QVERIFY(!SwitchJournal::interrupted());
    // What the file held before the restore is kept, not lost.
    QCOMPARE(m_home->entries(QStringLiteral(".codex/backups"))
                 .filter(QStringLiteral("config.toml.before-restore-"))
                 .size(),
             1);
}

QTEST_GUILESS_MAIN(TestSwitchFlow)
#include "tst_switchflow.moc"
