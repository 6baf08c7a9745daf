#include "profiles/AppPaths.h"
#include "profiles/LocalKeysService.h"
#include "profiles/ProfilesStore.h"
#include "support/TestHome.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

class TestProfilesStore : public QObject {
    Q_OBJECT
private slots:
    void firstLoadCreatesDefaultFile();
    void repair_data();
    void repair();
    void repairedFileIsRewrittenButSoundFileIsNot();
    void failedLoadRefusesChangesAndKeepsFile_data();
    void failedLoadRefusesChangesAndKeepsFile();
    void saveProfileReplacesInPlaceOrAppends();
    void activeIdsAndDeletion();
    void keysAreOwnerOnlyAndUnreadableFileIsKept();
    void keysReadAsEmpty_data();
    void keysReadAsEmpty();
};

namespace {

const char* profilesPath = ".codex/tavrin/profiles.json";
const char* keysPath = ".codex/tavrin/keys.json";

QByteArray profileJson(const char* id, const char* name, const char* auth, const char* provider) {
    QByteArray p =
        QByteArray(R"({"id": ")") + id + R"(", "name": ")" + name +
        R"(", "preferred_auth_method": ")" + auth +
        R"(", "model": "m", "model_reasoning_effort": "e", "disable_response_storage": true, "restart_codex": true)";
    if (provider)
        p += QByteArray(R"(, "model_provider": ")") + provider + '"';
    return p + '}';
}

QStringList ids(const QList<Profile>& profiles) {
    QStringList result;
    for (const Profile& p : profiles)
        result << p.id;
    return result;
}

QFile::Permissions ownerOnly() {
    return QFile::ReadOwner | QFile::WriteOwner;
}
// The "user" bits describe the running process, not the file's mode.
QFile::Permissions userBits() {
    return QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
}

} // namespace

void TestProfilesStore::firstLoadCreatesDefaultFile() {
    TestHome home;
    ProfilesStore store;
    QSignalSpy changed(&store, &ProfilesStore::documentChanged);
    store.load();
    QVERIFY(home.exists(QString::fromLatin1(profilesPath)));
    QCOMPARE(ProfilesDocument::decode(home.read(QString::fromLatin1(profilesPath))),
             ProfilesDocument::defaultDocument());
    QCOMPARE(store.document(), ProfilesDocument::defaultDocument());
    QVERIFY(changed.count() >= 1);
    QVERIFY(!home.exists(QString::fromLatin1(keysPath)));
}

void TestProfilesStore::repair_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<QString>("active");
    QTest::addColumn<QString>("activeClaude");
    QTest::addColumn<QString>("chatgptName");

    const QByteArray chatgpt = profileJson("chatgpt", "ChatGPT Account", "chatgpt", "");
    const QByteArray claude = profileJson("claude-code", "Claude Account", "claude", "claude");
    const QByteArray velqor = profileJson("velqor-1", "Velqor 1", "apikey", "velqor");

    QTest::newRow("legacy chatgpt profile")
        << R"({"active_profile": "chatgpt", "active_claude_profile": "claude-code", "profiles": [)" +
               profileJson("chatgpt", "Current Account", "apikey", "openai") + "," + claude + "]}"
        << QStringList{"chatgpt", "claude-code"} << "chatgpt"
        << "claude-code"
        << "ChatGPT Account";
    QTest::newRow("older file without claude profile")
        << R"({"active_profile": "chatgpt", "profiles": [)" + velqor + "," + chatgpt + "]}"
        << QStringList{"velqor-1", "claude-code", "chatgpt"} << "chatgpt"
        << "claude-code"
        << "ChatGPT Account";
    QTest::newRow("empty list gets both built-ins")
        << QByteArray(R"({"active_profile": "gone", "profiles": []})")
        << QStringList{"chatgpt", "claude-code"} << "chatgpt"
        << "claude-code"
        << "ChatGPT Account";
    QTest::newRow("claude cannot be the codex profile")
        << R"({"active_profile": "claude-code", "active_claude_profile": "chatgpt", "profiles": [)" +
               chatgpt + "," + claude + "]}"
        << QStringList{"chatgpt", "claude-code"} << "chatgpt"
        << "claude-code"
        << "ChatGPT Account";
    QTest::newRow("velqor active for both stays")
        << R"({"active_profile": "velqor-1", "profiles": [)" + chatgpt + "," + claude + "," +
               velqor + "]}"
        << QStringList{"chatgpt", "claude-code", "velqor-1"} << "velqor-1"
        << "velqor-1"
        << "ChatGPT Account";
}

void TestProfilesStore::repair() {
    QFETCH(QByteArray, file);
    TestHome home;
    home.write(QString::fromLatin1(profilesPath), file);
    ProfilesStore store;
    store.load();
    QTEST(ids(store.profiles()), "ids");
    QTEST(store.activeProfileID(), "active");
    QTEST(store.activeClaudeProfileID(), "activeClaude");
    QTEST(store.profile(QStringLiteral("chatgpt"))->name, "chatgptName");
    const Profile chatgpt = *store.profile(QStringLiteral("chatgpt"));
    QCOMPARE(chatgpt.preferredAuthMethod, QStringLiteral("chatgpt"));
    QCOMPARE(chatgpt.modelProvider, std::optional<QString>(QString()));
    // What is published is what is on disk.
    QCOMPARE(ProfilesDocument::decode(home.read(QString::fromLatin1(profilesPath))),
             store.document());
}

void TestProfilesStore::repairedFileIsRewrittenButSoundFileIsNot() {
    TestHome home;
    const QString path = QString::fromLatin1(profilesPath);
    // A sound file written by another tool, compactly: it must keep its bytes and time.
    const QByteArray sound =
        QJsonDocument(ProfilesDocument::defaultDocument().toJson()).toJson(QJsonDocument::Compact);
    home.write(path, sound);
    const QDateTime old = QDateTime::currentDateTime().addSecs(-3600);
    {
        QFile f(home.file(path));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(old, QFileDevice::FileModificationTime));
    }
    ProfilesStore store;
    store.load();
    QCOMPARE(home.read(path), sound);
    QCOMPARE(QFileInfo(home.file(path)).lastModified().toSecsSinceEpoch(), old.toSecsSinceEpoch());

    // Without "active_claude_profile" the repair writes it out.
    QJsonObject legacy = ProfilesDocument::defaultDocument().toJson();
    legacy.remove(QStringLiteral("active_claude_profile"));
    home.write(path, QJsonDocument(legacy).toJson());
    store.load();
    QVERIFY(home.read(path).contains("\"active_claude_profile\": \"claude-code\""));
}

void TestProfilesStore::failedLoadRefusesChangesAndKeepsFile_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("malformed") << QByteArray("{\"active_profile\": \"chatgpt\", ");
    QTest::newRow("wrong type") << QByteArray(R"({"active_profile": 7, "profiles": []})");
    QTest::newRow("missing key") << QByteArray(R"({"profiles": []})");
    QTest::newRow("not utf-8") << QByteArray(
        "{\"active_profile\": \"\xc3\x28\", \"profiles\": []}");
    QByteArray huge = R"({"active_profile": "chatgpt", "profiles": [)";
    for (int i = 0; i < 20000; ++i)
        huge += profileJson(QByteArray("p" + QByteArray::number(i)).constData(), "Name", "apikey",
                            "velqor") +
                ',';
    huge += "{}]}"; // the last element is broken
    QTest::newRow("very large, one bad profile") << huge;
}

void TestProfilesStore::failedLoadRefusesChangesAndKeepsFile() {
    QFETCH(QByteArray, file);
    TestHome home;
    const QString path = QString::fromLatin1(profilesPath);
    home.write(path, file);
    ProfilesStore store;
    QVERIFY_THROWS_EXCEPTION(JsonError, store.load());
    QCOMPARE(store.document(), ProfilesDocument::defaultDocument());

    const QList<std::function<void()>> changes{
        [&] { store.saveActiveProfileID(QStringLiteral("velqor-1")); },
        [&] { store.saveActiveClaudeProfileID(QStringLiteral("velqor-1")); },
        [&] { store.saveProfile(Profile::velqorAccount(5)); },
        [&] { store.deleteProfile(QStringLiteral("velqor-2")); },
    };
    for (const auto& change : changes) {
        try {
            change();
            QFAIL("a change after a failed load must be refused");
        } catch (const ProfilesStoreError& error) {
            QCOMPARE(error.kind(), ProfilesStoreError::Kind::notLoaded);
            QVERIFY(error.localizedDescription().contains(home.file(path)));
        }
    }
    QCOMPARE(home.read(path), file);

    // Once the file is mended, a load lifts the refusal.
    home.write(path, ProfilesDocument::defaultDocument().encoded());
    store.load();
    store.saveActiveProfileID(QStringLiteral("velqor-1"));
    QCOMPARE(store.activeProfileID(), QStringLiteral("velqor-1"));
}

void TestProfilesStore::saveProfileReplacesInPlaceOrAppends() {
    TestHome home;
    ProfilesStore store;
    store.load();
    Profile changed = *store.profile(QStringLiteral("velqor-1"));
    changed.name = QStringLiteral("Renamed");
    store.saveProfile(changed, QString());
    QCOMPARE(store.profiles().at(2).name, QStringLiteral("Renamed"));
    QVERIFY(!home.exists(QString::fromLatin1(keysPath))); // an empty key stores nothing

    store.saveProfile(Profile::velqorAccount(9), QStringLiteral(" k "));
    QCOMPARE(store.profiles().last().id, QStringLiteral("velqor-9"));
    QCOMPARE(store.apiKey(QStringLiteral("velqor-9")),
             std::optional<QString>(QStringLiteral(" k ")));
    QCOMPARE(ProfilesDocument::decode(home.read(QString::fromLatin1(profilesPath))),
             store.document());
}

void TestProfilesStore::activeIdsAndDeletion() {
    TestHome home;
    ProfilesStore store;
    store.load();
    try {
        store.saveActiveProfileID(QStringLiteral("nope"));
        QFAIL("unknown id accepted");
    } catch (const ProfilesStoreError& error) {
        QCOMPARE(error.localizedDescription(), QStringLiteral("Profile 'nope' was not found."));
    }
    store.saveActiveClaudeProfileID(QStringLiteral("velqor-2"));
    QCOMPARE(store.activeClaudeProfileID(), QStringLiteral("velqor-2"));

    for (const char* active : {"chatgpt", "velqor-2"}) {
        try {
            store.deleteProfile(QString::fromLatin1(active));
            QFAIL("active profile deleted");
        } catch (const ProfilesStoreError& error) {
            QCOMPARE(error.localizedDescription(),
                     QStringLiteral("The active profile cannot be deleted."));
        }
    }
    store.saveProfile(store.profiles().at(2), QStringLiteral("secret"));
    store.deleteProfile(QStringLiteral("velqor-1"));
    QVERIFY(!store.profile(QStringLiteral("velqor-1")));
    QVERIFY(!store.hasAPIKey(QStringLiteral("velqor-1")));
    // Deleting an unknown id is no error and still writes both files.
    QFile::remove(home.file(QString::fromLatin1(keysPath)));
    store.deleteProfile(QStringLiteral("unknown"));
    QCOMPARE(home.read(QString::fromLatin1(keysPath)).trimmed(), QByteArray("{\n}"));
    // A deleted built-in comes back on the next load.
    store.saveActiveClaudeProfileID(QStringLiteral("claude-code"));
    store.deleteProfile(QStringLiteral("velqor-2"));
    store.saveActiveClaudeProfileID(QStringLiteral("chatgpt"));
    store.deleteProfile(QStringLiteral("claude-code"));
    store.load();
    QCOMPARE(store.profiles().at(1).id, QStringLiteral("claude-code"));
}

void TestProfilesStore::keysAreOwnerOnlyAndUnreadableFileIsKept() {
    TestHome home;
    LocalKeysService keys;
    keys.saveAPIKey(QStringLiteral("one"), QStringLiteral("a"));
    const QString path = home.file(QString::fromLatin1(keysPath));
    QCOMPARE(QFileInfo(path).permissions() & ~userBits(), ownerOnly());
    // A file left readable by others is tightened on the next write.
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ReadOther | QFile::ReadGroup);
    keys.saveAPIKey(QStringLiteral("two"), QStringLiteral("b"));
    QVERIFY(!(QFileInfo(path).permissions() & (QFile::ReadOther | QFile::ReadGroup)));
    QCOMPARE(keys.apiKey(QStringLiteral("a")), std::optional<QString>(QStringLiteral("one")));

    // An undecodable key file is moved aside, never silently replaced.
    const QByteArray broken = "{\"a\": \"one\", oops";
    home.write(QString::fromLatin1(keysPath), broken);
    QVERIFY(!keys.hasAPIKey(QStringLiteral("a")));
    keys.saveAPIKey(QStringLiteral("three"), QStringLiteral("c"));
    const QStringList names = home.entries(QStringLiteral(".codex/tavrin"));
    const QStringList aside = names.filter(QStringLiteral("keys.json.unreadable-"));
    QCOMPARE(aside.size(), 1);
    QCOMPARE(home.read(QStringLiteral(".codex/tavrin/") + aside.first()), broken);
    QCOMPARE(keys.apiKey(QStringLiteral("c")), std::optional<QString>(QStringLiteral("three")));
    QVERIFY(!keys.hasAPIKey(QStringLiteral("a")));
}

void TestProfilesStore::keysReadAsEmpty_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("array") << QByteArray(R"(["a"])");
    QTest::newRow("number value") << QByteArray(R"({"a": 1})");
    QTest::newRow("empty key") << QByteArray(R"({"a": ""})");
    QTest::newRow("not utf-8") << QByteArray("{\"a\": \"\xff\"}");
    QTest::newRow("empty file") << QByteArray();
}

void TestProfilesStore::keysReadAsEmpty() {
    QFETCH(QByteArray, file);
    TestHome home;
    home.write(QString::fromLatin1(keysPath), file);
    LocalKeysService keys;
    QCOMPARE(keys.apiKey(QStringLiteral("a")), std::optional<QString>());
    QVERIFY(!keys.hasAPIKey(QStringLiteral("a")));
}

QTEST_GUILESS_MAIN(TestProfilesStore)
#include "tst_profilesstore.moc"
