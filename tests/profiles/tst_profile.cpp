#include "profiles/AppPaths.h"
#include "profiles/Errors.h"
#include "profiles/Profile.h"
#include "profiles/ProxyURLFormatter.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QUrl>

#include <pwd.h>
#include <unistd.h>

using Opt = std::optional<QString>;
Q_DECLARE_METATYPE(Opt)
Q_DECLARE_METATYPE(ProxyScheme)

class TestProfile : public QObject {
    Q_OBJECT
private slots:
    void predicates_data();
    void predicates();
    void defaultDocumentRoundTrips();
    void keysAreWrittenInAscendingOrder();
    void optionalsAndFallbacks();
    void badDocumentsAreRejected_data();
    void badDocumentsAreRejected();
    void normalized_data();
    void normalized();
    void credentialsReachAClientAsTyped_data();
    void credentialsReachAClientAsTyped();
    void schemeAndAddress_data();
    void schemeAndAddress();
    void homeFollowsAbsoluteHomeVariable_data();
    void homeFollowsAbsoluteHomeVariable();
};

void TestProfile::predicates_data() {
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("auth");
    QTest::addColumn<Opt>("provider");
    QTest::addColumn<bool>("codex");
    QTest::addColumn<bool>("claude");
    QTest::addColumn<bool>("velqor");

    QTest::newRow("chatgpt id") << "chatgpt"
                                << "x" << Opt() << true << false << false;
    QTest::newRow("chatgpt auth") << "a"
                                  << "chatgpt" << Opt() << true << false << false;
    QTest::newRow("claude id") << "claude-code"
                               << "x" << Opt() << false << true << false;
    QTest::newRow("claude provider")
        << "a"
        << "x" << Opt(QStringLiteral("claude")) << false << true << false;
    QTest::newRow("apikey without provider") << "a"
                                             << "apikey" << Opt() << true << true << true;
    QTest::newRow("velqor provider")
        << "a"
        << "x" << Opt(QStringLiteral("velqor")) << true << true << true;
    QTest::newRow("chatgpt auth, claude provider")
        << "a"
        << "chatgpt" << Opt(QStringLiteral("claude")) << true << true << false;
    QTest::newRow("exact case only")
        << "a"
        << "ChatGPT" << Opt(QStringLiteral("Velqor")) << false << false << false;
    QTest::newRow("empty provider is no velqor")
        << "a"
        << "x" << Opt(QString()) << false << false << false;
}

void TestProfile::predicates() {
    QFETCH(QString, id);
    QFETCH(QString, auth);
    QFETCH(Opt, provider);
    const Profile p(id, QStringLiteral("n"), auth, provider, QStringLiteral("m"),
                    QStringLiteral("e"), true, true);
    QTEST(p.isAvailable(TargetIDE::codex), "codex");
    QTEST(p.isAvailable(TargetIDE::claude), "claude");
    QTEST(p.isVelqorAccount(), "velqor");
}

void TestProfile::defaultDocumentRoundTrips() {
    const ProfilesDocument doc = ProfilesDocument::defaultDocument();
    QCOMPARE(doc.profiles.size(), 4);
    QCOMPARE(doc.profiles[0].modelProvider, Opt(QString()));
    QCOMPARE(doc.profiles[3].id, QStringLiteral("velqor-2"));
    QCOMPARE(ProfilesDocument::decode(doc.encoded()), doc);
}

void TestProfile::keysAreWrittenInAscendingOrder() {
    ProfilesDocument doc = ProfilesDocument::defaultDocument();
    doc.profiles[2].limitsEndpoint = QStringLiteral("https://l.example.net/v1");
    doc.profiles[2].proxyURL = QStringLiteral("http://u:p@h:1");
    const QString text = QString::fromUtf8(doc.encoded());
    const QStringList keys{
        "disable_response_storage", "id",   "limits_endpoint",       "model",     "model_provider",
        "model_reasoning_effort",   "name", "preferred_auth_method", "proxy_url", "restart_codex"};
    const int start = text.indexOf(QStringLiteral("\"id\": \"velqor-1\""));
    int at = text.lastIndexOf(QLatin1Char('{'), start);
    for (const QString& key : keys) {
        const int next = text.indexOf(QLatin1Char('"') + key + QStringLiteral("\":"), at);
        QVERIFY2(next > at, qPrintable(key));
        at = next;
    }
    QVERIFY(text.indexOf(QStringLiteral("\"active_claude_profile\"")) <
            text.indexOf(QStringLiteral("\"active_profile\"")));
    QVERIFY(text.indexOf(QStringLiteral("\"active_profile\"")) <
            text.indexOf(QStringLiteral("\"profiles\"")));
    QVERIFY(!text.contains(QStringLiteral("null")));
}

void TestProfile::optionalsAndFallbacks() {
    const QByteArray json = R"({"active_profile": "p", "profiles": [
        {"id": "p", "name": "P", "preferred_auth_method": "apikey", "model": "m",
         "model_reasoning_effort": "e", "disable_response_storage": false,
         "restart_codex": true, "model_provider": null, "proxy_url": "", "extra": 1}]})";
    const ProfilesDocument doc = ProfilesDocument::decode(json);
    QCOMPARE(doc.activeClaudeProfile, Opt(QStringLiteral("p")));
    const Profile& p = doc.profiles.first();
    QCOMPARE(p.modelProvider, Opt());
    QCOMPARE(p.limitsEndpoint, Opt());
    QCOMPARE(p.proxyURL, Opt(QString()));
    QVERIFY(!p.disableResponseStorage);
    const QJsonObject written = QJsonDocument::fromJson(doc.encoded()).object();
    QCOMPARE(written.value(QStringLiteral("active_claude_profile")).toString(),
             QStringLiteral("p"));
    const QJsonObject profile =
        written.value(QStringLiteral("profiles")).toArray().first().toObject();
    QVERIFY(!profile.contains(QStringLiteral("model_provider")));
    QVERIFY(!profile.contains(QStringLiteral("extra")));
    QCOMPARE(profile.value(QStringLiteral("proxy_url")).toString(), QString());
}

void TestProfile::badDocumentsAreRejected_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("mention");
    const QByteArray good =
        R"("id": "p", "name": "P", "preferred_auth_method": "a", "model": "m", "model_reasoning_effort": "e")";
    QTest::newRow("malformed") << QByteArray("{\"active_profile\": ") << "not valid JSON";
    QTest::newRow("not an object") << QByteArray("[]") << "not a JSON object";
    QTest::newRow("no active profile") << QByteArray(R"({"profiles": []})") << "active_profile";
    QTest::newRow("profiles not a list")
        << QByteArray(R"({"active_profile": "p", "profiles": {}})") << "profiles";
    QTest::newRow("missing restart_codex")
        << QByteArray(R"({"active_profile": "p", "profiles": [{)" + good +
                      R"(, "disable_response_storage": true}]})")
        << "restart_codex";
    QTest::newRow("boolean as string")
        << QByteArray(R"({"active_profile": "p", "profiles": [{)" + good +
                      R"(, "disable_response_storage": "true", "restart_codex": true}]})")
        << "disable_response_storage";
    QTest::newRow("number as provider")
        << QByteArray(
               R"({"active_profile": "p", "profiles": [{)" + good +
               R"(, "disable_response_storage": true, "restart_codex": true, "model_provider": 3}]})")
        << "model_provider";
    QTest::newRow("not utf-8") << QByteArray("{\"active_profile\": \"\xff\xfe\", \"profiles\": []}")
                               << "not valid JSON";
}

void TestProfile::badDocumentsAreRejected() {
    QFETCH(QByteArray, json);
    QFETCH(QString, mention);
    try {
        ProfilesDocument::decode(json);
        QFAIL("decoding should fail");
    } catch (const JsonError& error) {
        QVERIFY2(error.localizedDescription().contains(mention),
                 qPrintable(error.localizedDescription()));
    }
}

void TestProfile::normalized_data() {
    QTest::addColumn<Opt>("input");
    QTest::addColumn<ProxyScheme>("scheme");
    QTest::addColumn<Opt>("expected");
    const auto o = [](const char* s) { return Opt(QString::fromUtf8(s)); };
    QTest::newRow("absent") << Opt() << ProxyScheme::http << Opt();
    QTest::newRow("blank") << o(" \n\t ") << ProxyScheme::http << Opt();
    QTest::newRow("host port") << o("h:8080") << ProxyScheme::http << o("http://h:8080");
    QTest::newRow("host port socks")
        << o(" h:8080\n") << ProxyScheme::socks5 << o("socks5://h:8080");
    QTest::newRow("four fields") << o("h:1:u:p") << ProxyScheme::socks5 << o("socks5://u:p@h:1");
    QTest::newRow("empty fields") << o("h:1::") << ProxyScheme::http << o("http://:@h:1");
    QTest::newRow("password keeps its colons")
        << o("h:1:u:p:x") << ProxyScheme::http << o("http://u:p%3Ax@h:1");
    QTest::newRow("has scheme") << o(" SOCKS5://a:b@h:1 ") << ProxyScheme::http
                                << o("SOCKS5://a:b@h:1");
    QTest::newRow("inner spaces kept") << o("h :1") << ProxyScheme::http << o("http://h :1");
    QTest::newRow("ipv6 host") << o("[::1]:8:u:p") << ProxyScheme::http << o("http://u:p@[::1]:8");
}

void TestProfile::normalized() {
    QFETCH(Opt, input);
    QFETCH(ProxyScheme, scheme);
    QTEST(ProxyURLFormatter::normalized(input, scheme), "expected");
}

void TestProfile::credentialsReachAClientAsTyped_data() {
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::newRow("plain") << "user"
                           << "pass";
    QTest::newRow("reserved characters") << "dom\\u@x/y"
                                         << "p:a@s/s#w?o%rd";
    QTest::newRow("sub-delimiters and spaces") << "a b"
                                               << "!$&'()*+,;= ~";
    QTest::newRow("non-ascii") << "jürgen"
                               << "пароль";
}

void TestProfile::credentialsReachAClientAsTyped() {
    QFETCH(QString, user);
    QFETCH(QString, password);
    const auto url = ProxyURLFormatter::normalized(QStringLiteral("gw:3128:") + user +
                                                   QLatin1Char(':') + password);
    QVERIFY(url);
    const QUrl parsed(*url, QUrl::StrictMode);
    QVERIFY2(parsed.isValid(), qPrintable(*url));
    QCOMPARE(parsed.host(), QStringLiteral("gw"));
    QCOMPARE(parsed.port(), 3128);
    QCOMPARE(parsed.userName(), user);
    QCOMPARE(parsed.password(), password);
    QVERIFY(!ProxyURLFormatter::problem(*url));
    // An escape already typed stays one escape.
    QCOMPARE(ProxyURLFormatter::encodedUserInfo(QStringLiteral("a%41%g")),
             QStringLiteral("a%41%25g"));
}

void TestProfile::schemeAndAddress_data() {
    QTest::addColumn<Opt>("url");
    QTest::addColumn<ProxyScheme>("scheme");
    QTest::addColumn<QString>("address");
    const auto o = [](const char* s) { return Opt(QString::fromUtf8(s)); };
    QTest::newRow("absent") << Opt() << ProxyScheme::http << QString();
    QTest::newRow("blank") << o("  ") << ProxyScheme::http << QString();
    QTest::newRow("http") << o("http://u:p@h:1") << ProxyScheme::http << "u:p@h:1";
    QTest::newRow("socks upper") << o(" SOCKS5://u:p@h:1") << ProxyScheme::socks5 << "u:p@h:1";
    QTest::newRow("other scheme kept") << o("https://h:1") << ProxyScheme::http << "https://h:1";
    QTest::newRow("no scheme") << o("h:1") << ProxyScheme::http << "h:1";
}

void TestProfile::schemeAndAddress() {
    QFETCH(Opt, url);
    QTEST(ProxyURLFormatter::scheme(url), "scheme");
    QTEST(ProxyURLFormatter::withoutScheme(url), "address");
    // Saving the shown address again with the shown scheme gives the same URL.
    if (url && url->trimmed().startsWith(QLatin1String("http://")))
        QCOMPARE(ProxyURLFormatter::normalized(ProxyURLFormatter::withoutScheme(url),
                                               ProxyURLFormatter::scheme(url)),
                 Opt(url->trimmed()));
}

void TestProfile::homeFollowsAbsoluteHomeVariable_data() {
    QTest::addColumn<QByteArray>("home");
    QTest::addColumn<bool>("usesVariable");
    QTest::newRow("absolute") << QByteArray("/srv/some home/") << true;
    QTest::newRow("relative") << QByteArray("relative/home") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void TestProfile::homeFollowsAbsoluteHomeVariable() {
    QFETCH(QByteArray, home);
    QFETCH(bool, usesVariable);
    const QByteArray old = qgetenv("HOME");
    qputenv("HOME", home);
    const QString config = AppPaths::configURL();
    qputenv("HOME", old);
#ifndef Q_OS_MACOS
    const QString expected = usesVariable ? QDir::cleanPath(QString::fromLocal8Bit(home))
                                          : QString::fromLocal8Bit(getpwuid(getuid())->pw_dir);
    QCOMPARE(config, expected + QStringLiteral("/.codex/config.toml"));
#else
    Q_UNUSED(usesVariable);
    QVERIFY(QDir::isAbsolutePath(config));
#endif
}

QTEST_GUILESS_MAIN(TestProfile)
#include "tst_profile.moc"
