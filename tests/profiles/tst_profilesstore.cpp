#include "profiles/AppPaths.h"
#include "profiles/LocalKeysService.h"
#include "profiles/ProfilesStore.h"
#include "support/Checks.h"
#include "support/TestHome.h"

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
    void firstLoadCreatesDefaultFile() {
        TestHome home;
        ProfilesStore store;
        QSignalSpy changed(&store, &ProfilesStore::documentChanged);
        store.load();
        QCOMPARE(ProfilesDocument::decode(home.read(profilesPath)),
                 ProfilesDocument::defaultDocument());
        QCOMPARE(store.document(), ProfilesDocument::defaultDocument());
        QVERIFY(changed.count() >= 1);
        QVERIFY(!home.exists(keysPath));
    }

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
        QCOMPARE(ProfilesDocument::decode(home.read(profilesPath)), store.document());
    }

    void repairedFileIsRewrittenButSoundFileIsNot() {
        TestHome home;
        // A sound file written by another tool, compactly: it must keep its bytes and time.
        const QByteArray sound = QJsonDocument(ProfilesDocument::defaultDocument().toJson())
                                     .toJson(QJsonDocument::Compact);
        home.write(profilesPath, sound);
        const QDateTime old = QDateTime::currentDateTime().addSecs(-3600);
        {
            QFile f(home.file(profilesPath));
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(old, QFileDevice::FileModificationTime));
        }
        ProfilesStore store;
        store.load();
        QCOMPARE(home.read(profilesPath), sound);
        QCOMPARE(QFileInfo(home.file(profilesPath)).lastModified().toSecsSinceEpoch(),
                 old.toSecsSinceEpoch());

        // Without "active_claude_profile" the repair writes it out.
        QJsonObject legacy = ProfilesDocument::defaultDocument().toJson();
        legacy.remove("active_claude_profile");
        home.write(profilesPath, QJsonDocument(legacy).toJson());
        store.load();
        QVERIFY(home.read(profilesPath).contains("\"active_claude_profile\": \"claude-code\""));
    }

    void failedLoadRefusesChangesAndKeepsFile_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("malformed") << QByteArray("{\"active_profile\": \"chatgpt\", ");
        QTest::newRow("wrong type") << QByteArray(R"({"active_profile": 7, "profiles": []})");
        QTest::newRow("missing key") << QByteArray(R"({"profiles": []})");
        QTest::newRow("not utf-8")
            << QByteArray("{\"active_profile\": \"\xc3\x28\", \"profiles\": []}");
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
        QCOMPARE(store.document(), ProfilesDocument::defaultDocument());

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
        QCOMPARE(store.activeProfileID(), "velqor-1");
    }

    void saveProfileReplacesInPlaceOrAppends() {
        TestHome home;
        ProfilesStore store;
        store.load();
        Profile changed = *store.profile("velqor-1");
        changed.name = "Renamed";
        store.saveProfile(changed, QString());
        QCOMPARE(store.profiles().at(2).name, "Renamed");
        QVERIFY(!home.exists(keysPath)); // an empty key stores nothing

        store.saveProfile(Profile::velqorAccount(9), " k ");
        QCOMPARE(store.profiles().last().id, "velqor-9");
        QCOMPARE(store.apiKey("velqor-9"), std::optional<QString>(" k "));
        QCOMPARE(ProfilesDocument::decode(home.read(profilesPath)), store.document());
    }

    void activeIdsAndDeletion() {
        TestHome home;
        ProfilesStore store;
        store.load();
        QCOMPARE(errorOf([&] { store.saveActiveProfileID("nope"); }),
                 "Profile 'nope' was not found.");
        store.saveActiveClaudeProfileID("velqor-2");
        QCOMPARE(store.activeClaudeProfileID(), "velqor-2");
        for (const char* active : {"chatgpt", "velqor-2"})
            QCOMPARE(errorOf([&] { store.deleteProfile(active); }),
                     "The active profile cannot be deleted.");
        store.saveProfile(store.profiles().at(2), "secret");
        store.deleteProfile("velqor-1");
        QVERIFY(!store.profile("velqor-1"));
        QVERIFY(!store.hasAPIKey("velqor-1"));
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

    void keysAreOwnerOnlyAndUnreadableFileIsKept() {
        TestHome home;
        LocalKeysService keys;
        keys.saveAPIKey("one", "a");
        QCOMPARE(modeOf(home.file(keysPath)), 0600);
        // A file left readable by others is tightened on the next write.
        QFile::setPermissions(home.file(keysPath), QFile::permissions(home.file(keysPath)) |
                                                       QFile::ReadOther | QFile::ReadGroup);
        keys.saveAPIKey("two", "b");
        QCOMPARE(modeOf(home.file(keysPath)), 0600);
        QCOMPARE(keys.apiKey("a"), std::optional<QString>("one"));

        // An undecodable key file is moved aside, never silently replaced.
        const QByteArray broken = "{\"a\": \"one\", oops";
        home.write(keysPath, broken);
        QVERIFY(!keys.hasAPIKey("a"));
        keys.saveAPIKey("three", "c");
        const QStringList aside = home.entries(".codex/tavrin").filter("keys.json.unreadable-");
        QCOMPARE(aside.size(), 1);
        QCOMPARE(home.read(".codex/tavrin/" + aside.first()), broken);
        QCOMPARE(keys.apiKey("c"), std::optional<QString>("three"));
        QVERIFY(!keys.hasAPIKey("a"));
    }

    void keysReadAsEmpty_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("array") << QByteArray(R"(["a"])");
        QTest::newRow("number value") << QByteArray(R"({"a": 1})");
        QTest::newRow("empty key") << QByteArray(R"({"a": ""})");
        QTest::newRow("not utf-8") << QByteArray("{\"a\": \"\xff\"}");
        QTest::newRow("empty file") << QByteArray();
    }

    void keysReadAsEmpty() {
        QFETCH(QByteArray, file);
        TestHome home;
        home.write(keysPath, file);
        LocalKeysService keys;
        QCOMPARE(keys.apiKey("a"), std::optional<QString>());
        QVERIFY(!keys.hasAPIKey("a"));
    }
};

QTEST_GUILESS_MAIN(TestProfilesStore)
#include "tst_profilesstore.moc"
