#include "ui/ActivityPopover.h"
#include "ui/Buttons.h"
#include "ui/UiChecks.h"

#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

// A profile picked for a target, and what the card and the action button then show.
struct Card {
    const char* name;
    TargetIDE target;
    QString pick, title, detail, symbol, action;
};

struct Window : WindowFixture {
    using WindowFixture::WindowFixture;
    FilledButton* action() const { return find<FilledButton>("actionButton"); }
    PowerButton* power() const { return find<PowerButton>("powerButton"); }
    QString card(const char* part) const { return find<ElidedLabel>(part)->text(); }
    QColor accent() const { return view->theme().accentFill(); }
    QStringList pick(const QString& id = {}) const { return pickProfile(view.get(), id); }
};

} // namespace

class TestContentView : public QObject {
    Q_OBJECT
private slots:
    // The first start opens on Claude Code; later starts on the target used last. Every
    // accent follows the target, and the Profiles tab opens on its selected profile; a
    // change there resets both targets' selections to the active profiles.
    void followsTheTarget() {
        Window f;
        const QColor claude = f.accent();
        // The active profile is marked, and so is each profile still without its key.
        f.store->saveProfile(*f.store->profile("velqor-2"), QString("sk-2"));
        QCOMPARE(f.pick("velqor-2"),
                 (QStringList{"[x] Claude Account", "Velqor 1 (no key)", "Velqor 2"}));
        f.click("segmentCodex");
        QVERIFY(f.accent() != claude);
        QCOMPARE(f.pick("velqor-1"),
                 (QStringList{"[x] ChatGPT Account", "Velqor 1 (no key)", "Velqor 2"}));
        const ContentView again(f.store.get());
        QVERIFY(again.findChild<ChoiceButton*>("segmentCodex")->isSelected());

        f.click("tabProfiles");
        for (const QColor& color : {f.action()->fillColor(), f.power()->stateColor(),
                                    f.view->profilesPanel()->theme().accentFill()})
            QCOMPARE(color, f.accent());
        QCOMPARE(f.view->profilesPanel()->selectedProfileID(), std::optional<QString>("velqor-1"));
        f.click("segmentClaude");
        QCOMPARE(f.view->profilesPanel()->theme().accentFill(), claude);
        QCOMPARE(f.view->profilesPanel()->selectedProfileID(), std::optional<QString>("velqor-2"));
        f.click("addVelqorButton");
        QCOMPARE(f.view->viewModel()->selectedClaudeProfileID(),
                 std::optional<QString>("claude-code"));
        QCOMPARE(f.view->viewModel()->selectedProfileID(), std::optional<QString>("chatgpt"));
        f.click("tabSwitch");
        QCOMPARE(f.card("profileName"), QString("Claude Account"));
        // Showing the window again does not load the profiles a second time.
        f.view->hide();
        f.view->show();
        QCOMPARE(f.view->viewModel()->logLines(),
                 QStringList({"Profiles loaded", "Added Velqor 3"}));
    }

    void profileCard_data() {
        addRows<Card>({
            {"claude default", TargetIDE::claude, "", "Claude Account", "Claude Account",
             "terminal.fill", "Open Claude Code"},
            {"claude velqor", TargetIDE::claude, "velqor-2", "Velqor 2", "Velqor API", "key.fill",
             "Switch Profile"},
            {"codex default", TargetIDE::codex, "", "ChatGPT Account", "ChatGPT Account",
             "person.crop.circle.fill", "Restart Codex"},
            {"codex velqor", TargetIDE::codex, "velqor-1", "Velqor 1", "Velqor", "key.fill",
             "Switch Profile"},
        });
    }

    void profileCard() {
        QFETCH(Card, row);
        Window f;
        f.view->setSelectedIDE(row.target);
        f.pick(row.pick);
        QCOMPARE(QStringList({f.card("profileName"), f.card("profileDetail"),
                              f.find<IconView>("profileSymbol")->symbol(), f.action()->text()}),
                 QStringList({row.title, row.detail, row.symbol, row.action}));
        QVERIFY(f.action()->isEnabled() && f.power()->isEnabled());
    }

    // A required update locks switching and shows the card; "Update" only with a link.
    void policyCard_data() {
        QTest::addColumn<CloudPolicy>("served");
        QTest::addColumn<QString>("detail");
        QTest::newRow("with link")
            << CloudPolicy{"999.1", "999.0", QUrl("https://u.example/get"), {}}
            << QString("Update required");
        QTest::newRow("announcement, no link")
            << CloudPolicy{"999.1", "999.0", {}, "  Please update  "}
            << QString("  Please update  ");
    }

    void policyCard() {
        QFETCH(CloudPolicy, served);
        auto policy = std::make_shared<FixedPolicy>(CloudPolicyResult{served, true});
        QList<QUrl> opened;
        AppServices services;
        services.cloudControlService = policy;
        services.openURL = [&opened](const QUrl& url) { opened << url; };
        Window f(services);
        QTRY_COMPARE(policy->calls, 1);
        QTRY_VERIFY(!f.view->viewModel()->isCheckingCloud());

        QVERIFY(f.find("policyCard")->isVisible());
        QVERIFY(!f.action()->isEnabled() && !f.power()->isEnabled());
        QCOMPARE(f.action()->text(), QString("Locked"));
        // Both controls are dimmed alike, and "Locked" stays readable in either appearance.
        for (const bool dark : {true, false}) {
            setAppearance(dark);
            QCOMPARE(f.power()->stateColor(), f.action()->fillColor());
            QCOMPARE(f.power()->symbolColor(), f.action()->textColor());
            QVERIFY(contrastRatio(f.action()->textColor(), f.action()->fillColor()) >= 4.5);
        }
        QCOMPARE(f.find<QLabel>("policyTitle")->text(), QString("Update required"));
        QTEST(f.find<QLabel>("policyDetail")->text(), "detail");
        QCOMPARE(f.find("updateButton")->isVisible(), served.updateURL.has_value());
        if (served.updateURL) {
            f.click("updateButton");
            QCOMPARE(opened, QList<QUrl>{*served.updateURL});
        }
        f.click("refreshButton");
        QTRY_COMPARE(policy->calls, 2);
        QTRY_VERIFY(f.find("refreshButton")->isEnabled());
        QCOMPARE(f.find<IconButton>("refreshButton")->symbol(), QString("arrow.clockwise"));
    }

    // Long texts elide. A failure shows in the error colour, whole in the tooltip and in
    // the recent lines; a long name never pushes a control out of the Profiles tab's viewport.
    void longTexts() {
        Window f;
        const QString failure = "Could not restart Claude Code: zsh:1: " + QString(300, 'x');
        f.view->viewModel()->appendFailure(failure);
        auto* caption = f.find<ElidedLabel>("lastLogCaption");
        QCOMPARE(caption->color(), f.view->theme().error());
        QCOMPARE(caption->toolTip(), failure);
        QVERIFY(caption->displayedText().endsWith(QChar(0x2026)));
        QVERIFY(caption->width() <= f.view->width());

        QTest::mouseClick(caption, Qt::LeftButton);
        auto* lines = f.find<QPlainTextEdit>("recentActivityText");
        QTRY_VERIFY(lines->isVisible());
        QCOMPARE(lines->document()->blockCount(), 2);
        QVERIFY(lines->toPlainText().endsWith("  " + failure));
        QTest::mouseClick(f.find("copyActivityButton"), Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), lines->toPlainText());
        // One entry per paragraph, each with the time it was added.
        QVERIFY(lines->toPlainText().startsWith(
            ActivityPopover::entryText(f.view->viewModel()->logTime(0), "Profiles loaded")));
        // The popup follows new lines, and a success is drawn as one again.
        f.view->viewModel()->appendLog("Codex switched to Velqor 1. Synced 0 chats.");
        QVERIFY(lines->toPlainText().endsWith("Synced 0 chats."));
        QCOMPARE(caption->color(), f.view->theme().secondaryText());

        Profile profile = Profile::velqorAccount(9);
        profile.name = QString("W").repeated(60);
        profile.limitsEndpoint = QString("http://127.0.0.1:9/limits");
        f.store->saveProfile(profile);
        QVERIFY(f.pick(profile.id).last().contains(QChar(0x2026)));
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
