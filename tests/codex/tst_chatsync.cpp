#include "codex/ChatSyncService.h"
#include "profiles/AppPaths.h"
#include "support/TestHome.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

namespace {

// Runs the real sqlite3 tool with a script on its standard input.
QString sqlite(const QString& database, const QByteArray& script) {
    QProcess process;
    process.start(QStringLiteral("/usr/bin/sqlite3"), {database});
    process.write(script);
    process.closeWriteChannel();
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput());
}

QStringList providersIn(const QString& database) {
    return sqlite(database, "SELECT model_provider FROM threads ORDER BY id;")
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QByteArray bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Sets up a home whose path needs quoting in the shell, with a Codex-like chat database in
// it: WAL mode, one thread per provider. With `pendingLog` the rows stay in the log, so "-wal"
// and "-shm" companions lie beside the main file.
QString createHome(const TestHome& home, const QStringList& providers, bool pendingLog = true) {
    const QString path = home.file(QStringLiteral("it's a \"home\" $HOME `x`"));
    QDir().mkpath(path + QStringLiteral("/.codex"));
    AppPaths::setHomeDirectoryOverride(path);
    if (!providers.isEmpty())
        sqlite(AppPaths::stateDatabaseURL(),
               QByteArray(pendingLog ? ".dbconfig no_ckpt_on_close on\n" : "") +
                   "PRAGMA journal_mode=WAL;\n"
                   "CREATE TABLE threads(id INTEGER PRIMARY KEY, model_provider TEXT);\n"
                   "INSERT INTO threads(model_provider) VALUES('" +
                   providers.join(QStringLiteral("'),('")).toUtf8() + "');");
    return AppPaths::stateDatabaseURL();
}

ChatSyncResult sync(const QString& provider) {
    Profile profile = Profile::chatGPTAccount();
    profile.modelProvider = provider.isNull() ? std::nullopt : std::optional(provider);
    return ChatSyncService().syncChats(profile);
}

} // namespace

class TestChatSync : public QObject {
    Q_OBJECT

private slots:
    void movesThreadsAfterBackup_data();
    void movesThreadsAfterBackup();
    void refusals_data();
    void refusals();
};

void TestChatSync::movesThreadsAfterBackup_data() {
    QTest::addColumn<QString>("provider"); // null: none
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<qint64>("changedRows");
    QTest::addColumn<bool>("pendingLog");
    const QString mixed = QStringLiteral("openai velqor other openai OpenAI");
    QTest::newRow("to velqor") << QStringLiteral("velqor") << mixed
                               << QStringLiteral("velqor velqor other velqor OpenAI") << qint64(3)
                               << true;
    QTest::newRow("no provider means openai")
        << QString() << mixed << QStringLiteral("openai openai other openai OpenAI") << qint64(3)
        << true;
    QTest::newRow("trimmed custom provider, main file only")
        << QStringLiteral("\tMy_proxy-2 \n") << QStringLiteral("velqor my_proxy")
        << QStringLiteral("My_proxy-2 my_proxy") << qint64(1) << false;
}

void TestChatSync::movesThreadsAfterBackup() {
    QFETCH(QString, provider);
    QFETCH(QString, before);
    QFETCH(bool, pendingLog);
    TestHome home;
    const QStringList threads = before.split(QLatin1Char(' '));
    const QString database = createHome(home, threads, pendingLog);
    const QStringList suffixes =
        pendingLog ? QStringList{QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}
                   : QStringList{QString()};
    QList<QByteArray> originals;
    for (const QString& suffix : suffixes)
        originals << bytes(database + suffix);

    const ChatSyncResult result = sync(provider);
    QTEST(result.changedRows, "changedRows");
    QTEST(providersIn(database).join(QLatin1Char(' ')), "after");
    // Copies of all files as they were before the change.
    QCOMPARE(result.backupURLs.size(), suffixes.size());
    const QString stamp = result.backupURLs.first().section(QLatin1Char('/'), -1).mid(8, 19);
    QVERIFY(QDateTime::fromString(stamp, QStringLiteral("yyyy-MM-dd-HH-mm-ss")).isValid());
    for (qsizetype i = 0; i < suffixes.size(); ++i) {
        QCOMPARE(result.backupURLs[i], AppPaths::backupsDirectory() + QStringLiteral("/state_5-") +
                                           stamp + suffixes[i] + QStringLiteral(".sqlite"));
        QCOMPARE(bytes(result.backupURLs[i]), originals[i]);
    }
}

void TestChatSync::refusals_data() {
    QTest::addColumn<QString>("provider");
    QTest::addColumn<QByteArray>("database"); // SQL that makes it, or its raw bytes; null: none
    QTest::addColumn<QString>("message");
    // The provider is checked first; a database is not even looked for.
    for (const char* unsafe : {"velqor proxy", "v1.2", "o'neil", "velqör"})
        QTest::newRow(unsafe) << QString::fromUtf8(unsafe) << QByteArray()
                              << QStringLiteral("Unsafe model provider for chat sync: %1.")
                                     .arg(QString::fromUtf8(unsafe));
    const QString velqor = QStringLiteral("velqor");
    QTest::newRow("missing") << velqor << QByteArray()
                             << QStringLiteral("Could not find Codex chat database.");
    QTest::newRow("not a database")
        << velqor << QByteArray(8192, 'x')
        << QStringLiteral("Could not sync chats: Error: in prepare, file is not a database (26)");
    QTest::newRow("no threads table")
        << velqor << QByteArray("CREATE TABLE chats(id INTEGER);")
        << QStringLiteral("Could not sync chats: Error: in prepare, no such table: threads");
}

void TestChatSync::refusals() {
    QFETCH(QString, provider);
    QFETCH(QByteArray, database);
    QFETCH(QString, message);
    TestHome home;
    const QString path = createHome(home, {});
    if (database.startsWith("CREATE"))
        sqlite(path, database);
    else if (!database.isNull())
        home.write(path.mid(home.path().size() + 1), database);
    const QByteArray original = bytes(path);
    try {
        sync(provider);
        QFAIL("the sync went ahead");
    } catch (const ChatSyncError& error) {
        QCOMPARE(error.localizedDescription(), message);
    }
    QCOMPARE(bytes(path), original);
    // Nothing was created, except the backup of a database that the tool then failed on.
    const bool ran = message.startsWith(QStringLiteral("Could not sync"));
    QCOMPARE(QFileInfo::exists(AppPaths::backupsDirectory()), ran);
    QCOMPARE(int(QDir(AppPaths::backupsDirectory()).entryList(QDir::Files).size()), ran ? 1 : 0);
}

QTEST_GUILESS_MAIN(TestChatSync)
#include "tst_chatsync.moc"
