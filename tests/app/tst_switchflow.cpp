#include "app/SwitchFlow.h"
#include "app/SwitchJournal.h"
#include "app/SwitchLock.h"
#include "claude/ClaudeSettingsPatcher.h"
#include "codex/ConfigPatcher.h"
#include "profiles/AppPaths.h"
#include "profiles/ProfilesStore.h"
#include "support/ChatHome.h"
#include "support/Checks.h"
#include "support/FakeRestarters.h"
#include "support/FaultyServices.h"
#include "support/TestHome.h"

// The switch flows end to end on a temporary home with the real patchers, the real chat
// database tool and real files; only the assistants are stood in for. Failures are
// injected at each step, and what the files hold afterwards is checked: all old or all
// new, never mixed.

using namespace std::chrono_literals;

namespace {

const QByteArray oldConfig = "model = \"gpt-old\"\r\nmodel_provider = \"openai\"\r\n\r\n[tui]\r\n";
const QByteArray oldAuth = R"({"auth_mode": "chatgpt", "tokens": {"id_token": "t"}})";
const QByteArray oldSettings = R"({"env": {"KEEP": "1"}, "theme": "dark"})";
const QByteArray newAuth =
    R"({"auth_mode": "apikey", "OPENAI_API_KEY": "sk-1", "tokens": {"id_token": "t"}})";

// The whole outcome, or a part of it when the line starts with "*".
bool matches(const QString& outcome, const QString& line) {
    return line.startsWith('*') ? outcome.contains(line.mid(1)) : outcome == line;
}

struct Outcome {
    const char* name;
    TargetIDE target;
    QString profile;
    Fault fault;
    QString failing; // which restarter call fails (see FakeCodexRestarter); any: Claude's
    QString line;
    bool switched; // the target's files and its active profile
    QString chats;
    QStringList calls;           // of the target's restarter
    QByteArray credentials = {}; // Claude Code's login file; null: none
};

struct Refusal {
    const char* name;
    TargetIDE target;
    QString profile;
    QByteArray setup; // "<file>=<entry>": makeEntry puts the entry there; "proxy <url>", "ready"
    QString line;     // "*": a part of the message
};

struct Trust {
    const char* name;
    QString path; // of the journal's one change ("~/": the home); empty: as the switch wrote it
    bool existed = false;
    QString copy = {};
    QString chats = {}; // the chat move journal; "=": config.toml was put back by hand
};

} // namespace

class TestSwitchFlow : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_home = std::make_unique<TestHome>();
        m_store = std::make_unique<ProfilesStore>();
        m_store->load();
        m_store->saveProfile(*m_store->profile("velqor-1"), "sk-1");
        m_home->write(".codex/config.toml", oldConfig);
        m_home->write(".codex/auth.json", oldAuth);
        m_home->write(".claude/settings.json", oldSettings);
        // Two chats of the switched providers, each with its session file, and one of another.
        for (const char* id : {"a", "b"})
            m_home->write(QStringLiteral(".codex/sessions/2026/01/01/rollout-%1.jsonl").arg(id),
                          sessionMeta("openai") + sessionRest);
        sqlite(m_home->file(".codex/state_5.sqlite"),
               "CREATE TABLE threads(id TEXT PRIMARY KEY, rollout_path TEXT, model_provider TEXT);"
               "INSERT INTO threads VALUES('a', 'sessions/2026/01/01/rollout-a.jsonl', 'openai'),"
               "('b', 'sessions/2026/01/01/rollout-b.jsonl', 'openai'), ('c', '', 'other');");
        injected = Fault::none;
        m_codex = std::make_shared<FakeCodexRestarter>();
        m_claude = std::make_shared<FakeClaudeRestarter>();
    }

    void cleanup() {
        m_store.reset();
        m_home.reset();
    }

    // The restarter's calls name the profile the assistant is started with: after an undone
    // failure, the one that is active again. Sessions of Claude Code are opened for API-key
    // profiles here, with the key. The other assistant's files and restarter are untouched.
    void outcomes_data() {
        const QStringList quit{"ready", "quit"}, opened = quit + QStringList{"open velqor-1"},
                                                 reopened = quit + QStringList{"open chatgpt"};
        const QStringList restarted{"ready", "restart velqor-1 sk-1"}, none;
        const QStringList reopenedClaude{"ready", "restart claude-code -"};
        const QString moved = "velqor velqor other", kept = "openai openai other";
        const QString done = "Codex switched to Velqor 1. Synced 2 chats.";
        const QString again = " Opened Codex with ChatGPT Account.",
                      againClaude = " Opened Claude Code with Claude Account.";
        const QString restored =
            "Restored config.toml, auth.json and the chats from before the switch.";
        const QString account = "Claude Code switched to Claude Account.";
        const QString notLoggedIn = " Claude Code is not logged in: run `claude` and then /login.";
        const auto codex = TargetIDE::codex, claude = TargetIDE::claude;
        // clang-format off
        addRows<Outcome>({
            {"success", codex, "velqor-1", Fault::none, "", done, true, moved, opened},
            {"config patch fails", codex, "velqor-1", Fault::config, "", "config.toml could not be written." + again, false, kept, reopened},
            {"config written, then its patch fails, reopen fails too", codex, "velqor-1", Fault::configWritten, "open",
             "config.toml could not be written. Restored config.toml from before the switch. Could not restart Codex: no such app", false, kept, reopened},
            {"auth patch fails", codex, "velqor-1", Fault::auth, "", "auth.json could not be written. Restored config.toml from before the switch." + again, false, kept,
             reopened},
            {"chat move fails", codex, "velqor-1", Fault::chats, "", "Codex switched to Velqor 1. Chats not moved: Could not sync chats: database is locked.", true,
             kept, opened},
            {"store save fails", codex, "velqor-1", Fault::save, "", "*" + restored + again, false, kept, reopened},
            {"chats left half moved", codex, "velqor-1", Fault::chatsLeftMoved, "", "Could not put the chats back: disk full. " + restored + again, false, kept,
             reopened},
            {"a session file gone", codex, "velqor-1", Fault::fileGone, "", "Codex switched to Velqor 1. Synced 1 chats. 1 chat file could not be changed and was skipped.",
             true, moved, opened},
            {"reopen fails once", codex, "velqor-1", Fault::none, "open once", done, true, moved, opened + QStringList{"open velqor-1"}},
            {"reopen fails twice", codex, "velqor-1", Fault::none, "open", "Could not restart Codex: no such app. The switch to Velqor 1 itself is complete.", true,
             moved, opened + QStringList{"open velqor-1"}},
            {"quit fails", codex, "velqor-1", Fault::none, "quit", "Could not restart Codex: cannot quit", false, kept, quit},
            {"claude: api key session", claude, "velqor-1", Fault::none, "", "Claude Code API session opened for Velqor 1.", true, kept, restarted},
            {"claude: account without restart or login", claude, "claude-code", Fault::none, "", account + notLoggedIn, true, kept, none},
            {"claude: account logged in", claude, "claude-code", Fault::none, "", account, true, kept, none, R"({"claudeAiOauth": {"refreshToken": "r"}})"},
            {"claude: account logged out", claude, "claude-code", Fault::none, "", account + notLoggedIn, true, kept, none, "{}"},
            {"claude: patch fails", claude, "velqor-1", Fault::config, "", "settings.json could not be written." + againClaude, false, kept, reopenedClaude},
            {"claude: store save fails", claude, "velqor-1", Fault::save, "", "*Restored settings.json from before the switch." + againClaude, false, kept,
             reopenedClaude},
            {"claude: session fails", claude, "velqor-1", Fault::none, "restart", "Could not restart Claude Code: denied. The switch to Velqor 1 itself is complete.",
             true, kept, restarted},
        });
        // clang-format on
    }

    void outcomes() {
        QFETCH(Outcome, row);
        const bool codex = row.target == TargetIDE::codex;
        injected = row.fault;
        m_codex->failing = codex ? row.failing : QString();
        m_claude->failing = !codex && !row.failing.isEmpty();
        Profile p = *m_store->profile(row.profile);
        if (!codex) {
            p.restartCodex = p.isVelqorAccount();
            m_store->saveProfile(p);
        }
        if (!row.credentials.isNull())
            m_home->write(".claude/.credentials.json", row.credentials);
        QString outcome;
        const QString error = errorOf([&] { outcome = flow().apply(row.target, p); });
        QVERIFY2(matches(outcome + error, row.line), qPrintable(outcome + error));
        if (codex)
            QCOMPARE(error.isEmpty(), row.line.startsWith("Codex switched"));

        if (row.switched && codex) {
            QVERIFY(ConfigPatcher().differences(p, AppPaths::configURL()).isEmpty());
            QCOMPARE(QJsonDocument::fromJson(m_home->read(".codex/auth.json")),
                     QJsonDocument::fromJson(newAuth));
        } else {
            QCOMPARE(m_home->read(".codex/config.toml"), oldConfig);
            QCOMPARE(m_home->read(".codex/auth.json"), oldAuth);
        }
        const QByteArray settings = m_home->read(".claude/settings.json");
        if (!row.switched || codex)
            QCOMPARE(settings, oldSettings);
        else // patched, with the other settings kept
            QVERIFY(ClaudeSettingsPatcher().differences(p, m_store->apiKey(p.id)).isEmpty() &&
                    settings.contains("\"theme\": \"dark\""));
        if (row.fault != Fault::save)
            QCOMPARE(m_store->activeProfileID(row.target), row.switched ? row.profile
                                                           : codex      ? "chatgpt"
                                                                        : "claude-code");
        QCOMPARE(m_store->activeProfileID(codex ? TargetIDE::claude : TargetIDE::codex),
                 codex ? "claude-code" : "chatgpt");
        QCOMPARE(chatProviders(), row.chats);
        // The session files moved with their rows, or not at all.
        QCOMPARE(m_home->read(".codex/sessions/2026/01/01/rollout-a.jsonl"),
                 sessionMeta(row.chats.section(' ', 0, 0).toUtf8()) + sessionRest);
        QCOMPARE(m_codex->calls(), codex ? row.calls : QStringList());
        QCOMPARE(m_claude->calls(), codex ? QStringList() : row.calls);
        QVERIFY(!QFileInfo::exists(SwitchJournal::path()));
    }

    void refusedBeforeAnyChange_data() {
        const auto codex = TargetIDE::codex, claude = TargetIDE::claude;
        const QString noKey = "Velqor 2 has no API key. Add it in Profiles.";
        // clang-format off
        addRows<Refusal>({
            {"no key", codex, "velqor-2", "", noKey},
            {"blank key", claude, "velqor-2", ".codex/tavrin/keys.json={\"velqor-2\": \"  \\n\"}", noKey},
            {"auth.json broken", codex, "velqor-1", ".codex/auth.json={ broken", "*not valid JSON"},
            {"settings.json an array", claude, "velqor-1", ".claude/settings.json=[1]", "Claude settings.json is not a JSON object."},
            {"proxy without host", codex, "velqor-1", "proxy http://:8080", "The proxy of Velqor 1 cannot be used: it has no host."},
            {"socks proxy for claude", claude, "velqor-1", "proxy socks5://h:1080", "Claude Code cannot use a SOCKS5 proxy; use an HTTP proxy for this profile."},
            {"codex cannot start here", codex, "chatgpt", "ready", "Could not restart Codex: Codex is not installed"},
            {"config.toml a link loop", codex, "velqor-1", ".codex/config.toml=link:config.toml", "*config.toml is a symbolic link loop."},
            {"profiles.json a folder", claude, "velqor-1", ".codex/tavrin/profiles.json=folder", "*profiles.json is a folder, not a file."},
        });
        // clang-format on
    }

    void refusedBeforeAnyChange() {
        QFETCH(Refusal, row);
        Profile p = *m_store->profile(row.profile);
        const qsizetype equals = row.setup.indexOf('=');
        if (equals > 0) {
            const QString file = QString::fromUtf8(row.setup.left(equals));
            makeEntry(m_home->file(file), row.setup.mid(equals + 1));
            if (file.endsWith("profiles.json"))
                QVERIFY(!errorOf([&] { m_store->load(); }).isEmpty());
        }
        if (row.setup.startsWith("proxy ")) {
            p.proxyURL = QString::fromUtf8(row.setup.mid(6));
            m_store->saveProfile(p);
        }
        if (row.setup == "ready")
            m_codex->failing = "ready";
        const QByteArrayList before = state();
        const QString outcome = errorOf([&] { flow().apply(row.target, p); });
        QVERIFY2(matches(outcome, row.line), qPrintable(outcome));
        QCOMPARE(state(), before); // nothing that stood at a path was replaced either
        QCOMPARE(m_codex->calls().filter("quit") + m_claude->calls().filter("restart"), {});
        QVERIFY(!m_home->exists(".codex/backups"));
    }

    // An account profile while Codex holds no login tokens still switches, and says so.
    void accountWithoutLoginTokensSaysSo() {
        m_home->write(".codex/auth.json", R"({"auth_mode": "apikey", "OPENAI_API_KEY": "sk-x"})");
        QCOMPARE(flow().applyCodex(*m_store->profile("chatgpt")),
                 "Codex switched to ChatGPT Account. Synced 0 chats. Codex is not logged in: run "
                 "`codex login`.");
    }

    void interruptedSwitchIsFoundAndRestored_data() {
        QTest::addColumn<Fault>("crash");
        QTest::addColumn<QString>("described"); // how the chats are described
        QTest::addColumn<QString>("restored");
        const QString was = " from before the interrupted switch.";
        QTest::newRow("config.toml written")
            << Fault::crash << QString() << "Restored config.toml and the active profile" + was;
        QTest::newRow("chat move journaled, nothing moved yet")
            << Fault::crashAtChatJournal << "chats: as before the switch"
            << "Restored config.toml, auth.json and the active profile" + was;
        QTest::newRow("chats moved")
            << Fault::crashAfterChats
            << "chats: 2 of 2 moved to velqor, 2 of 2 session files rewritten"
            << "Restored config.toml, auth.json, the chats and the active profile" + was;
    }

    void interruptedSwitchIsFoundAndRestored() {
        QFETCH(Fault, crash);
        injected = crash;
        const Profile profile = *m_store->profile("velqor-1");
        const QByteArrayList before = state();
        QVERIFY_THROWS_EXCEPTION(int, flow().applyCodex(profile));
        const std::optional<SwitchJournal::State> journal = SwitchJournal::interrupted();
        QCOMPARE(journal ? journal->profileID : QString(), "velqor-1");
        ChatSyncService chats;
        // While a switch of another program holds the lock, its journal is no interrupted
        // one, and it cannot be restored meanwhile. The lock is the kernel's: the lock file
        // left behind holds nothing, and a holder that is killed lets go.
        QProcess holder;
        holder.start("perl", {"-e",
                              "use Fcntl ':flock'; open(F, '>>', $ARGV[0]) or die; "
                              "flock(F, LOCK_EX) or die; $| = 1; print \"locked\\n\"; sleep 60",
                              SwitchLock::path()});
        QVERIFY(holder.waitForReadyRead(10000));
        QVERIFY(!SwitchJournal::interrupted());
        QVERIFY(SwitchJournal::interrupted(true));
        QCOMPARE(errorOf([&] { SwitchJournal::restore(*journal, chats, *m_store, 0ms); }),
                 "Another switch is running. Try again when it has finished.");
        holder.kill();
        QVERIFY(holder.waitForFinished());
        const QString text = SwitchJournal::describe(*journal, chats);
        QVERIFY2(text.contains("config.toml: changed by the switch"), qPrintable(text));
        QFETCH(QString, described);
        QVERIFY2(text.endsWith(described), qPrintable(text));

        // Until it is looked at, no other switch starts.
        injected = Fault::none;
        QVERIFY(errorOf([&] { flow().applyClaude(profile); }).contains("did not finish"));

        // A restore reads the journal again under the lock: one that changed since it was
        // shown (another switch was interrupted meanwhile) is not restored blindly.
        const QByteArray record = m_home->read(".codex/tavrin/switch-journal.json");
        m_home->write(".codex/tavrin/switch-journal.json",
                      QByteArray(record).replace("Velqor", "V"));
        QCOMPARE(SwitchJournal::restore(*journal, chats, *m_store),
                 "The record of the interrupted switch changed meanwhile; nothing was restored. "
                 "Look at it again.");
        m_home->write(".codex/tavrin/switch-journal.json", record);
        m_store->saveActiveProfileID("velqor-1"); // as if the switch had come that far
        QTEST(SwitchJournal::restore(*journal, chats, *m_store).section(" What", 0, 0), "restored");
        QCOMPARE(state(), before);
        QVERIFY(!SwitchJournal::interrupted());
        // What the file held before the restore is kept, not lost.
        QCOMPARE(m_home->entries(".codex/backups").filter("config.toml.before-restore-").size(), 1);
    }

    // A journal is trusted only with the files a switch writes and the copies it makes;
    // anything else is named and left alone.
    void journalIsTrustedOnlyWithASwitchsFiles_data() {
        const QString oldCopy = "~/.codex/backups/config-old.toml";
        addRows<Trust>({
            {"a file elsewhere, to delete", "~/elsewhere"},
            {"a file elsewhere, to replace", "~/elsewhere", true, oldCopy},
            {"out of ~/.codex with ..", "~/.codex/../elsewhere", true, oldCopy},
            {"a copy from elsewhere", "~/.codex/config.toml", true, "~/elsewhere"},
            {"a copy linking out", "~/.codex/config.toml", true, "~/.codex/backups/link"},
            {"a chat move journal elsewhere", "", false, "", "~/elsewhere"},
            {"already as before", "", false, "", "="},
        });
    }

    void journalIsTrustedOnlyWithASwitchsFiles() {
        QFETCH(Trust, row);
        const auto inHome = [this](QString text) { return text.replace("~", m_home->path()); };
        writeInterruptedCodexSwitch(*m_home);
        m_home->write("elsewhere", "mine");
        QVERIFY(QFile::link(m_home->file("elsewhere"), m_home->file(".codex/backups/link")));
        const QString record = ".codex/tavrin/switch-journal.json";
        QJsonObject journal = QJsonDocument::fromJson(m_home->read(record)).object();
        if (!row.path.isEmpty())
            journal["changes"] = QJsonArray{QJsonObject{
                {"path", inHome(row.path)}, {"existed", row.existed}, {"copy", inHome(row.copy)}}};
        if (row.chats == "=")
            m_home->write(".codex/config.toml", "model = \"old\"\n");
        else if (!row.chats.isEmpty())
            journal["chats"] = inHome(row.chats);
        m_home->write(record, QJsonDocument(journal).toJson());
        const SwitchJournal::State state = SwitchJournal::interrupted().value();
        ChatSyncService service;
        const QString described = SwitchJournal::describe(state, service);
        const QString restored = SwitchJournal::restore(state, service, *m_store);
        QCOMPARE(m_home->read("elsewhere"), "mine");
        QCOMPARE(m_home->read(".codex/config.toml"),
                 row.path.isEmpty() ? "model = \"old\"\n" : "model = \"new\"\n");
        if (row.chats == "=")
            QVERIFY2(described.endsWith("\nconfig.toml: as before the switch") &&
                         restored == "Nothing needed restoring.",
                     qPrintable(described + restored));
        else
            QVERIFY2(described.contains("\nignored: ") && restored.contains("Ignored "),
                     qPrintable(described + restored));
        QVERIFY(!SwitchJournal::interrupted());
    }

private:
    // What a switch may change: the chats' providers, a session file and the files it writes.
    QByteArrayList state() const {
        QByteArrayList all{chatProviders().toUtf8(),
                           m_home->read(".codex/sessions/2026/01/01/rollout-a.jsonl")};
        for (const char* file : {".codex/config.toml", ".codex/auth.json", ".claude/settings.json",
                                 ".codex/tavrin/profiles.json"})
            all << m_home->read(file);
        return all;
    }

    SwitchFlow flow() {
        SwitchServices services = faultyServices();
        services.codexRestarter = m_codex;
        services.claudeRestarter = m_claude;
        return SwitchFlow(*m_store, services);
    }

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<ProfilesStore> m_store;
    std::shared_ptr<FakeCodexRestarter> m_codex;
    std::shared_ptr<FakeClaudeRestarter> m_claude;
};

QTEST_GUILESS_MAIN(TestSwitchFlow)
#include "tst_switchflow.moc"
