#include "codex/AuthPatcher.h"
#include "profiles/AppPaths.h"
#include "support/Checks.h"
#include "support/TestHome.h"

#include <QRegularExpression>

#include <sys/stat.h>

namespace {

const QString authFile = ".codex/auth.json";

Profile profileFor(const QString& method) {
    return Profile("p", "P", method, "v", "m", "e", true, true);
}

// The layout auth.json is written in.
QByteArray pretty(const QByteArray& json) {
    return QJsonDocument::fromJson(json).toJson();
}

} // namespace

class TestAuthPatcher : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ::umask(022); }

    void apply_data() {
        QTest::addColumn<QByteArray>("existing"); // null: no file; <folder>, <loop>, <dangling>
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("apiKey");      // null: no stored key
        QTest::addColumn<QByteArray>("expected"); // null: the error, and nothing changes
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("mode"); // of auth.json afterwards
        const auto refused = [](const char* name, const QByteArray& existing,
                                const QString& error) {
            QTest::newRow(name) << existing << "apikey"
                                << "sk" << QByteArray() << error << 0;
        };
        const QByteArray account = pretty(R"({"auth_mode":"chatgpt","OPENAI_API_KEY":null})");
        const QString apikey = "apikey";

        QTest::newRow("new file, api key")
            << QByteArray() << apikey << " sk\"1 "
            << pretty("{\"auth_mode\":\"apikey\",\"OPENAI_API_KEY\":\" sk\\\"1 \"}") << QString()
            << 0600;
        QTest::newRow("new file, api-key profile without a key")
            << QByteArray() << apikey << QString() << account << QString() << 0600;
        QTest::newRow("array replaced, empty key, mode kept")
            << QByteArray("[1]") << apikey << "" << account << QString() << 0644;
        QTest::newRow("account profile with a key") << QByteArray("{}") << "chatgpt"
                                                    << "sk" << account << QString() << 0644;
        // The key makes a 0644 file private; every other member comes back as read.
        QTest::newRow("0644 file gets a key, other members exact")
            << QByteArray("{\"auth_mode\":\"chatgpt\",\"tokens\":{\"id_token\":\"t\","
                          "\"n\":12345678901234567890},\"last_refresh\":1.0,\"e\":1e-400,"
                          "\"z\":-0,\"f\":0.1e+5,\"s\":\"\\u00e9\\n\\\"é\"}")
            << apikey << "sk"
            << QByteArray(
                   "{\n    \"OPENAI_API_KEY\": \"sk\",\n    \"auth_mode\": \"apikey\",\n"
                   "    \"e\": 1e-400,\n    \"f\": 0.1e+5,\n    \"last_refresh\": 1.0,\n"
                   "    \"s\": \"é\\n\\\"é\",\n    \"tokens\": {\n        \"id_token\": \"t\",\n"
                   "        \"n\": 12345678901234567890\n    },\n    \"z\": -0\n}\n")
            << QString() << 0600;
        // Nothing but a readable file or no file at all is ever replaced.
        const QString notJson = "Could not read %1: it is not valid JSON (";
        refused("not JSON", R"({"tokens": {"id": "t")",
                notJson + "unterminated object at byte 21).");
        refused("invalid UTF-8", "{\"tokens\": \"\xff\"}",
                notJson + "invalid UTF-8 in a string at byte 12).");
        refused("folder", "<folder>", "%1 is a folder, not a file.");
        refused("link loop", "<loop>", "%1 is a symbolic link loop.");
        refused("dangling link", "<dangling>",
                "%1 is a symbolic link to %2, which does not exist.");
    }

    void apply() {
        QFETCH(QByteArray, existing);
        QFETCH(QString, method);
        QFETCH(QString, apiKey);
        QFETCH(QByteArray, expected);
        QFETCH(QString, error);
        QFETCH(int, mode);
        TestHome home;
        const QString path = home.file(authFile);
        const QString target = home.file(".codex/elsewhere.json");
        QVERIFY(QDir().mkpath(home.file(existing == "<folder>" ? authFile : ".codex")));
        if (existing == "<loop>" || existing == "<dangling>")
            QVERIFY(QFile::link(existing == "<loop>" ? path : target, path));
        else if (!existing.isNull() && !existing.startsWith('<'))
            home.write(authFile, existing);
        error.replace("%1", path).replace("%2", target);
        const auto everything =
            QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot;
        const QStringList before = QDir(home.file(".codex")).entryList(everything);

        // The recorder hears of the change once the copy exists, before the file changes.
        std::optional<FileChange> heard;
        const auto recorder = [&](const FileChange& change) {
            heard = change;
            QCOMPARE(home.read(authFile), existing);
            QCOMPARE(QFile(change.copy).exists(), change.existed);
        };
        QCOMPARE(errorOf([&] {
                     AuthPatcher patcher;
                     patcher.apply(patcher.prepare(profileFor(method), optionalText(apiKey)),
                                   recorder);
                 }),
                 error);
        if (!error.isEmpty()) {
            QVERIFY(!heard);
            QCOMPARE(QDir(home.file(".codex")).entryList(everything), before);
            QVERIFY(existing.startsWith('<') || home.read(authFile) == existing);
            return;
        }
        QVERIFY(heard && heard->path == AppPaths::authURL());
        QCOMPARE(home.read(authFile), expected);
        QCOMPARE(modeOf(path), mode);
        // The copy taken before the change is the old file, for the owner only.
        QCOMPARE(!heard->copy.isEmpty(), !existing.isNull());
        if (!heard->copy.isEmpty()) {
            QVERIFY2(QRegularExpression("/\\.codex/backups/auth-\\d{4}(-\\d\\d){5}\\.json$")
                         .match(heard->copy)
                         .hasMatch(),
                     qPrintable(heard->copy));
            QCOMPARE(home.read(".codex/backups/" + heard->copy.section('/', -1)), existing);
            QCOMPARE(modeOf(heard->copy), 0600);
        }
    }

    void hasLoginTokens_data() {
        QTest::addColumn<QByteArray>("existing"); // null: no file
        QTest::addColumn<bool>("expected");
        QTest::newRow("no file") << QByteArray() << false;
        QTest::newRow("no tokens") << QByteArray(R"({"auth_mode":"chatgpt"})") << false;
        QTest::newRow("null tokens") << QByteArray(R"({"tokens":null})") << false;
        QTest::newRow("tokens not an object") << QByteArray(R"({"tokens":"t"})") << false;
        QTest::newRow("array") << QByteArray(R"([{"tokens":{}}])") << false;
        QTest::newRow("login") << QByteArray(R"({"tokens":{"id_token":"t"}})") << true;
        QTest::newRow("empty tokens object") << QByteArray(R"({"tokens":{}})") << true;
    }

    void hasLoginTokens() {
        QFETCH(QByteArray, existing);
        QFETCH(bool, expected);
        TestHome home;
        if (!existing.isNull())
            home.write(authFile, existing);
        QCOMPARE(AuthPatcher().prepare(Profile::chatGPTAccount(), std::nullopt).hasLoginTokens,
                 expected);
    }

    void differences_data() {
        QTest::addColumn<QByteArray>("existing"); // null: no file
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("apiKey");
        QTest::addColumn<QStringList>("expected");
        const auto row = [](const char* name, const QByteArray& existing, const char* method,
                            const QString& key, const QStringList& expected) {
            QTest::newRow(name) << existing << QString(method) << key << expected;
        };
        const QString key = "secret-1", a = "auth.json: ";
        row("api key matches", R"({"auth_mode":"apikey","OPENAI_API_KEY":"secret-1","x":1})",
            "apikey", key, {});
        row("account matches, key absent", R"({"auth_mode":"chatgpt"})", "chatgpt", key, {});
        row("no file", QByteArray(), "chatgpt", QString(), {a + "auth_mode is not \"chatgpt\""});
        row("another key", R"({"auth_mode":"apikey","OPENAI_API_KEY":"secret-0"})", "apikey", key,
            {a + "OPENAI_API_KEY holds another key"});
        row("key wanted, none there", R"({"auth_mode":"chatgpt","OPENAI_API_KEY":null})", "apikey",
            key, {a + "auth_mode is \"chatgpt\", not \"apikey\"", a + "OPENAI_API_KEY is not set"});
        row("account, key left behind", R"({"auth_mode":"apikey","OPENAI_API_KEY":"secret-1"})",
            "chatgpt", key,
            {a + "auth_mode is \"apikey\", not \"chatgpt\"", a + "OPENAI_API_KEY is set"});
    }

    void differences() {
        QFETCH(QByteArray, existing);
        QFETCH(QString, method);
        QFETCH(QString, apiKey);
        QFETCH(QStringList, expected);
        TestHome home;
        if (!existing.isNull())
            home.write(authFile, existing);
        QCOMPARE(AuthPatcher().differences(profileFor(method), optionalText(apiKey)), expected);
    }

    void throwingRecorder() {
        TestHome home;
        home.write(authFile, "{}");
        QCOMPARE(errorOf([&] {
                     AuthPatcher patcher;
                     patcher.apply(patcher.prepare(profileFor("apikey"), QString("sk")),
                                   [](const FileChange&) { throw FileError("stop"); });
                 }),
                 "stop");
        QCOMPARE(home.read(authFile), "{}");
    }
};

QTEST_GUILESS_MAIN(TestAuthPatcher)
#include "tst_authpatcher.moc"
