#include "codex/AuthPatcher.h"
#include "profiles/AppPaths.h"
#include "profiles/Errors.h"
#include "support/TestHome.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {

Profile profile(const QString& method) {
    return Profile(QStringLiteral("p"), QStringLiteral("P"), method, QStringLiteral("velqor"),
                   QStringLiteral("gpt-5.5"), QStringLiteral("xhigh"), true, true);
}

QJsonObject parsed(const QByteArray& json) {
    return QJsonDocument::fromJson(json).object();
}

QFileDevice::Permissions modeOf(const QString& path) {
    return QFile::permissions(path) & QFileDevice::Permissions(0x7077);
}

const QString auth = QStringLiteral(".codex/auth.json");

} // namespace

class TestAuthPatcher : public QObject {
    Q_OBJECT

private slots:
    void apply_data();
    void apply();
    void unparsableFileIsLeftAlone_data();
    void unparsableFileIsLeftAlone();
    void fileModes();
};

void TestAuthPatcher::apply_data() {
    QTest::addColumn<QByteArray>("existing"); // null: no file
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("apiKey"); // null: no stored key
    QTest::addColumn<QByteArray>("expected");
    const QByteArray account = R"({"auth_mode":"chatgpt","OPENAI_API_KEY":null})";
    const QByteArray none;
    const QString apikey = QStringLiteral("apikey");
    const QString chatgpt = QStringLiteral("chatgpt");

    QTest::newRow("new, api key") << none << apikey << QStringLiteral(" sk\"1 ")
                                  << QByteArray(
                                         R"({"auth_mode":"apikey","OPENAI_API_KEY":" sk\"1 "})");
    QTest::newRow("new, account") << none << chatgpt << QString() << account;
    QTest::newRow("api-key profile, no key") << none << apikey << QString() << account;
    QTest::newRow("api-key profile, empty key") << none << apikey << QStringLiteral("") << account;
    QTest::newRow("account profile with key") << none << chatgpt << QStringLiteral("sk") << account;
    QTest::newRow("method compared exactly")
        << none << QStringLiteral("APIKEY") << QStringLiteral("sk") << account;
    QTest::newRow("other members kept")
        << QByteArray(R"({"auth_mode":"chatgpt","tokens":{"id":"t"},"n":9007199254740993})")
        << apikey << QStringLiteral("sk")
        << QByteArray(R"({"auth_mode":"apikey","OPENAI_API_KEY":"sk","tokens":{"id":"t"},
                          "n":9007199254740993})");
    QTest::newRow("array replaced") << QByteArray("[1, 2]") << chatgpt << QString() << account;
}

void TestAuthPatcher::apply() {
    QFETCH(QByteArray, existing);
    QFETCH(QString, method);
    QFETCH(QString, apiKey);
    QFETCH(QByteArray, expected);
    TestHome home;
    if (!existing.isNull())
        home.write(auth, existing);
    AuthPatcher().apply(profile(method),
                        apiKey.isNull() ? std::nullopt : std::optional<QString>(apiKey));
    const QByteArray written = home.read(auth);
    QCOMPARE(parsed(written), parsed(expected));
    QVERIFY(written.contains("\n    \"auth_mode\": "));
    // Integers beyond double precision survive digit for digit.
    QCOMPARE(written.contains("9007199254740993"), expected.contains("9007199254740993"));
}

void TestAuthPatcher::unparsableFileIsLeftAlone_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("truncated") << QByteArray(R"({"tokens": {"id": "t")");
    QTest::newRow("not json") << QByteArray("auth_mode = chatgpt\n");
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("trailing garbage") << QByteArray(R"({"a": 1} x)");
}

void TestAuthPatcher::unparsableFileIsLeftAlone() {
    QFETCH(QByteArray, content);
    TestHome home;
    home.write(auth, content);
    try {
        AuthPatcher().apply(profile(QStringLiteral("apikey")), QStringLiteral("sk-1"));
        QFAIL("an unparsable auth.json was overwritten");
    } catch (const JsonError& e) {
        const QString text = e.localizedDescription();
        QVERIFY2(text.contains(AppPaths::authURL()) && text.contains(QStringLiteral("JSON")),
                 qPrintable(text));
    }
    QCOMPARE(home.read(auth), content);
    QCOMPARE(home.entries(QStringLiteral(".codex")), QStringList{QStringLiteral("auth.json")});
}

void TestAuthPatcher::fileModes() {
    TestHome home;
    AuthPatcher().apply(profile(QStringLiteral("apikey")), QStringLiteral("sk-1"));
    QCOMPARE(modeOf(AppPaths::authURL()), QFileDevice::Permissions(0x6000));
    QVERIFY(QFile::setPermissions(AppPaths::authURL(), QFileDevice::Permissions(0x6044)));
    AuthPatcher().apply(profile(QStringLiteral("chatgpt")), std::nullopt);
    QCOMPARE(modeOf(AppPaths::authURL()), QFileDevice::Permissions(0x6044));
    QCOMPARE(parsed(home.read(auth)).value(QStringLiteral("auth_mode")).toString(),
             QStringLiteral("chatgpt"));
}

QTEST_GUILESS_MAIN(TestAuthPatcher)
#include "tst_authpatcher.moc"
