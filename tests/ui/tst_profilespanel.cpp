#include "profiles/ProfilesStore.h"
#include "support/TestHome.h"
#include "ui/ProfileRow.h"
#include "ui/ProfilesPanel.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <memory>

namespace {

void writeDocument(const TestHome& home, const QList<Profile>& extra,
                   const QString& active = "chatgpt") {
    ProfilesDocument document{
        active, QString("claude-code"), {Profile::chatGPTAccount(), Profile::claudeCodeAccount()}};
    document.profiles += extra;
    home.write(".codex/tavrin/profiles.json", document.encoded());
}

Profile velqorWithID(const QString& id) {
    Profile p = Profile::velqorAccount(1);
    p.id = id;
    p.name = "Other " + id;
    return p;
}

} // namespace

// One panel over a real store in a temporary home, with recording callbacks.
struct PanelFixture {
    TestHome home;
    std::unique_ptr<ProfilesStore> store;
    std::unique_ptr<ProfilesPanel> panel;
    QStringList log;
    int changes = 0;

    explicit PanelFixture(const std::optional<QList<Profile>>& profiles = std::nullopt) {
        if (profiles)
            writeDocument(home, *profiles);
        store = std::make_unique<ProfilesStore>();
        try {
            store->load();
        } catch (const TavrinError&) {
        }
        panel = std::make_unique<ProfilesPanel>(
            store.get(), CompactTheme{false, TargetIDE::codex},
            [this](const QString& line) { log << line; }, [this] { ++changes; });
        panel->resize(292, 700);
        panel->show();
        panel->appear();
    }

    template <typename T> T* find(const char* name) const {
        T* widget = panel->findChild<T*>(name);
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }
    QString status() const { return find<QLabel>("panelStatus")->text(); }
    QString badge() const { return find<QLabel>("proxyBadge")->text(); }
    ProfileRow* row(const QString& id) const {
        for (ProfileRow* row : panel->rows())
            if (row->profile().id == id)
                return row;
        qFatal("no row %s", qPrintable(id));
    }
    void click(const char* name) const {
        QTest::mouseClick(find<QAbstractButton>(name), Qt::LeftButton);
    }
};

class TestProfilesPanel : public QObject {
    Q_OBJECT
private slots:
    void addVelqorNumbering_data() {
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<QString>("expectedID");
        QTest::newRow("defaults 1 and 2") << QStringList{"velqor-1", "velqor-2"} << "velqor-3";
        QTest::newRow("gap is not reused")
            << QStringList{"velqor-1", "velqor-2", "velqor-7"} << "velqor-8";
        QTest::newRow("non-numeric rest") << QStringList{"velqor-abc"} << "velqor-1";
        QTest::newRow("settings time stamp")
            << QStringList{"velqor-2", "velqor-1700000000"} << "velqor-1700000001";
        QTest::newRow("prefix elsewhere ignored") << QStringList{"my-velqor-9"} << "velqor-1";
        QTest::newRow("signs and spaces ignored")
            << QStringList{"velqor--4", "velqor- 5"} << "velqor-1";
        QTest::newRow("largest number cannot overflow")
            << QStringList{"velqor-3", "velqor-9223372036854775807"} << "velqor-4";
    }

    void addVelqorNumbering() {
        QFETCH(QStringList, ids);
        QFETCH(QString, expectedID);
        QList<Profile> profiles;
        for (const QString& id : ids)
            profiles << velqorWithID(id);
        PanelFixture f(profiles);
        f.click("addVelqorButton");

        const Profile added = f.store->profiles().last();
        const QString number = expectedID.mid(QString("velqor-").size());
        QCOMPARE(added.id, expectedID);
        QCOMPARE(added.name, "Velqor " + number);
        QCOMPARE(added, Profile(expectedID, "Velqor " + number, "apikey", QString("velqor"),
                                "gpt-5.5", "xhigh", true, true));
        QCOMPARE(f.panel->selectedProfileID(), std::optional<QString>(expectedID));
        QCOMPARE(f.status(), QString("Account added. Paste Velqor key and press Save Key."));
        QCOMPARE(f.log, QStringList{"Added Velqor " + number});
        QCOMPARE(f.changes, 1);
        QVERIFY(f.row(expectedID)->isSelected());
        QVERIFY(f.home.read(".codex/tavrin/profiles.json").contains(expectedID.toUtf8()));
    }

    void keyFlow() {
        PanelFixture f;
        auto* field = f.find<QLineEdit>("apiKeyField");
        auto* save = f.find<QAbstractButton>("saveKeyButton");
        QTest::mouseClick(f.row("velqor-1"), Qt::LeftButton);
        QCOMPARE(f.find<QLabel>("keyHeading")->text(), QString("Velqor 1"));
        QCOMPARE(f.status(), QString("No key, no proxy."));
        QCOMPARE(field->placeholderText(), QString("Paste universal Velqor key"));
        QCOMPARE(f.row("velqor-1")->subtitle(), QString("No Velqor key"));
        QVERIFY(!save->isEnabled());

        QTest::keyClicks(field, " sk-test ");
        QVERIFY(save->isEnabled());
        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(f.store->apiKey("velqor-1"), std::optional<QString>(" sk-test "));
        QCOMPARE(f.status(), QString("Key saved for Velqor 1."));
        QCOMPARE(f.log.last(), QString("Saved key for Velqor 1"));
        QVERIFY(field->text().isEmpty());
        QCOMPARE(field->placeholderText(), QString(24, QChar(0x2022)));
        QCOMPARE(f.row("velqor-1")->subtitle(), QString("Velqor key saved"));
        QCOMPARE(f.changes, 1);

        f.click("deleteKeyButton");
        QVERIFY(!f.store->hasAPIKey("velqor-1"));
        QCOMPARE(f.status(), QString("Key deleted for Velqor 1."));
        QCOMPARE(f.log.last(), QString("Deleted key for Velqor 1"));
        QCOMPARE(f.changes, 2);
    }

    void accountProfilesNeedNoKey_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("subtitle");
        QTest::addColumn<QString>("symbol");
        QTest::newRow("chatgpt") << "chatgpt"
                                 << "ChatGPT account"
                                 << "person.crop.circle.fill";
        QTest::newRow("claude") << "claude-code"
                                << "Claude account"
                                << "terminal.fill";
    }

    void accountProfilesNeedNoKey() {
        QFETCH(QString, id);
        QFETCH(QString, subtitle);
        QFETCH(QString, symbol);
        PanelFixture f;
        QTest::mouseClick(f.row("velqor-2"), Qt::LeftButton);
        QVERIFY(f.find<QWidget>("proxyGroup")->isEnabled());
        QTest::mouseClick(f.row(id), Qt::LeftButton);
        QVERIFY(!f.find<QWidget>("proxyGroup")->isEnabled());
        QCOMPARE(f.status(), QString("Current app accounts do not need a Velqor key."));
        QCOMPARE(f.find<QLineEdit>("apiKeyField")->placeholderText(),
                 QString("No Velqor key needed"));
        QCOMPARE(f.row(id)->subtitle(), subtitle);
        QCOMPARE(f.row(id)->symbol(), symbol);
        const CompactTheme theme{false, TargetIDE::codex};
        QCOMPARE(f.row(id)->borderColor(), withOpacity(theme.accent(), 0.55));
        QCOMPARE(f.row("velqor-2")->borderColor(), theme.border());
    }

    void proxyFlow() {
        PanelFixture f;
        QTest::mouseClick(f.row("velqor-1"), Qt::LeftButton);
        QCOMPARE(f.badge(), QString("Off"));
        QVERIFY(!f.find<QWidget>("proxyContent")->isVisible());
        f.click("proxyDisclosure");
        QVERIFY(f.find<QWidget>("proxyContent")->isVisible());

        auto* address = f.find<QLineEdit>("proxyAddressField");
        QTest::keyClicks(address, "10.0.0.1:8080:user:pw");
        f.click("saveProxyButton");
        QCOMPARE(f.store->profile("velqor-1")->proxyURL,
                 std::optional<QString>("http://user:pw@10.0.0.1:8080"));
        QCOMPARE(address->text(), QString("user:pw@10.0.0.1:8080"));
        QCOMPARE(f.badge(), QString("http"));
        QCOMPARE(f.status(), QString("Proxy saved for Velqor 1."));
        QCOMPARE(f.log.last(), QString("Saved proxy for Velqor 1"));

        // Reselecting reads the stored proxy back, and the key status mentions it.
        QTest::mouseClick(f.row("velqor-2"), Qt::LeftButton);
        QVERIFY(address->text().isEmpty());
        QTest::mouseClick(f.row("velqor-1"), Qt::LeftButton);
        QCOMPARE(address->text(), QString("user:pw@10.0.0.1:8080"));
        QCOMPARE(f.status(), QString("No key, proxy saved."));

        f.find<QComboBox>("proxySchemePicker")->setCurrentText("socks5");
        address->setText("h:1080");
        f.click("saveProxyButton");
        QCOMPARE(f.store->profile("velqor-1")->proxyURL, std::optional<QString>("socks5://h:1080"));
        QCOMPARE(f.badge(), QString("socks5"));

        f.click("clearProxyButton");
        QCOMPARE(f.store->profile("velqor-1")->proxyURL, std::nullopt);
        QCOMPARE(f.status(), QString("Proxy cleared for Velqor 1."));
        QCOMPARE(f.log.last(), QString("Saved proxy for Velqor 1"));
        QCOMPARE(f.badge(), QString("Off"));
        QCOMPARE(f.changes, 3);
    }

    void statusLineDefaultsToHint() {
        PanelFixture f;
        // Before any selection text the line explains where keys live.
        ProfilesPanel fresh(f.store.get(), CompactTheme{}, {}, {});
        QCOMPARE(fresh.findChild<QLabel*>("panelStatus")->text(),
                 QString("Velqor keys are saved locally and work for Codex and Claude Code."));
        // On appearing, the active profile is selected and described.
        QCOMPARE(f.panel->selectedProfileID(), std::optional<QString>("chatgpt"));
        QCOMPARE(f.status(), QString("Current app accounts do not need a Velqor key."));
    }

    void storeFailureIsReported() {
        TestHome home;
        home.write(".codex/tavrin/profiles.json", "{ not json");
        ProfilesStore store;
        QVERIFY_THROWS_EXCEPTION(TavrinError, store.load());
        QStringList log;
        int changes = 0;
        ProfilesPanel panel(
            &store, CompactTheme{}, [&](const QString& line) { log << line; }, [&] { ++changes; });
        panel.show();
        QTest::mouseClick(panel.findChild<QAbstractButton*>("addVelqorButton"), Qt::LeftButton);
        const QString status = panel.findChild<QLabel*>("panelStatus")->text();
        QVERIFY2(status.startsWith("Profiles are read-only"), qPrintable(status));
        QCOMPARE(log, QStringList{status});
        QCOMPARE(changes, 0);
        QCOMPARE(home.read(".codex/tavrin/profiles.json"), QByteArray("{ not json"));
    }

    void themeReachesRows() {
        PanelFixture f;
        const CompactTheme dark{true, TargetIDE::claude};
        f.panel->setTheme(dark);
        QTest::mouseClick(f.row("velqor-1"), Qt::LeftButton);
        QCOMPARE(f.row("velqor-1")->borderColor(), withOpacity(dark.accent(), 0.55));
    }
};

QTEST_MAIN(TestProfilesPanel)
#include "tst_profilespanel.moc"
