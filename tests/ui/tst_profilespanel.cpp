#include "app/CreditChecks.h"
#include "support/TestHttpServer.h"
#include "ui/Buttons.h"
#include "ui/ProfileRow.h"
#include "ui/UiChecks.h"

#include <QComboBox>

using Response = TestHttpServer::Response;

// The panel, its log and change callbacks recorded.
struct PanelFixture : WidgetFixture<ProfilesPanel> {
    QStringList log;
    int changes = 0;
    QDateTime now = QDateTime::currentDateTimeUtc();
    std::shared_ptr<CreditChecks> credit =
        std::make_shared<CreditChecks>(nullptr, [this] { return now; });

    explicit PanelFixture(const QByteArray& profilesFile = {}) {
        if (!profilesFile.isEmpty())
            home.write(".codex/tavrin/profiles.json", profilesFile);
        errorOf([this] { store->load(); }); // an unreadable file leaves the store read-only
        view = std::make_unique<ProfilesPanel>(
            store.get(), CompactTheme{false, TargetIDE::codex},
            [this](const QString& line) { log << line; }, [this] { ++changes; }, credit);
        view->resize(292, 700);
        show();
        view->appear();
    }
    QString status() const { return text("panelStatus"); }
    ProfileRow* row(const QString& id) const {
        for (ProfileRow* row : view->rows())
            if (row->profile().id == id)
                return row;
        qFatal("no row %s", qPrintable(id));
    }
    void select(const QString& id) const { QTest::mouseClick(row(id), Qt::LeftButton); }
};

class TestProfilesPanel : public QObject {
    Q_OBJECT
private slots:
    // Add Velqor makes the next number's profile (its numbering is Profile's own table) and
    // shows it, ready for its key.
    void addVelqorAndItsKey() {
        PanelFixture f;
        auto* field = f.find<QLineEdit>("apiKeyField");
        auto* save = f.find<QAbstractButton>("saveKeyButton");
        f.click("addVelqorButton");
        QCOMPARE(f.store->profiles().last(), Profile::velqorAccount(3));
        QVERIFY(f.row("velqor-3")->isSelected());
        QCOMPARE(f.status(), QString("Account added. Paste Velqor key and press Save Key."));
        QCOMPARE(f.find<ElidedLabel>("keyHeading")->text(), QString("Velqor 3"));
        QCOMPARE(field->placeholderText(), QString("Paste universal Velqor key"));
        QCOMPARE(f.row("velqor-3")->subtitle(), QString("No Velqor key"));
        QVERIFY(!save->isEnabled());

        // The key can be looked at before it is saved.
        QTest::keyClicks(field, "sk-test");
        auto* reveal = f.find<QAbstractButton>("apiKeyFieldReveal");
        QCOMPARE(reveal->accessibleName(), QString("Show key"));
        QTest::mouseClick(reveal, Qt::LeftButton);
        QCOMPARE(field->echoMode(), QLineEdit::Normal);
        QCOMPARE(reveal->accessibleName(), QString("Hide key"));
        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(f.store->apiKey("velqor-3"), std::optional<QString>("sk-test"));
        QCOMPARE(field->echoMode(), QLineEdit::Password);
        QCOMPARE(f.status(), QString("Key saved for Velqor 3."));
        QVERIFY(field->text().isEmpty());
        QCOMPARE(field->placeholderText(), QString(24, QChar(0x2022)));
        QCOMPARE(f.row("velqor-3")->subtitle(), QString("Velqor key saved"));

        // Deleting asks first, naming the profile; "Cancel" keeps the key.
        QVERIFY(f.clickAnswering("deleteKeyButton", "Cancel").contains("Velqor 3"));
        QVERIFY(f.store->hasAPIKey("velqor-3"));
        f.clickAnswering("deleteKeyButton", "Delete Key");
        QVERIFY(!f.store->hasAPIKey("velqor-3") && !f.find("deleteKeyButton")->isEnabled());
        QCOMPARE(f.status(), QString("Key deleted for Velqor 3."));
        QCOMPARE(f.log, QStringList({"Added Velqor 3", "Saved key for Velqor 3",
                                     "Deleted key for Velqor 3"}));
        QCOMPARE(f.changes, 3);
    }

    // A Velqor profile's proxy is saved, read back on reselecting and cleared; account
    // profiles need no Velqor key and take no proxy. The window's theme reaches the rows.
    void proxyAndAccounts() {
        PanelFixture f;
        // On appearing, the active profile is selected and described.
        QCOMPARE(f.view->selectedProfileID(), std::optional<QString>("chatgpt"));
        QCOMPARE(f.status(), QString("Current app accounts do not need a Velqor key."));
        f.select("velqor-1");
        QCOMPARE(f.status(), QString("No key, no proxy."));
        const auto badge = [&] {
            return f.find<DisclosureHeader>("proxyDisclosure")->accessibleDescription();
        };
        QCOMPARE(badge(), QString("Off"));
        QVERIFY(!f.find("proxyContent")->isVisible());
        f.click("proxyDisclosure");
        QVERIFY(f.find("proxyContent")->isVisible());

        // A SOCKS5 proxy is kept (Codex can use it), with a word about Claude Code.
        auto* address = f.find<QLineEdit>("proxyAddressField");
        f.find<QComboBox>("proxySchemePicker")->setCurrentText("socks5");
        QTest::keyClicks(address, "10.0.0.1:8080:user:pw");
        f.click("saveProxyButton");
        QCOMPARE(f.store->profile("velqor-1")->proxyURL,
                 std::optional<QString>("socks5://user:pw@10.0.0.1:8080"));
        QCOMPARE(badge(), QString("socks5"));
        QVERIFY2(f.status().startsWith("Proxy saved for Velqor 1. Claude Code cannot use a SOCKS5"),
                 qPrintable(f.status()));

        // Reselecting reads the stored proxy back, and the key status mentions it.
        f.select("velqor-2");
        QVERIFY(address->text().isEmpty());
        QCOMPARE(f.find<QComboBox>("proxySchemePicker")->currentText(), QString("http"));
        f.select("velqor-1");
        QCOMPARE(address->text(), QString("user:pw@10.0.0.1:8080"));
        QCOMPARE(f.status(), QString("No key, proxy saved."));

        f.click("clearProxyButton");
        QCOMPARE(f.store->profile("velqor-1")->proxyURL, std::nullopt);
        QCOMPARE(f.status(), QString("Proxy cleared for Velqor 1."));
        QCOMPARE(f.log, QStringList(2, "Saved proxy for Velqor 1"));
        QCOMPARE(badge(), QString("Off"));
        QCOMPARE(f.changes, 2);

        f.select("claude-code");
        QVERIFY(!f.find("proxyGroup")->isEnabled());
        QCOMPARE(f.find<QLineEdit>("apiKeyField")->placeholderText(),
                 QString("No Velqor key needed"));
        QCOMPARE(f.row("claude-code")->subtitle(), QString("Claude account"));
        QCOMPARE(f.row("chatgpt")->subtitle(), QString("ChatGPT account"));
        // The selected row is outlined in the theme's accent.
        const CompactTheme claude{true, TargetIDE::claude};
        f.view->setTheme(claude);
        QCOMPARE(f.row("claude-code")->borderColor(), withOpacity(claude.accent(), 0.55));
        QCOMPARE(f.row("velqor-2")->borderColor(), claude.border());
    }

    // The remaining credit under an API-key profile with a limits endpoint, asked when
    // the profile is chosen and then at most once a minute.
    void creditRow_data() {
        QTest::addColumn<Response>("response");
        QTest::addColumn<QString>("text"); // none: the profile has no limits endpoint
        QTest::addColumn<QStringList>("details");
        const auto row = [](const char* name, const QByteArray& json, int status, const char* text,
                            const QStringList& details = {}) {
            QTest::newRow(name) << Response::json(json, status) << QString(text) << details;
        };
        row("answer",
            R"({"data": {"credits_remaining": 12.5, "credits_total": 50, "plan": "pro"}})", 200,
            "Credits Remaining: 12.5", {"Credits Total: 50", "Plan: pro"});
        row("server error", R"({"remaining": 1})", 500,
            "The limits service failed to answer (HTTP 500).");
        row("key refused", "{}", 401, "The limits service refused the key (HTTP 401).");
        row("no endpoint", "{}", 200, "");
    }

    void creditRow() {
        QFETCH(Response, response);
        QFETCH(QString, text);
        const bool hasEndpoint = !text.isEmpty();
        TestHttpServer server;
        server.setResponse(response);
        PanelFixture f;
        Profile profile = *f.store->profile("velqor-1");
        if (hasEndpoint)
            profile.limitsEndpoint = server.url("/limits").toString();
        f.store->saveProfile(profile, QString("sk-credit"));
        QCOMPARE(server.requestCount(), 0);
        f.select("velqor-1");
        QCOMPARE(f.find("creditRow")->isVisible(), hasEndpoint);
        if (!hasEndpoint)
            return;

        auto* status = f.find<ElidedLabel>("creditStatus");
        QTRY_COMPARE(status->text(), text);
        QStringList details;
        for (ElidedLabel* label : f.view->findChildren<ElidedLabel*>("creditDetail"))
            if (label->isVisible())
                details << label->text();
        QTEST(details, "details");
        const bool failed = text.contains("(HTTP");
        QCOMPARE(status->color(), failed ? f.view->theme().error() : f.view->theme().primaryText());

        // Within the minute neither the button nor choosing the profile again asks again.
        auto* refresh = f.find<QAbstractButton>("creditRefreshButton");
        QVERIFY(!refresh->isEnabled());
        f.select("velqor-2");
        f.select("velqor-1");
        QCOMPARE(server.requestCount(), 1);
        f.now = f.now.addSecs(CreditChecks::minimumInterval.count());
        emit f.credit->changed("velqor-1"); // the minute's timer
        QVERIFY(refresh->isEnabled());
        QTest::mouseClick(refresh, Qt::LeftButton);
        QTRY_COMPARE(server.requestCount(), 2);
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
    }
};

QTEST_MAIN(TestProfilesPanel)
#include "tst_profilespanel.moc"
