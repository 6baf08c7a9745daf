#include "codex/ChatSyncService.h"
#include "codex/SessionFiles.h"
#include "profiles/AppPaths.h"
#include "support/ChatHome.h"
#include "support/Checks.h"
#include "support/TestHome.h"

// The one change a chat move makes to a session file, and which files it makes it to.
class TestSessionFiles : public QObject {
    Q_OBJECT

private slots:
    void sessionFiles_data() {
        QTest::addColumn<QString>("rolloutPath");  // "~/" is the home; empty: none
        QTest::addColumn<QByteArray>("firstLine"); // null: no file; else as makeEntry takes it
        QTest::addColumn<QByteArray>("movedLine"); // null: the file stays as it was
        QTest::addColumn<int>("restCopies");
        const QString day = "sessions/2025/05/01/rollout-2025-05-01T10-00-00-0196.jsonl";
        const auto row = [&](const char* name, const QByteArray& firstLine,
                             const QByteArray& movedLine = {}, int restCopies = 1,
                             const QString& rolloutPath = {}) {
            QTest::newRow(name) << (rolloutPath.isNull() ? day : rolloutPath) << firstLine
                                << movedLine << restCopies;
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

    // One openai thread moves to velqor (next to one already there); its session file moves
    // with it or is counted as skipped. Undoing puts everything back.
    void sessionFiles() {
        QFETCH(QString, rolloutPath);
        QFETCH(QByteArray, firstLine);
        QFETCH(QByteArray, movedLine);
        QFETCH(int, restCopies);
        TestHome home;
        createChatHome(home, {"t0 velqor"});
        const QString codex = AppPaths::codexDirectory();
        const QString stored = rolloutPath.startsWith("~/")
                                   ? AppPaths::homeDirectory() + rolloutPath.mid(1)
                                   : rolloutPath;
        const QString path =
            QDir::cleanPath(QDir::isAbsolutePath(stored) ? stored : codex + '/' + stored);
        sqlite(AppPaths::stateDatabaseURL(),
               "INSERT INTO threads(id, model_provider, rollout_path) VALUES('t1', 'openai', " +
                   (stored.isEmpty() ? QByteArray("NULL")
                                     : "'" + stored.toUtf8().replace("'", "''") + "'") +
                   ");");
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
        const QDateTime modified = QFileInfo(path).lastModified();

        const ChatSyncResult result = syncChats("velqor");
        const bool moves = !movedLine.isNull();
        QCOMPARE(result.changedRows, moves ? 1 : 0);
        QCOMPARE(result.skippedFiles, moves ? 0 : 1);
        QCOMPARE(chatProviders(), "velqor velqor");
        QCOMPARE(readFile(path), moves ? movedLine + tail : original);
        if (moves) {
            QCOMPARE(QFileInfo(path).lastModified(), modified);
            QCOMPARE(int(QFile::permissions(path) & 0x7077), 0x6040);
        }
        // The journal, readable by its owner only, holds what undoing needs and no more: no
        // session file's first line.
        QCOMPARE(int(QFile::permissions(result.journalURL) & 0x0077), 0);
        QVERIFY(!readFile(result.journalURL).contains("session_meta"));
        QCOMPARE(undone(ChatSyncService().undo(result.journalURL)),
                 QString("1 rows, %1 files").arg(moves ? 1 : 0));
        QCOMPARE(chatProviders(), "velqor openai");
        QCOMPARE(readFile(path), original);
    }
};

QTEST_GUILESS_MAIN(TestSessionFiles)
#include "tst_sessionfiles.moc"
