#include "profiles/ProfilesStore.h"
#include "profiles/ProxyURLFormatter.h"
#include "support/Checks.h"
#include "support/TestHome.h"

#include <QStandardPaths>

// tavrin-cli run as a real process over a temporary home.

namespace {

QString cli() {
    return qEnvironmentVariable("TAVRIN_CLI");
}

struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run run(const QStringList& arguments, const QByteArray& input = {}) {
    const ProcessRun result = runProcess(cli(), arguments, input);
    return {result.status, QString::fromUtf8(result.out), QString::fromUtf8(result.err)};
}

QJsonObject claudeStatus() {
    return QJsonDocument::fromJson(run({"status", "--json"}).out.toUtf8())["claude"].toObject();
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void init() {
        QVERIFY2(QFileInfo::exists(cli()), "TAVRIN_CLI must name the built tavrin-cli");
        m_home = std::make_unique<TestHome>();
    }

    void cleanup() { m_home.reset(); }

    void usage_data() {
        QTest::addColumn<QString>("arguments"); // "_" stands for a space inside one
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said"); // on standard output when it succeeds, else on error
        const auto row = [](const char* arguments, int status, const char* said) {
            QTest::newRow(*arguments ? arguments : "nothing")
                << QString(arguments) << status << QString(said);
        };
        row("--version", 0, "tavrin-cli 1.");
        row("--help", 0, "Usage: tavrin-cli");
        row("switch --help", 0, "--no-restart");
        row("", 2, "Usage: tavrin-cli");
        row("frobnicate", 2, "Unknown command");
        row("list --colour", 2, "Unknown option --colour");
        row("switch codex", 2, "tavrin-cli switch --help");
        row("switch vim x", 2, "use codex or claude");
        row("switch codex nope", 1,
            "There is no profile 'nope'. Profiles for Codex: chatgpt (ChatGPT Account), velqor-1 "
            "(Velqor 1), velqor-2 (Velqor 2).");
        row("switch claude ChatGPT_Account", 1, "ChatGPT Account cannot be used for Claude Code.");
        row("switch claude velqor-2 --no-restart", 1,
            "Velqor 2 has no API key. Add it in Profiles.");
        row("key set velqor-1", 1, "No key was given");
        row("env claude --shell csh", 2, "use sh, bash, zsh or fish");
    }

    void usage() {
        QFETCH(QString, arguments);
        QFETCH(QString, said);
        QStringList words = arguments.split(' ', Qt::SkipEmptyParts);
        words.replaceInStrings("_", " ");
        const Run result = run(words);
        QTEST(result.status, "status");
        QVERIFY2((result.status == 0 ? result.out : result.err).contains(said),
                 qPrintable(result.out + result.err));
    }

    void switchThenStatusAndList() {
        QCOMPARE(run({"key", "set", "Velqor 1"}, "sk-one\n").out, "Key saved for Velqor 1.\n");
        const Run switched = run({"switch", "claude", "velqor-1", "--no-restart"});
        QCOMPARE(switched.status, 0);
        QCOMPARE(switched.out, "Claude Code API session opened for Velqor 1.\n");
        QVERIFY2(switched.err.contains("Updated settings.json."), qPrintable(switched.err));
        QVERIFY(m_home->read(".claude/settings.json").contains("\"sk-one\""));

        const QJsonObject list =
            QJsonDocument::fromJson(run({"list", "claude", "--json"}).out.toUtf8()).object();
        QCOMPARE(list.keys(), QStringList{"claude"});
        for (const QJsonValue& entry : list["claude"].toArray())
            QCOMPARE(entry["active"].toBool(), entry["id"].toString() == "velqor-1");
        QCOMPARE(run({"list", "claude", "--ids"}).out, "claude-code\nvelqor-1\nvelqor-2\n");

        QCOMPARE(claudeStatus()["active"].toString(), "velqor-1");
        QVERIFY(claudeStatus()["matches"].toBool());
        // Something else changes the file: status says so.
        m_home->write(".claude/settings.json", R"({"env": {}})");
        QVERIFY(!claudeStatus()["matches"].toBool());
        QVERIFY(!claudeStatus()["differences"].toArray().isEmpty());
        QVERIFY(!run({"status"}).out.contains("sk-one"));

        QCOMPARE(run({"key", "delete", "velqor-1"}).out, "Key deleted for Velqor 1.\n");
        QVERIFY(!m_home->read(".codex/tavrin/keys.json").contains("sk-one"));
    }

    // What `env` prints, evaluated by each real shell, gives back the values as typed.
    void envEvaluatedByRealShells_data() {
        QTest::addColumn<QString>("shell");
        for (const char* shell : {"bash", "zsh", "sh", "fish"})
            QTest::newRow(shell) << QString(shell);
    }

    void envEvaluatedByRealShells() {
        QFETCH(QString, shell);
        const QString program = QStandardPaths::findExecutable(shell);
        if (program.isEmpty())
            QSKIP("this shell is not installed");
        const QString key = "k'e\"y $HOME `x` \\n ü;";
        const QString proxyTyped = "gw.example:3128:dom\\us'r:p@ss w\"$rd";
        {
            ProfilesStore store;
            store.load();
            Profile profile = *store.profile("velqor-1");
            profile.proxyURL = ProxyURLFormatter::normalized(proxyTyped);
            store.saveProfile(profile, key);
        }
        const QString print =
            R"(printf '%s|%s|%s' "$HTTPS_PROXY" "$ANTHROPIC_API_KEY" "$CLAUDE_CODE_SIMPLE")";
        const QString script =
            shell == "fish"
                ? "$CLI env claude velqor-1 --shell fish | source; " + print
                : "eval \"$(\"$CLI\" env claude velqor-1 --shell " + shell + ")\" && " + print;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("CLI", cli());
        const ProcessRun result = runProcess(program, {"-c", script}, {}, environment);
        QCOMPARE(QString::fromUtf8(result.err), QString());
        QCOMPARE(QString::fromUtf8(result.out),
                 *ProxyURLFormatter::normalized(proxyTyped) + '|' + key + "|1");
    }

    void completionScriptsParse_data() {
        QTest::addColumn<QString>("shell");
        QTest::addColumn<QString>("check");
        QTest::newRow("bash") << QString("bash") << QString("-n");
        QTest::newRow("zsh") << QString("zsh") << QString("-n");
        QTest::newRow("fish") << QString("fish") << QString("--no-execute");
    }

    void completionScriptsParse() {
        QFETCH(QString, shell);
        QFETCH(QString, check);
        const QString program = QStandardPaths::findExecutable(shell);
        if (program.isEmpty())
            QSKIP("this shell is not installed");
        const Run script = run({"completions", shell});
        QCOMPARE(script.status, 0);
        const ProcessRun parsed = runProcess(program, {check}, script.out.toUtf8());
        QCOMPARE(QString::fromUtf8(parsed.err), QString());
        QCOMPARE(parsed.status, 0);
    }

    void twoSwitchesAtOnceBothEndCleanly() {
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
            QVERIFY(claudeStatus()["matches"].toBool());
        }
    }

    void windowStoreFollowsTheCommandLine() {
        run({"key", "set", "velqor-2"}, "two");
        ProfilesStore store;
        store.load();
        // A change made before the window has noticed the command line's still keeps it.
        QCOMPARE(run({"switch", "claude", "velqor-2", "--no-restart"}).status, 0);
        store.saveActiveProfileID("velqor-1");
        QCOMPARE(store.activeClaudeProfileID(), "velqor-2");
        QCOMPARE(claudeStatus()["active"].toString(), "velqor-2");
        // With the files watched, the window follows without a change of its own.
        run({"key", "set", "velqor-1"}, "one");
        store.startWatchingFiles();
        QCOMPARE(run({"switch", "claude", "velqor-1", "--no-restart"}).status, 0);
        QTRY_COMPARE_WITH_TIMEOUT(store.activeClaudeProfileID(), "velqor-1", 5000);
    }

    // An interrupted switch is noted by every command and restored by recover. Its journal
    // is trusted only with the files a switch writes and the copies it makes; anything else
    // is named and left alone, and one that cannot be read can be set aside.
    void interruptedSwitchIsRecovered_data() {
        QTest::addColumn<QString>("path"); // "~/" is the home; empty: as the switch wrote it
        QTest::addColumn<bool>("existed");
        QTest::addColumn<QString>("copy");
        QTest::addColumn<QString>("chats");
        QTest::newRow("as a switch writes it") << "" << false << ""
                                               << "";
        QTest::newRow("a file elsewhere, to delete") << "~/elsewhere" << false << ""
                                                     << "";
        QTest::newRow("a file elsewhere, to replace")
            << "~/elsewhere" << true << "~/.codex/backups/config-old.toml"
            << "";
        QTest::newRow("out of ~/.codex with ..")
            << "~/.codex/../elsewhere" << true << "~/.codex/backups/config-old.toml"
            << "";
        QTest::newRow("a copy from elsewhere") << "~/.codex/config.toml" << true << "~/elsewhere"
                                               << "";
        QTest::newRow("a copy linking out")
            << "~/.codex/config.toml" << true << "~/.codex/backups/link"
            << "";
        QTest::newRow("a chat move journal elsewhere") << "" << false << ""
                                                       << "~/elsewhere";
        QTest::newRow("not JSON") << "" << false << ""
                                  << "{";
        // "=": config.toml was put back by hand; recover says it wrote nothing.
        QTest::newRow("already as before") << "" << false << ""
                                           << "=";
    }

    void interruptedSwitchIsRecovered() {
        QFETCH(QString, path);
        QFETCH(bool, existed);
        QFETCH(QString, copy);
        QFETCH(QString, chats);
        const auto inHome = [this](QString text) { return text.replace("~", m_home->path()); };
        writeInterruptedCodexSwitch(*m_home);
        m_home->write("elsewhere", "mine");
        QVERIFY(QFile::link(m_home->file("elsewhere"), m_home->file(".codex/backups/link")));
        QJsonObject journal =
            QJsonDocument::fromJson(m_home->read(".codex/tavrin/switch-journal.json")).object();
        if (!path.isEmpty())
            journal["changes"] = QJsonArray{
                QJsonObject{{"path", inHome(path)}, {"existed", existed}, {"copy", inHome(copy)}}};
        if (chats == "=")
            m_home->write(".codex/config.toml", "model = \"old\"\n");
        else if (!chats.isEmpty())
            journal["chats"] = inHome(chats);
        m_home->write(".codex/tavrin/switch-journal.json",
                      chats == "{" ? "{" : QJsonDocument(journal).toJson());
        const bool readable = chats != "{";
        QVERIFY(run({"list"}).err.contains(readable ? "the last switch of Codex to Velqor 1 did "
                                                      "not finish"
                                                    : "cannot be read"));
        const Run asked = run({"recover"});
        QCOMPARE(asked.status, 1);

        const Run recovered = run({"recover", "--yes"});
        QCOMPARE(m_home->read("elsewhere"), "mine");
        // Only the trusted entry of the journal is followed.
        const bool trusted = path.isEmpty() && readable;
        QCOMPARE(m_home->read(".codex/config.toml"),
                 trusted ? "model = \"old\"\n" : "model = \"new\"\n");
        if (chats == "=")
            QCOMPARE(recovered.out.section('\n', -2), "Nothing needed restoring.\n");
        QCOMPARE(recovered.status, readable ? 0 : 1);
        if (!readable) {
            QVERIFY2(recovered.out.contains("recover --discard"), qPrintable(recovered.out));
            QVERIFY(run({"switch", "claude", "claude-code"}).err.contains("cannot be read"));
            QCOMPARE(run({"recover", "--discard"}).status, 0);
            QCOMPARE(m_home->entries(".codex/tavrin").filter("switch-journal-").size(), 1);
        } else if (trusted && (chats.isEmpty() || chats == "=")) {
            QVERIFY2(asked.out.contains(chats.isEmpty() ? "config.toml: changed by the switch"
                                                        : "config.toml: as before the switch"),
                     qPrintable(asked.out));
        } else {
            QVERIFY2(asked.out.contains("\nignored: ") && recovered.out.contains("Ignored "),
                     qPrintable(recovered.out));
        }
        QCOMPARE(run({"recover"}).out, "No switch was interrupted.\n");
    }

    // A restore never runs into a switch: it waits for the lock and reads the journal again.
    void recoverDuringSwitchesChangesNothing() {
        run({"key", "set", "velqor-1"}, "one");
        for (int round = 0; round < 10; ++round) {
            QProcess switching;
            switching.start(cli(), {"switch", "claude", round % 2 ? "claude-code" : "velqor-1",
                                    "--no-restart"});
            const Run recovered = run({"recover", "--yes"});
            QVERIFY(switching.waitForFinished(30000));
            QCOMPARE(switching.exitCode(), 0);
            QVERIFY2(!recovered.out.contains("Restored"), qPrintable(recovered.out));
            QVERIFY(claudeStatus()["matches"].toBool());
        }
        QVERIFY(!m_home->exists(".codex/tavrin/switch-journal.json"));
    }

private:
    std::unique_ptr<TestHome> m_home;
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
