#include "app/AppViewModel.h"
#include "app/TrayMenuModel.h"
#include "profiles/ProfilesStore.h"
#include "support/TestHome.h"
#include "support/TestHttpServer.h"

// The tray menu as lines: "# Codex" for a section, "[x] Name" for a checked profile,
// "-" for a separator, and " (off)" after an entry that cannot be chosen.
static QStringList describe(const QList<TrayMenuEntry>& entries) {
    QStringList lines;
    for (const TrayMenuEntry& entry : entries) {
        QString line;
        switch (entry.kind) {
        case TrayMenuEntry::Kind::section:
            lines.append("# " + entry.text);
            continue;
        case TrayMenuEntry::Kind::separator:
            lines.append("-");
            continue;
        case TrayMenuEntry::Kind::profile:
            line = (entry.checked ? "[x] " : "[ ] ") + entry.text;
            break;
        default:
            line = entry.text;
        }
        lines.append(entry.enabled ? line : line + " (off)");
    }
    return lines;
}

static const QStringList commands{"-", "Open Tavrin", "Settings\u2026", "-", "Quit"};

class TestTrayMenuModel : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_home = std::make_unique<TestHome>();
        // `sleep` is stood in too, so that quitting Codex does not wait two seconds here.
        m_tools = std::make_unique<StandIns>(
            m_home->file("tools"), QStringList{"osascript", "open", "launchctl", "sleep"});
        m_store = std::make_unique<ProfilesStore>();
    }
    void cleanup() {
        m_store.reset();
        m_tools.reset();
        m_home.reset();
    }

    // Sections list each target's profiles with the store's active one checked, and
    // follow changes made anywhere in the store.
    void entriesFollowTheStore() {
        m_store->load();
        AppViewModel viewModel(m_store.get());
        TrayMenuModel model(&viewModel);
        QCOMPARE(
            describe(model.entries()),
            QStringList({"# Codex", "[x] ChatGPT Account", "[ ] Velqor 1", "[ ] Velqor 2", "-",
                         "# Claude Code", "[x] Claude Account", "[ ] Velqor 1", "[ ] Velqor 2"}) +
                commands);
        QCOMPARE(model.toolTip(), "Tavrin\nCodex: ChatGPT Account\nClaude Code: Claude Account");

        QSignalSpy changed(&model, &TrayMenuModel::changed);
        m_store->saveActiveClaudeProfileID("velqor-2");
        m_store->deleteProfile("velqor-1");
        QCOMPARE(changed.count(), 2);
        QCOMPARE(describe(model.entries()),
                 QStringList({"# Codex", "[x] ChatGPT Account", "[ ] Velqor 2", "-",
                              "# Claude Code", "[ ] Claude Account", "[x] Velqor 2"}) +
                     commands);

        // A menu older than the store may still offer the deleted profile: switching
        // would fall back to another profile of the target, so nothing happens.
        QSignalSpy outcome(&model, &TrayMenuModel::outcome);
        model.choose(TargetIDE::codex, "velqor-1");
        model.choose(TargetIDE::claude, "chatgpt"); // not a Claude Code profile
        QVERIFY(!model.isSwitching());
        QVERIFY(!viewModel.selectedProfileID() && !viewModel.selectedClaudeProfileID());
        QCOMPARE(outcome.count(), 0);
    }

    // Choosing runs the power button's switch; the profiles are off meanwhile, and the
    // newest log line comes back as the outcome.
    void choosingSwitches_data() {
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<bool>("failure");
        QTest::newRow("switched") << QByteArray("model = \"old\"\n") << false;
        QTest::newRow("config.toml unreadable") << QByteArray("model = \"\xff\"\n") << true;
    }
    void choosingSwitches() {
        QFETCH(QByteArray, config);
        QFETCH(bool, failure);
        const QString profileID = "velqor-1";
        m_home->write(".codex/config.toml", config);
        m_store->load();
        m_store->saveProfile(*m_store->profile(profileID), QString("sk-tray"));
        AppViewModel viewModel(m_store.get());
        TrayMenuModel model(&viewModel);
        QSignalSpy outcome(&model, &TrayMenuModel::outcome);

        model.choose(TargetIDE::codex, profileID);
        QVERIFY(model.isSwitching());
        // The window's pick is not the tray's way to switch.
        QCOMPARE(viewModel.selectedProfileID(), std::nullopt);
        QVERIFY(model.toolTip().contains("Switching\u2026"));
        const QStringList during = describe(model.entries());
        QCOMPARE(during.filter("(off)").size(), 6); // every profile of both targets
        QVERIFY(during.contains("Quit") && during.contains("Open Tavrin"));
        // A second choice while one runs changes nothing.
        model.choose(TargetIDE::codex, "velqor-2");

        QVERIFY(outcome.wait(120000)); // a switch syncs every file it writes: slow on a busy disk
        QCOMPARE(outcome.count(), 1);
        QCOMPARE(outcome.first().at(0).toString(), viewModel.logLines().last());
        QCOMPARE(outcome.first().at(1).toBool(), failure);
        QCOMPARE(m_store->activeProfileID(), failure ? QString("chatgpt") : profileID);
        // Once switched, the window shows the profile switched to.
        QCOMPARE(viewModel.selectedProfileID(),
                 failure ? std::nullopt : std::optional<QString>(profileID));
        QCOMPARE(describe(model.entries()).filter("(off)").size(), 0);
    }

    // While an update is required the profiles are off and the menu says why, with the
    // link; a choice still made is refused at once and that refusal is the outcome.
    void requiredUpdateLocksTheProfiles() {
        std::optional<ServedPolicy> policy(
            std::in_place,
            "{\"minimum_supported_version\": \"2\", \"update_url\": \"https://get.test/\"}");
        m_store->load();
        AppViewModel viewModel(m_store.get());
        TrayMenuModel model(&viewModel);
        QSignalSpy changed(&model, &TrayMenuModel::changed);
        QSignalSpy refreshed(&viewModel, &AppViewModel::cloudRefreshFinished);
        viewModel.refreshCloudControl();
        QVERIFY(refreshed.wait(10000));
        policy.reset();
        QVERIFY(changed.count() > 0);
        const QStringList locked = describe(model.entries());
        QCOMPARE(locked.mid(0, 4),
                 QStringList({"Update required (off)",
                              "Switching is off until Tavrin 2 or newer is installed. (off)",
                              "Get the Update\u2026", "-"}));
        QCOMPARE(locked.filter("(off)").size(), 8);

        QSignalSpy outcome(&model, &TrayMenuModel::outcome);
        model.choose(TargetIDE::claude, "velqor-2");
        QCOMPARE(outcome.count(), 1);
        QCOMPARE(outcome.first().at(0).toString(), QString("Update required"));
        QCOMPARE(m_tools->callLog(), QStringList());
    }

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<StandIns> m_tools;
    std::unique_ptr<ProfilesStore> m_store;
};

QTEST_GUILESS_MAIN(TestTrayMenuModel)
#include "tst_traymenumodel.moc"
