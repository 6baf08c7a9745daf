#include "app/SwitchLock.h"
#include "support/Checks.h"
#include "support/TestHome.h"

class TestSwitchLock : public QObject {
    Q_OBJECT
private slots:
    // The lock is the kernel's: an empty lock file holds nothing, and a holder that is
    // killed lets go.
    void lockEndsWithItsHolder() {
        TestHome home;
        home.write(".codex/tavrin/switch.lock", "");
        QVERIFY(!SwitchLock::heldElsewhere());
        { const SwitchLock free(std::chrono::milliseconds(0)); }
        QProcess holder;
        holder.start("perl", {"-e",
                              "use Fcntl ':flock'; open(F, '>>', $ARGV[0]) or die; "
                              "flock(F, LOCK_EX) or die; $| = 1; print \"locked\\n\"; "
                              "sleep 60",
                              SwitchLock::path()});
        QVERIFY(holder.waitForReadyRead(10000));
        QVERIFY(SwitchLock::heldElsewhere());
        QCOMPARE(errorOf([] { const SwitchLock busy(std::chrono::milliseconds(100)); }),
                 "Another switch is running. Try again when it has finished.");
        holder.kill();
        QVERIFY(holder.waitForFinished());
        QVERIFY(!SwitchLock::heldElsewhere());
        QCOMPARE(errorOf([] { const SwitchLock free(std::chrono::milliseconds(0)); }), QString());
    }
};

QTEST_GUILESS_MAIN(TestSwitchLock)
#include "tst_switchlock.moc"
