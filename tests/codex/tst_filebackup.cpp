#include "codex/FileBackupService.h"
#include "profiles/AppPaths.h"
#include "profiles/Errors.h"
#include "profiles/FileUtil.h"
#include "support/TestHome.h"

#include <QDateTime>
#include <QTest>
#include <QThread>

class TestFileBackup : public QObject {
    Q_OBJECT

private slots:
    void missingConfigWritesNothing();
    void makesBothCopies();
    void secondRunInSameSecondFailsAfterLatestCopy();
};

void TestFileBackup::missingConfigWritesNothing() {
    TestHome home;
    try {
        FileBackupService().createConfigBackups(AppPaths::configURL());
        QFAIL("a missing file was backed up");
    } catch (const BackupError& e) {
        QCOMPARE(e.localizedDescription(), QStringLiteral("Could not read config.toml at ") +
                                               AppPaths::configURL() + QLatin1Char('.'));
    }
    QVERIFY(!home.exists(QStringLiteral(".codex")));
}

void TestFileBackup::makesBothCopies() {
    TestHome home;
    home.write(QStringLiteral(".codex/config.toml"), "new");
    home.write(QStringLiteral(".codex/config.toml.backup-before-profile-switch"), "old latest");
    home.write(QStringLiteral(".codex/backups/config-2020-01-01-00-00-00.toml"), "older");

    const QString before = FileUtil::timestamp();
    const BackupResult result = FileBackupService().createConfigBackups(AppPaths::configURL());
    const QString after = FileUtil::timestamp();

    QCOMPARE(result.latestBackupURL, AppPaths::latestBackupURL());
    QCOMPARE(home.read(QStringLiteral(".codex/config.toml.backup-before-profile-switch")), "new");
    const QStringList stamped = home.entries(QStringLiteral(".codex/backups"));
    QCOMPARE(stamped.size(), 2);
    QCOMPARE(home.read(QStringLiteral(".codex/backups/") + stamped.first()), "older");
    const QString name = stamped.last();
    QVERIFY2(name.startsWith(QStringLiteral("config-")) && name.endsWith(QStringLiteral(".toml")),
             qPrintable(name));
    const QString stamp = name.mid(7, name.size() - 12);
    QVERIFY2(before <= stamp && stamp <= after, qPrintable(name));
    QCOMPARE(result.timestampedBackupURL, AppPaths::backupsDirectory() + QLatin1Char('/') + name);
    QCOMPARE(home.read(QStringLiteral(".codex/backups/") + name), "new");
}

void TestFileBackup::secondRunInSameSecondFailsAfterLatestCopy() {
    TestHome home;
    FileBackupService service;
    for (int attempt = 0; attempt < 3; ++attempt) {
        // Start right after a second begins so that both runs fall into it.
        QThread::msleep(1000 - QDateTime::currentDateTime().time().msec());
        const QString stamp = FileUtil::timestamp();
        home.write(QStringLiteral(".codex/config.toml"), "first");
        service.createConfigBackups(AppPaths::configURL());
        home.write(QStringLiteral(".codex/config.toml"), "second");
        bool failed = false;
        try {
            service.createConfigBackups(AppPaths::configURL());
        } catch (const FileError&) {
            failed = true;
        }
        if (FileUtil::timestamp() != stamp)
            continue;
        QVERIFY(failed);
        QCOMPARE(home.read(QStringLiteral(".codex/config.toml.backup-before-profile-switch")),
                 "second");
        QCOMPARE(
            home.read(QStringLiteral(".codex/backups/config-") + stamp + QStringLiteral(".toml")),
            "first");
        return;
    }
    QSKIP("the clock never stayed within one second for two runs");
}

QTEST_GUILESS_MAIN(TestFileBackup)
#include "tst_filebackup.moc"
