#include "support/TestHome.h"
#include "support/TestHttpServer.h"

// tavrin-cli honours the remote policy lock of the window: the request runs in a module
// the command line loads only when a policy location is configured.
class TestCliPolicy : public QObject {
    Q_OBJECT
private slots:
    void switchHonoursThePolicy_data() {
        QTest::addColumn<QByteArray>("policy");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("err");
        QTest::newRow("update required")
            << QByteArray(R"({"minimum_supported_version": "99"})") << 1 << "Update required";
        QTest::newRow("current") << QByteArray(R"({"minimum_supported_version": "0.1"})") << 0
                                 << "";
        QTest::newRow("policy cannot be read")
            << QByteArray("not json") << 0
            << "Cloud check failed: The cloud policy is not valid JSON";
    }

    void switchHonoursThePolicy() {
        QFETCH(QByteArray, policy);
        TestHome home;
        TestHttpServer server;
        server.setResponse(TestHttpServer::Response::json(policy));
        home.write(".config/Tavrin/Tavrin.conf",
                   "[General]\nCloudPolicyURL=" + server.url().toString().toUtf8() + "\n");
        home.write(".codex/tavrin/keys.json", R"({"velqor-1": "sk"})");
        QProcess cli;
        cli.start(qEnvironmentVariable("TAVRIN_CLI"),
                  {"switch", "claude", "velqor-1", "--no-restart"});
        // The loopback server answers from this event loop while the command runs.
        QTRY_VERIFY_WITH_TIMEOUT(cli.state() == QProcess::NotRunning, 20000);
        QTEST(cli.exitCode(), "status");
        QFETCH(QString, err);
        QVERIFY2(QString::fromUtf8(cli.readAllStandardError()).contains(err), qPrintable(err));
        QVERIFY(!server.requests().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCliPolicy)
#include "tst_clipolicy.moc"
