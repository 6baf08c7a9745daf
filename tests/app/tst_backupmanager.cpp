#include "app/BackupManager.h"
#include "app/KeyDeletion.h"
#include "app/SwitchFlow.h"
#include "app/SwitchJournal.h"
#include "backups/BackupIndex.h"
#include "backups/BackupPreview.h"
#include "profiles/AppPaths.h"
#include "profiles/ProfilesStore.h"
#include "support/ChatHome.h"
#include "support/Checks.h"
#include "support/FakeRestarters.h"
#include "support/TestHome.h"

// Restoring, pruning and key deletion on a temporary home with real files: what every
// file holds afterwards, byte for byte, also when a step fails halfway.

namespace {

const QByteArray sqliteHeader("SQLite format 3\0", 16);

struct Restore {
    const char* name;
    QMap<QString, QByteArray> files; // below the home, before the restore
    QString copy;                    // the copy restored
    QMap<QString, QByteArray> after; // the files that differ afterwards; null: absent
    QString line;                    // the outcome starts so
    unsigned long limit = 0;         // a file size limit while it runs
    QString codex = {};              // how the Codex stand-in answers
    QStringList calls = {"quit"};
};

struct KeyCase {
    const char* name;
    TargetIDE target;
    bool active;
    QString staying;
};

const QString configCopy = ".codex/backups/config-2026-01-01-00-00-00.toml";
const QString databaseCopy = ".codex/backups/state_5-2026-01-01-00-00-00.sqlite";

} // namespace

class TestBackupManager : public QObject {
    Q_OBJECT

private slots:
    void restore_data() {
        const QByteArray big(300000, 'x');
        const QByteArray main = sqliteHeader + "main";
        const QString config = ".codex/config.toml", database = ".codex/state_5.sqlite";
        const QString kept = " What it held until now is kept as ";
        // clang-format off
        addRows<Restore>({
            {"config", {{config, "model = \"new\"\n"}, {configCopy, "model = \"old\"\n"}}, configCopy, {{config, "model = \"old\"\n"}},
             "Restored config.toml from its copy of 2026-01-01 00:00:00." + kept + "~/.codex/backups/config.toml.before-restore-"},
            {"claude settings, nothing quit", {{".claude/settings.json", "{}"}, {".claude/settings.json.backup-before-profile-switch", "{\"a\":1}"}},
             ".claude/settings.json.backup-before-profile-switch", {{".claude/settings.json", "{\"a\":1}"}}, "Restored settings.json from its copy of ", 0, {}, {}},
            {"auth that is not there now", {{".codex/backups/auth-2026-01-01-00-00-00.json", "{}"}}, ".codex/backups/auth-2026-01-01-00-00-00.json",
             {{".codex/auth.json", "{}"}}, "Restored auth.json from its copy of 2026-01-01 00:00:00. It did not exist until now."},
            {"database with its log",
             {{database, sqliteHeader + "now"}, {database + "-wal", "wal now"}, {database + "-shm", "shm"}, {databaseCopy, main},
              {".codex/backups/state_5-2026-01-01-00-00-00-wal.sqlite", "wal then"}},
             databaseCopy, {{database, main}, {database + "-wal", "wal then"}, {database + "-shm", QByteArray()}},
             "Restored the chat database from its copy of 2026-01-01 00:00:00 (with its -wal file)." + kept},
            {"database, disk full halfway", {{database, sqliteHeader + "now"}, {database + "-wal", big}, {databaseCopy, main}}, databaseCopy, {},
             "Not enough disk space to write ~/.codex/backups/state_5.sqlite-wal.before-restore-", 100000},
            {"text, disk full", {{config, "a"}, {configCopy, big}}, configCopy, {}, "Not enough disk space to write ~/.codex/config.toml.", 100000},
            {"Codex cannot be quit", {{config, "a"}, {configCopy, "b"}}, configCopy, {}, "Could not restart Codex: cannot quit", 0, "quit"},
            {"a chat move record", {{".codex/backups/chats-2026-01-01-00-00-00.json", "{}"}}, ".codex/backups/chats-2026-01-01-00-00-00.json", {},
             "A chat move record is not a file to put back", 0, {}, {}},
        });
        // clang-format on
    }

    // Each kind is put back; whatever fails, nothing the user had is lost: every file is
    // as it was or kept as a "before-restore" copy, the copy itself stays, no journal is
    // left behind.
    void restore() {
        QFETCH(Restore, row);
        TestHome home;
        for (auto it = row.files.cbegin(); it != row.files.cend(); ++it)
            home.write(it.key(), it.value());
        ProfilesStore store;
        store.load();
        auto codex = std::make_shared<FakeCodexRestarter>();
        codex->failing = row.codex;
        SwitchServices services;
        services.codexRestarter = codex;
        BackupManager backups(store, services);
        const BackupEntry entry = backups.find(row.copy);
        const unsigned long before = row.limit ? limitFileSize(row.limit) : 0;
        QString outcome;
        const QString error = errorOf([&] { outcome = backups.restore(entry); });
        if (row.limit)
            limitFileSize(before);
        QVERIFY2((outcome + error).startsWith(row.line), qPrintable(outcome + error));
        QCOMPARE(codex->calls(), row.calls);
        QVERIFY(!QFile::exists(SwitchJournal::path()));
        for (const QString& file : row.files.keys() + row.after.keys()) {
            const QByteArray before = row.files.value(file),
                             expected = row.after.value(file, before);
            QCOMPARE(home.exists(file), !expected.isNull());
            QCOMPARE(home.read(file), expected);
            if (row.after.contains(file) && row.files.contains(file)) {
                // What it held is kept beside the copies.
                const QString folder = file.section('/', 0, 0) + "/backups";
                const QStringList kept =
                    home.entries(folder).filter(QFileInfo(file).fileName() + ".before-restore-");
                QCOMPARE(kept.size(), 1);
                QCOMPARE(home.read(folder + '/' + kept.first()), before);
            }
        }
    }

    // A copy an unfinished switch needs is never pruned or deleted; a journal that cannot
    // be read stops pruning; after a switch its copies are indexed and old ones pruned by
    // the saved policy.
    void pruning() {
        TestHome home;
        for (int day = 1; day <= 4; ++day)
            home.write(QString(".codex/backups/config-2026-01-0%1-00-00-00.toml").arg(day), "c");
        const QString oldest = home.file(".codex/backups/config-2026-01-01-00-00-00.toml");
        const QJsonObject change{
            {"path", AppPaths::configURL()}, {"existed", true}, {"copy", oldest}};
        home.write(".codex/tavrin/switch-journal.json",
                   QJsonDocument(QJsonObject{{"target", "Codex"},
                                             {"profile_name", "Velqor 1"},
                                             {"changes", QJsonArray{change}}})
                       .toJson());
        ProfilesStore store;
        store.load();
        BackupManager backups(store);
        QCOMPARE(backups.prune({1, 0}, true), QString("Would remove 2 old backups, 2 bytes."));
        QCOMPARE(backups.prune({1, 0}), QString("Removed 2 old backups, 2 bytes."));
        QCOMPARE(home.entries(".codex/backups"), QStringList({"config-2026-01-01-00-00-00.toml",
                                                              "config-2026-01-04-00-00-00.toml"}));
        const BackupEntry needed = backups.find(oldest);
        QVERIFY(errorOf([&] { backups.remove(needed); }).startsWith("The unfinished switch still"));
        QVERIFY(errorOf([&] {
                    backups.restore(needed);
                }).startsWith("The last switch of Codex to Velqor 1 did not finish."));

        home.write(".codex/tavrin/switch-journal.json", "{broken");
        QVERIFY(errorOf([&] { backups.prune({1, 0}); }).contains("cannot be read"));
        QCOMPARE(home.entries(".codex/backups").size(), 2);
    }

    // However many switches run, the folder keeps to the policy, and the line says so.
    void switchesKeepToThePolicy() {
        TestHome home;
        home.write(".claude/settings.json", "{}");
        RetentionPolicy{2, 0}.save();
        ProfilesStore store;
        store.load();
        store.saveAPIKey("sk-1", "velqor-1");
        SwitchServices services;
        services.claudeRestarter = std::make_shared<FakeClaudeRestarter>();
        SwitchFlow flow(store, services);
        QStringList lines;
        for (const char* id : {"velqor-1", "claude-code", "velqor-1", "claude-code"})
            lines << flow.applyClaude(*store.profile(id));
        QCOMPARE(home.entries(".claude/backups").size(), 2);
        QVERIFY2(lines.last().contains(" Removed 1 old backup, 292 bytes. "),
                 qPrintable(lines.last()));
        // The index says between which profiles each copy was taken.
        const QList<BackupEntry> copies = BackupManager(store).list(TargetIDE::claude);
        QCOMPARE(copies.first().fromProfile + " > " + copies.first().toProfile,
                 "Velqor 1 > Claude Account");
        // ... and forgets the copies pruned.
        QStringList indexed = BackupIndex::read().keys();
        indexed.sort();
        QCOMPARE(indexed.replaceInStrings(".claude/backups/", ""),
                 home.entries(".claude/backups")
                     << ".claude/settings.json.backup-before-profile-switch");
    }

    // The threads of each provider now and in a copy an earlier version made with its
    // log beside it (the rows still in the log).
    void databasePreview() {
        TestHome home;
        const QString database = createChatHome(home, {"a openai", "b openai", "c velqor"}, true);
        const QString copy = AppPaths::backupsDirectory() + "/state_5-2026-01-01-00-00-00";
        QDir().mkpath(AppPaths::backupsDirectory());
        QVERIFY(QFile::copy(database, copy + ".sqlite"));
        QVERIFY(QFile::copy(database + "-wal", copy + "-wal.sqlite"));
        sqlite(database, "UPDATE threads SET model_provider = 'velqor';");
        QCOMPARE(BackupPreview().describe(BackupCatalogue::scan().value(0)),
                 QString("Chat threads by provider, now and in the copy:\n"
                         "  openai: 0 now, 2 in the copy\n"
                         "  velqor: 3 now, 1 in the copy\n"
                         "The copy's -wal file is put back with it."));
    }

    void keyDeletion_data() {
        const QString stays = "Velqor 1 is active for %1: its key stays in %2 until you switch to "
                              "another profile.";
        addRows<KeyCase>({
            {"active for Codex", TargetIDE::codex, true, stays.arg("Codex", "~/.codex/auth.json")},
            {"active for Claude Code", TargetIDE::claude, true,
             stays.arg("Claude Code", "~/.claude/settings.json")},
            {"not active", TargetIDE::codex, false, ""},
        });
    }

    // Afterwards no file holds the key but the active assistant's own, and the dialog's
    // text said which copies are emptied, which deleted and what stays.
    void keyDeletion() {
        QFETCH(KeyCase, row);
        TestHome home;
        const QByteArray key = "sk-live-1";
        const QByteArray login =
            R"({"OPENAI_API_KEY": "sk-live-1", "auth_mode": "apikey", "tokens": {"id_token": "t"}})";
        const QByteArray onlyKey = R"({"OPENAI_API_KEY": "sk-live-1", "auth_mode": "apikey"})";
        const QByteArray settings = R"({"env": {"ANTHROPIC_API_KEY": "sk-live-1", "KEEP": "1"}})";
        home.write(".codex/backups/auth-2026-01-01-00-00-00.json", login);
        home.write(".codex/backups/auth-2026-01-02-00-00-00.json", onlyKey);
        home.write(".codex/backups/auth.json.before-restore-2026-01-03-00-00-00", login);
        home.write(".claude/backups/settings-2026-01-01-00-00-00.json", settings);
        home.write(".claude/settings.json.backup-before-profile-switch",
                   R"({"env": {"ANTHROPIC_AUTH_TOKEN": "sk-live-1"}})");
        const QString own =
            row.target == TargetIDE::codex ? ".codex/auth.json" : ".claude/settings.json";
        const QByteArray ownBytes =
            row.active ? (row.target == TargetIDE::codex ? login : settings) : "{}";
        home.write(own, ownBytes);
        ProfilesStore store;
        store.load();
        store.saveAPIKey(key, "velqor-1");
        store.saveAPIKey("sk-2", "velqor-2");
        if (row.active)
            store.saveActiveProfileID(row.target, "velqor-1");

        const KeyDeletionPlan plan = KeyDeletion::plan(store, "velqor-1");
        QCOMPARE(plan.question(), QString("Delete the API key of \u201CVelqor 1\u201D?"));
        // clang-format off
        QCOMPARE(plan.details(), ("The key is deleted from Tavrin's key store. It is also emptied in 3 backup copies that keep other settings, every other "
                                  "line as it was: ~/.codex/backups/auth.json.before-restore-2026-01-03-00-00-00, ~/.codex/backups/auth-2026-01-01-00-00-00.json "
                                  "and ~/.claude/backups/settings-2026-01-01-00-00-00.json. 2 backup copies that held nothing but the key and what Tavrin writes "
                                  "are deleted: ~/.claude/settings.json.backup-before-profile-switch and ~/.codex/backups/auth-2026-01-02-00-00-00.json. " +
                                  row.staying).trimmed());
        // clang-format on
        QCOMPARE(KeyDeletion::deleteKey(store, "velqor-1"),
                 ("Also emptied it in 3 backup copies and deleted 2 that held nothing else. " +
                  row.staying)
                     .trimmed());

        QCOMPARE(store.apiKey("velqor-1"), std::nullopt);
        QCOMPARE(store.apiKey("velqor-2"), std::optional<QString>("sk-2"));
        QCOMPARE(home.filesHolding(key), row.active ? QStringList{own} : QStringList());
        QCOMPARE(home.read(own), ownBytes);
        // Emptied as KeyScrub gives it (tst_backups), every other line as it was.
        QCOMPARE(home.read(".codex/backups/auth-2026-01-01-00-00-00.json"),
                 QByteArray(login).replace(key, ""));
        QVERIFY(!home.exists(".codex/backups/auth-2026-01-02-00-00-00.json"));

        QCOMPARE(errorOf([&] { KeyDeletion::deleteKey(store, "velqor-1"); }),
                 QString("Velqor 1 has no stored key to delete."));
        home.write(".codex/backups/auth-2026-01-04-00-00-00.json",
                   R"({"OPENAI_API_KEY": "sk-2", "x": 1})");
        KeyDeletion::deleteProfile(store, "velqor-2");
        QVERIFY(!store.profile("velqor-2"));
        QCOMPARE(home.read(".codex/backups/auth-2026-01-04-00-00-00.json"),
                 QByteArray(R"({"OPENAI_API_KEY": "", "x": 1})"));
    }
};

QTEST_GUILESS_MAIN(TestBackupManager)
#include "tst_backupmanager.moc"
