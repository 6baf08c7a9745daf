#include "profiles/AppPaths.h"
#include "profiles/Profile.h"
#include "profiles/ProxyURLFormatter.h"
#include "support/Checks.h"
#include "support/TestHome.h"

#include <QUrl>

#include <pwd.h>
#include <unistd.h>

using Opt = std::optional<QString>;

namespace {

struct Predicates {
    const char* name;
    QString id, auth;
    Opt provider;
    bool codex, claude, velqor;
};

} // namespace

class TestProfile : public QObject {
    Q_OBJECT
private slots:
    void predicates_data() {
        addRows<Predicates>({
            {"chatgpt id", "chatgpt", "x", {}, true, false, false},
            {"chatgpt auth", "a", "chatgpt", {}, true, false, false},
            {"claude id", "claude-code", "x", {}, false, true, false},
            {"claude provider", "a", "x", "claude", false, true, false},
            {"apikey without provider", "a", "apikey", {}, true, true, true},
            {"velqor provider", "a", "x", "velqor", true, true, true},
            {"chatgpt auth, claude provider", "a", "chatgpt", "claude", true, true, false},
            {"exact case only", "a", "ChatGPT", "Velqor", false, false, false},
            {"empty provider is no velqor", "a", "x", "", false, false, false},
        });
    }

    void predicates() {
        QFETCH(Predicates, row);
        const Profile p(row.id, "n", row.auth, row.provider, "m", "e", true, true);
        QCOMPARE(p.isAvailable(TargetIDE::codex), row.codex);
        QCOMPARE(p.isAvailable(TargetIDE::claude), row.claude);
        QCOMPARE(p.isVelqorAccount(), row.velqor);
    }

    // "Add Velqor" numbering: one past the largest plain count, never an existing id.
    void nextVelqorNumber_data() {
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<qint64>("number");
        QTest::newRow("gap is not reused")
            << QStringList{"velqor-1", "velqor-2", "velqor-7"} << 8LL;
        QTest::newRow("non-numeric rest") << QStringList{"velqor-abc"} << 1LL;
        QTest::newRow("settings time stamp is not a count")
            << QStringList{"velqor-2", "velqor-1700000000", "velqor-9223372036854775807"} << 3LL;
        QTest::newRow("prefix elsewhere, signs and spaces ignored")
            << QStringList{"my-velqor-9", "velqor--4", "velqor- 5"} << 1LL;
        QTest::newRow("next number taken by an uncounted id")
            << QStringList{"velqor-999999", "velqor-1000000"} << 1000001LL;
    }

    void nextVelqorNumber() {
        QFETCH(QStringList, ids);
        QList<Profile> profiles{Profile::chatGPTAccount()};
        for (const QString& id : ids)
            profiles << Profile(id, "n", "apikey", "velqor", "m", "e", true, true);
        QTEST(Profile::nextVelqorNumber(profiles), "number");
    }

    // What is absent is left out, never null; what this version does not know is written
    // back as it was. (The built-in document's round trip: the store's first load.)
    void documentRoundTrip() {
        const ProfilesDocument doc = ProfilesDocument::decode(R"({"active_profile": "p",
            "future": {"x": [1, "y"]},
            "profiles": [{"id": "p", "name": "P", "preferred_auth_method": "apikey", "model": "m",
            "model_reasoning_effort": "e", "disable_response_storage": false,
            "restart_codex": true, "model_provider": null, "proxy_url": "", "extra": 1}]})");
        Profile expected("p", "P", "apikey", std::nullopt, "m", "e", false, true, std::nullopt, "");
        expected.unknownKeys = {{"extra", 1}};
        QCOMPARE(doc.profiles, QList<Profile>{expected});
        QCOMPARE(doc.activeClaudeProfile, Opt("p"));
        QVERIFY(!doc.encoded().contains("null"));
        QCOMPARE(ProfilesDocument::decode(doc.encoded()), doc);
    }

    void badDocumentsAreRejected_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("mention");
        const QByteArray top = R"({"active_profile": "p", "profiles": [{"id": "p", "name": "P",
            "preferred_auth_method": "a", "model": "m", "model_reasoning_effort": "e", )";
        const auto row = [](const char* name, const QByteArray& json, const char* mention) {
            QTest::newRow(name) << json << QString(mention);
        };
        row("malformed", "{\"active_profile\": ", "not valid JSON");
        row("not an object", "[]", "not a JSON object");
        row("no active profile", R"({"profiles": []})", "active_profile");
        row("profiles not a list", R"({"active_profile": "p", "profiles": {}})", "profiles");
        row("missing restart_codex", top + R"("disable_response_storage": true}]})",
            "restart_codex");
        row("boolean as string",
            top + R"("disable_response_storage": "true", "restart_codex": true}]})",
            "disable_response_storage");
        row("number as provider", top + R"("disable_response_storage": true, "restart_codex": true,
                     "model_provider": 3}]})",
            "model_provider");
    }

    void badDocumentsAreRejected() {
        QFETCH(QByteArray, json);
        QFETCH(QString, mention);
        const QString error = errorOf([&] { ProfilesDocument::decode(json); });
        QVERIFY2(error.contains(mention), qPrintable(error));
        QVERIFY_THROWS_EXCEPTION(JsonError, ProfilesDocument::decode(json));
    }

    void normalized_data() {
        QTest::addColumn<Opt>("input");
        QTest::addColumn<ProxyScheme>("scheme");
        QTest::addColumn<Opt>("expected");
        using enum ProxyScheme;
        QTest::newRow("absent") << Opt() << http << Opt();
        QTest::newRow("blank") << Opt(" \n\t ") << http << Opt();
        QTest::newRow("host port socks") << Opt(" h:8080\n") << socks5 << Opt("socks5://h:8080");
        QTest::newRow("four fields") << Opt("h:1:u:p") << socks5 << Opt("socks5://u:p@h:1");
        QTest::newRow("empty fields") << Opt("h:1::") << http << Opt("http://:@h:1");
        QTest::newRow("typed escapes stay one escape")
            << Opt("h:1:u:a%41%g%41") << http << Opt("http://u:a%41%25g%41@h:1");
        QTest::newRow("password keeps its colons")
            << Opt("h:1:u:p:x") << http << Opt("http://u:p%3Ax@h:1");
        QTest::newRow("has scheme") << Opt(" SOCKS5://a:b@h:1 ") << http << Opt("SOCKS5://a:b@h:1");
        QTest::newRow("inner spaces kept") << Opt("h :1") << http << Opt("http://h :1");
        QTest::newRow("ipv6 host") << Opt("[::1]:8:u:p") << http << Opt("http://u:p@[::1]:8");
        // What the editor shows of a stored URL (schemeAndAddress()) is saved as it was.
        QTest::newRow("address as shown")
            << Opt("u:pa:ss@h:1") << socks5 << Opt("socks5://u:pa:ss@h:1");
    }

    void normalized() {
        QFETCH(Opt, input);
        QFETCH(ProxyScheme, scheme);
        QTEST(ProxyURLFormatter::normalized(input, scheme), "expected");
    }

    void credentialsReachAClientAsTyped_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        const auto row = [](const char* name, const char* user, const char* password) {
            QTest::newRow(name) << QString(user) << QString(password);
        };
        row("reserved characters", "dom\\u@x/y", "p:a@s/s#w?o%rd");
        row("sub-delimiters and spaces", "a b", "!$&'()*+,;= ~");
        row("non-ascii", "jürgen", "пароль");
    }

    void credentialsReachAClientAsTyped() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        const QString url =
            ProxyURLFormatter::normalized("gw:3128:" + user + ':' + password).value_or("");
        const QUrl parsed(url, QUrl::StrictMode);
        QVERIFY2(parsed.isValid() && !ProxyURLFormatter::problem(url), qPrintable(url));
        QCOMPARE(parsed.userName(), user);
        QCOMPARE(parsed.password(), password);
        QCOMPARE(parsed.port(), 3128);
    }

    void schemeAndAddress_data() {
        QTest::addColumn<Opt>("url");
        QTest::addColumn<ProxyScheme>("scheme");
        QTest::addColumn<QString>("address");
        using enum ProxyScheme;
        QTest::newRow("absent") << Opt() << http << QString();
        QTest::newRow("http") << Opt("http://u:p@h:1") << http << "u:p@h:1";
        QTest::newRow("socks upper") << Opt(" SOCKS5://u:p@h:1") << socks5 << "u:p@h:1";
        QTest::newRow("other scheme kept") << Opt("https://h:1") << http << "https://h:1";
        QTest::newRow("no scheme") << Opt("h:1") << http << "h:1";
    }

    void schemeAndAddress() {
        QFETCH(Opt, url);
        QTEST(ProxyURLFormatter::scheme(url), "scheme");
        QTEST(ProxyURLFormatter::withoutScheme(url), "address");
    }

    // The account's own home counts on macOS always, elsewhere when $HOME is not absolute.
    void homeFollowsAbsoluteHomeVariable_data() {
        QTest::addColumn<QByteArray>("home");
        QTest::addColumn<QString>("expected");
        const QString account = QString::fromLocal8Bit(getpwuid(getuid())->pw_dir);
#ifdef Q_OS_MACOS
        QTest::newRow("absolute") << QByteArray("/srv/some home/") << account;
#else
        QTest::newRow("absolute") << QByteArray("/srv/some home/") << "/srv/some home";
#endif
        QTest::newRow("relative") << QByteArray("relative/home") << account;
    }

    void homeFollowsAbsoluteHomeVariable() {
        QFETCH(QByteArray, home);
        QFETCH(QString, expected);
        ScopedEnvironment environment;
        environment.set("HOME", home);
        QCOMPARE(AppPaths::configURL(), expected + "/.codex/config.toml");
    }
};

QTEST_GUILESS_MAIN(TestProfile)
#include "tst_profile.moc"
