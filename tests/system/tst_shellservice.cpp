#include "support/TestHome.h"
#include "system/ShellService.h"

using namespace std::chrono_literals;

class TestShellService : public QObject {
    Q_OBJECT

private slots:
    void run_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("standardOutput");
        QTest::addColumn<QString>("standardError");

        QTest::newRow("failure with message")
            << "printf 'Grüße €'; echo broke >&2; exit 3" << 3 << "Grüße €" << QString("broke\n");
        QTest::newRow("invalid UTF-8 on one stream")
            << "printf '\\377\\376abc'; printf 'fine' >&2" << 0 << QString() << "fine";
        QTest::newRow("login shell and its syntax")
            << QStringLiteral("[[ -o login ]] && echo login || echo plain; echo gone >/dev/null; "
                              "printf 'c\\nb\\n' | sort >&2")
            << 0 << "login\n"
            << QString("b\nc\n");
        // Nothing is connected to the command's input, so a reader sees end-of-file at once.
        QTest::newRow("reading input does not wait") << "cat; echo done" << 0 << "done\n"
                                                     << QString();
        // Far more than a pipe buffer on each stream, error stream first: a reader that drained
        // one stream to its end before the other would stall.
        QTest::newRow("large output on both pipes")
            << QStringLiteral("head -c 1048576 /dev/zero | tr '\\0' e >&2; "
                              "head -c 1048576 /dev/zero | tr '\\0' o")
            << 0 << QString(1048576, 'o') << QString(1048576, 'e');
    }

    void run() {
        QFETCH(QString, command);
        TestHome home;
        // A limit well below the test's own time-out, so a regression fails instead of hanging.
        const ShellResult result = ShellService(20s).run(command);
        QTEST(result.terminationStatus, "status");
        QTEST(result.standardOutput, "standardOutput");
        QTEST(result.standardError, "standardError");
        QVERIFY(!result.timedOut);
    }

    // The child outlives the limit by far, so only a stop ends the run early.
    void commandPastTimeLimitIsStoppedWithItsChildren() {
        TestHome home;
        const ShellResult result = ShellService(1s).run(QStringLiteral(
            "echo started; echo 'some warning' >&2; sleep 300 & echo $! > \"$HOME/child\"; wait"));
        QVERIFY(result.timedOut);
        QVERIFY(result.terminationStatus != 0);
        QCOMPARE(result.standardOutput, "started\n");
        QCOMPARE(result.standardError,
                 QStringLiteral("some warning The command did not finish within 1 second and was "
                                "stopped."));
        // The command's children went with it (a zombie waiting for its reaper is gone too).
        const QString stat = "/proc/" + home.read("child").trimmed() + "/stat";
        QTRY_VERIFY(!QFile::exists(stat) || readFile(stat).contains(") Z "));
    }
};

QTEST_GUILESS_MAIN(TestShellService)
#include "tst_shellservice.moc"
