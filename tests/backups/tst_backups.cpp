#include "backups/BackupCatalogue.h"
#include "backups/BackupIndex.h"
#include "backups/BackupRetention.h"
#include "backups/KeyScrub.h"
#include "backups/TextDiff.h"
#include "profiles/AppPaths.h"
#include "support/Checks.h"
#include "support/TestHome.h"

#include <QRegularExpression>

// The catalogue over the names every version gave its copies, retention's choices, the
// diff a restore previews and taking a key out of a copy: each a table of cases.

namespace {

struct Named {
    const char* name;
    QString file; // below the home folder
    QString kind; // title(); empty: not a copy
    QString role = {};
    QString original = {}; // as the user reads it
    QString made = {};     // yyyy-MM-dd HH:mm:ss
    int sequence = 1;
    QStringList companions = {}; // written beside it
    bool complete = true;
};

struct Kept {
    const char* name;
    // "<group>@<seconds>[:<size>]": group "L" a latest copy.
    QStringList copies;
    RetentionPolicy policy;
    QString removed; // the copies that go, oldest first, by their place in `copies`
    QString summary;
};

} // namespace

class TestBackups : public QObject {
    Q_OBJECT

private slots:
    void catalogue_data() {
        const QString config = "~/.codex/config.toml", database = "~/.codex/state_5.sqlite";
        const QString settings = "~/.claude/settings.json";
        // clang-format off
        addRows<Named>({
            {"config", ".codex/backups/config-2024-03-09-17-05-42.toml", "config.toml", "switch", config, "2024-03-09 17:05:42"},
            {"same second", ".codex/backups/config-2024-03-09-17-05-42-2.toml", "config.toml", "switch", config, "2024-03-09 17:05:42", 2},
            {"auth", ".codex/backups/auth-2025-01-02-03-04-05.json", "auth.json", "switch", "~/.codex/auth.json", "2025-01-02 03:04:05"},
            {"claude settings", ".claude/backups/settings-2026-03-01-14-05-09.json", "settings.json", "switch", settings, "2026-03-01 14:05:09"},
            {"database with its log", ".codex/backups/state_5-2024-03-09-17-05-42.sqlite", "chat database", "switch", database, "2024-03-09 17:05:42", 1,
             {".codex/backups/state_5-2024-03-09-17-05-42-wal.sqlite", ".codex/backups/state_5-2024-03-09-17-05-42-shm.sqlite"}},
            {"snapshot of a second move", ".codex/backups/state_5-2025-05-05-05-05-05-2.sqlite", "chat database", "switch", database, "2025-05-05 05:05:05", 2},
            {"log without its database", ".codex/backups/state_5-2024-04-04-04-04-04-wal.sqlite", "chat database", "switch", database, "2024-04-04 04:04:04", 1, {}, false},
            {"chat move", ".codex/backups/chats-2025-05-05-05-05-05-2.json", "chat move", "switch", database, "2025-05-05 05:05:05", 2},
            {"latest config", ".codex/config.toml.backup-before-profile-switch", "config.toml", "latest", config, ""},
            {"latest settings", ".claude/settings.json.backup-before-profile-switch", "settings.json", "latest", settings, ""},
            {"before restore", ".codex/backups/config.toml.before-restore-2026-01-01-00-00-00", "config.toml", "before restore", config, "2026-01-01 00:00:00"},
            {"database before restore", ".codex/backups/state_5.sqlite.before-restore-2026-01-01-00-00-00-3", "chat database", "before restore", database,
             "2026-01-01 00:00:00", 3, {".codex/backups/state_5.sqlite-wal.before-restore-2026-01-01-00-00-00-3"}},
            {"profiles before restore", ".codex/tavrin/profiles.json.before-restore-2026-02-02-02-02-02", "profiles.json", "before restore",
             "~/.codex/tavrin/profiles.json", "2026-02-02 02:02:02"},
            {"not a date", ".codex/backups/config-2024-13-40-00-00-00.toml", ""},
            {"another name", ".codex/backups/config-latest.toml", ""},
            {"temporary file", ".codex/backups/config-2024-03-09-17-05-42.toml.tavrin-tmp-Ab12Cd", ""},
            {"someone's own", ".codex/config.toml.backup", ""},
            {"settings in the Codex folder", ".codex/backups/settings-2026-03-01-14-05-09.json", ""},
        });
        // clang-format on
    }

    // Every version's names are found with their file and time; a broken index hides none.
    void catalogue() {
        QFETCH(Named, row);
        TestHome home;
        home.write(row.file, "copy");
        for (const QString& companion : row.companions)
            home.write(companion, "log");
        makeEntry(home.file(".codex/backups/config-2020-01-01-00-00-00.toml"),
                  "link:" + home.file(row.file).toUtf8()); // a link is never a copy
        writeFile(BackupIndex::path(),
                  R"({"copies": {")" + row.file.toUtf8() + R"(": {"from": "A", "to": "B"}}})");
        const QList<BackupEntry> entries = BackupCatalogue::scan();
        QCOMPARE(entries.size(), row.kind.isEmpty() ? 0 : 1);
        if (entries.isEmpty())
            return;
        const BackupEntry& entry = entries.first();
        QCOMPARE(entry.id, row.file);
        QCOMPARE(BackupCatalogue::title(entry.kind), row.kind);
        QCOMPARE(BackupCatalogue::roleName(entry.role), row.role);
        QCOMPARE(AppPaths::displayPath(entry.original), row.original);
        if (!row.made.isEmpty())
            QCOMPARE(BackupCatalogue::formatTime(entry.made), row.made);
        QCOMPARE(entry.sequence, row.sequence);
        QCOMPARE(QStringList(entry.companions).replaceInStrings(home.path() + '/', ""),
                 row.companions);
        QCOMPARE(entry.size, 4 + 3 * row.companions.size());
        QCOMPARE(entry.complete, row.complete);
        QCOMPARE(entry.fromProfile + ">" + entry.toProfile, QString("A>B"));
        QCOMPARE(BackupCatalogue::find(entries, QFileInfo(row.file).fileName())->id, entry.id);

        writeFile(BackupIndex::path(), "{broken");
        QCOMPARE(BackupCatalogue::scan().size(), 1);
        QVERIFY(BackupCatalogue::scan().first().fromProfile.isEmpty());
    }

    // The copies come newest first, as the catalogue gives them.
    void retention_data() {
        const RetentionPolicy keep2{2, 0};
        const QString one = "Removed 1 old backup, 1.0 KB.";
        // clang-format off
        addRows<Kept>({
            {"newest of each file kept", {"a@3", "a@2", "b@1", "a@1"}, keep2, "3", one},
            {"0 keeps everything", {"a@3", "a@2", "a@1"}, {0, 0}, "", "No old backups to remove."},
            {"latest copies never go", {"a@2", "a@1", "L@1:900000000"}, {0, 1000}, "1", one},
            {"size: oldest first, never a file's newest", {"b@4:100000000", "a@3:100000000", "b@2:110000000", "a@1:200000000"},
             {0, 250000000}, "3 2", "Removed 2 old backups, 310 MB."},
            {"count then size", {"a@3:600", "a@2:500", "b@1:700", "a@1:10"}, {2, 1500}, "3 1", "Removed 2 old backups, 510 bytes."},
        });
        // clang-format on
    }

    void retention() {
        QFETCH(Kept, row);
        QList<BackupEntry> entries;
        for (int i = 0; i < row.copies.size(); ++i) {
            const QRegularExpressionMatch part =
                QRegularExpression("^(\\w)@(\\d+)(?::(\\d+))?$").match(row.copies[i]);
            BackupEntry entry;
            entry.id = entry.path = QString::number(i);
            entry.role = part.captured(1) == "L" ? BackupRole::latest : BackupRole::dated;
            entry.original = "/home/" + part.captured(1);
            entry.made = QDateTime::fromSecsSinceEpoch(part.captured(2).toLongLong());
            entry.size = part.captured(3).isEmpty() ? 1000 : part.captured(3).toLongLong();
            entries << entry;
        }
        const PrunePlan plan = BackupRetention::plan(entries, row.policy);
        QStringList removed;
        for (const BackupEntry& entry : plan.remove)
            removed << entry.id;
        QCOMPARE(removed.join(' '), row.removed);
        QCOMPARE(plan.summary(), row.summary);
    }

    void sizes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("bytes"); // -1: refused
        QTest::newRow("megabytes") << "500M" << qint64(500000000);
        QTest::newRow("spaced, fraction") << "1.5 GB" << qint64(1500000000);
        QTest::newRow("binary") << "2GiB" << qint64(2147483648LL);
        QTest::newRow("bytes") << "1048576" << qint64(1048576);
        QTest::newRow("zero keeps all") << "0" << qint64(0);
        QTest::newRow("negative") << "-5M" << qint64(-1);
        QTest::newRow("unknown unit") << "5 parsecs" << qint64(-1);
    }
    void sizes() {
        QFETCH(QString, text);
        QTEST(RetentionPolicy::parseSize(text).value_or(-1), "bytes");
    }

    void diff_data() {
        QTest::addColumn<QByteArray>("now");
        QTest::addColumn<QByteArray>("copy");
        QTest::addColumn<QString>("expected");
        const QString head = "--- now\n+++ copy\n@@ ";
        // clang-format off
        QTest::newRow("same") << QByteArray("a\n") << QByteArray("a\n") << "No difference.";
        QTest::newRow("one line, context") << QByteArray("1\n2\n3\n4\n5\n6\n7\n8\n9\n") << QByteArray("1\n2\n3\n4\nfive\n6\n7\n8\n9\n")
                                           << head + "-2,7 +2,7 @@\n 2\n 3\n 4\n-5\n+five\n 6\n 7\n 8";
        QTest::newRow("CRLF against LF") << QByteArray("a = 1\r\nb = 2\r\n") << QByteArray("a = 1\nb = 2\n")
                                         << "Line endings: CRLF in now, LF in copy.\n" + head + "-1,2 +1,2 @@\n-a = 1\n-b = 2\n+a = 1\n+b = 2";
        QTest::newRow("not UTF-8") << QByteArray("name = \"caf\xE9\"\n") << QByteArray("name = \"caf\xC3\xA9\"\n")
                                   << head + "-1,1 +1,1 @@\n-name = \"caf\\xe9\"\n+name = \"caf\u00e9\"";
        QTest::newRow("no final newline") << QByteArray("a\nb") << QByteArray("a\nb\n") << head + "-1,2 +1,2 @@\n a\n-b\n\\ No newline at end of file\n+b";
        QTest::newRow("a file that is new") << QByteArray() << QByteArray("x\n") << head + "-0,0 +1,1 @@\n+x";
        QTest::newRow("binary") << QByteArray("a\0b", 3) << QByteArray("ab") << "The files hold binary data and differ: 3 bytes and 2 bytes.";
        // clang-format on
    }
    void diff() {
        QFETCH(QByteArray, now);
        QFETCH(QByteArray, copy);
        QTEST(TextDiff::unified(now, copy, "now", "copy"), "expected");
    }

    void scrub_data() {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("managed"); // "auth", "claude" or "none"
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QByteArray>("text");
        const auto row = [](const char* name, const char* document, const char* managed,
                            const char* outcome, const char* text = nullptr) {
            QTest::newRow(name) << QByteArray(document) << QString(managed) << QString(outcome)
                                << QByteArray(text);
        };
        // clang-format off
        row("settings with other env, trimmed key", R"({"env": {"ANTHROPIC_API_KEY": "sk-1", "ANTHROPIC_AUTH_TOKEN": "sk-1", "KEEP": "x"}})", "claude",
            "blanked", R"({"env": {"ANTHROPIC_API_KEY": "", "ANTHROPIC_AUTH_TOKEN": "", "KEEP": "x"}})");
        row("settings of Tavrin's alone", R"({"env": {"ANTHROPIC_API_KEY": "sk-1", "CLAUDE_CODE_SIMPLE": "1"}, "apiKeyHelper": "x"})", "claude", "removed");
        row("key in an array", R"({"theme": "dark", "list": ["sk-1"]})", "claude", "removed");
        row("another key", R"({"OPENAI_API_KEY": "sk-2"})", "auth", "untouched");
        row("not JSON, holds it", "{\"velqor-1\": \"sk-1\",", "none", "unreadable");
        row("key file set aside", R"({"velqor-1": "sk-1", "velqor-2": "sk-2"})", "none", "blanked", R"({"velqor-1": "", "velqor-2": "sk-2"})");
        // clang-format on
    }
    void scrub() {
        QFETCH(QByteArray, document);
        QFETCH(QString, managed);
        const KeyScrub::Result result =
            KeyScrub::withoutKey(document, " sk-1 ",
                                 managed == "auth"     ? KeyScrub::authMembers()
                                 : managed == "claude" ? KeyScrub::claudeSettingsMembers()
                                                       : std::vector<KeyScrub::Path>{});
        const QStringList names{"untouched", "blanked", "removed", "unreadable"};
        QTEST(names[int(result.outcome)], "outcome");
        QTEST(result.text, "text");
    }
};

QTEST_GUILESS_MAIN(TestBackups)
#include "tst_backups.moc"
