#include "app/SwitchJournal.h"
#include "profiles/AppPaths.h"
#include "profiles/ProfilesStore.h"
#include "profiles/ProxyURLFormatter.h"
#include "support/TestHome.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

// tavrin-cli run as a real process over a temporary home.

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

QString cli() {
    return qEnvironmentVariable("TAVRIN_CLI");
}

Run run(const QStringList& arguments, const QByteArray& input = {}) {
    QProcess process;
    process.start(cli(), arguments);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(30000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QJsonObject json(const Run& run) {
    return QJsonDocument::fromJson(run.out.toUtf8()).object();
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void usage_data();
    void usage();
    void switchThenStatusAndList();
    void envEvaluatedByRealShells_data();
    void envEvaluatedByRealShells();
    void completionScriptsParse_data();
    void completionScriptsParse();
    void twoSwitchesAtOnceBothEndCleanly();
    void windowStoreFollowsTheCommandLine();
    void interruptedSwitchIsReportedAndRecovered();

private:
    std::unique_ptr<TestHome> m_home;
};

void TestCli::init() {
    QVERIFY2(QFileInfo::exists(cli()), "TAVRIN_CLI must name the built tavrin-cli");
    m_home = std::make_unique<TestHome>();
}

void TestCli::cleanup() {
    m_home.reset();
}

void TestCli::usage_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("version") << QStringList{"--version"} << 0 << "tavrin-cli 1."
                             << "";
    QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: tavrin-cli"
                          << "";
    QTest::newRow("help for a command") << QStringList{"switch", "--help"} << 0 << "--no-restart"
                                        << "";
    QTest::newRow("nothing") << QStringList{} << 2 << ""
                             << "Usage: tavrin-cli";
    QTest::newRow("unknown command") << QStringList{"frobnicate"} << 2 << ""
                                     << "Unknown command";
    QTest::newRow("unknown option") << QStringList{"list", "--colour"} << 2 << ""
                                    << "Unknown option --colour";
    QTest::newRow("missing profile") << QStringList{"switch", "codex"} << 2 << ""
                                     << "tavrin-cli switch --help";
    QTest::newRow("unknown target") << QStringList{"switch", "vim", "x"} << 2 << ""
                                    << "use codex or claude";
    QTest::newRow("unknown profile lists the others")
        << QStringList{"switch", "codex", "nope"} << 1 << ""
        << "There is no profile 'nope'. Profiles for Codex: chatgpt (ChatGPT Account), velqor-1 "
           "(Velqor 1), velqor-2 (Velqor 2).";
    QTest::newRow("profile of the other assistant")
        << QStringList{"switch", "claude", "ChatGPT Account"} << 1 << ""
        << "ChatGPT Account cannot be used for Claude Code.";
    QTest::newRow("no key") << QStringList{"switch", "claude", "velqor-2", "--no-restart"} << 1
                            << ""
                            << "Velqor 2 has no API key. Add it in Profiles.";
    QTest::newRow("empty key is not saved") << QStringList{"key", "set", "velqor-1"} << 1 << ""
                                            << "No key was given";
    QTest::newRow("unknown shell") << QStringList{"env", "claude", "--shell", "csh"} << 2 << ""
                                   << "use sh, bash, zsh or fish";
}

void TestCli::usage() {
    QFETCH(QStringList, arguments);
    const Run result = run(arguments);
    QTEST(result.status, "status");
    QFETCH(QString, out);
    QFETCH(QString, err);
    QVERIFY2(result.out.contains(out), qPrintable(result.out));
    QVERIFY2(result.err.contains(err), qPrintable(result.err));
}

void TestCli::switchThenStatusAndList() {
    QCOMPARE(run({"key", "set", "Velqor 1"}, "sk-one\n").out,
             QStringLiteral("Key saved for Velqor 1.\n"));
    const Run switched = run({"switch", "claude", "velqor-1", "--no-restart"});
    QCOMPARE(switched.status, 0);
    QCOMPARE(switched.out, QStringLiteral("Claude Code API session opened for Velqor 1.\n"));
    QVERIFY2(switched.err.contains(QStringLiteral("Updated settings.json.")),
             qPrintable(switched.err));
    QVERIFY(m_home->read(QStringLiteral(".claude/settings.json")).contains("\"sk-one\""));

    const QJsonObject list = json(run({"list", "claude", "--json"}));
    QCOMPARE(list.keys(), QStringList{"claude"});
    for (const QJsonValue& entry : list.value(QStringLiteral("claude")).toArray())
        QCOMPARE(entry[QStringLiteral("active")].toBool(),
                 entry[QStringLiteral("id")].toString() == QLatin1String("velqor-1"));
    QCOMPARE(run({"list", "claude", "--ids"}).out,
             QStringLiteral("claude-code\nvelqor-1\nvelqor-2\n"));

    QJsonObject claude = json(run({"status", "--json"})).value(QStringLiteral("claude")).toObject();
    QCOMPARE(claude.value(QStringLiteral("active")).toString(), QStringLiteral("velqor-1"));
    QVERIFY(claude.value(QStringLiteral("matches")).toBool());
    // Something else changes the file: status says so.
    m_home->write(QStringLiteral(".claude/settings.json"), R"({"env": {}})");
    claude = json(run({"status", "--json"})).value(QStringLiteral("claude")).toObject();
    QVERIFY(!claude.value(QStringLiteral("matches")).toBool());
    QVERIFY(!claude.value(QStringLiteral("differences")).toArray().isEmpty());
    QVERIFY(!run({"status"}).out.contains(QStringLiteral("sk-one")));

    QCOMPARE(run({"key", "delete", "velqor-1"}).out, QStringLiteral("Key deleted for Velqor 1.\n"));
    QVERIFY(!m_home->read(QStringLiteral(".codex/tavrin/keys.json")).contains("sk-one"));
}

void TestCli::envEvaluatedByRealShells_data() {
    QTest::addColumn<QString>("shell");
    QTest::addColumn<QString>("script");
    QTest::newRow("bash")
        << "bash"
        << R"SH(eval "$("$CLI" env claude velqor-1 --shell bash)" && printf '%s|%s|%s' "$HTTPS_PROXY" "$ANTHROPIC_API_KEY" "${CLAUDE_CODE_SIMPLE}")SH";
    QTest::newRow("zsh")
        << "zsh"
        << R"SH(eval "$("$CLI" env claude velqor-1 --shell zsh)" && printf '%s|%s|%s' "$HTTPS_PROXY" "$ANTHROPIC_API_KEY" "${CLAUDE_CODE_SIMPLE}")SH";
    QTest::newRow("sh")
        << "sh"
        << R"SH(eval "$("$CLI" env claude velqor-1 --shell sh)" && printf '%s|%s|%s' "$HTTPS_PROXY" "$ANTHROPIC_API_KEY" "${CLAUDE_CODE_SIMPLE}")SH";
    QTest::newRow("fish")
        << "fish"
        << R"SH($CLI env claude velqor-1 --shell fish | source; printf '%s|%s|%s' "$HTTPS_PROXY" "$ANTHROPIC_API_KEY" "$CLAUDE_CODE_SIMPLE")SH";
}

void TestCli::envEvaluatedByRealShells() {
    QFETCH(QString, shell);
    QFETCH(QString, script);
    const QString program = QStandardPaths::findExecutable(shell);
    if (program.isEmpty())
        QSKIP("this shell is not installed");
    const QString key = QStringLiteral("k'e\"y $HOME `x` \\n ü;");
    const QString proxyTyped = QStringLiteral("gw.example:3128:dom\\us'r:p@ss w\"$rd");
    {
        ProfilesStore store;
        store.load();
        Profile profile = *store.profile(QStringLiteral("velqor-1"));
        profile.proxyURL = ProxyURLFormatter::normalized(proxyTyped);
        store.saveProfile(profile, key);
    }
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("CLI"), cli());
    process.setProcessEnvironment(environment);
    process.start(program, {QStringLiteral("-c"), script});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(process.readAllStandardError()), QString());
    QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()),
             *ProxyURLFormatter::normalized(proxyTyped) + QLatin1Char('|') + key +
                 QStringLiteral("|1"));
}

void TestCli::completionScriptsParse_data() {
    QTest::addColumn<QString>("shell");
    QTest::addColumn<QStringList>("check");
    QTest::newRow("bash") << "bash" << QStringList{"-n"};
    QTest::newRow("zsh") << "zsh" << QStringList{"-n"};
    QTest::newRow("fish") << "fish" << QStringList{"--no-execute"};
}

void TestCli::completionScriptsParse() {
    QFETCH(QString, shell);
    QFETCH(QStringList, check);
    const QString program = QStandardPaths::findExecutable(shell);
    if (program.isEmpty())
        QSKIP("this shell is not installed");
    const Run script = run({"completions", shell});
    QCOMPARE(script.status, 0);
    QProcess process;
    process.start(program, check);
    process.write(script.out.toUtf8());
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(process.readAllStandardError()), QString());
    QCOMPARE(process.exitCode(), 0);
}

void TestCli::twoSwitchesAtOnceBothEndCleanly() {
    run({"key", "set", "velqor-1"}, "one");
    run({"key", "set", "velqor-2"}, "two");
    for (int round = 0; round < 3; ++round) {
        QProcess first, second;
        first.start(cli(), {"switch", "claude", "velqor-1", "--no-restart"});
        second.start(cli(), {"switch", "claude", "velqor-2", "--no-restart"});
        QVERIFY(first.waitForFinished(30000) && second.waitForFinished(30000));
        QVERIFY2(first.exitCode() == 0, first.readAllStandardError().constData());
        QVERIFY2(second.exitCode() == 0, second.readAllStandardError().constData());
        // Whichever ran last, the file and the active profile agree.
        const QJsonObject claude =
            json(run({"status", "--json"})).value(QStringLiteral("claude")).toObject();
        QVERIFY(claude.value(QStringLiteral("matches")).toBool());
    }
}

void TestCli::windowStoreFollowsTheCommandLine() {
    run({"key", "set", "velqor-2"}, "two");
    ProfilesStore store;
    store.load();
    // A change made before the window has noticed the command line's still keeps it.
    QCOMPARE(run({"switch", "claude", "velqor-2", "--no-restart"}).status, 0);
    store.saveActiveProfileID(QStringLiteral("velqor-1"));
    QCOMPARE(store.activeClaudeProfileID(), QStringLiteral("velqor-2"));
    QCOMPARE(
        ProfilesDocument::decode(m_home->read(".codex/tavrin/profiles.json")).activeClaudeProfile,
        std::optional<QString>(QStringLiteral("velqor-2")));

    run({"key", "set", "velqor-1"}, "one");
    store.startWatchingFiles();
    QSignalSpy changed(&store, &ProfilesStore::documentChanged);
    QCOMPARE(run({"switch", "claude", "velqor-1", "--no-restart"}).status, 0);
    QTRY_COMPARE_WITH_TIMEOUT(store.activeClaudeProfileID(), QStringLiteral("velqor-1"), 5000);
    // A change the window then makes keeps what the command line wrote.
    store.saveActiveProfileID(QStringLiteral("velqor-2"));
    QCOMPARE(json(run({"status", "--json"}))
                 .value(QStringLiteral("claude"))
                 .toObject()
                 .value(QStringLiteral("active"))
                 .toString(),
             QStringLiteral("velqor-1"));
}

void TestCli::interruptedSwitchIsReportedAndRecovered() {
    // What a switch killed after rewriting config.toml leaves behind.
    m_home->write(QStringLiteral(".codex/config.toml"), "model = \"new\"\n");
    m_home->write(QStringLiteral(".codex/backups/config-old.toml"), "model = \"old\"\n");
    m_home->write(
        QStringLiteral(".codex/tavrin/switch-journal.json"),
        QJsonDocument(
            QJsonObject{
                {"target", "Codex"},
                {"profile", "velqor-1"},
                {"profile_name", "Velqor 1"},
                {"active_before", "chatgpt"},
                {"started", "2026-01-02T03:04:05"},
                {"changes",
                 QJsonArray{QJsonObject{{"path", m_home->file(".codex/config.toml")},
                                        {"existed", true},
                                        {"copy", m_home->file(".codex/backups/config-old.toml")}}}},
            })
            .toJson());
    QVERIFY(run({"list"}).err.contains(
        QStringLiteral("the last switch of Codex to Velqor 1 did not finish")));
    const Run asked = run({"recover"});
    QCOMPARE(asked.status, 1);
    QVERIFY2(asked.out.contains(QStringLiteral("config.toml: changed by the switch")),
             qPrintable(asked.out));
    QCOMPARE(m_home->read(QStringLiteral(".codex/config.toml")), QByteArray("model = \"new\"\n"));
    const Run restored = run({"recover", "--yes"});
    QCOMPARE(restored.status, 0);
    QCOMPARE(m_home->read(QStringLiteral(".codex/config.toml")), QByteArray("model = \"old\"\n"));
    QCOMPARE(run({"recover"}).out, QStringLiteral("No switch was interrupted.\n"));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
