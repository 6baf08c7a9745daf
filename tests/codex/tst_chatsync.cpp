#include "codex/ChatDatabase.h"
#include "codex/ChatSyncService.h"
#include "codex/SessionFiles.h"
#include "profiles/AppPaths.h"
#include "support/ChatHome.h"
#include "support/Checks.h"
#include "support/TestHome.h"

namespace {

const QString day = "sessions/2025/05/01/rollout-2025-05-01T10-00-00-0196.jsonl";

// A chat move journal as an earlier version wrote it: every thread by its id, with its
// session file's whole first line.
QByteArray firstFormatJournal(const QString& codex) {
    QByteArray lines = "{\"format\":1,\"provider\":\"custom\",\"threads\":[\n";
    for (const char* id : {"a", "b", "d"}) {
        const QByteArray old = *id == 'b' ? "velqor" : "openai";
        const QString file = codex + "/sessions/" + (*id == 'b' ? "b" : "a") + ".jsonl";
        // clang-format off
        lines += QJsonDocument(QJsonObject{{"id", id}, {"old_provider", QString(old)}, {"session_file", file},
                                           {"first_line", QString(sessionMeta(old))}}).toJson(QJsonDocument::Compact) + (*id == 'd' ? "\n" : ",\n");
        // clang-format on
    }
    return lines + "]}\n";
}

} // namespace

class TestChatSync : public QObject {
    Q_OBJECT

private slots:
    // What status shows of chats not following the profile, which a move mends: threads on
    // another provider, and a session file naming another than its thread ("<thread's>/<file's>").
    void countsRealMoves_data() {
        QTest::addColumn<QString>("provider"); // null: none
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<qint64>("changedRows");
        QTest::addColumn<bool>("pendingLog");
        QTest::addColumn<QStringList>("differences");
        const QString kept = "velqor other";
        // clang-format off
        QTest::newRow("to velqor") << "velqor" << "openai velqor/openai other openai OpenAI" << "velqor velqor other velqor OpenAI" << qint64(2) << true
            << QStringList{"chats: 2 on another provider, expected velqor: mend", "session files: 1 name another provider, expected velqor: mend"};
        QTest::newRow("no provider means openai") << QString() << "openai velqor other openai OpenAI" << "openai openai other openai OpenAI" << qint64(1) << true
            << QStringList{"chats: 1 on another provider, expected openai: mend"};
        QTest::newRow("trimmed custom provider, main file only") << "\tMy_proxy-2 \n" << "velqor my_proxy" << "My_proxy-2 my_proxy" << qint64(1) << false
            << QStringList{"chats: 1 on another provider, expected My_proxy-2: mend"};
        QTest::newRow("nothing to move") << "velqor" << kept << kept << qint64(0) << false << QStringList();
        // clang-format on
    }

    void countsRealMoves() {
        QFETCH(QString, before);
        QFETCH(bool, pendingLog);
        TestHome home;
        const QStringList providers = before.split(' ');
        QStringList threads;
        for (int i = 0; i < providers.size(); ++i)
            threads << QString("t%1 %2 sessions/r%1.jsonl").arg(i).arg(providers[i].split('/')[0]);
        const QString database = createChatHome(home, threads, pendingLog);
        const QString file = AppPaths::codexDirectory() + "/sessions/r%1.jsonl";
        for (int i = 0; i < providers.size(); ++i)
            writeFile(file.arg(i),
                      sessionMeta(providers[i].section('/', -1).toUtf8()) + sessionRest);
        const QString original = chatDump(database);

        QFETCH(QString, provider);
        QTEST(ChatSyncService().differences(providerProfile(provider), "mend"), "differences");
        const ChatSyncResult result = syncChats(provider);
        QCOMPARE(ChatSyncService().differences(providerProfile(provider), "mend"), QStringList());
        QTEST(result.changedRows, "changedRows");
        QCOMPARE(result.skippedFiles, 0);
        QTEST(chatProviders(), "after");
        // Every session file names the provider its row names.
        QStringList inFiles;
        for (int i = 0; i < providers.size(); ++i)
            inFiles << SessionFiles::providerIn(readFile(file.arg(i)).split('\n')[0])->provider;
        QTEST(inFiles.join(' '), "after");
        // A snapshot of the database as it was and a journal, with one time stamp; neither
        // when nothing moved.
        QCOMPARE(QDir(AppPaths::backupsDirectory()).entryList(QDir::Files).size(),
                 result.changedRows ? 2 : 0);
        QCOMPARE(result.journalURL.isEmpty(), !result.changedRows);
        if (!result.changedRows)
            return;
        const QString stamp = result.journalURL.section("/chats-", 1).chopped(5);
        QVERIFY(QDateTime::fromString(stamp, "yyyy-MM-dd-HH-mm-ss").isValid());
        QCOMPARE(result.backupURLs,
                 QStringList{AppPaths::backupsDirectory() + "/state_5-" + stamp + ".sqlite"});
        QCOMPARE(chatDump(result.backupURLs[0]), original);
    }

    void failures_data() {
        QTest::addColumn<QString>("provider");
        QTest::addColumn<QByteArray>("database"); // SQL that makes it, or raw bytes; null: none
        QTest::addColumn<QString>("sqlite");      // "missing": nowhere; "path": on PATH only
        QTest::addColumn<QString>("message");     // empty: the move succeeds
        // The provider is checked first; a database is not even looked for.
        for (const char* unsafe : {"velqor proxy", "v1.2", "o'neil", "velqör"})
            QTest::newRow(unsafe) << QString::fromUtf8(unsafe) << QByteArray() << QString()
                                  << QString("Unsafe model provider for chat sync: %1.")
                                         .arg(QString::fromUtf8(unsafe));
        const auto row = [](const char* name, const QByteArray& database, const char* sqlite,
                            const QString& message) {
            QTest::newRow(name) << QString("velqor") << database << QString(sqlite) << message;
        };
        const QByteArray threads = "CREATE TABLE threads(id TEXT PRIMARY KEY, rollout_path TEXT, "
                                   "model_provider TEXT); INSERT INTO threads VALUES('t1', "
                                   "'sessions/r.jsonl', 'openai');";
        const QString failed = "Could not sync chats: ";
        // clang-format off
        row("missing", QByteArray(), "", "Could not find Codex chat database.");
        row("not a database", QByteArray(8192, 'x'), "", failed + "file is not a database");
        row("no threads table", "CREATE TABLE chats(id INTEGER);", "", failed + "no such table: threads");
        // The update fails after the rows were read and journaled: nothing stays moved.
        row("update fails", threads + "CREATE TRIGGER t BEFORE UPDATE ON threads BEGIN SELECT RAISE(ABORT, 'chats are frozen'); END;", "",
            failed + "chats are frozen");
        row("sqlite3 missing", threads, "missing", "The sqlite3 tool is not installed.");
        row("sqlite3 on PATH only", threads, "path", QString());
        // clang-format on
    }

    void failures() {
        QFETCH(QString, provider);
        QFETCH(QByteArray, database);
        QFETCH(QString, sqlite);
        QFETCH(QString, message);
        TestHome home;
        const QString path = createChatHome(home, {});
        QFile::remove(path);
        if (database.startsWith("CREATE"))
            ::sqlite(path, database);
        else if (!database.isNull())
            writeFile(path, database);
        const QString session = AppPaths::codexDirectory() + "/sessions/r.jsonl";
        writeFile(session, sessionMeta("openai") + sessionRest);
        const QByteArray original = readFile(path);
        ScopedEnvironment onlyBin;
        if (sqlite == "path")
            makeEntry(home.file("bin/sqlite3"), "link:/usr/bin/sqlite3");
        if (!sqlite.isEmpty())
            onlyBin.set("PATH", QFile::encodeName(home.file("bin")));
        ChatSyncResult result;
        QCOMPARE(errorOf([&] {
                     result = syncChats(provider, sqlite.isEmpty() ? QString() : "/no/sqlite3");
                 }),
                 message);
        QCOMPARE(result.changedRows, message.isEmpty() ? 1 : 0);
        if (message.isEmpty())
            return;
        // Nothing changed. Only a move that failed after its start left its snapshot and
        // journal behind.
        QCOMPARE(readFile(path), original);
        QCOMPARE(readFile(session), sessionMeta("openai") + sessionRest);
        QCOMPARE(QDir(AppPaths::backupsDirectory()).entryList(QDir::Files).size(),
                 message.endsWith("frozen") ? 2 : 0);
    }

    void undo_data() {
        QTest::addColumn<QString>("before");  // what happens between the move and the undo
        QTest::addColumn<QString>("outcome"); // what undoing put back, or the error
        const auto row = [](const char* name, const char* before, const QString& outcome) {
            QTest::newRow(name) << QString(before) << outcome;
        };
        const QString back = "Could not put the chats back: ";
        // clang-format off
        row("after success", "", "3 rows, 2 files");
        row("twice", "undo", "0 rows, 0 files");
        row("after a partly finished move", "first file back", "3 rows, 1 files");
        row("a journal of the first format", "first format", "3 rows, 2 files");
        row("a file changed since", "first file edited", back + "session files changed since the move were left alone: %1/sessions/a.jsonl");
        row("journal gone", "journal gone", back + "Could not read %2: No such file or directory");
        row("disk full during the move", "disk full", "Not enough disk space to write ~/.codex/sessions/b.jsonl.");
        // clang-format on
    }

    void undo() {
        QFETCH(QString, before);
        TestHome home;
        // Thread d shares a's session file.
        createChatHome(home, {"a openai sessions/a.jsonl", "b velqor sessions/b.jsonl", "c other",
                              "d openai sessions/a.jsonl"});
        const QString codex = AppPaths::codexDirectory();
        const QString aFile = codex + "/sessions/a.jsonl", bFile = codex + "/sessions/b.jsonl";
        const QByteArray a = sessionMeta("openai") + sessionRest;
        const QByteArray b = sessionMeta("velqor") + sessionRest.repeated(10000); // about 3 MB
        writeFile(aFile, a);
        writeFile(bFile, b);
        const QByteArray edited = sessionMeta("mine") + sessionRest;

        QString said;
        ChatSyncService service;
        if (before == "disk full") {
            // Writes beyond 2 MB fail: a.jsonl is rewritten, b.jsonl cannot be.
            const unsigned long old = limitFileSize(2 * 1024 * 1024);
            said = errorOf([&] { syncChats("custom"); });
            limitFileSize(old);
        } else {
            const QString journal = syncChats("custom").journalURL;
            if (before == "undo")
                service.undo(journal);
            else if (before.startsWith("first file"))
                writeFile(aFile, before.endsWith("back") ? a : edited);
            else if (before == "journal gone")
                QFile::remove(journal);
            else if (before == "first format")
                writeFile(journal, firstFormatJournal(codex));
            QString back;
            said = errorOf([&] { back = undone(service.undo(journal)); }).replace(journal, "%2");
            said += back;
        }
        QFETCH(QString, outcome);
        QCOMPARE(said, outcome.replace("%1", codex));
        // Without its journal a move cannot be undone: everything stays moved.
        const bool gone = before == "journal gone";
        QCOMPARE(chatProviders(),
                 gone ? "custom custom other custom" : "openai velqor other openai");
        if (gone)
            return;
        QCOMPARE(readFile(aFile), before == "first file edited" ? edited : a);
        QCOMPARE(readFile(bFile), b);
    }

    // Ids of every type SQLite stores go back to exactly the rows that moved; a row that
    // already had the provider stays, also when its id reads the same as a moved one.
    void everyIdTypeGoesBack() {
        TestHome home;
        const QString database = createChatHome(home, {});
        sqlite(database, "DROP TABLE threads; CREATE TABLE threads(id PRIMARY KEY, rollout_path, "
                         "model_provider); INSERT INTO threads(id, model_provider) VALUES (12, "
                         "'openai'), ('12', 'custom'), (X'00FF27', 'velqor'), ('it''s', 'openai'), "
                         "(CAST(X'C328' AS TEXT), 'openai'), (1.25, 'velqor'), (NULL, 'openai');");
        const QString original = chatDump(database);
        QCOMPARE(undone(ChatSyncService().undo(syncChats("custom").journalURL)), "5 rows, 0 files");
        QCOMPARE(chatDump(database), original);
    }

    // Another program is in the middle of a write whose pages already stand in the
    // database file; the snapshot holds only what was committed.
    void snapshotIsConsistentWhileCodexWrites() {
        TestHome home;
        const QString database = createChatHome(home, {"t1 openai"});
        sqlite(database, "PRAGMA journal_mode=DELETE; CREATE TABLE ledger(n INTEGER, data BLOB);"
                         "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i "
                         "< 3000) INSERT INTO ledger SELECT 0, randomblob(200) FROM n;");
        QProcess writer;
        writer.start("/usr/bin/sqlite3", {"-batch", "-init", "/dev/null", database});
        QVERIFY(writer.waitForStarted());
        // A small page cache writes the changed pages out before the commit.
        writer.write("PRAGMA cache_size = 2; BEGIN; UPDATE ledger SET n = 1;\n"
                     "SELECT 'ready';\n.shell sleep 1\nROLLBACK;\n");
        writer.closeWriteChannel();
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += writer.readAllStandardOutput()).contains("ready"), 20000);
        ChatDatabase(std::make_shared<ShellService>(), "/usr/bin/sqlite3")
            .snapshot(home.file("copy.sqlite"));
        QCOMPARE(sqlite(home.file("copy.sqlite"),
                        "PRAGMA integrity_check; SELECT count(*), sum(n) FROM ledger;"),
                 "ok\n3000|0\n");
        QVERIFY(writer.waitForFinished());
    }

    void sessionFiles_data() {
        QTest::addColumn<QString>("rolloutPath");  // "~/" is the home; empty: none
        QTest::addColumn<QByteArray>("firstLine"); // null: no file; else as makeEntry takes it
        QTest::addColumn<QByteArray>("movedLine"); // null: the file stays as it was
        QTest::addColumn<int>("restCopies");
        const auto row = [](const char* name, const QByteArray& firstLine,
                            const QByteArray& movedLine = {}, int restCopies = 1,
                            const QString& rolloutPath = day) {
            QTest::newRow(name) << rolloutPath << firstLine << movedLine << restCopies;
        };
        const QByteArray big =
            "\"base_instructions\":{\"text\":\"" + QByteArray(6000, 'i') + "\"},";
        const QByteArray decoys =
            "\"instructions\":\"say \\\"model_provider\\\":\\\"openai\\\" \\u00e9 ü\","
            "\"git\":{\"model_provider\":\"openai\"},\"list\":[{\"model_provider\":\"openai\"}],";
        const QByteArray openai = sessionMeta("openai"), velqor = sessionMeta("velqor");
        // clang-format off
        row("absolute", openai, velqor, 1, "~/.codex/" + day);
        row("relative to ~/.codex", openai, velqor);
        row("archived", openai, velqor, 1, "archived_sessions/r.jsonl");
        row("large", sessionMeta("openai", big), sessionMeta("velqor", big), 4000);
        row("single line", openai, velqor, 0);
        row("spaces and a line end kept", R"( { "type" : "session_meta", "payload" : { "model_provider" : "openai" , "n" : 1.50e3 } })" "\r",
            R"( { "type" : "session_meta", "payload" : { "model_provider" : "velqor" , "n" : 1.50e3 } })" "\r");
        row("provider in strings and nested objects", R"({"model_provider":"openai",)" + sessionMeta("openai", decoys).mid(1),
            R"({"model_provider":"openai",)" + sessionMeta("velqor", decoys).mid(1));
        row("escaped key and value", R"({"type":"session_meta","payload":{"model\u005fprovider":"open\u0061i"}})",
            R"({"type":"session_meta","payload":{"model\u005fprovider":"velqor"}})");
        row("missing", {});
        row("no path", {}, {}, 1, "");
        row("outside the session folders", openai, {}, 1, "~/.codex/rollout.jsonl");
        row("relative, leaving ~/.codex", openai, {}, 1, "sessions/../../elsewhere/rollout.jsonl");
        row("a directory", "folder", {}, 0);
        row("a link", "link:../../../../target.jsonl", {}, 0);
        row("behind a folder link out of ~/.codex", "folder link out");
        row("behind a folder link within ~/.codex", "folder link in", velqor);
        row("no session_meta", R"({"type":"turn_context","payload":{"model_provider":"openai"}})");
        row("another provider in the file", velqor);
        row("twice in payload", R"({"type":"session_meta","payload":{"model_provider":"openai","model_provider":"openai"}})");
        row("payload twice", R"({"type":"session_meta","payload":{"model_provider":"openai"},"payload":{}})");
        row("cut short", openai.chopped(1));
        row("not UTF-8", sessionMeta("openai", "\"x\":\"\xff\","));
        // clang-format on
    }

    // The one change a move makes to a session file, and which files it makes it to: one
    // openai thread moves to velqor (next to one already there); its session file moves with
    // it or is counted as skipped. Undoing puts everything back.
    void sessionFiles() {
        QFETCH(QString, rolloutPath);
        QFETCH(QByteArray, firstLine);
        QFETCH(QByteArray, movedLine);
        QFETCH(int, restCopies);
        TestHome home;
        createChatHome(home, {"t0 velqor"});
        const QString codex = AppPaths::codexDirectory();
        const QString stored = QString(rolloutPath).replace("~/", AppPaths::homeDirectory() + '/');
        const QString path =
            QDir::cleanPath(QDir::isAbsolutePath(stored) ? stored : codex + '/' + stored);
        sqlite(AppPaths::stateDatabaseURL(),
               "INSERT INTO threads(id, model_provider, rollout_path) VALUES('t1', 'openai', "
               "NULLIF('" +
                   stored.toUtf8().replace("'", "''") + "', ''));");
        const QByteArray tail = sessionRest.repeated(restCopies);
        writeFile(codex + "/target.jsonl", sessionMeta("openai")); // for a link to lead to
        if (firstLine.startsWith("folder link")) {
            // The day's folder is a link to one outside ~/.codex, or to one inside it.
            const QString real = firstLine.endsWith("out") ? AppPaths::homeDirectory() + "/away"
                                                           : codex + "/elsewhere";
            writeFile(real + "/" + QFileInfo(path).fileName(), sessionMeta("openai") + tail);
            makeEntry(QFileInfo(path).path(), "link:" + real.toUtf8());
        } else if (!firstLine.isNull()) {
            makeEntry(path, firstLine + tail);
        }
        QFile::setPermissions(path, QFileDevice::Permissions(0x6040));
        const QByteArray original = readFile(path);
        const int mode = modeOf(path);
        const QDateTime modified = QFileInfo(path).lastModified();

        const ChatSyncResult result = syncChats("velqor");
        const bool moves = !movedLine.isNull();
        QCOMPARE(result.changedRows, moves ? 1 : 0);
        QCOMPARE(result.skippedFiles, moves ? 0 : 1);
        QCOMPARE(chatProviders(), "velqor velqor");
        QCOMPARE(readFile(path), moves ? movedLine + tail : original);
        // A rewritten file keeps its mode and its time: Codex lists chats by it.
        QCOMPARE(modeOf(path), mode);
        if (moves)
            QCOMPARE(QFileInfo(path).lastModified(), modified);
        // The journal, readable by its owner only, holds what undoing needs and no more: no
        // session file's first line.
        QCOMPARE(modeOf(result.journalURL), 0600);
        QVERIFY(!readFile(result.journalURL).contains("session_meta"));
        QCOMPARE(undone(ChatSyncService().undo(result.journalURL)),
                 QString("1 rows, %1 files").arg(moves ? 1 : 0));
        QCOMPARE(chatProviders(), "velqor openai");
        QCOMPARE(readFile(path), original);
    }
};

QTEST_GUILESS_MAIN(TestChatSync)
#include "tst_chatsync.moc"
