#include "profiles/AppPaths.h"
#include "profiles/LocalKeysService.h"
#include "profiles/ProfilesStore.h"
#include "support/Checks.h"
#include "support/TestHome.h"

#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

namespace {

const QString profilesPath = ".codex/tavrin/profiles.json";
const QString keysPath = ".codex/tavrin/keys.json";

QByteArray profileJson(const QByteArray& id, const char* name, const char* auth,
                       const char* provider) {
    return R"({"id": ")" + id + R"(", "name": ")" + name + R"(", "preferred_auth_method": ")" +
           auth +
           R"(", "model": "m", "model_reasoning_effort": "e", "disable_response_storage": true,)"
           R"( "restart_codex": true, "model_provider": ")" +
           provider + "\"}";
}

// What the store publishes, and what the file holds of it (not the members only the file
// keeps).
ProfilesDocument published(const ProfilesStore& store) {
    return {store.activeProfileID(), store.activeClaudeProfileID(), store.profiles()};
}
ProfilesDocument onDisk(const TestHome& home) {
    ProfilesDocument document = ProfilesDocument::decode(home.read(profilesPath));
    document.unknownKeys = {};
    return document;
}

QStringList ids(const QList<Profile>& profiles) {
    QStringList result;
    for (const Profile& p : profiles)
        result << p.id;
    return result;
}

} // namespace

class TestProfilesStore : public QObject {
    Q_OBJECT
private slots:
    // The built-in account profiles come back as they should be; the chatgpt one always
    // signs in with the account and names no provider.
    void repair_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<QString>("active");
        QTest::addColumn<QString>("activeClaude");
        const QByteArray chatgpt = profileJson("chatgpt", "ChatGPT Account", "chatgpt", "");
        const QByteArray claude = profileJson("claude-code", "Claude Account", "claude", "claude");
        const QByteArray velqor = profileJson("velqor-1", "Velqor 1", "apikey", "velqor");
        const QStringList both{"chatgpt", "claude-code"};
        const QString codexDefault = "chatgpt", claudeDefault = "claude-code";
        QTest::newRow("legacy chatgpt profile")
            << R"({"active_profile": "chatgpt", "active_claude_profile": "claude-code", "profiles": [)" +
                   profileJson("chatgpt", "Current Account", "apikey", "openai") + "," + claude +
                   "]}"
            << both << codexDefault << claudeDefault;
        QTest::newRow("older file without claude profile")
            << R"({"active_profile": "chatgpt", "profiles": [)" + velqor + "," + chatgpt + "]}"
            << QStringList{"velqor-1", "claude-code", "chatgpt"} << codexDefault << claudeDefault;
        QTest::newRow("empty list gets both built-ins")
            << QByteArray(R"({"active_profile": "gone", "profiles": []})") << both << codexDefault
            << claudeDefault;
        QTest::newRow("claude cannot be the codex profile")
            << R"({"active_profile": "claude-code", "active_claude_profile": "chatgpt", "profiles": [)" +
                   chatgpt + "," + claude + "]}"
            << both << codexDefault << claudeDefault;
        QTest::newRow("velqor active for both stays")
            << R"({"active_profile": "velqor-1", "profiles": [)" + chatgpt + "," + claude + "," +
                   velqor + "]}"
            << both + QStringList{"velqor-1"} << QString("velqor-1") << QString("velqor-1");
    }

    void repair() {
        QFETCH(QByteArray, file);
        TestHome home;
        home.write(profilesPath, file);
        ProfilesStore store;
        store.load();
        QTEST(ids(store.profiles()), "ids");
        QTEST(store.activeProfileID(), "active");
        QTEST(store.activeClaudeProfileID(), "activeClaude");
        const Profile chatgpt = *store.profile("chatgpt");
        QCOMPARE(chatgpt.name, "ChatGPT Account");
        QCOMPARE(chatgpt.preferredAuthMethod, "chatgpt");
        QCOMPARE(chatgpt.modelProvider, std::optional<QString>(""));
        // What is published is what is on disk.
        QCOMPARE(onDisk(home), published(store));
    }

    // The first load creates the default file; a sound file written by another tool keeps
    // its bytes and time (one that needs a repair is written: see repair()).
    void loadWritesOnlyWhatNeedsWriting() {
        TestHome home;
        ProfilesStore store;
        QSignalSpy changed(&store, &ProfilesStore::documentChanged);
        store.load();
        QCOMPARE(ProfilesDocument::decode(home.read(profilesPath)),
                 ProfilesDocument::defaultDocument());
        QCOMPARE(published(store), ProfilesDocument::defaultDocument());
        QCOMPARE(changed.count(), 1);
        QVERIFY(!home.exists(keysPath));

        const QByteArray sound = QJsonDocument(ProfilesDocument::defaultDocument().toJson())
                                     .toJson(QJsonDocument::Compact);
        home.write(profilesPath, sound);
        const utimbuf hourAgo{::time(nullptr) - 3600, ::time(nullptr) - 3600};
        QCOMPARE(::utime(QFile::encodeName(home.file(profilesPath)).constData(), &hourAgo), 0);
        store.load();
        QCOMPARE(home.read(profilesPath), sound);
        QCOMPARE(QFileInfo(home.file(profilesPath)).lastModified().toSecsSinceEpoch(),
                 hourAgo.modtime);
    }

    void failedLoadRefusesChangesAndKeepsFile_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("malformed") << QByteArray("{\"active_profile\": \"chatgpt\", ");
        QByteArray huge = R"({"active_profile": "chatgpt", "profiles": [)";
        for (int i = 0; i < 20000; ++i)
            huge += profileJson("p" + QByteArray::number(i), "Name", "apikey", "velqor") + ',';
        QTest::newRow("very large, one bad profile") << huge + "{}]}";
    }

    void failedLoadRefusesChangesAndKeepsFile() {
        QFETCH(QByteArray, file);
        TestHome home;
        home.write(profilesPath, file);
        ProfilesStore store;
        QVERIFY_THROWS_EXCEPTION(JsonError, store.load());
        QCOMPARE(published(store), ProfilesDocument::defaultDocument());

        const QList<std::function<void()>> changes{
            [&] { store.saveActiveProfileID("velqor-1"); },
            [&] { store.saveActiveClaudeProfileID("velqor-1"); },
            [&] { store.saveProfile(Profile::velqorAccount(5)); },
            [&] { store.deleteProfile("velqor-2"); },
        };
        for (const auto& change : changes) {
            try {
                change();
                QFAIL("a change after a failed load must be refused");
            } catch (const ProfilesStoreError& error) {
                QCOMPARE(error.kind(), ProfilesStoreError::Kind::notLoaded);
                QVERIFY(error.localizedDescription().contains(home.file(profilesPath)));
            }
        }
        QCOMPARE(home.read(profilesPath), file);

        // Once the file is mended, a load lifts the refusal.
        home.write(profilesPath, ProfilesDocument::defaultDocument().encoded());
        store.load();
        store.saveActiveProfileID("velqor-1");
    }

    // What this version does not know of the file is kept through a change made from the
    // editor's fields; the file is for its owner only.
    void saveProfileReplacesInPlaceOrAppends() {
        TestHome home;
        home.write(profilesPath,
                   R"({"active_profile": "chatgpt", "future": "kept", "profiles": [)" +
                       profileJson("velqor-1", "V", "apikey", "velqor").chopped(1) +
                       R"(, "future_field": 1}]})");
        ProfilesStore store;
        store.load();
        Profile changed = *store.profile("velqor-1");
        changed.unknownKeys = {};
        changed.name = "Renamed";
        store.saveProfile(changed, QString());
        QCOMPARE(store.profiles().at(2).name, "Renamed");
        const QJsonObject written = QJsonDocument::fromJson(home.read(profilesPath)).object();
        QCOMPARE(written["future"], QJsonValue("kept"));
        QCOMPARE(written["profiles"][2]["future_field"], QJsonValue(1));
        QCOMPARE(modeOf(home.file(profilesPath)), 0600);
        QVERIFY(!home.exists(keysPath)); // an empty key stores nothing

        store.saveProfile(Profile::velqorAccount(9));
        QCOMPARE(store.profiles().last().id, "velqor-9");
        QCOMPARE(onDisk(home), published(store));
    }

    void activeIdsAndDeletion() {
        TestHome home;
        ProfilesStore store;
        store.load();
        QCOMPARE(errorOf([&] { store.saveActiveProfileID("nope"); }),
                 "Profile 'nope' was not found.");
        store.saveActiveClaudeProfileID("velqor-2");
        for (const char* active : {"chatgpt", "velqor-2"})
            QCOMPARE(errorOf([&] { store.deleteProfile(active); }),
                     "The active profile cannot be deleted.");
        store.deleteProfile("velqor-1"); // (and its key: the keyring test's)
        QVERIFY(!store.profile("velqor-1"));
        // Deleting an unknown id is no error and still writes both files.
        QFile::remove(home.file(keysPath));
        store.deleteProfile("unknown");
        QCOMPARE(home.read(keysPath).trimmed(), QByteArray("{\n}"));
        // A deleted built-in comes back on the next load.
        store.saveActiveClaudeProfileID("claude-code");
        store.deleteProfile("velqor-2");
        store.saveActiveClaudeProfileID("chatgpt");
        store.deleteProfile("claude-code");
        store.load();
        QCOMPARE(store.profiles().at(1).id, "claude-code");
    }

    // A key file that cannot be used is named wherever a key is needed, never taken for
    // one holding no keys. A change moves a file with unusable content aside; what is not
    // a file of its own (a link, a pipe, a folder) is left as it is.
    void brokenKeyFile_data() {
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<QString>("why");
        QTest::addColumn<bool>("setAside");
        const auto row = [](const char* name, const char* setup, const char* why, bool aside) {
            QTest::newRow(name) << QByteArray(setup) << QString(why) << aside;
        };
        row("not JSON", "{\"velqor-1\": \"one\", oops", "it is not valid JSON (", true);
        row("empty", "", "it is not valid JSON (", true);
        row("not utf-8", "{\"velqor-1\": \"\xff\"}", "it is not valid JSON (", true);
        row("array", "[\"velqor-1\"]", "it does not hold a key text for each profile.", true);
        row("number value", "{\"velqor-1\": 1}", "it does not hold a key text", true);
        row("unreadable", "mode 000", "Permission denied.", true);
        row("named pipe", "fifo", "it is a named pipe, not a file.", false);
        row("link to a key file", "link:../auth.json", "it is a symbolic link.", false);
    }

    void brokenKeyFile() {
        QFETCH(QByteArray, setup);
        QFETCH(QString, why);
        QFETCH(bool, setAside);
        TestHome home;
        const QString path = home.file(keysPath);
        const QByteArray good = R"({"velqor-1": "one"})";
        home.write(".codex/auth.json", good);
        makeEntry(path, setup == "mode 000" ? good : setup);
        if (setup == "mode 000" && ::geteuid() == 0)
            QSKIP("root reads any file");
        if (setup == "mode 000")
            QVERIFY(QFile::setPermissions(path, {}));
        ProfilesStore store;
        store.load();
        const QString message = "~/.codex/tavrin/keys.json cannot be read: " + why;
        QVERIFY2(errorOf([&] { store.apiKey("velqor-1"); }).startsWith(message),
                 qPrintable(errorOf([&] { store.apiKey("velqor-1"); })));
        QVERIFY(!store.hasAPIKey("velqor-1"));
        // An account profile needs no key, so it still gets its answer.
        QCOMPARE(store.apiKey("chatgpt"), std::optional<QString>());

        const QString saved = errorOf([&] { store.saveAPIKey("two", "velqor-2"); });
        const QStringList aside = home.entries(".codex/tavrin").filter("keys.json.unreadable-");
        if (setAside) {
            QCOMPARE(saved, QString());
            QCOMPARE(aside.size(), 1);
            QCOMPARE(home.read(".codex/tavrin/" + aside.first()),
                     setup == "mode 000" ? good : setup);
            QCOMPARE(store.apiKey("velqor-2"), std::optional<QString>("two"));
            QCOMPARE(modeOf(path), 0600);
        } else {
            QVERIFY2(saved.startsWith(message), qPrintable(saved));
            QVERIFY(aside.isEmpty());
            QCOMPARE(QFileInfo(path).isSymLink(), setup.startsWith("link:"));
        }
    }
};

QTEST_GUILESS_MAIN(TestProfilesStore)
#include "tst_profilesstore.moc"
