#include "profiles/ProfilesStore.h"
#include "remote/CloudControlService.h"
#include "support/TestHome.h"
#include "ui/ContentView.h"
#include "ui/Controls.h"
#include "ui/ProfilesPanel.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const QColor blue = QColor::fromRgbF(0.05, 0.56, 1.0);
const QColor orange = QColor::fromRgbF(0.82, 0.36, 0.2);

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
    template <typename T = QWidget> T* find(const char* name) const {
        T* widget = view->findChild<T*>(name);
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }
    FilledButton* action() const { return find<FilledButton>("actionButton"); }
    PowerButton* power() const { return find<PowerButton>("powerButton"); }
    ProfileCard* card() const { return find<ProfileCard>("profileCard"); }
    QColor tabColor(const char* name) const { return find<TabButton>(name)->contentColor(); }
    void click(const char* name) const { QTest::mouseClick(find(name), Qt::LeftButton); }
    // Opens the profile menu, picks the item with that name (or none) and lists the items.
    QStringList pick(const QString& name = {}) const {
        click("profileCard");
        QStringList names;
        for (QAction* a : view->profileMenu()->actions()) {
            names << a->text();
            if (a->text() == name)
                a->trigger();
        }
        view->profileMenu()->hide();
        return names;
    }
};

class TestContentView : public QObject {
    Q_OBJECT
private slots:
    void opensOnClaudeAndRetints() {
        WindowFixture f;
        QCOMPARE(f.view->selectedIDE(), TargetIDE::claude);
        QCOMPARE(f.find<SegmentButton>("segmentClaude")->contentColor(), QColor(Qt::white));
        QCOMPARE(f.action()->fillColor(), orange);
        QCOMPARE(f.power()->stateColor(), orange);
        QCOMPARE(f.tabColor("tabSwitch"), orange);
        QCOMPARE(f.find<TabButton>("tabSwitch")->text(), QString("Switch"));
        QCOMPARE(f.find<TabButton>("tabProfiles")->text(), QString("Profiles"));
        QCOMPARE(f.pick(), (QStringList{"Claude Account", "Velqor 1", "Velqor 2"}));

        f.click("segmentCodex");
        QCOMPARE(f.view->selectedIDE(), TargetIDE::codex);
        QCOMPARE(f.action()->fillColor(), blue);
        QCOMPARE(f.power()->stateColor(), blue);
        QCOMPARE(f.tabColor("tabSwitch"), blue);
        QCOMPARE(f.pick(), (QStringList{"ChatGPT Account", "Velqor 1", "Velqor 2"}));

        // The profiles panel follows the target too.
        f.click("tabProfiles");
        QVERIFY(f.view->profilesPanel()->isVisible());
        QCOMPARE(f.view->profilesPanel()->theme().accent(), blue);
        f.click("segmentClaude");
        QCOMPARE(f.view->profilesPanel()->theme().accent(), orange);
        QCOMPARE(f.tabColor("tabProfiles"), orange);

        // Showing the window again does not load the profiles a second time.
        f.view->hide();
        f.view->show();
        QCOMPARE(f.view->viewModel()->logLines(), QStringList{"Profiles loaded"});
    }

    void followsSystemAppearance() {
        WindowFixture f;
        const QPalette original = QApplication::palette();
        const auto setWindowColor = [&original](const QColor& color) {
            QPalette palette = original;
            palette.setColor(QPalette::Window, color);
            QApplication::setPalette(palette);
            QApplication::processEvents();
        };
        setWindowColor(QColor(0x20, 0x20, 0x20));
        QCOMPARE(f.find<CardWidget>("switchCard")->fillColor(), QColor::fromRgbF(0.14, 0.14, 0.13));
        setWindowColor(QColor(0xf0, 0xf0, 0xf0));
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
        const auto row = [](const char* name, TargetIDE target, const char* pick, const char* title,
                            const char* detail, const char* symbol, const char* action) {
            QTest::newRow(name) << target << QString(pick) << QString(title) << QString(detail)
                                << QString(symbol) << QString(action);
        };
        row("claude default", TargetIDE::claude, "", "Claude Account", "Claude Account",
            "terminal.fill", "Open Claude Code");
        row("claude velqor", TargetIDE::claude, "Velqor 2", "Velqor 2", "Velqor API", "key.fill",
            "Switch Profile");
        row("codex default", TargetIDE::codex, "", "ChatGPT Account", "ChatGPT Account",
            "person.crop.circle.fill", "Restart Codex");
        row("codex velqor", TargetIDE::codex, "Velqor 1", "Velqor 1", "Velqor", "key.fill",
            "Switch Profile");
    }

    void profileCard() {
        QFETCH(TargetIDE, target);
        QFETCH(QString, pick);
        WindowFixture f;
        f.view->setSelectedIDE(target);
        f.pick(pick);
        QTEST(f.card()->title(), "title");
        QTEST(f.card()->detail(), "detail");
        QTEST(f.card()->symbol(), "symbol");
        QTEST(f.action()->text(), "action");
        QVERIFY(f.action()->isEnabled());
        QVERIFY(f.power()->isEnabled());
    }

    // The store always keeps the two account profiles, so only the card's texts are checked.
    void noProfileCard() {
        QCOMPARE(ContentView::profileDetail(TargetIDE::claude, std::nullopt), QString("-"));
        QCOMPARE(ContentView::profileSymbol(TargetIDE::codex, std::nullopt),
                 QString("questionmark.circle.fill"));
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

    // A required update locks switching and shows the card; "Update" only with a link.
    void policyCard_data() {
        QTest::addColumn<QString>("updateURL");
        QTest::addColumn<QString>("announcement");
        QTest::addColumn<QString>("detail");
        QTest::newRow("with link")
            << QString("https://u.example/get") << QString() << QString("Update required");
        QTest::newRow("announcement, no link")
            << QString() << QString("  Please update  ") << QString("  Please update  ");
    }

    void policyCard() {
        QFETCH(QString, updateURL);
        QFETCH(QString, announcement);
        CloudPolicyResult result;
        result.isConfigured = true;
        result.policy.latestVersion = QString("999.1");
        result.policy.minimumSupportedVersion = QString("999.0");
        if (!announcement.isEmpty())
            result.policy.announcement = announcement;
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

        QVERIFY(f.find("policyCard")->isVisible());
        QVERIFY(!f.action()->isEnabled());
        QVERIFY(!f.power()->isEnabled());
        QCOMPARE(f.power()->stateColor(), f.view->theme().mutedText());
        QCOMPARE(f.action()->text(), QString("Locked"));
        QCOMPARE(f.find<IconView>("policySymbol")->symbol(),
                 QString("exclamationmark.triangle.fill"));
        QCOMPARE(f.find<IconView>("policySymbol")->color(), QColor::fromRgbF(1.0, 0.49, 0.31));
        QCOMPARE(f.find<QLabel>("policyTitle")->text(), QString("Update required"));
        QTEST(f.find<QLabel>("policyDetail")->text(), "detail");
        QCOMPARE(f.find("updateButton")->isVisible(), !updateURL.isEmpty());
        if (!updateURL.isEmpty()) {
            f.click("updateButton");
            QCOMPARE(opened, QList<QUrl>{QUrl(updateURL)});
        }
        f.click("refreshButton");
        QTRY_COMPARE(policy->calls, 2);
        QTRY_VERIFY(f.find("refreshButton")->isEnabled());
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
};

QTEST_MAIN(TestContentView)
#include "tst_contentview.moc"
