#include "remote/CloudControlService.h"
#include "ui/ContentView.h"
#include "ui/Controls.h"
#include "ui/ProfilesPanel.h"
#include "ui/UiChecks.h"

#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollArea>

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

// A profile picked for a target, and what the card and the action button then show.
struct Card {
    const char* name;
    TargetIDE target;
    QString pick, title, detail, symbol, action;
};

} // namespace

struct WindowFixture : WidgetFixture<ContentView> {
    explicit WindowFixture(AppServices services = {}) {
        if (!services.cloudControlService)
            services.cloudControlService = std::make_shared<FixedPolicy>(CloudPolicyResult{});
        view = std::make_unique<ContentView>(store.get(), std::move(services));
        view->show();
        if (!QTest::qWaitForWindowExposed(view.get()))
            qFatal("window not exposed");
    }
    FilledButton* action() const { return find<FilledButton>("actionButton"); }
    PowerButton* power() const { return find<PowerButton>("powerButton"); }
    ProfileCard* card() const { return find<ProfileCard>("profileCard"); }
    QColor accent() const { return view->theme().accent(); }
    QColor tabColor(const char* name) const { return find<TabButton>(name)->contentColor(); }
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
        const QColor claude = f.accent();
        QCOMPARE(f.view->selectedIDE(), TargetIDE::claude);
        QCOMPARE(f.find<SegmentButton>("segmentClaude")->contentColor(), QColor(Qt::white));
        QCOMPARE(f.pick(), (QStringList{"Claude Account", "Velqor 1", "Velqor 2"}));

        f.click("segmentCodex");
        QVERIFY(f.accent() != claude);
        QCOMPARE(f.pick(), (QStringList{"ChatGPT Account", "Velqor 1", "Velqor 2"}));
        // Every accent follows the target, inside the profiles panel too.
        f.click("tabProfiles");
        for (const QColor& color :
             {f.action()->fillColor(), f.power()->stateColor(), f.tabColor("tabProfiles"),
              f.view->profilesPanel()->theme().accent()})
            QCOMPARE(color, f.accent());
        f.click("segmentClaude");
        QCOMPARE(f.view->profilesPanel()->theme().accent(), claude);

        // Showing the window again does not load the profiles a second time.
        f.view->hide();
        f.view->show();
        QCOMPARE(f.view->viewModel()->logLines(), QStringList{"Profiles loaded"});
    }

    // The card's two lines are drawn in the theme's text roles, readable on the card.
    void cardFollowsAppearance_data() {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }

    void cardFollowsAppearance() {
        QFETCH(bool, dark);
        WindowFixture f;
        setAppearance(dark);
        const CompactTheme theme = f.view->theme();
        QCOMPARE(theme.isDark, dark);
        QCOMPARE(f.find<CardWidget>("switchCard")->fillColor(), theme.panel());
        const QColor title = paintedColor(f.find("profileName"));
        const QColor detail = paintedColor(f.find("profileDetail"));
        QVERIFY2(sameColor(title, theme.primaryText()), qPrintable(title.name()));
        QVERIFY2(sameColor(detail, theme.secondaryText()), qPrintable(detail.name()));
        // Every text role reads on every surface it is drawn on.
        for (const QColor& text : {theme.primaryText(), theme.secondaryText(), theme.error()})
            for (const QColor& surface : {theme.panel(), theme.background(), theme.buttonSurface()})
                QVERIFY(contrastRatio(text, surface) >= 4.5);
        setAppearance(false);
    }

    void profileCard_data() {
        addRows<Card>({
            {"claude default", TargetIDE::claude, "", "Claude Account", "Claude Account",
             "terminal.fill", "Open Claude Code"},
            {"claude velqor", TargetIDE::claude, "Velqor 2", "Velqor 2", "Velqor API", "key.fill",
             "Switch Profile"},
            {"codex default", TargetIDE::codex, "", "ChatGPT Account", "ChatGPT Account",
             "person.crop.circle.fill", "Restart Codex"},
            {"codex velqor", TargetIDE::codex, "Velqor 1", "Velqor 1", "Velqor", "key.fill",
             "Switch Profile"},
        });
    }

    void profileCard() {
        QFETCH(Card, row);
        WindowFixture f;
        f.view->setSelectedIDE(row.target);
        f.pick(row.pick);
        QCOMPARE(f.card()->title(), row.title);
        QCOMPARE(f.card()->detail(), row.detail);
        QCOMPARE(f.card()->symbol(), row.symbol);
        QCOMPARE(f.action()->text(), row.action);
        QVERIFY(f.action()->isEnabled());
        QVERIFY(f.power()->isEnabled());
    }

    // A failure shows in the error colour, whole in the tooltip and in the recent lines.
    void failureCaption() {
        WindowFixture f;
        const QString failure = "Could not restart Claude Code: zsh:1: " + QString(300, 'x');
        f.view->viewModel()->appendFailure(failure);
        auto* caption = f.find<ElidedLabel>("lastLogCaption");
        QCOMPARE(caption->color(), f.view->theme().error());
        QVERIFY(contrastRatio(caption->color(), f.view->theme().panel()) >= 4.5);
        QCOMPARE(caption->toolTip(), failure);
        QVERIFY(caption->displayedText().endsWith(QChar(0x2026)));
        QVERIFY(caption->width() <= f.view->width());

        QTest::mouseClick(caption, Qt::LeftButton);
        auto* lines = f.find<QPlainTextEdit>("recentActivityText");
        QTRY_VERIFY(lines->isVisible());
        QCOMPARE(lines->toPlainText(), "Profiles loaded\n" + failure);
        QTest::mouseClick(f.find("copyActivityButton"), Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), lines->toPlainText());
        // The popup follows new lines, and a success is drawn as one again.
        f.view->viewModel()->appendLog("Codex switched to Velqor 1. Synced 0 chats.");
        QVERIFY(lines->toPlainText().endsWith("Synced 0 chats."));
        QCOMPARE(caption->color(), f.view->theme().secondaryText());
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
        QCOMPARE(f.action()->text(), QString("Locked"));
        // Both controls are dimmed alike, and "Locked" stays readable in either appearance.
        for (const bool dark : {false, true}) {
            setAppearance(dark);
            QCOMPARE(f.power()->stateColor(), f.action()->fillColor());
            QCOMPARE(f.power()->symbolColor(), f.action()->textColor());
            QVERIFY(contrastRatio(f.action()->textColor(), f.action()->fillColor()) >= 4.5);
        }
        setAppearance(false);
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

    // The Profiles tab opens on the selected target's profile; its changes reset both
    // targets' selections to the active profiles.
    void profilesTabFollowsTarget() {
        WindowFixture f;
        f.view->setSelectedIDE(TargetIDE::codex);
        f.pick("Velqor 1");
        f.view->setSelectedIDE(TargetIDE::claude);
        f.pick("Velqor 2");
        f.click("tabProfiles");
        QCOMPARE(f.view->profilesPanel()->selectedProfileID(), std::optional<QString>("velqor-2"));
        f.click("segmentCodex");
        QCOMPARE(f.view->profilesPanel()->selectedProfileID(), std::optional<QString>("velqor-1"));

        f.click("addVelqorButton");
        QCOMPARE(f.view->viewModel()->logLines().last(), QString("Added Velqor 3"));
        QCOMPARE(f.view->viewModel()->selectedClaudeProfileID(),
                 std::optional<QString>("claude-code"));
        QCOMPARE(f.view->viewModel()->selectedProfileID(), std::optional<QString>("chatgpt"));
        f.click("tabSwitch");
        QCOMPARE(f.card()->title(), QString("ChatGPT Account"));
    }

    // A long name elides and never pushes a control out of the Profiles tab's viewport.
    void longNameStaysInViewport() {
        WindowFixture f;
        Profile profile = Profile::velqorAccount(9);
        profile.name = QString("W").repeated(60);
        profile.limitsEndpoint = QString("http://127.0.0.1:9/limits");
        f.store->saveProfile(profile);
        const QStringList titles = f.pick();
        QVERIFY(titles.last().endsWith(QChar(0x2026)));
        f.view->viewModel()->setSelectedClaudeProfileID(profile.id);
        QVERIFY(f.find<ElidedLabel>("profileName")->displayedText().endsWith(QChar(0x2026)));

        f.click("tabProfiles");
        f.click("proxyDisclosure");
        QTest::keyClicks(f.find<QLineEdit>("apiKeyField"), "sk-long");
        f.click("saveKeyButton");
        QVERIFY(f.view->profilesPanel()->status().contains(profile.name));
        QWidget* viewport = f.find<QScrollArea>("profilesScroll")->viewport();
        QApplication::processEvents();
        QVERIFY(f.view->profilesPanel()->width() <= viewport->width());
        const auto buttons = f.view->profilesPanel()->findChildren<QAbstractButton*>();
        QVERIFY(buttons.size() >= 10);
        for (QAbstractButton* button : buttons) {
            if (!button->isVisible())
                continue;
            const QRect area(button->mapTo(viewport, QPoint(0, 0)), button->size());
            QVERIFY2(area.left() >= 0 && area.right() < viewport->width(),
                     qPrintable(button->objectName() + button->text()));
        }
    }
};

QTEST_MAIN(TestContentView)
#include "tst_contentview.moc"
