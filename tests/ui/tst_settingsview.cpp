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
    QAbstractButton* button(const char* name) const { return find<QAbstractButton>(name); }
    void click(const char* name) const { QTest::mouseClick(button(name), Qt::LeftButton); }
    QString status() const { return find<QLabel>("settingsStatus")->text(); }
    void selectRow(const QString& id) const {
        auto* list = find<QListWidget>("settingsProfileList");
        for (int row = 0; row < list->count(); ++row)
            if (list->item(row)->data(Qt::UserRole).toString() == id) {
                const QRect rect = list->visualItemRect(list->item(row));
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
                return;
            }
        qFatal("no row %s", qPrintable(id));
    }
    void retype(const char* name, const QString& text) const {
        QLineEdit* f = field(name);
        f->selectAll();
        QTest::keyClicks(f, text);
        if (text.isEmpty())
            QTest::keyClick(f, Qt::Key_Backspace);
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
        QCOMPARE(f.field("idField")->text(), QString("velqor-2"));
        QCOMPARE(f.field("nameField")->text(), QString("Velqor 2"));
        QVERIFY(!f.field("idField")->isEnabled());
        QVERIFY2(!f.button("deleteProfileButton")->isEnabled(), "active profile is deletable");
        auto* list = f.find<QListWidget>("settingsProfileList");
        QCOMPARE(list->currentItem()->data(Qt::UserRole).toString(), QString("velqor-2"));
        // "Active" marks exactly the active Codex profile.
        const QList<QLabel*> badges = list->findChildren<QLabel*>("activeBadge");
        QCOMPARE(badges.size(), 1);
        QCOMPARE(badges.first()->parentWidget()->findChild<QLabel*>("profileName")->text(),
                 QString("Velqor 2"));
    }

    void newProfileIDEditableUntilSaved() {
        SettingsFixture f;
        f.show();
        f.click("addProfileButton");
        QVERIFY(f.field("idField")->isEnabled());
        QVERIFY(f.field("idField")->text().startsWith("velqor-"));
        QCOMPARE(f.field("nameField")->text(), QString("New Velqor"));
        QVERIFY(!f.button("deleteProfileButton")->isEnabled());
        QCOMPARE(f.view->selectedProfileID(), std::nullopt);
        QVERIFY(f.status().isEmpty());

        f.retype("idField", "velqor-work");
        f.retype("nameField", "Work");
        f.click("saveProfileButton");
        QVERIFY(f.store->profile("velqor-work"));
        QCOMPARE(f.view->selectedProfileID(), std::optional<QString>("velqor-work"));
        QVERIFY(!f.field("idField")->isEnabled());
        QVERIFY(f.button("deleteProfileButton")->isEnabled());
        // The new selection replaced "Profile saved." with its key message: no key.
        QCOMPARE(f.status(), QString());
    }

    void newProfileWithKeyReportsKey() {
        SettingsFixture f;
        f.show();
        f.click("addProfileButton");
        const QString id = f.field("idField")->text();
        QTest::keyClicks(f.field("settingsApiKeyField"), "sk-new");
        f.click("saveProfileButton");
        QCOMPARE(f.store->apiKey(id), std::optional<QString>("sk-new"));
        QCOMPARE(f.status(), QString("API key is saved locally."));
        QVERIFY(f.field("settingsApiKeyField")->text().isEmpty());
    }

    void duplicateIDIsRefused() {
        SettingsFixture f;
        f.show();
        const QByteArray before = f.home.read(".codex/tavrin/profiles.json");
        f.click("addProfileButton");
        f.retype("idField", " velqor-1 ");
        f.retype("nameField", "Impostor");
        f.click("saveProfileButton");
        QCOMPARE(f.status(),
                 QString("A profile with the ID 'velqor-1' already exists. Choose another ID."));
        QCOMPARE(f.store->profile("velqor-1")->name, QString("Velqor 1"));
        QCOMPARE(f.home.read(".codex/tavrin/profiles.json"), before);
        // The form keeps the input for correction.
        QCOMPARE(f.field("nameField")->text(), QString("Impostor"));
        QVERIFY(f.field("idField")->isEnabled());
    }

    void saveTrimsAndKeepsStoredKey() {
        SettingsFixture f;
        f.store->saveProfile(*f.store->profile("velqor-1"), QString("sk-old"));
        f.show();
        f.selectRow("velqor-1");
        QCOMPARE(f.status(), QString("API key is saved locally."));
        QVERIFY(f.field("settingsApiKeyField")->text().isEmpty());

        f.retype("nameField", "  Spaced Name  ");
        f.retype("modelField", " gpt-x ");
        f.click("saveProfileButton");
        QCOMPARE(f.store->profile("velqor-1")->name, QString("Spaced Name"));
        QCOMPARE(f.store->profile("velqor-1")->model, QString("gpt-x"));
        QCOMPARE(f.field("nameField")->text(), QString("Spaced Name"));
        QCOMPARE(f.store->apiKey("velqor-1"), std::optional<QString>("sk-old"));
        QCOMPARE(f.status(), QString("Profile saved."));
    }

    void enablingRules_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("canSave");
        QTest::addColumn<bool>("canDeleteKey");
        QTest::newRow("blank name") << "nameField"
                                    << "  " << false << true;
        QTest::newRow("blank model") << "modelField"
                                     << "" << false << true;
        QTest::newRow("blank provider") << "modelProviderField"
                                        << "" << true << true;
        QTest::newRow("empty id") << "idField"
                                  << "" << false << false;
    }

    void enablingRules() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(bool, canSave);
        QFETCH(bool, canDeleteKey);
        SettingsFixture f;
        f.show();
        f.click("addProfileButton");
        f.retype(qPrintable(field), text);
        QCOMPARE(f.button("saveProfileButton")->isEnabled(), canSave);
        QCOMPARE(f.button("settingsSaveProxyButton")->isEnabled(), canSave);
        QCOMPARE(f.button("deleteStoredKeyButton")->isEnabled(), canDeleteKey);
    }

    void deleteMovesToFirstProfile() {
        SettingsFixture f;
        f.store->saveProfile(*f.store->profile("chatgpt"), QString("sk-chat"));
        f.show();
        f.selectRow("velqor-2");
        f.click("deleteProfileButton");
        QVERIFY(!f.store->profile("velqor-2"));
        QCOMPARE(f.view->selectedProfileID(), std::optional<QString>("chatgpt"));
        QCOMPARE(f.field("idField")->text(), QString("chatgpt"));
        QCOMPARE(f.status(), QString("API key is saved locally."));
    }

    void deleteRefusalIsShown() {
        SettingsFixture f;
        f.show();
        // The active Claude Code profile is not the Codex one, so the button is enabled,
        // and the store explains why it refuses.
        f.selectRow("claude-code");
        QVERIFY(f.button("deleteProfileButton")->isEnabled());
        f.click("deleteProfileButton");
        QCOMPARE(f.status(), QString("The active profile cannot be deleted."));
        QVERIFY(f.store->profile("claude-code"));
    }

    void deleteStoredKey() {
        SettingsFixture f;
        f.store->saveProfile(*f.store->profile("velqor-1"), QString("sk-1"));
        f.show();
        f.selectRow("velqor-1");
        f.click("deleteStoredKeyButton");
        QVERIFY(!f.store->hasAPIKey("velqor-1"));
        QCOMPARE(f.status(), QString("Stored API key deleted."));
    }

    void proxyLabelAndSave() {
        SettingsFixture f;
        f.show();
        f.selectRow("velqor-1");
        QCOMPARE(f.find<QLabel>("settingsProxyBadge")->text(), QString("Off"));
        f.click("settingsProxyToggle");
        QVERIFY(f.find<QWidget>("settingsProxyContent")->isVisible());
        QTest::keyClicks(f.field("settingsProxyAddressField"), "h:3128:u:p");
        QCOMPARE(f.find<QLabel>("settingsProxyBadge")->text(), QString("http"));
        f.click("settingsSaveProxyButton");
        QCOMPARE(f.store->profile("velqor-1")->proxyURL,
                 std::optional<QString>("http://u:p@h:3128"));
        QCOMPARE(f.field("settingsProxyAddressField")->text(), QString("u:p@h:3128"));
        QCOMPARE(f.status(), QString("Profile saved."));
    }

    void reloadsStoreWhenShown() {
        SettingsFixture f;
        f.show();
        f.view->hide();
        ProfilesDocument document = f.store->document();
        document.profiles.append(Profile::velqorAccount(9));
        f.home.write(".codex/tavrin/profiles.json", document.encoded());
        f.show();
        QVERIFY(f.store->profile("velqor-9"));
        QCOMPARE(f.find<QListWidget>("settingsProfileList")->count(), 5);
    }

    void unreadableFileShownOnOpen() {
        SettingsFixture f;
        f.home.write(".codex/tavrin/profiles.json", "[]");
        f.show();
        QVERIFY2(f.status().contains("not a JSON object"), qPrintable("status: " + f.status()));
        // Focusing the list must not count as picking a profile.
        f.find<QListWidget>("settingsProfileList")->setFocus();
        QApplication::processEvents();
        QCOMPARE(f.view->selectedProfileID(), std::nullopt);
        QVERIFY(f.status().contains("not a JSON object"));
    }
};

QTEST_MAIN(TestSettingsView)
#include "tst_settingsview.moc"
