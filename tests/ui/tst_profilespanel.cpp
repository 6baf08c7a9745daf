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

// One panel over a real store in a temporary home, with recording callbacks.
struct PanelFixture {
    TestHome home;
    std::unique_ptr<ProfilesStore> store = std::make_unique<ProfilesStore>();
    std::unique_ptr<ProfilesPanel> panel;
    QStringList log;
    int changes = 0;

    explicit PanelFixture(const QByteArray& profilesFile = {}) {
        if (!profilesFile.isEmpty())
            home.write(".codex/tavrin/profiles.json", profilesFile);
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
    template <typename T = QWidget> T* find(const char* name) const {
        T* widget = panel->findChild<T*>(name);
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }
    QString text(const char* label) const { return find<QLabel>(label)->text(); }
    QString status() const { return text("panelStatus"); }
    ProfileRow* row(const QString& id) const {
        for (ProfileRow* row : panel->rows())
            if (row->profile().id == id)
                return row;
        qFatal("no row %s", qPrintable(id));
    }
    void select(const QString& id) const { QTest::mouseClick(row(id), Qt::LeftButton); }
    void click(const char* name) const {
        QTest::mouseClick(find<QAbstractButton>(name), Qt::LeftButton);
    }
};

class TestProfilesPanel : public QObject {
    Q_OBJECT
private slots:
    void addVelqorNumbering_data() {
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<QString>("number");
        QTest::newRow("gap is not reused")
            << QStringList{"velqor-1", "velqor-2", "velqor-7"} << "8";
        QTest::newRow("non-numeric rest") << QStringList{"velqor-abc"} << "1";
        QTest::newRow("settings time stamp")
            << QStringList{"velqor-2", "velqor-1700000000"} << "1700000001";
        QTest::newRow("prefix elsewhere, signs and spaces ignored")
            << QStringList{"my-velqor-9", "velqor--4", "velqor- 5"} << "1";
        QTest::newRow("largest number cannot overflow")
            << QStringList{"velqor-3", "velqor-9223372036854775807"} << "4";
    }

    void addVelqorNumbering() {
        QFETCH(QStringList, ids);
        QFETCH(QString, number);
        ProfilesDocument document{QString("chatgpt"),
                                  QString("claude-code"),
                                  {Profile::chatGPTAccount(), Profile::claudeCodeAccount()}};
        for (const QString& id : ids) {
            document.profiles << Profile::velqorAccount(1);
            document.profiles.last().id = id;
        }
        PanelFixture f(document.encoded());
        f.click("addVelqorButton");

        const QString id = "velqor-" + number;
        QCOMPARE(f.store->profiles().last(),
                 Profile(id, "Velqor " + number, "apikey", QString("velqor"), "gpt-5.5", "xhigh",
                         true, true));
        QVERIFY(f.row(id)->isSelected());
        QCOMPARE(f.status(), QString("Account added. Paste Velqor key and press Save Key."));
        QCOMPARE(f.log, QStringList{"Added Velqor " + number});
        QCOMPARE(f.changes, 1);
    }

    void keyFlow() {
        PanelFixture f;
        auto* field = f.find<QLineEdit>("apiKeyField");
        auto* save = f.find<QAbstractButton>("saveKeyButton");
        f.select("velqor-1");
        QCOMPARE(f.text("keyHeading"), QString("Velqor 1"));
        QCOMPARE(f.status(), QString("No key, no proxy."));
        QCOMPARE(field->placeholderText(), QString("Paste universal Velqor key"));
        QCOMPARE(f.row("velqor-1")->subtitle(), QString("No Velqor key"));
        QVERIFY(!save->isEnabled());

        QTest::keyClicks(field, " sk-test ");
        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(f.store->apiKey("velqor-1"), std::optional<QString>(" sk-test "));
        QCOMPARE(f.status(), QString("Key saved for Velqor 1."));
        QCOMPARE(f.log.last(), QString("Saved key for Velqor 1"));
        QVERIFY(field->text().isEmpty());
        QCOMPARE(field->placeholderText(), QString(24, QChar(0x2022)));
        QCOMPARE(f.row("velqor-1")->subtitle(), QString("Velqor key saved"));

        f.click("deleteKeyButton");
        QVERIFY(!f.store->hasAPIKey("velqor-1"));
        QCOMPARE(f.status(), QString("Key deleted for Velqor 1."));
        QCOMPARE(f.log.last(), QString("Deleted key for Velqor 1"));
        QCOMPARE(f.changes, 2);
    }

    void accountProfilesAndTheme() {
        PanelFixture f;
        // On appearing, the active profile is selected and described.
        QCOMPARE(f.panel->selectedProfileID(), std::optional<QString>("chatgpt"));
        QCOMPARE(f.status(), QString("Current app accounts do not need a Velqor key."));
        f.select("velqor-2");
        QVERIFY(f.find("proxyGroup")->isEnabled());
        f.select("claude-code");
        QVERIFY(!f.find("proxyGroup")->isEnabled());
        QCOMPARE(f.status(), QString("Current app accounts do not need a Velqor key."));
        QCOMPARE(f.find<QLineEdit>("apiKeyField")->placeholderText(),
                 QString("No Velqor key needed"));
        QCOMPARE(f.row("claude-code")->subtitle(), QString("Claude account"));
        QCOMPARE(f.row("claude-code")->symbol(), QString("terminal.fill"));
        QCOMPARE(f.row("chatgpt")->subtitle(), QString("ChatGPT account"));
        QCOMPARE(f.row("chatgpt")->symbol(), QString("person.crop.circle.fill"));
        QCOMPARE(f.row("velqor-2")->symbol(), QString("key.fill"));
        // The window's theme reaches the rows: the selected one is outlined in its accent.
        const CompactTheme claude{true, TargetIDE::claude};
        f.panel->setTheme(claude);
        QCOMPARE(f.row("claude-code")->borderColor(),
                 withOpacity(QColor::fromRgbF(0.82, 0.36, 0.2), 0.55));
        QCOMPARE(f.row("velqor-2")->borderColor(), claude.border());
    }

    void proxyFlow() {
        PanelFixture f;
        f.select("velqor-1");
        QCOMPARE(f.text("proxyBadge"), QString("Off"));
        QVERIFY(!f.find("proxyContent")->isVisible());
        f.click("proxyDisclosure");
        QVERIFY(f.find("proxyContent")->isVisible());

        auto* address = f.find<QLineEdit>("proxyAddressField");
        QTest::keyClicks(address, "10.0.0.1:8080:user:pw");
        f.click("saveProxyButton");
        QCOMPARE(f.store->profile("velqor-1")->proxyURL,
                 std::optional<QString>("http://user:pw@10.0.0.1:8080"));
        QCOMPARE(address->text(), QString("user:pw@10.0.0.1:8080"));
        QCOMPARE(f.text("proxyBadge"), QString("http"));
        QCOMPARE(f.status(), QString("Proxy saved for Velqor 1."));
        QCOMPARE(f.log.last(), QString("Saved proxy for Velqor 1"));

        // Reselecting reads the stored proxy back, and the key status mentions it.
        f.select("velqor-2");
        QVERIFY(address->text().isEmpty());
        f.select("velqor-1");
        QCOMPARE(address->text(), QString("user:pw@10.0.0.1:8080"));
        QCOMPARE(f.status(), QString("No key, proxy saved."));

        f.find<QComboBox>("proxySchemePicker")->setCurrentText("socks5");
        address->setText("h:1080");
        f.click("saveProxyButton");
        QCOMPARE(f.store->profile("velqor-1")->proxyURL, std::optional<QString>("socks5://h:1080"));
        QCOMPARE(f.text("proxyBadge"), QString("socks5"));

        f.click("clearProxyButton");
        QCOMPARE(f.store->profile("velqor-1")->proxyURL, std::nullopt);
        QCOMPARE(f.status(), QString("Proxy cleared for Velqor 1."));
        QCOMPARE(f.log.last(), QString("Saved proxy for Velqor 1"));
        QCOMPARE(f.text("proxyBadge"), QString("Off"));
        QCOMPARE(f.changes, 3);
    }

    // A change is refused with its reason instead of overwriting an unreadable file.
    void unreadableStore() {
        PanelFixture f("{ not json");
        // Until something is selected, the status line explains where keys live.
        ProfilesPanel fresh(f.store.get(), CompactTheme{}, {}, {});
        QCOMPARE(fresh.findChild<QLabel*>("panelStatus")->text(),
                 QString("Velqor keys are saved locally and work for Codex and Claude Code."));
        f.click("addVelqorButton");
        QVERIFY2(f.status().startsWith("Profiles are read-only"), qPrintable(f.status()));
        QCOMPARE(f.log, QStringList{f.status()});
        QCOMPARE(f.changes, 0);
        QCOMPARE(f.home.read(".codex/tavrin/profiles.json"), QByteArray("{ not json"));
    }
};

QTEST_MAIN(TestProfilesPanel)
#include "tst_profilespanel.moc"
