#include "backups/BackupRetention.h"
#include "support/FakeRestarters.h"
#include "ui/BackupsSection.h"
#include "ui/UiChecks.h"

#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>

#include <unistd.h>

// The Backups section of the settings over a real backups folder: list, preview, restore,
// delete and prune, each asked first where it removes or replaces, all off the GUI thread.

struct SectionFixture : WidgetFixture<BackupsSection> {
    std::shared_ptr<FakeCodexRestarter> codex = std::make_shared<FakeCodexRestarter>();
    SectionFixture() {
        store->load();
        SwitchServices services;
        services.codexRestarter = codex;
        view = std::make_unique<BackupsSection>(store.get(), services);
    }
    void select(const QString& id) const {
        auto* list = find<QTreeWidget>("backupsList");
        for (int row = 0; row < list->topLevelItemCount(); ++row)
            if (list->topLevelItem(row)->data(0, Qt::UserRole).toString() == id)
                list->setCurrentItem(list->topLevelItem(row));
        QTRY_VERIFY(!view->isBusy()); // its preview is done
    }
    QString status() const { return text("backupsStatus"); }
};

class TestBackupsSection : public QObject {
    Q_OBJECT
private slots:
    void findPreviewRestoreDeletePrune() {
        SectionFixture f;
        f.home.write(".codex/config.toml", "model = \"new\"\n");
        f.home.write(".codex/backups/config-2026-01-01-00-00-00.toml", "model = \"old\"\n");
        f.home.write(".codex/backups/config-2026-01-02-00-00-00.toml", "model = \"x\"\n");
        f.show();
        QTRY_VERIFY(!f.view->isBusy());
        QCOMPARE(f.view->entries().size(), 2);

        f.select(".codex/backups/config-2026-01-01-00-00-00.toml");
        QTRY_VERIFY(f.view->previewText().endsWith("-model = \"new\"\n+model = \"old\""));
        QCOMPARE(f.clickAnswering("restoreBackupButton", "Cancel"),
                 QString("Restore ~/.codex/config.toml from its copy of 2026-01-01 00:00:00?"));
        QCOMPARE(f.home.read(".codex/config.toml"), QByteArray("model = \"new\"\n"));
        f.clickAnswering("restoreBackupButton", "Restore");
        QTRY_VERIFY2(f.status().startsWith("Restored config.toml from its copy of 2026-01-01"),
                     qPrintable(f.status()));
        // The copy of what it held until now is listed too.
        QTRY_COMPARE(f.view->entries().size(), 3);

        f.select(".codex/backups/config-2026-01-02-00-00-00.toml");
        f.clickAnswering("deleteBackupButton", "Delete");
        QTRY_VERIFY2(f.status().startsWith("Deleted the copy of config.toml"),
                     qPrintable(f.status()));
        QVERIFY(!f.home.exists(".codex/backups/config-2026-01-02-00-00-00.toml"));

        f.find<QSpinBox>("backupsKeepPerFile")->setValue(1);
        QCOMPARE(RetentionPolicy::load().keepPerFile, 1);
        f.home.write(".codex/backups/config-2025-01-01-00-00-00.toml", "older");
        QTRY_VERIFY(!f.view->isBusy());
        f.click("pruneBackupsButton");
        QTRY_COMPARE(f.status(), QString("Removed 1 old backup, 5 bytes."));
    }

    // With a thousand copies and a 100 MB database copy the window keeps handling events
    // while the work runs: a restore held inside its quit leaves the GUI thread free.
    void staysResponsive() {
        SectionFixture f;
        for (int i = 0; i < 1000; ++i)
            f.home.write(QString(".codex/backups/auth-2025-01-01-00-00-00-%1.json").arg(i + 2),
                         "{}");
        f.home.write(".codex/state_5.sqlite", QByteArray("SQLite format 3\0", 16) + "now");
        const QString copy = f.home.file(".codex/backups/state_5-2026-01-01-00-00-00.sqlite");
        writeFile(copy, QByteArray("SQLite format 3\0", 16));
        QCOMPARE(::truncate(QFile::encodeName(copy).constData(), 100 * 1000 * 1000), 0);
        f.show();
        QTRY_VERIFY(!f.view->isBusy());
        QCOMPARE(f.view->entries().size(), 1001);

        f.codex->holdQuit = true;
        f.select(".codex/backups/state_5-2026-01-01-00-00-00.sqlite");
        f.clickAnswering("restoreBackupButton", "Restore");
        QTRY_VERIFY(f.codex->calls().contains("quit"));
        QTimer timer;
        QSignalSpy ticks(&timer, &QTimer::timeout);
        timer.start(1);
        QTRY_VERIFY(ticks.size() >= 5);
        QVERIFY(f.view->isBusy() && !f.find<QPushButton>("restoreBackupButton")->isEnabled());
        f.codex->releaseQuit();
        QTRY_VERIFY_WITH_TIMEOUT(f.status().startsWith("Restored the chat database"), 120000);
        QCOMPARE(QFileInfo(f.home.file(".codex/state_5.sqlite")).size(), 100 * 1000 * 1000);
    }
};

QTEST_MAIN(TestBackupsSection)
#include "tst_backupssection.moc"
