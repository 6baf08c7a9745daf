#include "profiles/ProfilesStore.h"
#include "support/Checks.h"
#include "support/TestHome.h"

#include <unistd.h>
#include <utime.h>

const QString profilesPath = ".codex/tavrin/profiles.json";
const QString keysPath = ".codex/tavrin/keys.json";

// What the store publishes, and what the file holds of it but for the unknown members.
static ProfilesDocument published(const ProfilesStore& store) {
    return {store.activeProfileID(), store.activeClaudeProfileID(), store.profiles()};
}
static ProfilesDocument onDisk(const TestHome& home) {
    ProfilesDocument document = ProfilesDocument::decode(home.read(profilesPath));
    document.unknownKeys = {};
    return document;
}

class TestProfilesStore : public QObject {
    Q_OBJECT
private slots:
    // What a load makes of the profiles file: the first one creates the default file. In a
    // file an earlier version or another tool left, the built-in account profiles come back
    // as they should be (the chatgpt one always signs in with the account and names no
    // provider); a sound file keeps its bytes and time.
    void load_data() {
        const Profile chatgpt = Profile::chatGPTAccount(), claude = Profile::claudeCodeAccount(),
                      velqor = Profile::velqorAccount(1);
        Profile legacy = chatgpt;
        legacy.name = "Current Account";
        legacy.preferredAuthMethod = "apikey";
        legacy.modelProvider = "openai";
        const ProfilesDocument both{"chatgpt", "claude-code", {chatgpt, claude}};
        const auto row = [](const char* name, const ProfilesDocument& file,
                            const ProfilesDocument& expected) {
            QTest::newRow(name) << file << expected;
        };
        QTest::addColumn<ProfilesDocument>("file"); // no active profile: no file
        QTest::addColumn<ProfilesDocument>("expected");
        row("first load", {}, ProfilesDocument::defaultDocument());
        row("legacy chatgpt profile", {"chatgpt", "claude-code", {legacy, claude}}, both);
        row("older file without claude profile", {"chatgpt", {}, {velqor, chatgpt}},
            {"chatgpt", "claude-code", {velqor, claude, chatgpt}});
        row("empty list gets both built-ins", {"gone", {}, {}}, both);
        row("claude cannot be the codex profile", {"claude-code", "chatgpt", {chatgpt, claude}},
            both);
        row("sound, velqor active for both", {"velqor-1", {}, {chatgpt, claude, velqor}},
            {"velqor-1", "velqor-1", {chatgpt, claude, velqor}});
    }

    void load() {
        QFETCH(ProfilesDocument, file);
        QFETCH(ProfilesDocument, expected);
        TestHome home;
        // Written as another tool would (not as Tavrin lays it out), an hour ago.
        const QByteArray written = QJsonDocument(file.toJson()).toJson(QJsonDocument::Compact);
        const utimbuf hourAgo{::time(nullptr) - 3600, ::time(nullptr) - 3600};
        const QString path = home.file(profilesPath);
        if (!file.activeProfile.isEmpty()) {
            home.write(profilesPath, written);
            QCOMPARE(::utime(QFile::encodeName(path).constData(), &hourAgo), 0);
        }
        ProfilesStore store;
        QSignalSpy changed(&store, &ProfilesStore::documentChanged);
        store.load();
        QCOMPARE(published(store), expected);
        QCOMPARE(onDisk(home), expected);
        QCOMPARE(changed.count(), 1);
        QVERIFY(!home.exists(keysPath));
        const bool kept = home.read(profilesPath) == written &&
                          QFileInfo(path).lastModified().toSecsSinceEpoch() == hourAgo.modtime;
        QCOMPARE(kept, ProfilesDocument::decode(written) == expected);
    }

    void failedLoadRefusesChangesAndKeepsFile_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("malformed") << QByteArray("{\"active_profile\": \"chatgpt\", ");
        const QList<Profile> many(20000, Profile::velqorAccount(3));
        QByteArray huge = ProfilesDocument{"chatgpt", {}, many}.encoded();
        QTest::newRow("very large, one bad profile") << huge.insert(huge.lastIndexOf(']'), ", {}");
    }

    void failedLoadRefusesChangesAndKeepsFile() {
        QFETCH(QByteArray, file);
        TestHome home;
        home.write(profilesPath, file);
        ProfilesStore store;
        QVERIFY_THROWS_EXCEPTION(JsonError, store.load());
        QCOMPARE(published(store), ProfilesDocument::defaultDocument());

        const QString refused = "Profiles are read-only because " + home.file(profilesPath);
        QVERIFY(errorOf([&] { store.saveActiveProfileID("velqor-1"); }).startsWith(refused));
        QVERIFY(errorOf([&] { store.saveActiveClaudeProfileID("velqor-1"); }).startsWith(refused));
        QVERIFY(errorOf([&] { store.saveProfile(Profile::velqorAccount(5)); }).startsWith(refused));
        QVERIFY(errorOf([&] { store.deleteProfile("velqor-2"); }).startsWith(refused));
        QCOMPARE(home.read(profilesPath), file);

        // Once the file is mended, a load lifts the refusal.
        home.write(profilesPath, ProfilesDocument::defaultDocument().encoded());
        store.load();
        store.saveActiveProfileID("velqor-1");
    }

    // What this version does not know of the file is kept through a change made from the
    // editor's fields; the file is for its owner only, whatever mode an earlier version left
    // (it may hold a proxy's password), and so is the key file. Then the active ids and
    // deletion.
    void changes() {
        TestHome home;
        ProfilesDocument file = ProfilesDocument::defaultDocument();
        file.unknownKeys = {{"future", "kept"}};
        file.profiles[2].unknownKeys = {{"future_field", 1}};
        for (const QString& path : {profilesPath, keysPath}) {
            home.write(path, path == keysPath ? "{}" : file.encoded());
            QVERIFY(QFile::setPermissions(home.file(path), QFileDevice::Permissions(0x6644)));
        }
        ProfilesStore store;
        store.load();
        Profile changed = Profile::velqorAccount(1); // as the editor's fields give it
        changed.name = "Renamed";
        store.saveProfile(changed, QString());
        file.profiles[2].name = "Renamed";
        QCOMPARE(ProfilesDocument::decode(home.read(profilesPath)), file);
        QCOMPARE(store.profiles(), file.profiles);
        QCOMPARE(modeOf(home.file(profilesPath)), 0600);
        QCOMPARE(home.read(keysPath), "{}"); // an empty key stores nothing

        store.saveProfile(Profile::velqorAccount(9));
        QCOMPARE(store.profiles().last().id, "velqor-9");
        QCOMPARE(onDisk(home), published(store));

        QCOMPARE(errorOf([&] { store.saveActiveProfileID("nope"); }),
                 "Profile 'nope' was not found.");
        store.saveActiveClaudeProfileID("velqor-2");
        for (const char* active : {"chatgpt", "velqor-2"})
            QCOMPARE(errorOf([&] { store.deleteProfile(active); }),
                     "The active profile cannot be deleted.");
        store.deleteProfile("velqor-1"); // (and its key: the keyring test's)
        QVERIFY(!store.profile("velqor-1"));
        QCOMPARE(modeOf(home.file(keysPath)), 0600);
        // Deleting an unknown id is no error and still writes both files.
        QFile::remove(home.file(keysPath));
        store.deleteProfile("unknown");
        QCOMPARE(home.read(keysPath).trimmed(), QByteArray("{\n}"));
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
        if (setup == "mode 000" && ::geteuid() == 0)
            QSKIP("root reads any file");
        TestHome home;
        const QString path = home.file(keysPath);
        const QByteArray good = R"({"velqor-1": "one"})";
        home.write(".codex/auth.json", good);
        const QByteArray content = setup == "mode 000" ? good : setup;
        makeEntry(path, content);
        QVERIFY(setup != "mode 000" || QFile::setPermissions(path, {}));
        ProfilesStore store;
        store.load();
        const QString message = "~/.codex/tavrin/keys.json cannot be read: " + why;
        const QString read = errorOf([&] { store.apiKey("velqor-1"); });
        QVERIFY2(read.startsWith(message), qPrintable(read));
        QVERIFY(!store.hasAPIKey("velqor-1"));
        // An account profile needs no key, so it still gets its answer.
        QCOMPARE(store.apiKey("chatgpt"), std::optional<QString>());

        const QString saved = errorOf([&] { store.saveAPIKey("two", "velqor-2"); });
        const QStringList aside = home.entries(".codex/tavrin").filter("keys.json.unreadable-");
        QCOMPARE(aside.size(), setAside ? 1 : 0);
        if (setAside) {
            QCOMPARE(saved, QString());
            QCOMPARE(home.read(".codex/tavrin/" + aside.first()), content);
            QCOMPARE(store.apiKey("velqor-2"), std::optional<QString>("two"));
            QCOMPARE(modeOf(path), 0600);
        } else {
            QVERIFY2(saved.startsWith(message), qPrintable(saved));
            QCOMPARE(QFileInfo(path).isSymLink(), setup.startsWith("link:"));
        }
    }
};

QTEST_GUILESS_MAIN(TestProfilesStore)
#include "tst_profilesstore.moc"
