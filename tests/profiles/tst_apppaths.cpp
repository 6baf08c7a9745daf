#include "profiles/AppPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <unistd.h>

class TestAppPaths : public QObject {
    Q_OBJECT
private slots:
    void homeFollowsAbsoluteHomeVariable_data();
    void homeFollowsAbsoluteHomeVariable();
    void everyPathHangsOffTheHomeAndCreatesNothing();
};

void TestAppPaths::homeFollowsAbsoluteHomeVariable_data() {
    QTest::addColumn<QByteArray>("home");
    QTest::addColumn<bool>("usesVariable");
    QTest::newRow("absolute") << QByteArray("/srv/some home") << true;
    QTest::newRow("trailing slash cleaned") << QByteArray("/srv/x/") << true;
    QTest::newRow("relative") << QByteArray("relative/home") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void TestAppPaths::homeFollowsAbsoluteHomeVariable() {
    QFETCH(QByteArray, home);
    QFETCH(bool, usesVariable);
    const QByteArray old = qgetenv("HOME");
    qputenv("HOME", home);
    const QString result = AppPaths::homeDirectory();
    qputenv("HOME", old);
#ifdef Q_OS_MACOS
    Q_UNUSED(usesVariable);
    QVERIFY(QDir::isAbsolutePath(result));
#else
    if (usesVariable) {
        QCOMPARE(result, QDir::cleanPath(QString::fromLocal8Bit(home)));
    } else {
        const passwd* entry = getpwuid(getuid());
        QVERIFY(entry);
        QCOMPARE(result, QString::fromLocal8Bit(entry->pw_dir));
    }
#endif
}

void TestAppPaths::everyPathHangsOffTheHomeAndCreatesNothing() {
    QTemporaryDir dir;
    const QString home = dir.path() + QStringLiteral("/h");
    AppPaths::setHomeDirectoryOverride(home);
    const QList<QPair<QString, QString>> paths{
        {AppPaths::configURL(), "/.codex/config.toml"},
        {AppPaths::authURL(), "/.codex/auth.json"},
        {AppPaths::stateDatabaseURL(), "/.codex/state_5.sqlite"},
        {AppPaths::latestBackupURL(), "/.codex/config.toml.backup-before-profile-switch"},
        {AppPaths::backupsDirectory(), "/.codex/backups"},
        {AppPaths::profilesURL(), "/.codex/tavrin/profiles.json"},
        {AppPaths::keysURL(), "/.codex/tavrin/keys.json"},
        {AppPaths::claudeSettingsURL(), "/.claude/settings.json"},
        {AppPaths::claudeLatestBackupURL(), "/.claude/settings.json.backup-before-profile-switch"},
        {AppPaths::claudeBackupsDirectory(), "/.claude/backups"},
    };
    for (const auto& [actual, relative] : paths)
        QCOMPARE(actual, home + relative);
    AppPaths::setHomeDirectoryOverride(QString());
    QVERIFY(!QFileInfo::exists(home));
}

QTEST_GUILESS_MAIN(TestAppPaths)
#include "tst_apppaths.moc"
