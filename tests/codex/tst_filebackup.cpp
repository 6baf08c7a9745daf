#include "codex/FileBackupService.h"
#include "profiles/AppPaths.h"
#include "support/TestHome.h"

#include <QDateTime>
#include <QLocale>
#include <QTest>

class TestFileBackup : public QObject {
    Q_OBJECT

private slots:
    void backups();
};

void TestFileBackup::backups() {
    TestHome home;
    const QString latest = QStringLiteral(".codex/config.toml.backup-before-profile-switch");
    const auto stamped = [](int offset) {
        return QLocale::c().toString(
            QDateTime::currentDateTime().addSecs(offset),
            QStringLiteral("'.codex/backups/config-'yyyy-MM-dd-HH-mm-ss'.toml'"));
    };
    FileBackupService service;
    try {
        service.createConfigBackups(AppPaths::configURL());
        QFAIL("a missing file was backed up");
    } catch (const BackupError& e) {
        QCOMPARE(e.localizedDescription(),
                 QStringLiteral("Could not read config.toml at %1.").arg(AppPaths::configURL()));
    }
    QVERIFY(!home.exists(QStringLiteral(".codex")));

    home.write(QStringLiteral(".codex/config.toml"), "new");
    home.write(latest, "old latest");
    const QString before = stamped(0);
    const BackupResult result = service.createConfigBackups(AppPaths::configURL());
    const QString name = result.timestampedBackupURL.mid(home.path().size() + 1);
    QVERIFY2(name == before || name == stamped(0), qPrintable(name));
    QCOMPARE(result.latestBackupURL, home.file(latest));
    QCOMPARE(home.read(latest), "new");
    QCOMPARE(home.read(name), "new");

    // A time-stamped copy is never replaced: with the next names taken, a run fails after
    // refreshing the latest copy.
    const QStringList taken{stamped(0), stamped(1), stamped(2)};
    for (const QString& file : taken)
        home.write(file, "taken");
    home.write(QStringLiteral(".codex/config.toml"), "newer");
    QVERIFY_THROWS_EXCEPTION(FileError, service.createConfigBackups(AppPaths::configURL()));
    QCOMPARE(home.read(latest), "newer");
    for (const QString& file : taken)
        QCOMPARE(home.read(file), "taken");
}

QTEST_GUILESS_MAIN(TestFileBackup)
#include "tst_filebackup.moc"
