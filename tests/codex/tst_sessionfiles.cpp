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
    void rewritesOnlyThePayloadProvider_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("rewritten"); // null: left alone
        const QByteArray decoys =
            "\"instructions\":\"say \\\"model_provider\\\":\\\"openai\\\" \\u00e9 ü\","
            "\"git\":{\"model_provider\":\"openai\"},\"list\":[{\"model_provider\":\"openai\"}],";
        const auto row = [](const char* name, const QByteArray& line,
                            const QByteArray& rewritten = {}) {
            QTest::newRow(name) << line << rewritten;
        };
        // clang-format off
        row("plain", sessionMeta("openai"), sessionMeta("velqor"));
        row("spaces and a line end kept", R"( { "type" : "session_meta", "payload" : { "model_provider" : "openai" , "n" : 1.50e3 } })" "\r",
            R"( { "type" : "session_meta", "payload" : { "model_provider" : "velqor" , "n" : 1.50e3 } })" "\r");
        row("provider in strings and nested objects", R"({"model_provider":"openai",)" + sessionMeta("openai", decoys).mid(1),
            R"({"model_provider":"openai",)" + sessionMeta("velqor", decoys).mid(1));
        row("escaped key and value", R"({"type":"session_meta","payload":{"model\u005fprovider":"open\u0061i"}})",
            R"({"type":"session_meta","payload":{"model\u005fprovider":"velqor"}})");
        row("not session_meta", R"({"type":"turn_context","payload":{"model_provider":"openai"}})");
        row("other provider", sessionMeta("anthropic"));
        row("twice in payload", R"({"type":"session_meta","payload":{"model_provider":"openai","model_provider":"openai"}})");
        row("payload twice", R"({"type":"session_meta","payload":{"model_provider":"openai"},"payload":{}})");
        row("cut short", sessionMeta("openai").chopped(1));
        row("not UTF-8", sessionMeta("openai", "\"x\":\"\xff\","));
        // clang-format on
    }

    void rewritesOnlyThePayloadProvider() {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, rewritten);
        const auto result = SessionFiles::rewrittenFirstLine(line, "openai", "velqor");
        QCOMPARE(result.value_or(QByteArray()), rewritten);
        QCOMPARE(result.has_value(), !rewritten.isNull());
    }

    void sessionFiles_data() {
        QTest::addColumn<QString>("rolloutPath");  // "~/" is the home; empty: none
        QTest::addColumn<QByteArray>("firstLine"); // null: no file; "dir", "link": such an entry
        QTest::addColumn<QByteArray>("movedLine"); // null: the file stays as it was
        QTest::addColumn<int>("restCopies");
        const QString day = "sessions/2025/05/01/rollout-2025-05-01T10-00-00-0196.jsonl";
        const QByteArray big =
            "\"base_instructions\":{\"text\":\"" + QByteArray(6000, 'i') + "\"},";
        const QByteArray openai = sessionMeta("openai"), velqor = sessionMeta("velqor"), none;
        // clang-format off
        QTest::newRow("absolute") << "~/.codex/" + day << openai << velqor << 1;
        QTest::newRow("relative to ~/.codex") << day << openai << velqor << 1;
        QTest::newRow("archived") << "archived_sessions/r.jsonl" << openai << velqor << 1;
        QTest::newRow("large") << day << sessionMeta("openai", big) << sessionMeta("velqor", big) << 4000;
        QTest::newRow("single line") << day << openai << velqor << 0;
        QTest::newRow("missing") << day << none << none << 1;
        QTest::newRow("no path") << QString() << none << none << 1;
        QTest::newRow("outside the session folders") << "~/.codex/rollout.jsonl" << openai << none << 1;
        QTest::newRow("relative, leaving ~/.codex") << "sessions/../../elsewhere/rollout.jsonl" << openai << none << 1;
        QTest::newRow("a directory") << day << QByteArray("dir") << none << 1;
        QTest::newRow("a link") << day << QByteArray("link") << none << 1;
        QTest::newRow("behind a folder link out of ~/.codex") << day << QByteArray("folder link out") << none << 1;
        QTest::newRow("behind a folder link within ~/.codex") << day << QByteArray("folder link in") << velqor << 1;
        QTest::newRow("no session_meta") << day << QByteArray(R"({"type":"response_item","payload":{"model_provider":"openai"}})") << none << 1;
        QTest::newRow("another provider in the file") << day << velqor << none << 1;
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
        QDir().mkpath(codex + "/archived_sessions");
        sqlite(AppPaths::stateDatabaseURL(),
               "INSERT INTO threads(id, model_provider, rollout_path) VALUES('t1', 'openai', " +
                   (stored.isEmpty() ? QByteArray("NULL")
                                     : "'" + stored.toUtf8().replace("'", "''") + "'") +
                   ");");
        const QByteArray tail = sessionRest.repeated(restCopies);
        if (firstLine == "dir" || firstLine == "link") {
            writeFile(codex + "/target.jsonl", sessionMeta("openai") + tail);
            makeEntry(path,
                      firstLine == "dir" ? "folder" : "link:" + codex.toUtf8() + "/target.jsonl");
        } else if (firstLine.startsWith("folder link")) {
            // The day's folder is a link to one outside ~/.codex, or to one inside it.
            const QString real = firstLine.endsWith("out") ? AppPaths::homeDirectory() + "/away"
                                                           : codex + "/elsewhere";
            writeFile(real + "/" + QFileInfo(path).fileName(), sessionMeta("openai") + tail);
            QDir().mkpath(codex + "/sessions/2025/05");
            QVERIFY(QFile::link(real, codex + "/sessions/2025/05/01"));
        } else if (!firstLine.isNull()) {
            writeFile(path, firstLine + tail);
        }
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ReadGroup);
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
        // The journal, readable by its owner only, holds what undoing needs and no more.
        QCOMPARE(int(QFile::permissions(result.journalURL) & 0x0077), 0);
        const auto compact = [](const auto& json) {
            return QJsonDocument(json).toJson(QJsonDocument::Compact) + '\n';
        };
        QByteArray journal = compact(
            QJsonObject{{"format", 2}, {"provider", "velqor"}, {"snapshot", result.backupURLs[0]}});
        if (moves)
            journal +=
                "file " + compact(QJsonArray{"openai", original.indexOf("\"model_provider\":") + 17,
                                             "\"openai\"", path});
        QCOMPARE(readFile(result.journalURL), journal + "end " + (moves ? "1" : "0") + '\n');

        QCOMPARE(undone(ChatSyncService().undo(result.journalURL)),
                 QString("1 rows, %1 files").arg(moves ? 1 : 0));
        QCOMPARE(chatProviders(), "velqor openai");
        QCOMPARE(readFile(path), original);
    }
};

QTEST_GUILESS_MAIN(TestSessionFiles)
#include "tst_sessionfiles.moc"
