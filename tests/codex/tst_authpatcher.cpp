#include "codex/AuthPatcher.h"
#include "profiles/AppPaths.h"
#include "profiles/Errors.h"
#include "support/TestHome.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

class TestAuthPatcher : public QObject {
    Q_OBJECT

private slots:
    void apply_data();
    void apply();
};

void TestAuthPatcher::apply_data() {
    QTest::addColumn<QByteArray>("existing"); // null: no file
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("apiKey");      // null: no stored key
    QTest::addColumn<QByteArray>("expected"); // null: an error, and the file stays as it was
    const QByteArray account = R"({"auth_mode":"chatgpt","OPENAI_API_KEY":null})";
    const QString apikey = QStringLiteral("apikey");
    const QString key = QStringLiteral(" sk\"1 ");

    QTest::newRow("new, api key") << QByteArray() << apikey << key
                                  << QByteArray(
                                         R"({"auth_mode":"apikey","OPENAI_API_KEY":" sk\"1 "})");
    QTest::newRow("api-key profile, no key") << QByteArray() << apikey << QString() << account;
    QTest::newRow("api-key profile, empty key")
        << QByteArray("[1]") << apikey << QStringLiteral("") << account;
    QTest::newRow("account profile with key")
        << QByteArray("{}") << QStringLiteral("chatgpt") << key << account;
    // The integer is beyond double precision and must survive digit for digit.
    QTest::newRow("other members kept")
        << QByteArray(R"({"auth_mode":"chatgpt","tokens":{"id":"t"},"n":9007199254740993})")
        << apikey << QStringLiteral("sk")
        << QByteArray(R"({"auth_mode":"apikey","OPENAI_API_KEY":"sk","tokens":{"id":"t"},
                          "n":9007199254740993})");
    QTest::newRow("not JSON") << QByteArray(R"({"tokens": {"id": "t")") << apikey << key
                              << QByteArray();
}

void TestAuthPatcher::apply() {
    QFETCH(QByteArray, existing);
    QFETCH(QString, method);
    QFETCH(QString, apiKey);
    QFETCH(QByteArray, expected);
    TestHome home;
    const QString auth = QStringLiteral(".codex/auth.json");
    if (!existing.isNull()) {
        home.write(auth, existing);
        QVERIFY(QFile::setPermissions(home.file(auth), QFileDevice::Permissions(0x6044)));
    }
    const Profile profile(QStringLiteral("p"), QStringLiteral("P"), method, QStringLiteral("v"),
                          QStringLiteral("m"), QStringLiteral("e"), true, true);
    QString error;
    try {
        AuthPatcher().apply(profile, apiKey.isNull() ? std::nullopt : std::optional(apiKey));
    } catch (const JsonError& e) {
        error = e.localizedDescription();
    }
    if (expected.isNull()) {
        QVERIFY2(
            error.startsWith(
                QStringLiteral("Could not read %1: it is not valid JSON").arg(AppPaths::authURL())),
            qPrintable(error));
        QCOMPARE(home.read(auth), existing);
        return;
    }
    const QByteArray written = home.read(auth);
    QCOMPARE(QJsonDocument::fromJson(written).object(), QJsonDocument::fromJson(expected).object());
    QVERIFY(written.contains("\n    \"auth_mode\": "));
    // A new file is readable by its owner only; an existing one keeps its mode.
    QCOMPARE(QFile::permissions(home.file(auth)) & QFileDevice::Permissions(0x7077),
             QFileDevice::Permissions(existing.isNull() ? 0x6000 : 0x6044));
}

QTEST_GUILESS_MAIN(TestAuthPatcher)
#include "tst_authpatcher.moc"
