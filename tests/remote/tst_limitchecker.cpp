#include "profiles/LocalKeysService.h"
#include "remote/LimitCheckerService.h"
#include "support/Checks.h"
#include "support/TestHome.h"
#include "support/TestHttpServer.h"

using namespace std::chrono_literals;
using Response = TestHttpServer::Response;

class TestLimitChecker : public QObject {
    Q_OBJECT

    std::optional<TestHome> m_home;
    std::shared_ptr<LocalKeysService> m_keys;
    Profile m_profile = Profile::velqorAccount(1);

    // Runs one check; the answer must come later, never inside check().
    LimitStatus check(const QString& endpoint) {
        LimitCheckerService service(m_keys);
        service.setRequestTimeout(1s);
        m_profile.limitsEndpoint = endpoint;
        std::optional<LimitStatus> status;
        service.check(m_profile, [&](const LimitStatus& s) { status = s; });
        if (status)
            return {{}, {}, {}, "answered synchronously", false, {}};
        (void)QTest::qWaitFor([&] { return status.has_value(); }, 15000);
        return status.value_or(LimitStatus{});
    }

private slots:
    void init() {
        m_home.emplace(); // the last one's environment is restored first
        m_keys = std::make_shared<LocalKeysService>();
    }

    // Outcomes decided before any request is made, and what the profile shows before a
    // check (LimitStatus::idle()).
    void checkWithoutRequest_data() {
        QTest::addColumn<QString>("endpoint"); // "*" is the test server
        QTest::addColumn<QVariant>("key");     // invalid: none stored; "<pipe>": unreadable
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("configured");
        QTest::addColumn<QString>("idle");
        const QString ready = "Ready to check", none = "No limits endpoint";
        const auto row = [](const char* name, const char* endpoint, const QVariant& key,
                            const QString& text, bool configured, const QString& idle) {
            QTest::newRow(name) << QString(endpoint) << key << text << configured << idle;
        };
        row("not a URL", "not a url", "k", none, false, ready);
        row("endpoint before key", " ", {}, none, false, none);
        row("no key", "*", {}, "API key missing", false, "API key missing");
        row("file never read", "file:///etc/hostname", "k", "Unexpected response", true, ready);
        row("line break in key", "*", "k\r\nX-Injected: 1", "API key contains a line break", true,
            ready);
        row("key file a pipe", "*", "<pipe>",
            "~/.codex/tavrin/keys.json cannot be read: it is a named pipe, not a file.", true,
            ready);
    }

    void checkWithoutRequest() {
        QFETCH(QString, endpoint);
        QFETCH(QVariant, key);
        QFETCH(QString, idle);
        TestHttpServer server;
        if (key == "<pipe>")
            makeEntry(m_home->file(".codex/tavrin/keys.json"), "fifo");
        else if (key.isValid())
            m_keys->saveAPIKey(key.toString(), m_profile.id);
        const QDateTime before = QDateTime::currentDateTime();
        const LimitStatus status = check(endpoint == "*" ? server.url().toString() : endpoint);
        QTEST(status.text, "text");
        QTEST(status.isConfigured, "configured");
        QVERIFY(status.checkedAt >= before);
        QCOMPARE(server.requestCount(), 0);
        const LimitStatus expected{
            m_profile.id, m_profile.id, m_profile.name, idle, idle == "Ready to check", {}};
        QCOMPARE(LimitStatus::idle(m_profile, key.isValid()), expected);
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
        row("remaining beats balance, any case",
            Response::json(R"({"a_balance": 1, "z": {"REQUESTS_REMAINING": 40}})"),
            "Requests Remaining: 40");
        row("first pair in key order", Response::json(R"({"zeta": 1, "plan": "pro"})"),
            "Plan: pro");
        row("top-level array", Response::json("[null, true]"), "[1]: 1");
        row("large integer kept exact", Response::json(R"({"balance": 9007199254740993})"),
            "Balance: 9007199254740993");
        row("whole double", Response::json(R"({"balance": 1e3})"), "Balance: 1000");
        row("empty object", Response::json("{}"), "Checked");
        // Dates read in the user's locale; a midnight names its day in every time zone.
        const QString day = QLocale().toString(QDate(2026, 12, 31), QLocale::LongFormat);
        row("date", Response::json(R"({"renews": "2026-12-31"})"), "Renews: " + day);
        row("midnight", Response::json(R"({"renews": "2026-12-31T00:00:00Z"})"), "Renews: " + day);
        row("not a date", Response::json(R"({"renews": "2026-13-45"})"), "Renews: 2026-13-45");
        const QString accented = QString("e\u0301").repeated(90);
        row("cut counts what the eye sees", Response::text(accented.toUtf8()), accented.left(160));
        row("not UTF-8", Response::text("\xff\xfe\x80"), "Checked");
        row("empty 204", Response::text({}, 204), "");
        row("500 with JSON", Response::json(R"({"remaining": 3})", 500), "HTTP 500");
        row("oversized", Response::text(QByteArray(5 << 20, 'x')), "Response larger than 4 MB");
        row("never answers", Response::silent(), "The request timed out.");
        // A redirect is the answer: the key is sent nowhere else (one request only).
        row("redirect", {302, {{"Location", "/stolen"}}, {}}, "HTTP 302");
    }

    void checkResponse() {
        QFETCH(Response, response);
        TestHttpServer server;
        server.setResponse(response);
        m_keys->saveAPIKey("  vk 7  ", m_profile.id);
        const LimitStatus status = check(" " + server.url("/limits").toString() + "?x=1\n");
        QTEST(status.text, "text");
        QVERIFY(status.isConfigured && status.checkedAt);
        QCOMPARE(status.httpStatus,
                 status.text.startsWith("HTTP ") ? status.text.mid(5).toInt() : 0);
        QCOMPARE(server.requestCount(), 1);
        const TestHttpServer::Request request = server.requests().first();
        QCOMPARE(request.requestLine, "GET /limits?x=1 HTTP/1.1");
        QCOMPARE(request.header("Authorization"), "Bearer   vk 7  ");
        QCOMPARE(request.header("Accept"), "application/json");
    }
};

QTEST_GUILESS_MAIN(TestLimitChecker)
#include "tst_limitchecker.moc"
