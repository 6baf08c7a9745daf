#include "remote/CloudControlService.h"
#include "support/TestHome.h"
#include "support/TestHttpServer.h"

#include <QCoreApplication>
#include <QSettings>

using namespace std::chrono_literals;
using Response = TestHttpServer::Response;

namespace {

struct Outcome {
    int calls = 0;
    QString error;
    CloudPolicyResult result;
    bool operator==(const Outcome&) const = default;
};

std::shared_ptr<Outcome> load(CloudControlService& service) {
    auto outcome = std::make_shared<Outcome>();
    service.loadPolicy([outcome](std::exception_ptr error, const CloudPolicyResult& result) {
        *outcome = {outcome->calls + 1, describeError(error), result};
    });
    return outcome;
}

// The user preference and the bundle value of the policy URL; an invalid value is none.
void configure(const QVariant& defaultsValue, const QVariant& plistValue = {}) {
    QSettings settings;
    settings.setValue("CloudPolicyURL", defaultsValue);
    settings.sync();
    CloudControlService::setInfoDictionaryOverride(QVariantMap{{"CloudPolicyURL", plistValue}});
}

} // namespace

class TestCloudControl : public QObject {
    Q_OBJECT

    TestHome m_home;

private slots:
    void initTestCase() {
        QCoreApplication::setOrganizationName("TavrinTests");
        // Plain files in the temporary home on every platform, never the real preferences.
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_home.file(".config"));
    }

    void cleanupTestCase() { CloudControlService::setInfoDictionaryOverride(std::nullopt); }

    void configuredURL_data() {
        QTest::addColumn<QVariant>("defaultsValue");
        QTest::addColumn<QVariant>("plistValue");
        QTest::addColumn<QString>("expected"); // empty: not configured
        const QString p = "https://policy.tavrin.test/policy.json";
        auto row = [](const char* name, QVariant d, QVariant pl, QString e) {
            QTest::newRow(name) << d << pl << e;
        };
        row("defaults win", "https://other.test/p", p, "https://other.test/p");
        row("blank defaults fall through, trimmed", "  ", " \t" + p + "\n", p);
        row("non-string property list", {}, 42, {});
        row("placeholder", "https://policy.tavrin.test/YOUR_DOMAIN/p.json", {}, {});
        row("example domain, no fall-through", "https://cdn.EXAMPLE.com/policy.json", p, {});
        row("http loopback name", "http://LocalHost:8080/p", {}, "http://localhost:8080/p");
        row("http IPv6 loopback", "http://[::1]:9/p", {}, "http://[::1]:9/p");
        row("http other host", "http://policy.tavrin.test/p", {}, {});
        row("http loopback name as a subdomain", "http://localhost.tavrin.test/p", {}, {});
        row("scheme in upper case", "HTTPS://policy.tavrin.test/p", {}, {});
        row("no scheme", "policy.tavrin.test/policy.json", {}, {});
        row("not a URL", "https://policy tavrin/p", {}, {});
    }

    void configuredURL() {
        QFETCH(QVariant, defaultsValue);
        QFETCH(QVariant, plistValue);
        configure(defaultsValue, plistValue);
        QTEST(CloudControlService::configuredURL().value_or(QUrl()).toString(), "expected");
    }

    // Every load answers exactly once and later, unless its service is destroyed first.
    void answersOnceLaterOrNever() {
        TestHttpServer server;
        server.setResponse(Response::silent());
        configure(server.url().toString());
        auto running = std::make_unique<CloudControlService>();
        auto dropped = load(*running);
        configure("https://YOUR_DOMAIN/policy.json", server.url().toString());
        auto idle = std::make_unique<CloudControlService>();
        auto droppedIdle = load(*idle);
        CloudControlService service;
        auto unconfigured = load(service); // no request, an empty result
        configure(QString("http://127.0.0.1:%1/").arg(TestHttpServer::closedPort()));
        auto refused = load(service);
        QCOMPARE(unconfigured->calls + refused->calls, 0);
        idle.reset();
        QTRY_COMPARE(server.requestCount(), 1);
        running.reset();
        QTRY_COMPARE(unconfigured->calls + refused->calls, 2);
        // Whatever the destroyed services left queued has run by now.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        QCOMPARE(dropped->calls + droppedIdle->calls, 0);
        QCOMPARE(*refused, (Outcome{1, "Connection refused", {}}));
        QCOMPARE(*unconfigured, (Outcome{1, {}, {}}));
    }

    void loadPolicy_data() {
        QTest::addColumn<Response>("response");
        QTest::addColumn<QString>("error");
        QTest::addColumn<CloudPolicy>("policy");
        auto row = [](const char* name, const Response& response, const QString& error,
                      const CloudPolicy& policy = {}) {
            QTest::newRow(name) << response << error << policy;
        };
        row("trimmed fields, unknown key",
            Response::json("{\"latest_version\": \" 1.4.0\\n\", \"minimum_supported_version\": "
                           "\"1.2\", \"update_url\": \" https://dl.tavrin.test/T.dmg \", "
                           "\"announcement\": \"Maintenance\", \"extra\": 5}"),
            {}, {"1.4.0", "1.2", QUrl("https://dl.tavrin.test/T.dmg"), "Maintenance"});
        row("blank, null, bad URL are absent",
            Response::json("{\"latest_version\": \"2\", \"minimum_supported_version\": \" \", "
                           "\"update_url\": \"https://bad host/\", \"announcement\": null}"),
            {}, {"2", {}, {}, {}});
        row("number for a string", Response::json(R"({"latest_version": 2})"),
            "The cloud policy's \"latest_version\" is not a string.");
        row("array at the top", Response::json("[]"), "The cloud policy is not a JSON object.");
        row("empty 204", Response::text({}, 204),
            "The cloud policy is not valid JSON: illegal value");
        row("503", Response::json("{}", 503), "Cloud server returned HTTP 503.");
        const QString tooLarge = "Cloud server sent a response larger than 4 MB.";
        const QByteArray huge = "{}" + QByteArray(5 << 20, ' ');
        row("oversized", Response::json(huge), tooLarge);
        row("oversized without length", {200, {}, huge, true}, tooLarge);
        row("oversized length announced", {200, {{"Content-Length", "1000000000"}}, "{}"},
            tooLarge);
        row("never answers", Response::silent(), "The request timed out.");
    }

    void loadPolicy() {
        QFETCH(Response, response);
        QFETCH(QString, error);
        QFETCH(CloudPolicy, policy);
        TestHttpServer server;
        server.setResponse(response);
        configure(server.url("/policy.json").toString());
        // The completion may destroy the service.
        auto service = std::make_unique<CloudControlService>();
        service->setRequestTimeout(1s);
        Outcome outcome;
        service->loadPolicy([&](std::exception_ptr e, const CloudPolicyResult& result) {
            outcome = {outcome.calls + 1, describeError(e), result};
            service.reset();
        });
        QTRY_COMPARE_WITH_TIMEOUT(outcome.calls, 1, 20000);
        QCOMPARE(outcome.error, error);
        QCOMPARE(outcome.result, (CloudPolicyResult{policy, error.isEmpty()}));
        QCOMPARE(server.requestCount(), 1);
        QCOMPARE(server.requests().first().requestLine, "GET /policy.json HTTP/1.1");
    }

    void versionOrder_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b"); // null: absent
        QTest::addColumn<int>("order");
        QTest::newRow("numeric parts") << "1.2.9" << QString("1.2.10") << -1;
        QTest::newRow("missing parts are zero") << "1.2" << QString("1.2.0") << 0;
        QTest::newRow("suffixes") << "1.2-beta3.0-rc1" << QString("1.2") << 0;
        QTest::newRow("leading word") << "beta.2" << QString("0.2") << 0;
        QTest::newRow("empty pieces") << ".1..2." << QString("1.2") << 0;
        QTest::newRow("too large") << "9223372036854775808.1" << QString("0.1") << 0;
        QTest::newRow("non-ASCII digits") << "1\u0663.2" << QString("0.2") << 0;
        QTest::newRow("absent") << "0" << QString() << 0;
    }

    void versionOrder() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, order);
        QCOMPARE(CloudControlService::compareVersions(a, b), order);
        QCOMPARE(CloudControlService::compareVersions(b, a), -order);
        QCOMPARE(CloudControlService::isVersion(a, optionalText(b)), order < 0);
    }
};

QTEST_GUILESS_MAIN(TestCloudControl)
#include "tst_cloudcontrol.moc"
