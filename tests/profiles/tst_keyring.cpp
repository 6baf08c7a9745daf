#include "profiles/KeyStorage.h"
#include "profiles/ProfilesStore.h"
#include "support/TestHome.h"
#include "support/TestKeyring.h"

// API keys in the system keyring: a real Secret Service on a private bus
// (scripts/with-test-keyring.sh), reached through the real keyring module, with faults put
// between them. Nothing may be lost, and no file of Tavrin's may hold a key kept there.

namespace {

using Location = KeyStorage::Location;
const QString keysPath = ".codex/tavrin/keys.json";
const QString settingsPath = ".codex/tavrin/key-store.json";
const QByteArray keysFile = R"({"velqor-1": "sk-one", "velqor-2": "sk-two", "velqor-3": "sk-3"})";
const QStringList ids{"velqor-1", "velqor-2", "velqor-3"};
// Every key of these tests begins with "sk-", which no other file holds.
const QStringList keys{"sk-one", "sk-two", "sk-3"};

struct Move {
    const char* name;
    Location to;
    QString fault; // the keyring's call that is refused, or "folder": keys.json is one
    int at;
    QString outcome; // what the move says or throws
    Location after;
};

} // namespace

class TestKeyring : public QObject {
    Q_OBJECT
private slots:
    // Each test starts with a keyring that holds none of the keys.
    void cleanup() {
        if (qEnvironmentVariable("TAVRIN_TEST_KEYRING") != "private" ||
            qEnvironmentVariable("TAVRIN_TEST_CHILD") == "no bus")
            return;
        for (const QString& id : ids)
            testKeyring()->remove(id);
    }

    void moveKeys_data() {
        const QString stay = "No key was moved; they stay in ", keyring = "the system keyring. ";
        const QString refused = "The system keyring refused access: the test refuses this ";
        addRows<Move>({
            {"to the keyring", Location::keyring, "", 0,
             "Moved 3 API keys to the system keyring; ~/.codex/tavrin/keys.json holds none now.",
             Location::keyring},
            {"to the keyring, third write refused", Location::keyring, "write", 3,
             stay + "~/.codex/tavrin/keys.json. " + refused + "write.", Location::file},
            {"back to the file", Location::file, "", 0,
             "Moved 3 API keys to ~/.codex/tavrin/keys.json.", Location::file},
            {"back to the file, second read refused", Location::file, "read", 2,
             stay + keyring + refused + "read.", Location::keyring},
            {"back to the file, which is a folder", Location::file, "folder", 0,
             stay + keyring +
                 "~/.codex/tavrin/keys.json cannot be read: it is a folder, not a file.",
             Location::keyring},
        });
    }

    void moveKeys() {
        REQUIRE_TEST_KEYRING();
        QFETCH(Move, row);
        TestHome home;
        home.write(keysPath, keysFile);
        if (row.to == Location::file)
            KeyStorage(nullptr, testKeyring()).moveKeys(Location::keyring);
        if (row.fault == "folder")
            makeEntry(home.file(keysPath), "folder");
        const QByteArray before = home.read(keysPath) + home.read(settingsPath);

        KeyStorage storage(nullptr, testKeyring(std::make_shared<KeyringGate>(row.fault, row.at)));
        QString outcome;
        const QString error = errorOf([&] { outcome = storage.moveKeys(row.to); });
        QCOMPARE(outcome + error, row.outcome);
        QCOMPARE(storage.location(), row.after);
        if (!error.isEmpty()) // neither file changed
            QCOMPARE(home.read(keysPath) + home.read(settingsPath), before);
        // Every key is where keys are kept now, and only there.
        for (qsizetype i = 0; i < ids.size(); ++i) {
            QCOMPARE(storage.apiKey(ids[i]), keys[i]);
            QCOMPARE(testKeyring()->read(ids[i]).has_value(), row.after == Location::keyring);
        }
        QCOMPARE(home.filesHolding("sk-"),
                 row.after == Location::file ? QStringList{keysPath} : QStringList());
    }

    // The same key operations wherever keys are kept; a blank key is refused and a pasted
    // one loses the white space around it.
    void keyOperations_data() {
        QTest::addColumn<Location>("location");
        QTest::newRow("key file") << Location::file;
        QTest::newRow("keyring") << Location::keyring;
    }

    void keyOperations() {
        QFETCH(Location, location);
        if (location == Location::keyring)
            REQUIRE_TEST_KEYRING();
        TestHome home;
        auto storage = std::make_shared<KeyStorage>(nullptr, testKeyring());
        storage->moveKeys(location);
        ProfilesStore store(storage);
        store.load();
        QCOMPARE(store.keysMayWait(), location == Location::keyring);
        Profile renamed = *store.profile("velqor-1");
        renamed.name = "Renamed";
        QCOMPARE(errorOf([&] { store.saveAPIKey("   ", "velqor-1"); }), "A key cannot be blank.");
        QCOMPARE(errorOf([&] { store.saveProfile(renamed, "\t\n"); }), "A key cannot be blank.");
        QCOMPARE(store.profile("velqor-1")->name, "Velqor 1");
        QVERIFY(!store.hasAPIKey("velqor-1"));

        store.saveProfile(renamed, "  sk-one \n");
        QCOMPARE(store.profile("velqor-1")->name, "Renamed");
        QCOMPARE(store.apiKey("velqor-1"), "sk-one");
        QVERIFY(store.hasAPIKey("velqor-1"));
        // Another program's key service finds it too.
        QCOMPARE(KeyStorage(nullptr, testKeyring()).apiKey("velqor-1"), "sk-one");
        QCOMPARE(home.filesHolding("sk-"),
                 location == Location::file ? QStringList{keysPath} : QStringList());

        store.deleteProfile("velqor-1");
        QVERIFY(!store.hasAPIKey("velqor-1"));
        QCOMPARE(store.apiKey("velqor-1"), std::nullopt);
        if (location == Location::keyring)
            QCOMPARE(testKeyring()->read("velqor-1"), std::nullopt);
        QVERIFY(home.filesHolding("sk-").isEmpty());
    }

    // A keyring that is not there or never answers: every key operation says so in plain
    // words, within its time limit, and nothing is lost; the key file keeps working.
    void keyringThatDoesNotAnswer_data() {
        QTest::addColumn<bool>("noBus");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no session bus")
            << true << "The system keyring cannot be used: no D-Bus session bus is running.";
        QTest::newRow("no answer in time")
            << false
            << "The system keyring did not answer within 0.2 seconds. If it asks for its "
               "password, unlock it and try again.";
    }

    void keyringThatDoesNotAnswer() {
        QFETCH(bool, noBus);
        QFETCH(QString, reason);
        if (noBus && qEnvironmentVariable("TAVRIN_TEST_CHILD") != "no bus") {
            // The keyring's library keeps the bus it found: a process of its own.
            REQUIRE_TEST_KEYRING();
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert("TAVRIN_TEST_CHILD", "no bus");
            environment.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
            const ProcessRun run =
                runProcess(QCoreApplication::applicationFilePath(),
                           {"keyringThatDoesNotAnswer:no session bus"}, {}, environment);
            QVERIFY2(run.status == 0, run.out + run.err);
            return;
        }
        TestHome home;
        home.write(keysPath, keysFile);
        auto gate = std::make_shared<KeyringGate>();
        if (!noBus)
            gate->hold();
        const std::chrono::milliseconds limit(noBus ? 20000 : 200);
        auto storage = std::make_shared<KeyStorage>(nullptr, testKeyring(gate, limit));
        QCOMPARE(errorOf([&] { storage->moveKeys(Location::keyring); }),
                 "No key was moved; they stay in ~/.codex/tavrin/keys.json. " + reason);
        QCOMPARE(home.read(keysPath), keysFile);
        QCOMPARE(storage->location(), Location::file);
        QCOMPARE(storage->apiKey("velqor-2"), "sk-two");

        // Keys kept in the keyring: which profiles have one is known all the same.
        home.write(settingsPath, R"({"store": "keyring", "keyring_profiles": ["velqor-1"]})");
        ProfilesStore store(storage);
        store.load();
        QVERIFY(store.hasAPIKey("velqor-1"));
        QCOMPARE(errorOf([&] { store.apiKey("velqor-1"); }),
                 "The key for velqor-1 could not be read. " + reason);
        QCOMPARE(errorOf([&] { store.saveAPIKey("sk-new", "velqor-2"); }),
                 "The key for velqor-2 was not saved. " + reason);
        QVERIFY(!store.hasAPIKey("velqor-2"));
        QVERIFY(home.filesHolding("sk-new").isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestKeyring)
#include "tst_keyring.moc"
