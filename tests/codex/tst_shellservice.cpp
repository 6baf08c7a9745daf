#include "codex/ShellService.h"
#include "support/TestHome.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <csignal>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// True while the process exists and is not merely a zombie waiting to be reaped.
bool processIsRunning(pid_t pid) {
    if (::kill(pid, 0) != 0)
        return false;
#ifdef __linux__
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray line = stat.readAll();
        const qsizetype close = line.lastIndexOf(')');
        if (close >= 0 && close + 2 < line.size() && line.at(close + 2) == 'Z')
            return false;
    }
#endif
    return true;
}

} // namespace

class TestShellService : public QObject {
    Q_OBJECT

private slots:

    void runsCommand_data();
    void runsCommand();
    void largeOutputOnBothPipesDoesNotStall();
    void commandPastTimeLimitIsStoppedWithItsChildren();
};

void TestShellService::runsCommand_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("standardOutput");
    QTest::addColumn<QString>("standardError");

    QTest::newRow("success") << QStringLiteral("echo hello") << 0 << QStringLiteral("hello\n")
                             << QString();
    QTest::newRow("failure with message") << QStringLiteral("echo 'it broke' >&2; exit 1") << 1
                                          << QString() << QStringLiteral("it broke\n");
    QTest::newRow("no output") << QStringLiteral("true") << 0 << QString() << QString();
    QTest::newRow("non-ASCII output")
        << QStringLiteral("printf 'Grüße €'") << 0 << QStringLiteral("Grüße €") << QString();
    QTest::newRow("invalid UTF-8 on stdout only")
        << QStringLiteral("printf '\\377\\376abc'; printf 'fine' >&2") << 0 << QString()
        << QStringLiteral("fine");
    QTest::newRow("truncated UTF-8 sequence")
        << QStringLiteral("printf 'abc\\342\\202'") << 0 << QString() << QString();
    QTest::newRow("semicolon") << QStringLiteral("echo a; echo b") << 0 << QStringLiteral("a\nb\n")
                               << QString();
    QTest::newRow("or-list") << QStringLiteral("false || echo fallback") << 0
                             << QStringLiteral("fallback\n") << QString();
    QTest::newRow("redirections") << QStringLiteral("echo gone >/dev/null; echo moved 1>&2") << 0
                                  << QString() << QStringLiteral("moved\n");
    QTest::newRow("pipe") << QStringLiteral("printf 'b\\na\\n' | sort") << 0
                          << QStringLiteral("a\nb\n") << QString();
    QTest::newRow("login shell") << QStringLiteral("[[ -o login ]] && echo login") << 0
                                 << QStringLiteral("login\n") << QString();
    // Nothing is connected to the command's input, so a reader sees end-of-file at once.
    QTest::newRow("reading input does not wait")
        << QStringLiteral("cat; echo done") << 0 << QStringLiteral("done\n") << QString();
}

void TestShellService::runsCommand() {
    QFETCH(QString, command);
    QFETCH(int, status);
    QFETCH(QString, standardOutput);
    QFETCH(QString, standardError);

    TestHome home;
    // A limit well below the test's own time-out, so a regression fails instead of hanging.
    ShellService shell(20s);
    const ShellResult result = shell.run(command);
    QCOMPARE(result.terminationStatus, status);
    QCOMPARE(result.standardOutput, standardOutput);
    QCOMPARE(result.standardError, standardError);
    QVERIFY(!result.timedOut);
}

void TestShellService::largeOutputOnBothPipesDoesNotStall() {
    TestHome home;
    ShellService shell(60s);
    // Far more than a pipe buffer on each stream, error stream first: a reader that only
    // drained standard output would leave the child blocked on standard error.
    const ShellResult result =
        shell.run(QStringLiteral("head -c 1048576 /dev/zero | tr '\\0' e >&2; "
                                 "head -c 1048576 /dev/zero | tr '\\0' o; "
                                 "head -c 1048576 /dev/zero | tr '\\0' E >&2"));
    QVERIFY(!result.timedOut);
    QCOMPARE(result.terminationStatus, 0);
    QCOMPARE(result.standardOutput.size(), 1048576);
    QCOMPARE(result.standardOutput.count(QLatin1Char('o')), 1048576);
    QCOMPARE(result.standardError.size(), 2 * 1048576);
    QCOMPARE(result.standardError.count(QLatin1Char('e')), 1048576);
    QVERIFY(result.standardError.endsWith(QLatin1Char('E')));
}

void TestShellService::commandPastTimeLimitIsStoppedWithItsChildren() {
    TestHome home;
    const QString pidFile = home.file(QStringLiteral("child.pid"));
    ShellService shell(1s);
    QElapsedTimer timer;
    timer.start();
    const ShellResult result =
        shell.run(QStringLiteral("echo started; echo 'some warning' >&2; sleep 30 & echo $! > '") +
                  pidFile + QStringLiteral("'; wait"));
    QVERIFY2(timer.elapsed() < 10000, "the time limit was not enforced");
    QVERIFY(result.timedOut);
    QVERIFY(result.terminationStatus != 0);
    QCOMPARE(result.standardOutput, QStringLiteral("started\n"));
    QCOMPARE(result.standardError,
             QStringLiteral("some warning The command did not finish within 1 second and was "
                            "stopped."));

    const pid_t child = home.read(QStringLiteral("child.pid")).trimmed().toInt();
    QVERIFY(child > 0);
    QTRY_VERIFY_WITH_TIMEOUT(!processIsRunning(child), 3000);

    // The same service runs the next command normally.
    const ShellResult next = shell.run(QStringLiteral("echo again"));
    QVERIFY(!next.timedOut);
    QCOMPARE(next.standardOutput, QStringLiteral("again\n"));
}

QTEST_GUILESS_MAIN(TestShellService)
#include "tst_shellservice.moc"
