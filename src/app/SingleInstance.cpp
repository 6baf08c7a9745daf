#include "app/SingleInstance.h"

#include "profiles/Logging.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#endif

namespace {

const QByteArray showRequest = QByteArrayLiteral("show\n");
const QByteArray showReply = QByteArrayLiteral("ok\n");
constexpr int connectTimeoutMs = 1000;
constexpr int replyTimeoutMs = 3000;
// Two starts at the same moment take turns; a lock left by a dead process is taken over.
constexpr int lockTimeoutMs = 5000;
// A client that connects and says nothing is dropped after this long.
constexpr int idleClientMs = 5000;
constexpr qint64 maximumRequestSize = 64;

} // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), m_socketPath(std::move(socketPath)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultSocketPath() {
#if defined(Q_OS_MACOS)
    // $TMPDIR is private to the user on macOS.
    return QDir::tempPath() + QStringLiteral("/tavrin.socket");
#else
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return runtime + QStringLiteral("/tavrin.socket");
    QString name = QStringLiteral("/tavrin");
#if defined(Q_OS_UNIX)
    name += QLatin1Char('-') + QString::number(::getuid());
#endif
    return QDir::tempPath() + name + QStringLiteral(".socket");
#endif
}

SingleInstance::Role SingleInstance::start() {
    QLockFile lock(m_socketPath + QStringLiteral(".lock"));
    // Held only while starting: never stale by age, only when its owner has died.
    lock.setStaleLockTime(0);
    if (!lock.tryLock(lockTimeoutMs))
        qCWarning(lcDesktop) << "Could not lock" << lock.fileName() << "(" << lock.error()
                             << "); starting without waiting for another start";
    if (handOver())
        return Role::handedOver;
    if (!listen())
        qCWarning(lcDesktop) << "Running without the one-instance guard";
    return Role::primary;
}

bool SingleInstance::handOver() const {
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    // No file, or a file nobody listens on (left by an instance that crashed).
    if (!socket.waitForConnected(connectTimeoutMs))
        return false;
    socket.write(showRequest);
    socket.waitForBytesWritten(replyTimeoutMs);
    // The running instance answers once it has the request; one that is busy reads it
    // later all the same, so a missing answer does not start a second instance.
    while (!socket.canReadLine() && socket.waitForReadyRead(replyTimeoutMs)) {
    }
    if (socket.readLine(maximumRequestSize) != showReply)
        qCWarning(lcDesktop) << "The running Tavrin did not answer in time";
    else
        qCDebug(lcDesktop) << "Handed over to the running Tavrin";
    return true;
}

bool SingleInstance::listen() {
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    // Nobody answered on the path: whatever file is left there belongs to no process.
    QLocalServer::removeServer(m_socketPath);
    if (!server->listen(m_socketPath)) {
        qCWarning(lcDesktop) << "Could not listen on" << m_socketPath << ":"
                             << server->errorString();
        delete server;
        return false;
    }
    qCDebug(lcDesktop) << "Listening on" << m_socketPath;
    m_server = server;
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
    return true;
}

void SingleInstance::acceptConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(idleClientMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > maximumRequestSize)
                    socket->abort();
                return;
            }
            const bool show = socket->readLine(maximumRequestSize) == showRequest;
            if (show)
                socket->write(showReply);
            socket->disconnectFromServer();
            if (show) {
                qCDebug(lcDesktop) << "Another start asked for the window";
                emit activationRequested();
            }
        });
    }
}
