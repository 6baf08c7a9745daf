#include "codex/ChatSyncService.h"
#include "profiles/AppPaths.h"
#include "support/TestHome.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
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
    QByteArray script = pendingLog ? ".dbconfig no_ckpt_on_close on\n" : "";
    script += "PRAGMA journal_mode=WAL;\n"
              "CREATE TABLE threads(id INTEGER PRIMARY KEY, title TEXT, model_provider TEXT);\n";
    for (const QString& provider : providers)
        script += "INSERT INTO threads(title, model_provider) VALUES('chat', '" +
                  provider.toUtf8() + "');\n";
    if (!providers.isEmpty())
        sqlite(AppPaths::stateDatabaseURL(), script);
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
    const struct {
        const char *name, *provider, *before, *after;
        qint64 changedRows;
        bool pendingLog;
    } rows[] = {
        {"to velqor", "velqor", "openai velqor other openai OpenAI",
         "velqor velqor other velqor OpenAI", 3, true},
        {"no provider means openai", nullptr, "openai velqor other openai OpenAI",
         "openai openai other openai OpenAI", 3, true},
        {"trimmed custom provider, main file only", "\tMy_proxy-2 \n", "velqor my_proxy",
         "My_proxy-2 my_proxy", 1, false},
        {"no thread of either provider", "velqor", "other anthropic", "other anthropic", 0, true},
    };
    for (const auto& row : rows)
        QTest::newRow(row.name) << (row.provider ? QString::fromUtf8(row.provider) : QString())
                                << QString::fromUtf8(row.before) << QString::fromUtf8(row.after)
                                << row.changedRows << row.pendingLog;
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
    QVERIFY(!originals.last().isEmpty());
    QCOMPARE(QFile::exists(database + QStringLiteral("-wal")), pendingLog);

    const ChatSyncResult result = sync(provider);
    QTEST(result.changedRows, "changedRows");
    QTEST(providersIn(database).join(QLatin1Char(' ')), "after");

    // The copies were taken before the change and together open as the old database.
    QCOMPARE(result.backupURLs.size(), suffixes.size());
    const QString stamp = result.backupURLs.first().section(QLatin1Char('/'), -1).mid(8, 19);
    QVERIFY(QDateTime::fromString(stamp, QStringLiteral("yyyy-MM-dd-HH-mm-ss")).isValid());
    const QString restored = home.file(QStringLiteral("restored.sqlite"));
    for (qsizetype i = 0; i < suffixes.size(); ++i) {
        QCOMPARE(result.backupURLs[i], AppPaths::backupsDirectory() + QStringLiteral("/state_5-") +
                                           stamp + suffixes[i] + QStringLiteral(".sqlite"));
        QCOMPARE(bytes(result.backupURLs[i]), originals[i]);
        QVERIFY(QFile::copy(result.backupURLs[i], restored + suffixes[i]));
    }
    QCOMPARE(providersIn(restored), threads);
}

void TestChatSync::refusals_data() {
    QTest::addColumn<QString>("provider");
    // "threads": a usable database; other text: SQL that makes one; 'x's: its raw bytes.
    QTest::addColumn<QByteArray>("database"); // null: none
    QTest::addColumn<QString>("message");
    for (const char* unsafe : {"velqor proxy", "v1.2", "o'neil", "velqör"})
        QTest::newRow(unsafe) << QString::fromUtf8(unsafe) << QByteArray("threads")
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
    const bool usable = database == "threads";
    const QString path =
        createHome(home, usable ? QStringList{QStringLiteral("openai")} : QStringList());
    if (database.startsWith('x'))
        home.write(path.mid(home.path().size() + 1), database);
    else if (!database.isNull() && !usable)
        sqlite(path, database);
    const QByteArray original = bytes(path);
    try {
        sync(provider);
        QFAIL("the sync went ahead");
    } catch (const ChatSyncError& error) {
        QCOMPARE(error.localizedDescription(), message);
    }
    QCOMPARE(bytes(path), original);
    // Only a database that the tool then failed on has been backed up.
    QCOMPARE(int(QDir(AppPaths::backupsDirectory()).entryList(QDir::Files).size()),
             message.startsWith(QStringLiteral("Could not sync")) ? 1 : 0);
}

QTEST_GUILESS_MAIN(TestChatSync)
#include "tst_chatsync.moc"
