#include "profiles/ProfilesStore.h"
#include "support/TestHome.h"
#include "ui/SettingsView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <memory>

struct SettingsFixture {
    TestHome home;
    std::unique_ptr<ProfilesStore> store = std::make_unique<ProfilesStore>();
    std::unique_ptr<SettingsView> view;

    SettingsFixture() {
        store->load();
        view = std::make_unique<SettingsView>(store.get());
    }
    void show() {
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    }
    template <typename T> T* find(const char* name) const {
        T* widget = view->findChild<T*>(name);
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }
    QLineEdit* field(const char* name) const { return find<QLineEdit>(name); }
    bool enabled(const char* name) const { return find<QAbstractButton>(name)->isEnabled(); }
    void click(const char* name) const {
        QTest::mouseClick(find<QAbstractButton>(name), Qt::LeftButton);
    }
    QString status() const { return find<QLabel>("settingsStatus")->text(); }
    QListWidget* list() const { return find<QListWidget>("settingsProfileList"); }
    void selectRow(const QString& id) const {
        for (int row = 0; row < list()->count(); ++row)
            if (list()->item(row)->data(Qt::UserRole).toString() == id) {
                const QRect rect = list()->visualItemRect(list()->item(row));
                QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rect.center());
                return;
            }
        qFatal("no row %s", qPrintable(id));
    }
    void retype(const char* name, const QString& text) const {
        field(name)->selectAll();
        QTest::keyClicks(field(name), text);
        if (text.isEmpty())
            QTest::keyClick(field(name), Qt::Key_Backspace);
    }
};

class TestSettingsView : public QObject {
    Q_OBJECT
private slots:
    void openingSelectsActiveProfile() {
        SettingsFixture f;
        f.store->saveActiveProfileID("velqor-2");
        f.show();
        QCOMPARE(f.view->selectedProfileID(), std::optional<QString>("velqor-2"));
        QCOMPARE(f.list()->currentItem()->data(Qt::UserRole).toString(), QString("velqor-2"));
        QCOMPARE(f.field("idField")->text(), QString("velqor-2"));
        QVERIFY(!f.field("idField")->isEnabled());
        QVERIFY2(!f.enabled("deleteProfileButton"), "active profile is deletable");
        // "Active" marks exactly the active Codex profile.
        const QList<QLabel*> badges = f.list()->findChildren<QLabel*>("activeBadge");
        QCOMPARE(badges.size(), 1);
        QCOMPARE(badges.first()->text(), QString("Active"));
        QCOMPARE(badges.first()->parentWidget()->findChild<QLabel*>("profileName")->text(),
                 QString("Velqor 2"));
    }

    // A new profile's ID is editable until it is saved, a taken ID is refused, and saving
    // selects the profile, whose key message then replaces "Profile saved.".
    void newProfile_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("status");
        QTest::newRow("no key") << QString() << QString();
        QTest::newRow("with key") << QString("sk-new") << QString("API key is saved locally.");
    }

    void newProfile() {
        QFETCH(QString, key);
        SettingsFixture f;
        f.show();
        const QByteArray before = f.home.read(".codex/tavrin/profiles.json");
        f.click("addProfileButton");
        QVERIFY(f.field("idField")->isEnabled());
        QCOMPARE(f.field("nameField")->text(), QString("New Velqor"));
        QVERIFY(!f.enabled("deleteProfileButton"));
        QCOMPARE(f.view->selectedProfileID(), std::nullopt);

        // Without an ID nothing can be saved and there is no stored key to delete.
        f.retype("idField", "");
        for (const char* button :
             {"saveProfileButton", "settingsSaveProxyButton", "deleteStoredKeyButton"})
            QVERIFY2(!f.enabled(button), button);
        // A new profile must not silently replace a stored one; the input stays for correction.
        f.retype("idField", " velqor-1 ");
        f.retype("nameField", "Impostor");
        f.click("saveProfileButton");
        QCOMPARE(f.status(),
                 QString("A profile with the ID 'velqor-1' already exists. Choose another ID."));
        QCOMPARE(f.home.read(".codex/tavrin/profiles.json"), before);
        QCOMPARE(f.field("nameField")->text(), QString("Impostor"));
        QVERIFY(f.field("idField")->isEnabled());

        f.retype("idField", "velqor-work");
        QTest::keyClicks(f.field("settingsApiKeyField"), key);
        f.click("saveProfileButton");
        QCOMPARE(f.view->selectedProfileID(), std::optional<QString>("velqor-work"));
        QCOMPARE(f.store->apiKey("velqor-work").value_or(QString()), key);
        QVERIFY(!f.field("idField")->isEnabled());
        QVERIFY(f.enabled("deleteProfileButton"));
        QVERIFY(f.field("settingsApiKeyField")->text().isEmpty());
        QTEST(f.status(), "status");
    }

    void editExistingProfile() {
        SettingsFixture f;
        f.store->saveProfile(*f.store->profile("velqor-1"), QString("sk-old"));
        f.show();
        f.selectRow("velqor-1");
        QCOMPARE(f.status(), QString("API key is saved locally."));
        QVERIFY(f.field("settingsApiKeyField")->text().isEmpty());

        f.retype("nameField", "  Spaced Name  ");
        f.click("saveProfileButton");
        QCOMPARE(f.store->profile("velqor-1")->name, QString("Spaced Name"));
        QCOMPARE(f.field("nameField")->text(), QString("Spaced Name"));
        QCOMPARE(f.store->apiKey("velqor-1"), std::optional<QString>("sk-old"));
        QCOMPARE(f.status(), QString("Profile saved."));

        f.click("deleteStoredKeyButton");
        QVERIFY(!f.store->hasAPIKey("velqor-1"));
        QCOMPARE(f.status(), QString("Stored API key deleted."));
    }

    void deleteProfile() {
        SettingsFixture f;
        f.store->saveProfile(*f.store->profile("chatgpt"), QString("sk-chat"));
        f.show();
        // The active Claude Code profile is not the Codex one, so the button is enabled,
        // and the store explains why it refuses.
        f.selectRow("claude-code");
        f.click("deleteProfileButton");
        QCOMPARE(f.status(), QString("The active profile cannot be deleted."));
        QVERIFY(f.store->profile("claude-code"));

        f.selectRow("velqor-2");
        f.click("deleteProfileButton");
        QVERIFY(!f.store->profile("velqor-2"));
        QCOMPARE(f.view->selectedProfileID(), std::optional<QString>("chatgpt"));
        QCOMPARE(f.field("idField")->text(), QString("chatgpt"));
        QCOMPARE(f.status(), QString("API key is saved locally."));
    }

    void proxyLabelAndSave() {
        SettingsFixture f;
        f.show();
        f.selectRow("velqor-1");
        auto* badge = f.find<QLabel>("settingsProxyBadge");
        QCOMPARE(badge->text(), QString("Off"));
        f.click("settingsProxyToggle");
        QTest::keyClicks(f.field("settingsProxyAddressField"), "h:3128:u:p");
        QCOMPARE(badge->text(), QString("http"));
        f.click("settingsSaveProxyButton");
        QCOMPARE(f.store->profile("velqor-1")->proxyURL,
                 std::optional<QString>("http://u:p@h:3128"));
        QCOMPARE(f.field("settingsProxyAddressField")->text(), QString("u:p@h:3128"));
        QCOMPARE(f.status(), QString("Profile saved."));
    }

    // Showing the window reloads the file, and a failure stays in the status line.
    void unreadableFileShownOnOpen() {
        SettingsFixture f;
        f.home.write(".codex/tavrin/profiles.json", "[]");
        f.show();
        QVERIFY2(f.status().contains("not a JSON object"), qPrintable("status: " + f.status()));
        // Focusing the list must not count as picking a profile.
        f.list()->setFocus();
        QApplication::processEvents();
        QCOMPARE(f.view->selectedProfileID(), std::nullopt);
        QVERIFY(f.status().contains("not a JSON object"));
    }
};

QTEST_MAIN(TestSettingsView)
#include "tst_settingsview.moc"
