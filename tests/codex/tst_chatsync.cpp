#include "codex/ChatSyncService.h"
#include "profiles/AppPaths.h"
#include "support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

#include <memory>

namespace {

// Runs the real sqlite3 tool with a script on its standard input.
QByteArray sqlite(const QString& database, const QByteArray& script) {
    QProcess process;
    process.start(QStringLiteral("/usr/bin/sqlite3"), {database});
    if (!process.waitForStarted())
        return {};
    process.write(script);
    process.closeWriteChannel();
    process.waitForFinished();
    const QByteArray errors = process.readAllStandardError();
    if (!errors.isEmpty())
        qWarning("sqlite3: %s", errors.constData());
    return process.readAllStandardOutput();
}

// A Codex-like chat database with one thread per provider. With `pendingLog` the rows stay
// in the write-ahead log, so "-wal" and "-shm" companions are left next to the database.
void createDatabase(const QString& database, const QStringList& providers, bool pendingLog) {
    QDir().mkpath(QFileInfo(database).absolutePath());
    QByteArray script;
    if (pendingLog)
        script += ".dbconfig no_ckpt_on_close on\n";
    script += "PRAGMA journal_mode=WAL;\n"
              "CREATE TABLE threads(id INTEGER PRIMARY KEY, title TEXT, model_provider TEXT);\n";
    for (qsizetype i = 0; i < providers.size(); ++i)
        script += "INSERT INTO threads(id, title, model_provider) VALUES(" +
                  QByteArray::number(i + 1) + ", 'chat', '" + providers[i].toUtf8() + "');\n";
    sqlite(database, script);
}

QStringList providersIn(const QString& database) {
    const QString text =
        QString::fromUtf8(sqlite(database, "SELECT model_provider FROM threads ORDER BY id;\n"));
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

Profile profileWithProvider(const std::optional<QString>& provider) {
    Profile profile = Profile::chatGPTAccount();
    profile.modelProvider = provider;
    return profile;
}

QString databaseRelative() {
    return QStringLiteral(".codex/state_5.sqlite");
}

} // namespace

Q_DECLARE_METATYPE(std::optional<QString>)

class TestChatSync : public QObject {
    Q_OBJECT

private slots:

    void movesThreadsOfBothProviders_data();
    void movesThreadsOfBothProviders();
    void backsUpDatabaseFilesBeforeChanging_data();
    void backsUpDatabaseFilesBeforeChanging();
    void databasePathWithQuotesReachesTool();
    void unsafeProviderTouchesNothing_data();
    void unsafeProviderTouchesNothing();
    void unusableDatabaseIsReported_data();
    void unusableDatabaseIsReported();
    void changedRowsFromOutput_data();
    void changedRowsFromOutput();
};

void TestChatSync::movesThreadsOfBothProviders_data() {
    QTest::addColumn<std::optional<QString>>("provider");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<qint64>("changedRows");

    const QStringList mixed{QStringLiteral("openai"), QStringLiteral("velqor"),
                            QStringLiteral("other"), QStringLiteral("openai"),
                            QStringLiteral("OpenAI")};
    QTest::newRow("to velqor") << std::optional<QString>(QStringLiteral("velqor")) << mixed
                               << QStringList{QStringLiteral("velqor"), QStringLiteral("velqor"),
                                              QStringLiteral("other"), QStringLiteral("velqor"),
                                              QStringLiteral("OpenAI")}
                               << qint64(3);
    QTest::newRow("no provider means openai")
        << std::optional<QString>() << mixed
        << QStringList{QStringLiteral("openai"), QStringLiteral("openai"), QStringLiteral("other"),
                       QStringLiteral("openai"), QStringLiteral("OpenAI")}
        << qint64(3);
    QTest::newRow("provider is trimmed") << std::optional<QString>(QStringLiteral("\tvelqor \n"))
                                         << QStringList{QStringLiteral("openai")}
                                         << QStringList{QStringLiteral("velqor")} << qint64(1);
    QTest::newRow("custom provider")
        << std::optional<QString>(QStringLiteral("My_proxy-2"))
        << QStringList{QStringLiteral("velqor"), QStringLiteral("my_proxy")}
        << QStringList{QStringLiteral("My_proxy-2"), QStringLiteral("my_proxy")} << qint64(1);
    QTest::newRow("no thread of either provider")
        << std::optional<QString>(QStringLiteral("velqor"))
        << QStringList{QStringLiteral("other"), QStringLiteral("anthropic")}
        << QStringList{QStringLiteral("other"), QStringLiteral("anthropic")} << qint64(0);
}

void TestChatSync::movesThreadsOfBothProviders() {
    QFETCH(std::optional<QString>, provider);
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    QFETCH(qint64, changedRows);

    TestHome home;
    const QString database = home.file(databaseRelative());
    createDatabase(database, before, true);
    QVERIFY(QFileInfo::exists(database + QStringLiteral("-wal")));

    ChatSyncService service;
    const ChatSyncResult result = service.syncChats(profileWithProvider(provider));
    QCOMPARE(result.changedRows, changedRows);
    QCOMPARE(providersIn(database), after);
}

void TestChatSync::backsUpDatabaseFilesBeforeChanging_data() {
    QTest::addColumn<bool>("pendingLog");
    QTest::addColumn<QStringList>("suffixes");

    QTest::newRow("main file only") << false << QStringList{QString()};
    QTest::newRow("with companions")
        << true << QStringList{QString(), QStringLiteral("-wal"), QStringLiteral("-shm")};
}

void TestChatSync::backsUpDatabaseFilesBeforeChanging() {
    QFETCH(bool, pendingLog);
    QFETCH(QStringList, suffixes);

    TestHome home;
    const QString database = home.file(databaseRelative());
    createDatabase(database,
                   {QStringLiteral("openai"), QStringLiteral("velqor"), QStringLiteral("other")},
                   pendingLog);
    for (const QString& suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")})
        QCOMPARE(QFileInfo::exists(database + suffix), suffixes.contains(suffix));
    QList<QByteArray> originals;
    for (const QString& suffix : suffixes)
        originals << home.read(databaseRelative() + suffix);

    ChatSyncService service;
    const ChatSyncResult result = service.syncChats(profileWithProvider(QStringLiteral("custom")));
    QCOMPARE(result.changedRows, qint64(2));

    QCOMPARE(result.backupURLs.size(), suffixes.size());
    const QRegularExpression stampPattern(QStringLiteral(
        "^state_5-(\\d{4}-\\d\\d-\\d\\d-\\d\\d-\\d\\d-\\d\\d)(-wal|-shm)?\\.sqlite$"));
    const QString stamp =
        stampPattern.match(QFileInfo(result.backupURLs.value(0)).fileName()).captured(1);
    QVERIFY(!stamp.isEmpty());
    QStringList expectedNames;
    for (qsizetype i = 0; i < suffixes.size(); ++i) {
        const QString name =
            QStringLiteral("state_5-") + stamp + suffixes[i] + QStringLiteral(".sqlite");
        expectedNames << name;
        QCOMPARE(result.backupURLs[i], home.file(QStringLiteral(".codex/backups/") + name));
        QCOMPARE(home.read(QStringLiteral(".codex/backups/") + name), originals[i]);
    }
    expectedNames.sort();
    QCOMPARE(home.entries(QStringLiteral(".codex/backups")), expectedNames);

    // The copies together still open as the database before the change.
    const QString restored = home.file(QStringLiteral("restored/state.sqlite"));
    QDir().mkpath(QFileInfo(restored).absolutePath());
    for (qsizetype i = 0; i < suffixes.size(); ++i)
        QVERIFY(QFile::copy(result.backupURLs[i], restored + suffixes[i]));
    QCOMPARE(providersIn(restored), QStringList({QStringLiteral("openai"), QStringLiteral("velqor"),
                                                 QStringLiteral("other")}));
    QCOMPARE(providersIn(database), QStringList({QStringLiteral("custom"), QStringLiteral("custom"),
                                                 QStringLiteral("other")}));
}

void TestChatSync::databasePathWithQuotesReachesTool() {
    TestHome home;
    const QString quotedHome = home.file(QStringLiteral("it's a \"home\" $HOME `x`"));
    QVERIFY(QDir().mkpath(quotedHome));
    AppPaths::setHomeDirectoryOverride(quotedHome);
    const QString database = AppPaths::stateDatabaseURL();
    QVERIFY(database.startsWith(quotedHome));
    createDatabase(database, {QStringLiteral("openai"), QStringLiteral("velqor")}, true);

    ChatSyncService service;
    const ChatSyncResult result = service.syncChats(profileWithProvider(QStringLiteral("velqor")));
    QCOMPARE(result.changedRows, qint64(2));
    QCOMPARE(result.backupURLs.size(), 3);
    QCOMPARE(providersIn(database),
             QStringList({QStringLiteral("velqor"), QStringLiteral("velqor")}));
    // The tool created no stray database under a mangled name.
    QCOMPARE(home.entries(QString()), QStringList({QFileInfo(quotedHome).fileName()}));
}

void TestChatSync::unsafeProviderTouchesNothing_data() {
    QTest::addColumn<QString>("provider");
    QTest::newRow("space") << QStringLiteral("velqor proxy");
    QTest::newRow("point") << QStringLiteral("v1.2");
    QTest::newRow("single quote") << QStringLiteral("o'neil");
    QTest::newRow("command substitution") << QStringLiteral("$(touch pwned)");
    QTest::newRow("non-ASCII letter") << QStringLiteral("velqör");
}

void TestChatSync::unsafeProviderTouchesNothing() {
    QFETCH(QString, provider);

    TestHome home;
    createDatabase(home.file(databaseRelative()), {QStringLiteral("openai")}, true);
    const QStringList filesBefore = home.entries(QStringLiteral(".codex"));
    const QByteArray before = home.read(databaseRelative());

    ChatSyncService service;
    try {
        service.syncChats(profileWithProvider(provider));
        QFAIL("an unsafe provider was accepted");
    } catch (const ChatSyncError& error) {
        QCOMPARE(error.kind(), ChatSyncError::Kind::invalidProvider);
        QCOMPARE(error.localizedDescription(),
                 QStringLiteral("Unsafe model provider for chat sync: ") + provider +
                     QLatin1Char('.'));
    }
    QCOMPARE(home.entries(QStringLiteral(".codex")), filesBefore);
    QCOMPARE(home.read(databaseRelative()), before);
    QCOMPARE(providersIn(home.file(databaseRelative())), QStringList{QStringLiteral("openai")});
}

void TestChatSync::unusableDatabaseIsReported_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("errorKind");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("backups");

    QTest::newRow("missing") << QStringLiteral("missing")
                             << int(ChatSyncError::Kind::databaseNotFound)
                             << QStringLiteral("Could not find Codex chat database.") << 0;
    QTest::newRow("not a database")
        << QStringLiteral("corrupt") << int(ChatSyncError::Kind::sqliteFailed)
        << QStringLiteral("Could not sync chats: Error: in prepare, file is not a database (26)")
        << 1;
    QTest::newRow("no threads table")
        << QStringLiteral("no threads") << int(ChatSyncError::Kind::sqliteFailed)
        << QStringLiteral("Could not sync chats: Error: in prepare, no such table: threads") << 1;
}

void TestChatSync::unusableDatabaseIsReported() {
    QFETCH(QString, kind);
    QFETCH(int, errorKind);
    QFETCH(QString, message);
    QFETCH(int, backups);

    TestHome home;
    if (kind == QLatin1String("corrupt")) {
        QByteArray noise(8192, Qt::Uninitialized);
        for (char& byte : noise)
            byte = char(QRandomGenerator::global()->bounded(256));
        home.write(databaseRelative(), noise);
    } else if (kind == QLatin1String("no threads")) {
        QDir().mkpath(home.file(QStringLiteral(".codex")));
        sqlite(home.file(databaseRelative()), "CREATE TABLE chats(id INTEGER);\n");
    }
    const QByteArray before = home.read(databaseRelative());

    ChatSyncService service;
    try {
        service.syncChats(profileWithProvider(QStringLiteral("velqor")));
        QFAIL("the failure was not reported");
    } catch (const ChatSyncError& error) {
        QCOMPARE(int(error.kind()), errorKind);
        QCOMPARE(error.localizedDescription(), message);
    }
    QCOMPARE(home.entries(QStringLiteral(".codex/backups")).size(), backups);
    QCOMPARE(home.read(databaseRelative()), before);
}

void TestChatSync::changedRowsFromOutput_data() {
    QTest::addColumn<QString>("output");
    QTest::addColumn<qint64>("count");

    QTest::newRow("tool output") << QStringLiteral("5000\n17\n0|0|0\n") << qint64(17);
    QTest::newRow("other line breaks")
        << QStringLiteral("5000\u20289\u20290|0|0\u0085") << qint64(9);
    QTest::newRow("padded and signed") << QStringLiteral("5000\n  +12 \n") << qint64(12);
    QTest::newRow("out of range ignored")
        << QStringLiteral("5000\n7\n99999999999999999999\n") << qint64(7);
    QTest::newRow("not whole integers ignored")
        << QStringLiteral("5000\n8\n1 2\n3.5\n0x10\n+\n") << qint64(8);
}

void TestChatSync::changedRowsFromOutput() {
    QFETCH(QString, output);
    QFETCH(qint64, count);
    QCOMPARE(ChatSyncService::changedRowsFromOutput(output), count);
}

QTEST_GUILESS_MAIN(TestChatSync)
#include "tst_chatsync.moc"
