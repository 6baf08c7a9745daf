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

struct Apply {
    const char* name;
    // What stands at auth.json, in makeEntry's words; null: nothing. In the error "%1" is
    // auth.json and "%2" ~/.codex/elsewhere.json, which does not exist.
    QByteArray existing;
    QString method;
    QString apiKey;      // null: no stored key
    QByteArray expected; // null: refused, and nothing changes
    QString error;
    int mode = 0; // of auth.json afterwards (-1: none)
};

} // namespace

Q_DECLARE_METATYPE(Apply)

class TestAuthPatcher : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ::umask(022); }

    void apply_data() {
        const QByteArray account = pretty(R"({"auth_mode":"chatgpt","OPENAI_API_KEY":null})");
        const QString notJson = "Could not read %1: it is not valid JSON (";
        // clang-format off
        addRows<Apply>({
            {"new file, api key", {}, "apikey", " sk\"1 ", pretty("{\"auth_mode\":\"apikey\",\"OPENAI_API_KEY\":\" sk\\\"1 \"}"), {}, 0600},
            {"new file, api-key profile without a key", {}, "apikey", {}, account, {}, 0600},
            // Only an object in a tokens member is login tokens, which make the file private.
            {"array replaced, empty key, mode kept", R"([{"tokens":{}}])", "apikey", "", account, {}, 0644},
            {"account profile with a key", "{}", "chatgpt", "sk", account, {}, 0644},
            {"login tokens made private", R"({"tokens":{}})", "chatgpt", {},
             pretty(R"({"auth_mode":"chatgpt","OPENAI_API_KEY":null,"tokens":{}})"), {}, 0600},
            {"tokens not an object, mode kept", R"({"tokens":"t"})", "chatgpt", {},
             pretty(R"({"auth_mode":"chatgpt","OPENAI_API_KEY":null,"tokens":"t"})"), {}, 0644},
            // The key makes a 0644 file private; every other member comes back as read.
            {"0644 file gets a key, other members exact",
             "{\"auth_mode\":\"chatgpt\",\"tokens\":{\"id_token\":\"t\",\"n\":12345678901234567890},\"last_refresh\":1.0,\"e\":1e-400,"
             "\"z\":-0,\"f\":0.1e+5,\"s\":\"\\u00e9\\n\\\"é\"}", "apikey", "sk",
             "{\n    \"OPENAI_API_KEY\": \"sk\",\n    \"auth_mode\": \"apikey\",\n    \"e\": 1e-400,\n    \"f\": 0.1e+5,\n    \"last_refresh\": 1.0,\n"
             "    \"s\": \"é\\n\\\"é\",\n    \"tokens\": {\n        \"id_token\": \"t\",\n        \"n\": 12345678901234567890\n    },\n    \"z\": -0\n}\n",
             {}, 0600},
            // Nothing but a readable file or no file at all is ever replaced, and a change
            // that cannot be recorded is not made.
            {"not JSON", R"({"tokens": {"id": "t")", "apikey", "sk", {}, notJson + "unterminated object at byte 21).", 0644},
            {"folder", "folder", "apikey", "sk", {}, "%1 is a folder, not a file.", 0755},
            {"dangling link", "link:elsewhere.json", "apikey", "sk", {}, "%1 is a symbolic link to %2, which does not exist.", -1},
            {"recorder fails", "{}", "apikey", "sk", {}, "stop", 0644},
        });
        // clang-format on
    }

    void apply() {
        QFETCH(Apply, row);
        TestHome home;
        const QString path = home.file(authFile), elsewhere = home.file(".codex/elsewhere.json");
        if (!row.existing.isNull())
            makeEntry(path, row.existing);
        const QByteArray old = home.read(authFile);
        const QString error = row.error.replace("%1", path).replace("%2", elsewhere);
        const auto everything =
            QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot;
        const QStringList before = QDir(home.file(".codex")).entryList(everything);

        // The recorder hears of the change once the copy exists, before the file changes.
        std::optional<FileChange> heard;
        const auto recorder = [&](const FileChange& change) {
            heard = change;
            QCOMPARE(home.read(authFile), old);
            QCOMPARE(QFile(change.copy).exists(), change.existed);
            if (error == "stop")
                throw FileError(error);
        };
        QCOMPARE(errorOf([&] {
                     AuthPatcher patcher;
                     patcher.apply(
                         patcher.prepare(profileFor(row.method), optionalText(row.apiKey)),
                         recorder);
                 }),
                 error);
        QCOMPARE(heard.has_value(), error.isEmpty() || error == "stop");
        QCOMPARE(home.read(authFile), row.expected.isNull() ? old : row.expected);
        QCOMPARE(modeOf(path), row.mode);
        if (!heard) {
            QCOMPARE(QDir(home.file(".codex")).entryList(everything), before);
            return;
        }
        QCOMPARE(heard->path, AppPaths::authURL());
        // The copy taken before the change is the old file, for the owner only.
        QCOMPARE(
            heard->copy.contains(QRegularExpression("/\\.codex/backups/auth-[-\\d]{19}\\.json$")),
            !row.existing.isNull());
        QCOMPARE(readFile(heard->copy), old);
        QCOMPARE(modeOf(heard->copy), row.existing.isNull() ? -1 : 0600);
    }

    // How auth.json differs from the profile's, as a switch's check reports it.
    void reading_data() {
        QTest::addColumn<QByteArray>("existing"); // null: no file
        QTest::addColumn<QString>("method");
        QTest::addColumn<QStringList>("differences"); // with the key "secret-1"
        const auto row = [](const char* name, const QByteArray& existing, const char* method,
                            const QStringList& differences) {
            QTest::newRow(name) << existing << QString(method) << differences;
        };
        const QString a = "auth.json: ", notAccount = a + "auth_mode is not \"chatgpt\"";
        // clang-format off
        row("api key matches", R"({"auth_mode":"apikey","OPENAI_API_KEY":"secret-1","x":1})", "apikey", {});
        row("account matches, key absent", R"({"auth_mode":"chatgpt"})", "chatgpt", {});
        row("no file", QByteArray(), "chatgpt", {notAccount});
        row("another key", R"({"auth_mode":"apikey","OPENAI_API_KEY":"secret-0"})", "apikey", {a + "OPENAI_API_KEY holds another key"});
        row("key wanted, none there", R"({"auth_mode":"chatgpt","OPENAI_API_KEY":null})", "apikey",
            {a + "auth_mode is \"chatgpt\", not \"apikey\"", a + "OPENAI_API_KEY is not set"});
        row("account, key left behind", R"({"auth_mode":"apikey","OPENAI_API_KEY":"secret-1"})", "chatgpt",
            {a + "auth_mode is \"apikey\", not \"chatgpt\"", a + "OPENAI_API_KEY is set"});
        // clang-format on
    }

    void reading() {
        QFETCH(QByteArray, existing);
        QFETCH(QString, method);
        TestHome home;
        if (!existing.isNull())
            home.write(authFile, existing);
        QTEST(AuthPatcher().differences(profileFor(method), QString("secret-1")), "differences");
    }
};

QTEST_GUILESS_MAIN(TestAuthPatcher)
#include "tst_authpatcher.moc"
