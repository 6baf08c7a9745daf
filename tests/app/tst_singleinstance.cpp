#include "app/SingleInstance.h"
#include "support/Checks.h"
#include "support/TestHome.h"

#include <QTemporaryDir>

#include <cstring>
#include <fcntl.h>
#include <future>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A client socket connected to `path` without waiting (-1 when it could not connect).
int connectTo(const QString& path, bool bindInstead = false) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    std::memcpy(address.sun_path, bytes.constData(), size_t(bytes.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ::fcntl(fd, F_SETFL, O_NONBLOCK);
    const auto* raw = reinterpret_cast<const sockaddr*>(&address);
    if ((bindInstead ? ::bind(fd, raw, sizeof(address)) : ::connect(fd, raw, sizeof(address))) == 0)
        return fd;
    ::close(fd);
    return -1;
}

void makeFolder(const QString& path, int mode) {
    QVERIFY(QDir().mkpath(path));
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    // The socket lives only in a folder nobody else may enter: never one another user
    // could have made ready for a socket of theirs.
    void socketFolder_data() {
        QTest::addColumn<QString>("runtime");  // $XDG_RUNTIME_DIR: none, private, open, link, root
        QTest::addColumn<QString>("fallback"); // <tmp>/tavrin-<uid>: missing, private, open, link
        QTest::addColumn<QString>("chosen");   // run, fallback or nothing
        const auto row = [](const char* runtime, const char* fallback, const char* chosen) {
            QTest::newRow(qPrintable(QString("%1 runtime, %2 fallback").arg(runtime, fallback)))
                << QString(runtime) << QString(fallback) << QString(chosen);
        };
        row("private", "open", "run");
        row("open", "missing", "fallback");
        row("link", "private", "fallback");
        row("root", "missing", "fallback");
        row("none", "missing", "fallback");
        row("none", "open", "");
        row("none", "link", "");
    }

    void socketFolder() {
        QFETCH(QString, runtime);
        QFETCH(QString, fallback);
        QFETCH(QString, chosen);
        QTemporaryDir base;
        ScopedEnvironment environment;
        environment.set("TMPDIR", QFile::encodeName(base.filePath("tmp")));
        makeFolder(base.filePath("tmp"), 0755);
        makeFolder(base.filePath("private"), 0700);
        const QString run = base.filePath("run");
        const QString folder = base.filePath("tmp/tavrin-") + QString::number(::getuid());
        for (const auto& [setup, path] : {std::pair{runtime, run}, std::pair{fallback, folder}}) {
            if (setup == "private" || setup == "open")
                makeFolder(path, setup == "private" ? 0700 : 0755);
            if (setup == "link")
                makeEntry(path, QFile::encodeName("link:" + base.filePath("private")));
        }
        environment.set("XDG_RUNTIME_DIR", runtime == "none"   ? QByteArray()
                                           : runtime == "root" ? QByteArray("/")
                                                               : QFile::encodeName(run));
        QCOMPARE(SingleInstance::defaultSocketPath(),
                 chosen.isEmpty() ? QString()
                                  : (chosen == "run" ? run : folder) + "/tavrin.socket");
        QCOMPARE(modeOf(folder), fallback == "open" ? 0755 : 0700);
    }

    // A second start hands over to the first, also after the first ran out of descriptors
    // for a while and after more idle connections than it serves at once; a socket left
    // by a crash is replaced.
    void handsOverAndKeepsListening() {
        QTemporaryDir dir;
        const QString path = dir.filePath("tavrin.socket");
        ::close(connectTo(path, true)); // bound, then left: nobody listens on it
        SingleInstance first(path);
        QCOMPARE(first.start(), SingleInstance::Role::primary);
        QSignalSpy shown(&first, &SingleInstance::activationRequested);

        QList<int> idle;
        for (int i = 0; i < 40; ++i) {
            idle << connectTo(path);
            QCoreApplication::processEvents();
        }

        // No descriptor left to accept with: the connection waits until there is one.
        const int late = connectTo(path); // its "show" below is answered only once accepted
        rlimit saved{};
        QCOMPARE(::getrlimit(RLIMIT_NOFILE, &saved), 0);
        const int lowestFree = ::dup(0);
        ::close(lowestFree);
        const rlimit none{rlim_t(lowestFree), saved.rlim_max};
        static bool refused = false; // once the instance has tried to accept and could not
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext&, const QString& message) {
                refused = refused || message.startsWith("Could not accept a connection");
            });
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &none), 0);
        QTRY_VERIFY(refused);
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &saved), 0);
        qInstallMessageHandler(previous);
        QCOMPARE(::send(late, "show\n", 5, 0), 5);
        QTRY_COMPARE(shown.count(), 1);
        char reply[8] = {};
        QCOMPARE(::recv(late, reply, sizeof(reply), 0), 3);
        QCOMPARE(reply, "ok\n");

        // Another start, from a thread of its own as from another program, while this
        // thread serves the running instance.
        auto other =
            std::async(std::launch::async, [path] { return SingleInstance(path).start(); });
        while (other.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
            QCoreApplication::processEvents();
        QCOMPARE(other.get(), SingleInstance::Role::handedOver);
        QCOMPARE(shown.count(), 2);
        for (int fd : idle << late)
            ::close(fd);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
