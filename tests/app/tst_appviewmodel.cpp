#include "app/AppViewModel.h"
#include "app/TrayMenuModel.h"
#include "profiles/ProfilesStore.h"
#include "support/Checks.h"
#include "support/TestHome.h"
#include "support/TestHttpServer.h"

// The window's view model, and the tray menu drawn from it, over a temporary home.

// The tray menu as lines: "# Codex" for a section, "[x] Name" for a checked profile,
// "-" for a separator, and " (off)" after an entry that cannot be chosen.
static QStringList describe(const QList<TrayMenuEntry>& entries) {
    using Kind = TrayMenuEntry::Kind;
    QStringList lines;
    for (const TrayMenuEntry& entry : entries) {
        if (entry.kind == Kind::section || entry.kind == Kind::separator) {
            lines.append(entry.kind == Kind::section ? "# " + entry.text : "-");
            continue;
        }
        const QString mark = entry.kind == Kind::profile ? (entry.checked ? "[x] " : "[ ] ") : "";
        lines.append(mark + entry.text + (entry.enabled ? "" : " (off)"));
    }
    return lines;
}

static const QStringList commands{"-", "Open Tavrin", "Settings\u2026", "-", "Quit"};

struct Fixture {
    TestHome home;
    // `sleep` is stood in too, so that quitting Codex does not wait two seconds here.
    StandIns tools{home.file("tools"), {"osascript", "open", "launchctl", "sleep"}};
    ProfilesStore store;
};

class TestAppViewModel : public QObject {
    Q_OBJECT
private slots:
    // A load selects the active profiles or logs why it failed; the log keeps its newest
    // fifty lines.
    void loadAndLog() {
        Fixture f;
        AppViewModel model(&f.store);
        f.home.write(".codex/tavrin/profiles.json", "{ nope");
        QVERIFY(!model.load());
        QVERIFY(!model.selectedProfileID());
        QFile::remove(f.home.file(".codex/tavrin/profiles.json"));
        QVERIFY(model.load());
        QCOMPARE(model.selectedProfileID(), std::optional<QString>("chatgpt"));
        QCOMPARE(model.selectedClaudeProfileID(), std::optional<QString>("claude-code"));
        QCOMPARE(model.logLines(),
                 QStringList({"The profiles file is not valid JSON: unterminated object at byte 3.",
                              "Profiles loaded"}));

        QSignalSpy changed(&model, &AppViewModel::logLinesChanged);
        // 61 lines in all: a log that trimmed one line too many would be left with 49.
        for (int i = 3; i <= 61; ++i) // after the two lines of the loads
            model.appendLog(QString::number(i));
        QCOMPARE(model.logLines().size(), 50);
        QCOMPARE(model.logLines().first(), "12");
        QCOMPARE(model.logLines().last(), "61");
        QCOMPARE(changed.count(), 59);
    }

    void selectionRules_data() {
        QTest::addColumn<QStringList>("setup"); // active Codex, Claude Code; picks; deleted
        QTest::addColumn<QString>("chosen");    // for Codex, Claude Code
        const auto row = [](const char* name, const char* setup, const char* chosen) {
            QTest::newRow(name) << QString(setup).split(' ') << QString(chosen);
        };
        // clang-format off
        row("active velqor for both", "velqor-2 velqor-1 - -", "velqor-2 velqor-1");
        row("picks win", "chatgpt claude-code velqor-2 velqor-1", "velqor-2 velqor-1");
        row("claude pick not offered to claude", "chatgpt velqor-1 - chatgpt", "chatgpt claude-code");
        row("codex pick not offered to codex", "chatgpt claude-code claude-code -", "chatgpt claude-code");
        row("unknown picks", "velqor-2 velqor-2 gone gone", "chatgpt claude-code");
        row("no account profiles left: first candidate", "velqor-2 velqor-2 gone gone chatgpt claude-code", "velqor-1 velqor-1");
        // clang-format on
    }

    void selectionRules() {
        QFETCH(QStringList, setup);
        Fixture f;
        f.store.load();
        f.store.saveActiveProfileID(setup[0]);
        f.store.saveActiveClaudeProfileID(setup[1]);
        for (const QString& id : setup.mid(4))
            f.store.deleteProfile(id);
        AppViewModel model(&f.store);
        if (setup[2] != "-")
            model.setSelectedProfileID(setup[2]);
        if (setup[3] != "-")
            model.setSelectedClaudeProfileID(setup[3]);
        QStringList chosen;
        for (const TargetIDE target : TargetIDEs::allCases)
            chosen << model.selectedProfile(target).value_or(Profile()).id;
        QTEST(chosen.join(' '), "chosen");
    }

    // Without a policy location a refresh ends on its own with the control off. While an
    // update is required the tray's profiles are off and it says why, with the link; a
    // choice still made is refused at once and that refusal is the outcome.
    void policyVerdicts_data() {
        QTest::addColumn<QByteArray>("policy"); // null: no policy location
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("access");
        QTest::addColumn<bool>("locked");
        // clang-format off
        QTest::newRow("update required") << QByteArray("{\"latest_version\": \"9.1\", \"minimum_supported_version\": \" 9.0 \", \"update_url\": \"https://get.tavrin.test/x\"}")
                                         << "Update required" << "Update required" << true;
        QTest::newRow("update available") << QByteArray(R"({"latest_version": "1.0.1", "minimum_supported_version": "1.0"})") << "Update available"
                                          << "Update available" << false;
        QTest::newRow("current") << QByteArray(R"({"latest_version": "1.0.0", "announcement": "hi"})") << "Cloud policy loaded" << "Access active" << false;
        QTest::newRow("no policy location") << QByteArray() << "Cloud control is off" << "Access active" << false;
        // clang-format on
    }

    void policyVerdicts() {
        QFETCH(QByteArray, policy);
        QFETCH(bool, locked);
        std::optional<ServedPolicy> served;
        if (!policy.isNull())
            served.emplace(policy);
        Fixture f;
        f.store.load();
        AppViewModel model(&f.store);
        TrayMenuModel tray(&model);
        QSignalSpy refreshed(&model, &AppViewModel::cloudRefreshFinished);
        QSignalSpy trayChanged(&tray, &TrayMenuModel::changed);
        model.refreshCloudControl();
        QVERIFY(model.isCheckingCloud());
        QVERIFY(refreshed.wait(10000));
        QVERIFY(!model.isCheckingCloud());
        QTEST(model.cloudStatus(), "status");
        QTEST(model.accessTitle(), "access");
        QCOMPARE(model.requiresUpdate(), locked);
        if (!locked)
            return;
        QVERIFY(!trayChanged.isEmpty());
        const QStringList entries = describe(tray.entries());
        QCOMPARE(entries.mid(0, 4),
                 QStringList({"Update required (off)",
                              "Switching is off until Tavrin 9.0 or newer is installed. (off)",
                              "Get the Update\u2026", "-"}));
        QCOMPARE(entries.filter("(off)").size(), 8); // and the six profiles
        QSignalSpy outcome(&tray, &TrayMenuModel::outcome);
        tray.choose(TargetIDE::claude, "velqor-2");
        QCOMPARE(outcome.count(), 1);
        QCOMPARE(outcome.first(), QVariantList({"Update required", false}));
        QCOMPARE(f.tools.callLog(), QStringList());
        // A failed refresh keeps the lock.
        served->server.setResponse(TestHttpServer::Response::text("down", 503));
        model.refreshCloudControl();
        QVERIFY(refreshed.wait(10000));
        QCOMPARE(model.cloudStatus(), "Cloud check failed: Cloud server returned HTTP 503.");
        QVERIFY(model.requiresUpdate());
    }

    // Sections list each target's profiles with the store's active one checked, and
    // follow changes made anywhere in the store.
    void entriesFollowTheStore() {
        Fixture f;
        f.store.load();
        AppViewModel viewModel(&f.store);
        TrayMenuModel model(&viewModel);
        QCOMPARE(
            describe(model.entries()),
            QStringList({"# Codex", "[x] ChatGPT Account", "[ ] Velqor 1", "[ ] Velqor 2", "-",
                         "# Claude Code", "[x] Claude Account", "[ ] Velqor 1", "[ ] Velqor 2"}) +
                commands);
        QCOMPARE(model.toolTip(), "Tavrin\nCodex: ChatGPT Account\nClaude Code: Claude Account");

        QSignalSpy changed(&model, &TrayMenuModel::changed);
        f.store.saveActiveClaudeProfileID("velqor-2");
        f.store.deleteProfile("velqor-1");
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

    // Choosing runs the power button's switch on a thread of its own; the profiles are off
    // meanwhile, and the newest log line comes back as the outcome. (That this thread goes
    // on while a step blocks is tst_app's repaintsWhileAStepBlocks.)
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
        Fixture f;
        f.home.write(".codex/config.toml", config);
        f.store.load();
        f.store.saveProfile(*f.store.profile(profileID), QString("sk-tray"));
        auto viewModel = std::make_unique<AppViewModel>(&f.store);
        auto model = std::make_unique<TrayMenuModel>(viewModel.get());
        QSignalSpy outcome(model.get(), &TrayMenuModel::outcome);

        model->choose(TargetIDE::codex, profileID);
        QVERIFY(model->isSwitching());
        // The window's pick is not the tray's way to switch.
        QCOMPARE(viewModel->selectedProfileID(), std::nullopt);
        QVERIFY(model->toolTip().contains("Switching\u2026"));
        const QStringList during = describe(model->entries());
        QCOMPARE(during.filter("(off)").size(), 6); // every profile of both targets
        QVERIFY(during.contains("Quit") && during.contains("Open Tavrin"));
        // A second switch while one runs changes nothing, from the tray or elsewhere.
        model->choose(TargetIDE::codex, "chatgpt");
        viewModel->switchTo(TargetIDE::codex, "chatgpt");

        QVERIFY(outcome.wait(120000)); // a switch syncs every file it writes: slow on a busy disk
        QCOMPARE(outcome.count(), 1);
        QCOMPARE(outcome.first(), QVariantList({viewModel->logLines().last(), failure}));
        // The line is shown under its own target only.
        QCOMPARE(viewModel->lastLine(TargetIDE::codex), viewModel->logLines().last());
        QCOMPARE(viewModel->lastLine(TargetIDE::claude), QString());
        QCOMPARE(viewModel->lastLineIsFailure(TargetIDE::codex), failure);
        // Once switched, the window shows the profile switched to.
        QCOMPARE(viewModel->selectedProfileID(),
                 failure ? std::nullopt : std::optional<QString>(profileID));
        QCOMPARE(describe(model->entries()).filter("(off)").size(), 0);
        // The second switch never ran: once the view model is gone (it waits for its
        // worker), the profile is still the first one chosen.
        model.reset();
        viewModel.reset();
        QCOMPARE(f.store.activeProfileID(), failure ? QString("chatgpt") : profileID);
    }
};

QTEST_GUILESS_MAIN(TestAppViewModel)
#include "tst_appviewmodel.moc"
