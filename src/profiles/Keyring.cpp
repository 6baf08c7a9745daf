#include "profiles/Keyring.h"

#include "profiles/Modules.h"

#include <QCoreApplication>
#include <QList>
#include <QMutex>
#include <QThread>

#include <condition_variable>
#include <mutex>

namespace {

using Outcome = SecretAnswer::Outcome;

SecretAnswer failure(Outcome outcome, const QString& detail) {
    SecretAnswer answer;
    answer.outcome = outcome;
    answer.detail = detail;
    return answer;
}

// One answer a caller waits for; the first one given counts. (The standard library's
// lock and condition, which a thread sanitizer follows through a wait.)
struct Pending {
    std::mutex mutex;
    std::condition_variable answered;
    std::optional<SecretAnswer> answer;

    void give(const SecretAnswer& given) {
        const std::lock_guard lock(mutex);
        if (answer)
            return;
        answer = given;
        answered.notify_all();
    }

    // The answer, or none when the limit passed first.
    std::optional<SecretAnswer> wait(std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex);
        answered.wait_for(lock, limit, [this] { return answer.has_value(); });
        return answer;
    }
};

// The one thread the keyring's library runs on: its jobs need an event loop and must all
// run on one thread. Started with the first call, stopped when the application object
// goes; calls still waiting are then answered at once, so nothing waits out its limit
// while Tavrin quits.
class KeyringThread {
public:
    static KeyringThread& instance() {
        static KeyringThread* thread = new KeyringThread;
        return *thread;
    }

    // Runs `call` on the thread; false when there is none (no application object, or
    // it has gone).
    bool post(const std::shared_ptr<Pending>& pending, std::function<void()> call) {
        QMutexLocker lock(&m_mutex);
        if (!m_thread && !start())
            return false;
        m_waiting.removeIf([](const std::weak_ptr<Pending>& p) { return p.expired(); });
        m_waiting.append(pending);
        return QMetaObject::invokeMethod(
            m_worker,
            [call = std::move(call)] {
                // Pairs with the post, made under the same lock: what the caller wrote before
                // it (this call too) is seen here, as a thread sanitizer sees it as well.
                { const QMutexLocker pairing(&instance().m_mutex); }
                call();
            },
            Qt::QueuedConnection);
    }

    bool isCurrent() {
        QMutexLocker lock(&m_mutex);
        return m_thread && QThread::currentThread() == m_thread;
    }

private:
    bool start() {
        if (m_stopped || !QCoreApplication::instance())
            return false;
        m_thread = new QThread;
        m_thread->setObjectName(QStringLiteral("Keyring"));
        m_worker = new QObject;
        m_worker->moveToThread(m_thread);
        m_thread->start();
        qAddPostRoutine([] { instance().stop(); });
        return true;
    }

    void stop() {
        QThread* thread = nullptr;
        {
            QMutexLocker lock(&m_mutex);
            m_stopped = true;
            for (const std::weak_ptr<Pending>& waiting : std::as_const(m_waiting))
                if (const auto pending = waiting.lock())
                    pending->give(failure(Outcome::unavailable,
                                          QCoreApplication::translate("Keyring", "Tavrin quits")));
            m_waiting.clear();
            thread = std::exchange(m_thread, nullptr);
        }
        if (!thread)
            return;
        thread->quit();
        thread->wait();
        delete m_worker;
        m_worker = nullptr;
        delete thread;
    }

    QMutex m_mutex;
    QThread* m_thread = nullptr;
    QObject* m_worker = nullptr;
    bool m_stopped = false;
    QList<std::weak_ptr<Pending>> m_waiting;
};

// "prefix: detail." (the library's words seldom end a sentence), or "prefix.".
QString sentence(const QString& prefix, const QString& detail) {
    const QString text = prefixedMessage(prefix, detail);
    return text.endsWith(QLatin1Char('.')) ? text : text + QLatin1Char('.');
}

QString seconds(std::chrono::milliseconds limit) {
    return QString::number(double(limit.count()) / 1000.0);
}

// The text of a failed answer, in plain words.
QString describe(const SecretAnswer& answer) {
    switch (answer.outcome) {
    case Outcome::refused:
        return sentence(QCoreApplication::translate("Keyring", "The system keyring refused access"),
                        answer.detail);
    case Outcome::unavailable:
        if (!answer.detail.isEmpty())
            return sentence(
                QCoreApplication::translate("Keyring", "The system keyring cannot be used"),
                answer.detail);
#ifdef Q_OS_MACOS
        return QCoreApplication::translate("Keyring", "The system keyring is not available.");
#else
        return QCoreApplication::translate(
            "Keyring", "The system keyring is not available: a Secret Service such as "
                       "GNOME Keyring or KWallet must be running.");
#endif
    case Outcome::done:
    case Outcome::notFound:
    case Outcome::failed:
        break;
    }
    return sentence(QCoreApplication::translate("Keyring", "The system keyring could not be used"),
                    answer.detail);
}

QString noAnswer(std::chrono::milliseconds limit) {
    return QCoreApplication::translate(
               "Keyring", "The system keyring did not answer within %1 seconds. If it asks "
                          "for its password, unlock it and try again.")
        .arg(seconds(limit));
}

} // namespace

struct Keyring::Shared {
    BackendFactory factory;
    // Made and used on the keyring's thread only.
    std::unique_ptr<SecretBackend> backend;
};

Keyring::Keyring(BackendFactory backend, std::chrono::milliseconds timeLimit)
    : m_shared(std::make_shared<Shared>()), m_timeLimit(timeLimit) {
    m_shared->factory = backend ? std::move(backend) : BackendFactory(&Keyring::systemBackend);
}

Keyring::~Keyring() = default;

std::unique_ptr<SecretBackend> Keyring::systemBackend() {
    // Never unloaded: the backends it makes run its code until the process ends.
    static QString problem;
    static const auto create = reinterpret_cast<SecretBackendFactory>(
        Modules::entryPoint(QStringLiteral(TAVRIN_KEYRING_MODULE), TAVRIN_SECRET_BACKEND_ENTRY,
                            QStringLiteral("keyring"), problem));
    if (!create)
        throw KeyringError(problem);
    return std::unique_ptr<SecretBackend>(create(QStringLiteral("Tavrin")));
}

SecretAnswer Keyring::ask(Request request) const {
    KeyringThread& thread = KeyringThread::instance();
    if (thread.isCurrent())
        throw KeyringError(
            QCoreApplication::translate("Keyring", "The system keyring cannot wait for itself."));
    auto pending = std::make_shared<Pending>();
    const bool posted = thread.post(pending, [shared = m_shared, request, pending] {
        try {
            if (!shared->backend)
                shared->backend = shared->factory();
            request(*shared->backend,
                    [pending](const SecretAnswer& answer) { pending->give(answer); });
        } catch (const TavrinError& error) {
            pending->give(failure(Outcome::unavailable, error.localizedDescription()));
        }
    });
    if (!posted)
        pending->give(failure(Outcome::unavailable,
                              QCoreApplication::translate("Keyring", "Tavrin is not running")));
    const std::optional<SecretAnswer> answered = pending->wait(m_timeLimit);
    if (!answered)
        throw KeyringError(noAnswer(m_timeLimit));
    const SecretAnswer& answer = *answered;
    if (answer.outcome != Outcome::done && answer.outcome != Outcome::notFound)
        throw KeyringError(describe(answer));
    return answer;
}

std::optional<QString> Keyring::read(const QString& name) const {
    const SecretAnswer answer = ask([name](SecretBackend& backend, SecretBackend::Handler done) {
        backend.read(name, std::move(done));
    });
    if (answer.outcome == Outcome::notFound)
        return std::nullopt;
    return answer.secret;
}

void Keyring::write(const QString& name, const QString& secret) const {
    ask([name, secret](SecretBackend& backend, SecretBackend::Handler done) {
        backend.write(name, secret, std::move(done));
    });
}

void Keyring::remove(const QString& name) const {
    ask([name](SecretBackend& backend, SecretBackend::Handler done) {
        backend.remove(name, std::move(done));
    });
}
