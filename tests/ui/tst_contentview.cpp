#include "claude/ClaudeRestarter.h"
#include "claude/ClaudeSettingsPatcher.h"
#include "profiles/ProfilesStore.h"
#include "remote/CloudControlService.h"
#include "support/TestHome.h"
#include "ui/ContentView.h"
#include "ui/Controls.h"
#include "ui/ProfileRow.h"
#include "ui/ProfilesPanel.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QSemaphore>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <memory>

namespace {

// A policy source that answers with a fixed policy, later, as the real one does.
class FixedPolicy : public CloudControlService {
public:
    explicit FixedPolicy(CloudPolicyResult result) : m_result(std::move(result)) {}
    void loadPolicy(Completion done) override {
        ++calls;
        QTimer::singleShot(0, [done, result = m_result] { done(nullptr, result); });
    }
    int calls = 0;

private:
    CloudPolicyResult m_result;
};

// Blocks the worker thread until the test lets the switch go on.
class GatedClaudePatcher : public ClaudeSettingsPatcher {
public:
    ClaudeSettingsPatchResult apply(const Profile&, const std::optional<QString>&) override {
        ++calls;
        gate.acquire();
        return {};
    }
    QSemaphore gate;
    std::atomic<int> calls{0};
};

class QuietClaudeRestarter : public ClaudeRestarter {
public:
    void restartClaudeCode(const std::optional<Profile>&, const std::optional<QString>&) override {}
};

} // namespace

struct WindowFixture {
    TestHome home;
    std::unique_ptr<ProfilesStore> store = std::make_unique<ProfilesStore>();
    std::unique_ptr<ContentView> view;

    explicit WindowFixture(AppServices services = {}) {
        if (!services.cloudControlService)
            services.cloudControlService = std::make_shared<FixedPolicy>(CloudPolicyResult{});
        view = std::make_unique<ContentView>(store.get(), std::move(services));
        view->show();
        if (!QTest::qWaitForWindowExposed(view.get()))
            qFatal("window not exposed");
    }
    template <typename T> T* find(const char* name) const {
        T* widget = view->findChild<T*>(name);
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }
    FilledButton* action() const { return find<FilledButton>("actionButton"); }
    PowerButton* power() const { return find<PowerButton>("powerButton"); }
    ProfileCard* card() const { return find<ProfileCard>("profileCard"); }
    void click(const char* name) const { QTest::mouseClick(find<QWidget>(name), Qt::LeftButton); }
    void pick(const QString& name) const {
        click("profileCard");
        for (QAction* a : view->profileMenu()->actions())
            if (a->text() == name) {
                a->trigger();
                view->profileMenu()->hide();
                return;
            }
        qFatal("no menu item %s", qPrintable(name));
    }
    QStringList menuItems() const {
        click("profileCard");
        QStringList names;
        for (QAction* a : view->profileMenu()->actions())
            names << a->text();
        view->profileMenu()->hide();
        return names;
    }
};

class TestContentView : public QObject {
    Q_OBJECT
private slots:
    void opensOnClaudeAndRetints() {
        WindowFixture f;
        const CompactTheme claude{CompactTheme::systemIsDark(), TargetIDE::claude};
        const CompactTheme codex{CompactTheme::systemIsDark(), TargetIDE::codex};
        QCOMPARE(f.view->selectedIDE(), TargetIDE::claude);
        QVERIFY(f.find<SegmentButton>("segmentClaude")->isSelectedSegment());
        QCOMPARE(f.find<SegmentButton>("segmentClaude")->contentColor(), QColor(Qt::white));
        QCOMPARE(f.find<SegmentButton>("segmentCodex")->contentColor(), claude.secondaryText());
        QCOMPARE(f.action()->fillColor(), claude.accent());
        QCOMPARE(f.power()->stateColor(), claude.accent());
        QCOMPARE(f.find<TabButton>("tabSwitch")->contentColor(), claude.accent());
        QCOMPARE(f.view->viewModel()->logLines(), QStringList{"Profiles loaded"});

        f.click("segmentCodex");
        QCOMPARE(f.view->selectedIDE(), TargetIDE::codex);
        QCOMPARE(f.action()->fillColor(), codex.accent());
        QCOMPARE(f.power()->stateColor(), codex.accent());
        QCOMPARE(f.find<TabButton>("tabSwitch")->contentColor(), codex.accent());
        QCOMPARE(f.find<TabButton>("tabProfiles")->contentColor(), codex.secondaryText());

        // The profiles panel follows the target too.
        f.click("tabProfiles");
        QCOMPARE(f.view->selectedTab(), AppTab::profiles);
        QVERIFY(f.view->profilesPanel()->isVisible());
        QCOMPARE(f.view->profilesPanel()->theme().accent(), codex.accent());
        f.click("segmentClaude");
        QCOMPARE(f.view->profilesPanel()->theme().accent(), claude.accent());
        QCOMPARE(f.find<TabButton>("tabProfiles")->contentColor(), claude.accent());
    }

    void followsSystemAppearance() {
        WindowFixture f;
        const QPalette original = QApplication::palette();
        QPalette dark = original;
        dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
        QApplication::setPalette(dark);
        QApplication::processEvents();
        QVERIFY(f.view->theme().isDark);
        QCOMPARE(f.find<CardWidget>("switchCard")->fillColor(),
                 (CompactTheme{true, TargetIDE::claude}.panel()));
        QPalette light = original;
        light.setColor(QPalette::Window, QColor(0xf0, 0xf0, 0xf0));
        QApplication::setPalette(light);
        QApplication::processEvents();
        QVERIFY(!f.view->theme().isDark);
        QCOMPARE(f.find<CardWidget>("switchCard")->fillColor(), QColor(Qt::white));
        QApplication::setPalette(original);
    }

    void profileCard_data() {
        QTest::addColumn<TargetIDE>("target");
        QTest::addColumn<QString>("pick");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("action");
        QTest::newRow("claude default") << TargetIDE::claude << ""
                                        << "Claude Account"
                                        << "Claude Account"
                                        << "terminal.fill"
                                        << "Open Claude Code";
        QTest::newRow("claude velqor") << TargetIDE::claude << "Velqor 2"
                                       << "Velqor 2"
                                       << "Velqor API"
                                       << "key.fill"
                                       << "Switch Profile";
        QTest::newRow("codex default") << TargetIDE::codex << ""
                                       << "ChatGPT Account"
                                       << "ChatGPT Account"
                                       << "person.crop.circle.fill"
                                       << "Restart Codex";
        QTest::newRow("codex velqor") << TargetIDE::codex << "Velqor 1"
                                      << "Velqor 1"
                                      << "Velqor"
                                      << "key.fill"
                                      << "Switch Profile";
    }

    void profileCard() {
        QFETCH(TargetIDE, target);
        QFETCH(QString, pick);
        QFETCH(QString, title);
        QFETCH(QString, detail);
        QFETCH(QString, symbol);
        QFETCH(QString, action);
        WindowFixture f;
        f.view->setSelectedIDE(target);
        if (!pick.isEmpty())
            f.pick(pick);
        QCOMPARE(f.card()->title(), title);
        QCOMPARE(f.card()->detail(), detail);
        QCOMPARE(f.card()->symbol(), symbol);
        QCOMPARE(f.action()->text(), action);
        QVERIFY(f.action()->isEnabled());
        QVERIFY(f.power()->isEnabled());
    }

    void menuListsProfilesOfTarget() {
        WindowFixture f;
        QCOMPARE(f.menuItems(), (QStringList{"Claude Account", "Velqor 1", "Velqor 2"}));
        f.view->setSelectedIDE(TargetIDE::codex);
        QCOMPARE(f.menuItems(), (QStringList{"ChatGPT Account", "Velqor 1", "Velqor 2"}));
    }

    void cardTexts_data() {
        QTest::addColumn<TargetIDE>("target");
        QTest::addColumn<std::optional<Profile>>("profile");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QString>("symbol");
        Profile custom("custom", "Custom", "token", QString("  "), "m", "e", true, true);
        Profile provider("p", "P", "token", QString("openrouter"), "m", "e", true, true);
        QTest::newRow("none codex") << TargetIDE::codex << std::optional<Profile>() << "-"
                                    << "questionmark.circle.fill";
        QTest::newRow("none claude") << TargetIDE::claude << std::optional<Profile>() << "-"
                                     << "questionmark.circle.fill";
        QTest::newRow("codex blank provider")
            << TargetIDE::codex << std::optional<Profile>(custom) << "ChatGPT"
            << "person.crop.circle.fill";
        QTest::newRow("codex provider")
            << TargetIDE::codex << std::optional<Profile>(provider) << "openrouter"
            << "person.crop.circle.fill";
    }

    void cardTexts() {
        QFETCH(TargetIDE, target);
        QFETCH(std::optional<Profile>, profile);
        QFETCH(QString, detail);
        QFETCH(QString, symbol);
        QCOMPARE(ContentView::profileDetail(target, profile), detail);
        QCOMPARE(ContentView::profileSymbol(target, profile), symbol);
    }

    void switchingShowsBusyStateAndResult() {
        auto patcher = std::make_shared<GatedClaudePatcher>();
        AppServices services;
        services.claudeSettingsPatcher = patcher;
        services.claudeRestarter = std::make_shared<QuietClaudeRestarter>();
        WindowFixture f(services);
        f.pick("Velqor 2");
        QTest::mouseClick(f.power(), Qt::LeftButton);
        QVERIFY(f.view->viewModel()->isSwitching());
        QCOMPARE(f.power()->symbol(), QString("hourglass"));
        QCOMPARE(f.action()->text(), QString("Switching..."));
        QVERIFY(!f.power()->isEnabled());
        QVERIFY(!f.action()->isEnabled());
        // Presses while busy do nothing, on either target.
        QTest::mouseClick(f.action(), Qt::LeftButton);
        f.click("segmentCodex");
        QCOMPARE(f.action()->text(), QString("Switching..."));
        QTest::mouseClick(f.power(), Qt::LeftButton);
        // The window keeps painting while the switch runs.
        f.view->repaint();
        QTRY_COMPARE(patcher->calls.load(), 1);

        patcher->gate.release();
        QTRY_VERIFY(!f.view->viewModel()->isSwitching());
        QCOMPARE(patcher->calls.load(), 1);
        QCOMPARE(f.power()->symbol(), QString("power"));
        f.click("segmentClaude");
        QCOMPARE(f.action()->text(), QString("Open Claude Code"));
        auto* caption = f.find<ElidedLabel>("lastLogCaption");
        QCOMPARE(caption->text(), QString("Claude Code API session opened for Velqor 2."));
        QCOMPARE(caption->toolTip(), caption->text());
        QCOMPARE(f.store->activeClaudeProfileID(), QString("velqor-2"));
    }

    void captionElidesLongLines() {
        WindowFixture f;
        const QString longLine = "Could not restart Codex: " + QString(300, 'x');
        f.view->viewModel()->appendLog(longLine);
        auto* caption = f.find<ElidedLabel>("lastLogCaption");
        QCOMPARE(caption->text(), longLine);
        QCOMPARE(caption->toolTip(), longLine);
        QVERIFY(caption->displayedText().endsWith(QChar(0x2026)));
        QVERIFY(caption->width() <= f.view->width());
    }

    void policyCard_data() {
        QTest::addColumn<QString>("minimum");
        QTest::addColumn<QString>("latest");
        QTest::addColumn<QString>("updateURL");
        QTest::addColumn<QString>("announcement");
        QTest::addColumn<bool>("locked");
        QTest::addColumn<bool>("updateButton");
        QTest::addColumn<QString>("detail");
        QTest::newRow("nothing required") << ""
                                          << "999.0"
                                          << "https://u.example"
                                          << "" << false << false << "";
        QTest::newRow("required, no newer link") << "999.0"
                                                 << ""
                                                 << ""
                                                 << "" << true << false << "Update required";
        QTest::newRow("required with link") << "999.0"
                                            << "999.1"
                                            << "https://u.example/get"
                                            << "" << true << true << "Update required";
        QTest::newRow("announcement wins")
            << "999.0"
            << "999.1"
            << ""
            << "  Please update  " << true << false << "  Please update  ";
    }

    void policyCard() {
        QFETCH(QString, minimum);
        QFETCH(QString, latest);
        QFETCH(QString, updateURL);
        QFETCH(QString, announcement);
        QFETCH(bool, locked);
        QFETCH(bool, updateButton);
        QFETCH(QString, detail);
        const auto opt = [](const QString& s) {
            return s.isEmpty() ? std::nullopt : std::optional<QString>(s);
        };
        CloudPolicyResult result;
        result.isConfigured = true;
        result.policy.minimumSupportedVersion = opt(minimum);
        result.policy.latestVersion = opt(latest);
        result.policy.announcement = opt(announcement);
        if (!updateURL.isEmpty())
            result.policy.updateURL = QUrl(updateURL);
        auto policy = std::make_shared<FixedPolicy>(result);
        QList<QUrl> opened;
        AppServices services;
        services.cloudControlService = policy;
        services.openURL = [&opened](const QUrl& url) { opened << url; };
        WindowFixture f(services);
        QTRY_COMPARE(policy->calls, 1);
        QTRY_VERIFY(!f.view->viewModel()->isCheckingCloud());

        auto* card = f.find<QWidget>("policyCard");
        QCOMPARE(card->isVisible(), locked);
        QCOMPARE(f.action()->isEnabled(), !locked);
        QCOMPARE(f.power()->isEnabled(), !locked);
        const CompactTheme theme = f.view->theme();
        QCOMPARE(f.power()->stateColor(), locked ? theme.mutedText() : theme.accent());
        if (!locked) {
            QCOMPARE(f.action()->text(), QString("Open Claude Code"));
            return;
        }
        QCOMPARE(f.action()->text(), QString("Locked"));
        QCOMPARE(f.find<IconView>("policySymbol")->symbol(),
                 QString("exclamationmark.triangle.fill"));
        QCOMPARE(f.find<IconView>("policySymbol")->color(), CompactTheme::warning());
        QCOMPARE(f.find<QLabel>("policyTitle")->text(), QString("Update required"));
        QCOMPARE(f.find<QLabel>("policyDetail")->text(), detail);
        QCOMPARE(f.find<QWidget>("updateButton")->isVisible(), updateButton);
        if (updateButton) {
            f.click("updateButton");
            QCOMPARE(opened, QList<QUrl>{QUrl(updateURL)});
        }
        f.click("refreshButton");
        QTRY_COMPARE(policy->calls, 2);
        QTRY_VERIFY(f.find<QWidget>("refreshButton")->isEnabled());
        QCOMPARE(f.find<IconButton>("refreshButton")->symbol(), QString("arrow.clockwise"));
    }

    void panelChangesResetSelections() {
        WindowFixture f;
        f.view->setSelectedIDE(TargetIDE::codex);
        f.pick("Velqor 1");
        f.view->setSelectedIDE(TargetIDE::claude);
        f.pick("Velqor 2");
        f.click("tabProfiles");
        f.click("addVelqorButton");
        QCOMPARE(f.view->viewModel()->logLines().last(), QString("Added Velqor 3"));
        QCOMPARE(f.view->viewModel()->selectedClaudeProfileID(),
                 std::optional<QString>("claude-code"));
        QCOMPARE(f.view->viewModel()->selectedProfileID(), std::optional<QString>("chatgpt"));
        f.click("tabSwitch");
        QCOMPARE(f.card()->title(), QString("Claude Account"));
    }

    void secondShowDoesNotReload() {
        WindowFixture f;
        f.view->hide();
        f.view->show();
        QCOMPARE(f.view->viewModel()->logLines(), QStringList{"Profiles loaded"});
    }
};

QTEST_MAIN(TestContentView)
#include "tst_contentview.moc"
