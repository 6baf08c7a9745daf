#include "app/SingleInstance.h"

#include "profiles/FileLock.h"
#include "profiles/Logging.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const QByteArray showRequest = QByteArrayLiteral("show\n");
const QByteArray showReply = QByteArrayLiteral("ok\n");
constexpr int connectTimeoutMs = 1000;
constexpr int replyTimeoutMs = 3000;
// Two starts at the same moment take turns.
constexpr int lockTimeoutMs = 5000;
// A client that connects and says nothing is dropped after this long.
constexpr int idleClientMs = 5000;
constexpr int maximumRequestSize = 64;
// More clients at once than starts ever need: beyond them the oldest is dropped, so
// connections alone can never use up the descriptors of the process, nor keep a new start
// from being served.
constexpr int maximumClients = 16;
// After the process ran out of descriptors, accepting waits this long before it tries
// again, rather than spinning on a connection it cannot take.
constexpr int acceptPauseMs = 200;

#ifndef MSG_NOSIGNAL
#define MSG_NOSIGNAL 0 // macOS: the sockets are made with SO_NOSIGPIPE instead
#endif

#if !defined(Q_OS_LINUX)
// A descriptor that is closed on exec and never blocks.
int unblocked(int fd) {
    if (fd >= 0) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
#ifdef SO_NOSIGPIPE
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof(on));
#endif
    }
    return fd;
}
#endif

int newSocket() {
#if defined(Q_OS_LINUX)
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
#else
    return unblocked(::socket(AF_UNIX, SOCK_STREAM, 0));
#endif
}

int acceptClient(int listener) {
#if defined(Q_OS_LINUX)
    return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
#else
    return unblocked(::accept(listener, nullptr, nullptr));
#endif
}

// The socket address of `path`; false when the path is too long for one.
bool addressOf(const QString& path, sockaddr_un& address) {
    const QByteArray bytes = QFile::encodeName(path);
    address = {};
    address.sun_family = AF_UNIX;
    if (bytes.isEmpty() || size_t(bytes.size()) >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, bytes.constData(), size_t(bytes.size()));
    return true;
}

// Waits until the descriptor is ready for `events`; false on time-out or error.
bool waitFor(int fd, short events, const QDeadlineTimer& deadline) {
    pollfd entry{fd, events, 0};
    for (;;) {
        const int ready = ::poll(&entry, 1, int(deadline.remainingTime()));
        if (ready < 0 && errno == EINTR)
            continue;
        return ready > 0;
    }
}

// A connection made to the running instance: one request line, one answer.
class Client : public QObject {
public:
    Client(int fd, QObject* parent, std::function<void()> onShow)
        : QObject(parent), m_fd(fd), m_notifier(fd, QSocketNotifier::Read, this),
          m_onShow(std::move(onShow)) {
        connect(&m_notifier, &QSocketNotifier::activated, this, &Client::read);
        QTimer::singleShot(idleClientMs, this, [this] { finish(); });
    }
    ~Client() override { ::close(m_fd); }

private:
    void read() {
        char buffer[maximumRequestSize];
        const ssize_t count = ::recv(m_fd, buffer, sizeof(buffer), 0);
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return;
        if (count > 0)
            m_request.append(buffer, count);
        if (count > 0 && !m_request.contains('\n') && m_request.size() < maximumRequestSize)
            return;
        const bool show = m_request == showRequest;
        if (show)
            ::send(m_fd, showReply.constData(), size_t(showReply.size()), MSG_NOSIGNAL);
        finish();
        if (show) {
            qCDebug(lcDesktop) << "Another start asked for the window";
            m_onShow();
        }
    }
    void finish() {
        m_notifier.setEnabled(false);
        deleteLater();
    }

    int m_fd;
    QSocketNotifier m_notifier;
    QByteArray m_request;
    std::function<void()> m_onShow;
};

} // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), m_socketPath(std::move(socketPath)) {}

SingleInstance::~SingleInstance() {
    if (m_listener >= 0)
        ::close(m_listener);
}

QString SingleInstance::unsafeFolderReason(const QString& folder) {
    struct stat info {};
    if (::lstat(QFile::encodeName(folder).constData(), &info) != 0)
        return qt_error_string(errno);
    if (S_ISLNK(info.st_mode))
        return QStringLiteral("it is a symbolic link");
    if (!S_ISDIR(info.st_mode))
        return QStringLiteral("it is not a folder");
    if (info.st_uid != ::getuid())
        return QStringLiteral("it belongs to another user");
    if ((info.st_mode & 077) != 0)
        return QStringLiteral("others may enter it (mode %1)")
            .arg(info.st_mode & 07777, 4, 8, QLatin1Char('0'));
    return {};
}

QString SingleInstance::defaultSocketPath() {
    const QString name = QStringLiteral("/tavrin.socket");
#if !defined(Q_OS_MACOS)
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) {
        const QString problem = unsafeFolderReason(runtime);
        if (problem.isEmpty())
            return runtime + name;
        qCWarning(lcDesktop) << "Not using" << runtime << "for the instance socket:" << problem;
    }
#endif
    // On macOS the temporary folder is the user's own already; it is checked all the same.
    const QString folder =
        QDir::tempPath() + QStringLiteral("/tavrin-") + QString::number(::getuid());
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
        qCWarning(lcDesktop) << "Could not create" << folder << ":" << qt_error_string(errno);
    const QString problem = unsafeFolderReason(folder);
    if (problem.isEmpty())
        return folder + name;
    qCWarning(lcDesktop) << "Not using" << folder << "for the instance socket:" << problem;
    return {};
}

SingleInstance::Role SingleInstance::start() {
    if (m_socketPath.isEmpty()) {
        qCWarning(lcDesktop) << "Running without the one-instance guard";
        return Role::primary;
    }
    FileLock lock;
    try {
        if (!lock.tryLock(m_socketPath + QStringLiteral(".lock"), lockTimeoutMs))
            qCWarning(lcDesktop) << "Another start holds the lock; starting without waiting";
    } catch (const std::exception& error) {
        qCWarning(lcDesktop) << error.what();
    }
    if (handOver())
        return Role::handedOver;
    if (!listen())
        qCWarning(lcDesktop) << "Running without the one-instance guard";
    return Role::primary;
}

bool SingleInstance::handOver() const {
    sockaddr_un address{};
    if (!addressOf(m_socketPath, address))
        return false;
    const int fd = newSocket();
    if (fd < 0)
        return false;
    const QDeadlineTimer connectDeadline(connectTimeoutMs);
    int connected = -1;
    // A full queue of connections means a running instance that is busy: wait a little.
    while ((connected =
                ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address))) != 0 &&
           (errno == EAGAIN || errno == EINTR) && !connectDeadline.hasExpired())
        ::usleep(10000);
    const int error = connected == 0 ? 0 : errno;
    const bool talking = error == 0 || error == EINPROGRESS;
    // No file, or a file nobody listens on (left by an instance that crashed); a queue
    // that stayed full is a running instance.
    if (!talking && error != EAGAIN) {
        ::close(fd);
        return false;
    }
    const QDeadlineTimer deadline(replyTimeoutMs);
    QByteArray reply;
    if (talking && waitFor(fd, POLLOUT, deadline) &&
        ::send(fd, showRequest.constData(), size_t(showRequest.size()), MSG_NOSIGNAL) ==
            showRequest.size()) {
        char buffer[maximumRequestSize];
        ssize_t count = 0;
        while (!reply.contains('\n') && waitFor(fd, POLLIN, deadline) &&
               (count = ::recv(fd, buffer, sizeof(buffer), 0)) > 0)
            reply.append(buffer, count);
    }
    ::close(fd);
    // An instance that is busy reads the request later all the same, so a missing
    // answer does not start a second instance.
    if (reply != showReply)
        qCWarning(lcDesktop) << "The running Tavrin did not answer in time";
    else
        qCDebug(lcDesktop) << "Handed over to the running Tavrin";
    return true;
}

bool SingleInstance::listen() {
    sockaddr_un address{};
    if (!addressOf(m_socketPath, address)) {
        qCWarning(lcDesktop) << "The socket path is too long:" << m_socketPath;
        return false;
    }
    // Nobody answered on the path: a socket left there belongs to no process.
    struct stat info {};
    if (::lstat(address.sun_path, &info) == 0 && S_ISSOCK(info.st_mode))
        ::unlink(address.sun_path);
    const int fd = newSocket();
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        ::chmod(address.sun_path, 0600) != 0 || ::listen(fd, maximumClients) != 0) {
        qCWarning(lcDesktop) << "Could not listen on" << m_socketPath << ":"
                             << qt_error_string(errno);
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    qCDebug(lcDesktop) << "Listening on" << m_socketPath;
    m_listener = fd;
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SingleInstance::acceptConnections);
    return true;
}

void SingleInstance::acceptConnections() {
    for (;;) {
        const int fd = acceptClient(m_listener);
        if (fd >= 0) {
            serve(fd);
            continue;
        }
        const int error = errno;
        if (error == EINTR || error == ECONNABORTED || error == EPROTO)
            continue;
        if (error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM) {
            // The connection waits in the queue; listening goes on after a pause.
            qCWarning(lcDesktop) << "Could not accept a connection:" << qt_error_string(error);
            m_notifier->setEnabled(false);
            QTimer::singleShot(acceptPauseMs, this, [this] { m_notifier->setEnabled(true); });
        }
        return;
    }
}

void SingleInstance::serve(int fd) {
    if (m_clients.size() >= maximumClients)
        delete m_clients.takeFirst();
    auto* client = new Client(fd, this, [this] { emit activationRequested(); });
    m_clients.append(client);
    connect(client, &QObject::destroyed, this,
            [this](QObject* gone) { m_clients.removeOne(gone); });
}
