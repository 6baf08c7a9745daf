#include "remote/CloudControlService.h"
#include "support/TestHome.h"
#include "support/TestHttpServer.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTest>

using namespace std::chrono_literals;
using Response = TestHttpServer::Response;

namespace {

struct Outcome {
    int calls = 0;
    QString error; // "kind: description"
    CloudPolicyResult result;
};

QString describe(std::exception_ptr error) {
    if (!error)
        return {};
    QString kind = QStringLiteral("other");
    try {
        std::rethrow_exception(error);
    } catch (const CloudControlError& e) {
        kind = QStringLiteral("cloud%1").arg(int(e.kind()));
    } catch (const JsonError&) {
        kind = QStringLiteral("json");
    } catch (const NetworkError&) {
        kind = QStringLiteral("network");
    } catch (...) {
    }
    return kind + QStringLiteral(": ") + describeError(error);
}

// Starts one load; the answer must come later, never inside loadPolicy.
std::shared_ptr<Outcome> load(CloudControlService& service) {
    auto outcome = std::make_shared<Outcome>();
    service.loadPolicy([outcome](std::exception_ptr error, const CloudPolicyResult& result) {
        ++outcome->calls;
        outcome->error = describe(error);
        outcome->result = result;
    });
    if (outcome->calls != 0)
        qWarning("loadPolicy answered synchronously");
    return outcome;
}

} // namespace

class TestCloudControl : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;

    static void configure(const QVariant& defaultsValue, const QVariant& plistValue = {}) {
        QSettings settings;
        settings.clear();
        if (defaultsValue.isValid())
            settings.setValue("CloudPolicyURL", defaultsValue);
        settings.sync();
        QVariantMap info;
        if (plistValue.isValid())
            info.insert("CloudPolicyURL", plistValue);
        CloudControlService::setInfoDictionaryOverride(info);
    }

private slots:
    void initTestCase() {
        m_home = std::make_unique<TestHome>();
        QCoreApplication::setOrganizationName("TavrinTests");
        QCoreApplication::setApplicationName("tst_cloudcontrol");
        // Plain files in the temporary home on every platform, never the real preferences.
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_home->file(".config"));
    }

    void init() { configure({}); }

    void cleanupTestCase() { CloudControlService::setInfoDictionaryOverride(std::nullopt); }

    void configuredURL_data() {
        QTest::addColumn<QVariant>("defaultsValue");
        QTest::addColumn<QVariant>("plistValue");
        QTest::addColumn<QString>("expected"); // empty: not configured
        const QString p = "https://policy.tavrin.test/policy.json";
        auto row = [](const char* name, QVariant d, QVariant pl, QString e) {
            QTest::newRow(name) << d << pl << e;
        };
        row("nothing anywhere", {}, {}, {});
        row("defaults win", "https://other.test/p", p, "https://other.test/p");
        row("blank defaults fall through", "  ", p, p);
        row("trimmed", " \t" + p + "\n", {}, p);
        row("non-string property list", {}, 42, {});
        row("placeholder in path", "https://policy.tavrin.test/YOUR_DOMAIN/p.json", {}, {});
        row("placeholder test is case-sensitive", "https://a.test/your_domain", {},
            "https://a.test/your_domain");
        row("example domain", "https://cdn.example.com/policy.json", {}, {});
        row("example domain in path", "https://a.test/example.com/p.json", p, {});
        row("https any host", "https://10.1.2.3:8443/p", {}, "https://10.1.2.3:8443/p");
        row("http loopback name with port", "http://LocalHost:8080/p", {},
            "http://localhost:8080/p");
        row("http IPv4 loopback", "http://127.0.0.1/p", {}, "http://127.0.0.1/p");
        row("http IPv6 loopback", "http://[::1]:9/p", {}, "http://[::1]:9/p");
        row("http other host", "http://policy.tavrin.test/p", {}, {});
        row("http loopback name as a subdomain", "http://localhost.tavrin.test/p", {}, {});
        row("ftp", "ftp://policy.tavrin.test/p", {}, {});
        row("scheme in upper case", "HTTPS://policy.tavrin.test/p", {}, {});
        row("no scheme", "policy.tavrin.test/policy.json", {}, {});
        row("not a URL", "https://policy tavrin/p", {}, {});
    }

    void configuredURL() {
        QFETCH(QVariant, defaultsValue);
        QFETCH(QVariant, plistValue);
        QFETCH(QString, expected);
        configure(defaultsValue, plistValue);
        const std::optional<QUrl> url = CloudControlService::configuredURL();
        QCOMPARE(url ? url->toString() : QString(), expected);
    }

    void notConfiguredAnswersLaterWithoutRequest() {
        TestHttpServer server;
        configure("https://YOUR_DOMAIN/policy.json", server.url().toString());
        CloudControlService service;
        auto outcome = load(service);
        QCOMPARE(outcome->calls, 0);
        QTRY_COMPARE(outcome->calls, 1);
        QCOMPARE(outcome->error, QString());
        QCOMPARE(outcome->result, CloudPolicyResult{});
        QTest::qWait(50);
        QCOMPARE(outcome->calls, 1);
        QCOMPARE(server.requestCount(), 0);
    }

    void loadPolicy_data() {
        QTest::addColumn<Response>("response");
        QTest::addColumn<QString>("error");
        QTest::addColumn<CloudPolicy>("policy");
        CloudPolicy full{"1.4.0", "1.2", QUrl("https://dl.tavrin.test/T.dmg"), "Maintenance"};
        QTest::newRow("trimmed fields, unknown key")
            << Response::json("{\"latest_version\": \" 1.4.0\\n\", \"minimum_supported_version\":"
                              " \"1.2\", \"update_url\": \" https://dl.tavrin.test/T.dmg \","
                              " \"announcement\": \"Maintenance\", \"extra\": 5}")
            << QString() << full;
        QTest::newRow("blank, null, bad URL are absent")
            << Response::json("{\"latest_version\": \"2\", \"minimum_supported_version\": \" \","
                              " \"update_url\": \"https://bad host/\", \"announcement\": null}")
            << QString() << CloudPolicy{"2", {}, {}, {}};
        QTest::newRow("number for a string")
            << Response::json("{\"latest_version\": 2}")
            << "json: The cloud policy's \"latest_version\" is not a string." << CloudPolicy{};
        QTest::newRow("array at the top")
            << Response::json("[]") << "json: The cloud policy is not a JSON object."
            << CloudPolicy{};
        QTest::newRow("empty 204")
            << Response::text({}, 204) << "json: The cloud policy is not valid JSON: illegal value"
            << CloudPolicy{};
        QTest::newRow("404") << Response::json("{}", 404)
                             << "cloud0: Cloud server returned HTTP 404." << CloudPolicy{};
        QTest::newRow("503") << Response::text("busy", 503)
                             << "cloud0: Cloud server returned HTTP 503." << CloudPolicy{};
        const QString tooLarge = "cloud2: Cloud server sent a response larger than 4 MB.";
        Response huge = Response::json("{}" + QByteArray(5 << 20, ' '));
        QTest::newRow("oversized") << huge << tooLarge << CloudPolicy{};
        huge.omitContentLength = true;
        QTest::newRow("oversized without length") << huge << tooLarge << CloudPolicy{};
        Response announced = Response::json("{}");
        announced.headers.append({QByteArray("Content-Length"), QByteArray("1000000000")});
        QTest::newRow("oversized length announced") << announced << tooLarge << CloudPolicy{};
    }

    void loadPolicy() {
        QFETCH(Response, response);
        QFETCH(QString, error);
        QFETCH(CloudPolicy, policy);
        TestHttpServer server;
        server.setResponse(response);
        configure(server.url("/policy.json").toString());
        CloudControlService service;
        auto outcome = load(service);
        QTRY_COMPARE_WITH_TIMEOUT(outcome->calls, 1, 20000);
        QCOMPARE(outcome->error, error);
        const CloudPolicyResult expected{policy, error.isEmpty()};
        QCOMPARE(outcome->result, expected);
        QCOMPARE(server.requestCount(), 1);
        QCOMPARE(server.requests().first().requestLine, "GET /policy.json HTTP/1.1");
        QTest::qWait(20);
        QCOMPARE(outcome->calls, 1);
    }

    void transportFailures() {
        TestHttpServer server;
        server.setResponse(Response::silent());
        configure(server.url().toString());
        CloudControlService service;
        service.setRequestTimeout(1s);
        auto silent = load(service);
        configure(QStringLiteral("http://127.0.0.1:%1/").arg(TestHttpServer::closedPort()));
        auto refused = load(service);
        QTRY_COMPARE_WITH_TIMEOUT(silent->calls + refused->calls, 2, 15000);
        QCOMPARE(silent->error, "network: The request timed out.");
        QCOMPARE(refused->error, "network: Connection refused");
    }

    void destroyedServiceStaysSilent() {
        TestHttpServer server;
        server.setResponse(Response::silent());
        configure(server.url().toString());
        auto running = std::make_unique<CloudControlService>();
        auto outcome = load(*running);
        configure({});
        auto idle = std::make_unique<CloudControlService>();
        auto idleOutcome = load(*idle);
        idle.reset();
        QTRY_COMPARE(server.requestCount(), 1);
        running.reset();
        QTest::qWait(100);
        QCOMPARE(outcome->calls + idleOutcome->calls, 0);
    }

    void serviceMayBeDestroyedInsideCompletion() {
        TestHttpServer server;
        server.setResponse(Response::json("{\"latest_version\": \"3\"}"));
        configure(server.url().toString());
        auto service = std::make_unique<CloudControlService>();
        int calls = 0;
        service->loadPolicy([&](std::exception_ptr, const CloudPolicyResult& result) {
            ++calls;
            QCOMPARE(result.policy.latestVersion, "3");
            service.reset();
        });
        QTRY_COMPARE(calls, 1);
    }

    void versionParts_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QList<qint64>>("parts");
        QTest::newRow("plain") << "1.2.10" << QList<qint64>{1, 2, 10};
        QTest::newRow("suffixes") << "1.2-beta3.0-rc1" << QList<qint64>{1, 2, 0};
        QTest::newRow("leading word") << "beta.2" << QList<qint64>{0, 2};
        QTest::newRow("empty pieces") << ".1..2." << QList<qint64>{1, 2};
        QTest::newRow("empty") << "" << QList<qint64>{};
        QTest::newRow("too large") << "9223372036854775808.1" << QList<qint64>{0, 1};
        QTest::newRow("largest") << "9223372036854775807" << QList<qint64>{INT64_MAX};
        QTest::newRow("non-ASCII digits") << "1\u0663.2" << QList<qint64>{0, 2};
    }

    void versionParts() {
        QFETCH(QString, version);
        QFETCH(QList<qint64>, parts);
        QCOMPARE(CloudControlService::versionParts(version), parts);
    }

    void versionOrder_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QVariant>("b"); // invalid: absent
        QTest::addColumn<int>("order");
        QTest::addColumn<bool>("older");
        QTest::newRow("numeric parts") << "1.2.9" << QVariant("1.2.10") << -1 << true;
        QTest::newRow("missing parts are zero") << "1.2" << QVariant("1.2.0") << 0 << false;
        QTest::newRow("major wins") << "2" << QVariant("1.99.99") << 1 << false;
        QTest::newRow("unknown version") << "0" << QVariant("0.0.1") << -1 << true;
        QTest::newRow("absent") << "0" << QVariant() << 0 << false;
        QTest::newRow("blank") << "0" << QVariant(" \n") << 0 << false;
    }

    void versionOrder() {
        QFETCH(QString, a);
        QFETCH(QVariant, b);
        QFETCH(int, order);
        QFETCH(bool, older);
        const auto other = b.isValid() ? std::optional<QString>(b.toString()) : std::nullopt;
        QCOMPARE(CloudControlService::compareVersions(a, other.value_or(QString())), order);
        QCOMPARE(CloudControlService::compareVersions(other.value_or(QString()), a), -order);
        QCOMPARE(CloudControlService::isVersion(a, other), older);
    }

    void currentAppVersion() {
        CloudControlService::setInfoDictionaryOverride(
            QVariantMap{{"CFBundleShortVersionString", "2.3"}});
        QCOMPARE(CloudControlService::currentAppVersion(), "2.3");
        CloudControlService::setInfoDictionaryOverride(
            QVariantMap{{"CFBundleShortVersionString", 7}});
        QCOMPARE(CloudControlService::currentAppVersion(), "0");
    }
};

QTEST_GUILESS_MAIN(TestCloudControl)
#include "tst_cloudcontrol.moc"
