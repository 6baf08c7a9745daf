#include "remote/LimitCheckerService.h"
#include "support/TestHome.h"
#include "support/TestHttpServer.h"

#include <QTest>

using namespace std::chrono_literals;
using Response = TestHttpServer::Response;

namespace {

const QString profileID = "velqor-1";

Profile profileWithEndpoint(const std::optional<QString>& endpoint) {
    Profile profile = Profile::velqorAccount(1);
    profile.id = profileID;
    profile.name = "Velqor 1";
    profile.limitsEndpoint = endpoint;
    return profile;
}

struct Outcome {
    int calls = 0;
    LimitStatus status;
};

std::shared_ptr<Outcome> check(LimitCheckerService& service, const Profile& profile) {
    auto outcome = std::make_shared<Outcome>();
    service.check(profile, [outcome](const LimitStatus& status) {
        ++outcome->calls;
        outcome->status = status;
    });
    return outcome;
}

} // namespace

class TestLimitChecker : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;
    std::shared_ptr<LocalKeysService> m_keys;

private slots:
    void init() {
        m_home = std::make_unique<TestHome>();
        m_keys = std::make_shared<LocalKeysService>();
    }

    void cleanup() { m_home.reset(); }

    void idle_data() {
        QTest::addColumn<QVariant>("endpoint"); // invalid: none
        QTest::addColumn<bool>("hasKey");
        QTest::addColumn<QString>("text");
        QTest::newRow("no endpoint") << QVariant() << true << "No limits endpoint";
        QTest::newRow("blank endpoint") << QVariant(" \n") << true << "No limits endpoint";
        QTest::newRow("ready") << QVariant("https://api.test/limits") << true << "Ready to check";
        QTest::newRow("no key") << QVariant("https://api.test/limits") << false
                                << "API key missing";
    }

    void idle() {
        QFETCH(QVariant, endpoint);
        QFETCH(bool, hasKey);
        QFETCH(QString, text);
        const auto value = endpoint.isValid() ? std::optional(endpoint.toString()) : std::nullopt;
        const LimitStatus status = LimitStatus::idle(profileWithEndpoint(value), hasKey);
        const LimitStatus expected{
            profileID, profileID, "Velqor 1", text, text == "Ready to check", std::nullopt};
        QCOMPARE(status, expected);
    }

    // Outcomes decided before any request is made; still answered later, never at once.
    void checkWithoutRequest_data() {
        QTest::addColumn<QString>("endpoint"); // "*" is the test server
        QTest::addColumn<QVariant>("key");     // invalid: no key stored
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("configured");
        QTest::newRow("blank endpoint") << "   " << QVariant("k") << "No limits endpoint" << false;
        QTest::newRow("not a URL") << "not a url" << QVariant("k") << "No limits endpoint" << false;
        QTest::newRow("endpoint before key") << "" << QVariant() << "No limits endpoint" << false;
        QTest::newRow("no key") << "*" << QVariant() << "API key missing" << false;
        QTest::newRow("empty key") << "*" << QVariant("") << "API key missing" << false;
        QTest::newRow("file never read")
            << "file:///etc/hostname" << QVariant("k") << "Unexpected response" << true;
        QTest::newRow("line break in key")
            << "*" << QVariant("k\r\nX-Injected: 1") << "API key contains a line break" << true;
    }

    void checkWithoutRequest() {
        QFETCH(QString, endpoint);
        QFETCH(QVariant, key);
        QFETCH(QString, text);
        QFETCH(bool, configured);
        TestHttpServer server;
        if (endpoint == "*")
            endpoint = server.url("/limits").toString();
        if (key.isValid())
            m_keys->saveAPIKey(key.toString(), profileID);
        LimitCheckerService service(m_keys);
        const QDateTime before = QDateTime::currentDateTime();
        auto outcome = check(service, profileWithEndpoint(endpoint));
        QCOMPARE(outcome->calls, 0);
        QTRY_COMPARE(outcome->calls, 1);
        QCOMPARE(outcome->status.text, text);
        QCOMPARE(outcome->status.isConfigured, configured);
        QVERIFY(outcome->status.checkedAt >= before);
        QCOMPARE(server.requestCount(), 0);
    }

    void checkResponse_data() {
        QTest::addColumn<Response>("response");
        QTest::addColumn<QString>("text");
        auto row = [](const char* name, const Response& response, const QString& text) {
            QTest::newRow(name) << response << text;
        };
        row("nested remaining",
            Response::json(R"({"data": {"plan": "pro", "credits_remaining": 12.5}})"),
            "Credits Remaining: 12.5");
        row("name order beats list order", Response::json(R"({"balance": 7, "usage": 3})"),
            "Balance: 7");
        row("inside an array", Response::json(R"({"items": [{"balance": 3}]})"), "Balance: 3");
        row("remaining beats balance",
            Response::json(R"({"a_balance": 1, "z": {"requests_remaining": 40}})"),
            "Requests Remaining: 40");
        row("match ignores case", Response::json(R"({"CREDITS_REMAINING": 5})"),
            "Credits Remaining: 5");
        row("first pair in key order", Response::json(R"({"zeta": 1, "plan": "pro"})"),
            "Plan: pro");
        row("top-level array", Response::json("[true]"), "[0]: 1");
        row("large integer kept exact", Response::json(R"({"balance": 9007199254740993})"),
            "Balance: 9007199254740993");
        row("whole double", Response::json(R"({"balance": 1e3})"), "Balance: 1000");
        row("empty object", Response::json("{}"), "Checked");
        row("array of nulls", Response::json("[null, null]"), "Checked");
        const QString x100(100, 'x');
        row("plain text cut to 80", Response::text(x100.toUtf8()), x100.left(80));
        const QString accented = QString("e\u0301").repeated(90);
        row("cut counts what the eye sees", Response::text(accented.toUtf8()), accented.left(160));
        row("JSON scalar shown as text", Response::text("42"), "42");
        row("not UTF-8", Response::text("\xff\xfe\x80"), "Checked");
        row("empty 204", Response::text({}, 204), "");
        row("500 with JSON", Response::json(R"({"remaining": 3})", 500), "HTTP 500");
        Response huge = Response::text(QByteArray(5 << 20, 'x'));
        row("oversized", huge, "Response larger than 4 MB");
        huge.omitContentLength = true;
        row("oversized without length", huge, "Response larger than 4 MB");
    }

    void checkResponse() {
        QFETCH(Response, response);
        QFETCH(QString, text);
        TestHttpServer server;
        server.setResponse(response);
        m_keys->saveAPIKey("  vk 7  ", profileID);
        LimitCheckerService service(m_keys);
        const QString endpoint = " " + server.url("/limits").toString() + "?x=1\n";
        auto outcome = check(service, profileWithEndpoint(endpoint));
        QTRY_COMPARE_WITH_TIMEOUT(outcome->calls, 1, 20000);
        QCOMPARE(outcome->status.text, text);
        QVERIFY(outcome->status.isConfigured);
        QVERIFY(outcome->status.checkedAt);
        QCOMPARE(server.requestCount(), 1);
        const TestHttpServer::Request request = server.requests().first();
        QCOMPARE(request.requestLine, "GET /limits?x=1 HTTP/1.1");
        QCOMPARE(request.header("Authorization"), "Bearer   vk 7  ");
        QCOMPARE(request.header("Accept"), "application/json");
    }

    void keyNotSentToAnotherServerOnRedirect() {
        TestHttpServer first;
        TestHttpServer other;
        Response redirect{302, {{"Location", other.url("/stolen").toEncoded()}}, {}, false, false};
        first.setResponse(redirect);
        m_keys->saveAPIKey("vk-secret", profileID);
        LimitCheckerService service(m_keys);
        auto outcome = check(service, profileWithEndpoint(first.url().toString()));
        QTRY_COMPARE_WITH_TIMEOUT(outcome->calls, 1, 15000);
        QCOMPARE(outcome->status.text, "HTTP 302");
        QCOMPARE(other.requestCount(), 0);
    }

    void silentServerTimesOut() {
        TestHttpServer server;
        server.setResponse(Response::silent());
        m_keys->saveAPIKey("vk", profileID);
        LimitCheckerService service(m_keys);
        service.setRequestTimeout(1s);
        auto outcome = check(service, profileWithEndpoint(server.url().toString()));
        QTRY_COMPARE_WITH_TIMEOUT(outcome->calls, 1, 15000);
        QCOMPARE(outcome->status.text, "The request timed out.");
        QVERIFY(outcome->status.isConfigured);
    }
};

QTEST_GUILESS_MAIN(TestLimitChecker)
#include "tst_limitchecker.moc"
