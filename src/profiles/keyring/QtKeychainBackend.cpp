// The keyring module: the secret storage of the platform through QtKeychain (the Secret
// Service on Linux, the Keychain on macOS). The programs load it, and with it the
// library and its D-Bus needs, only once keys are kept in the keyring.

#include "profiles/SecretBackend.h"

#include <qt6keychain/keychain.h>

#ifndef Q_OS_MACOS
#include <QDBusConnection>
#endif

namespace {

SecretAnswer answerOf(const QKeychain::Job& job) {
    SecretAnswer answer;
    answer.detail = job.errorString();
    switch (job.error()) {
    case QKeychain::NoError:
        answer.outcome = SecretAnswer::Outcome::done;
        answer.detail.clear();
        break;
    case QKeychain::EntryNotFound:
        answer.outcome = SecretAnswer::Outcome::notFound;
        break;
    case QKeychain::AccessDeniedByUser:
    case QKeychain::AccessDenied:
        answer.outcome = SecretAnswer::Outcome::refused;
        break;
    case QKeychain::NoBackendAvailable:
    case QKeychain::NotImplemented:
        answer.outcome = SecretAnswer::Outcome::unavailable;
        break;
    case QKeychain::CouldNotDeleteEntry:
    case QKeychain::OtherError:
        answer.outcome = SecretAnswer::Outcome::failed;
        break;
    }
    return answer;
}

class QtKeychainBackend final : public SecretBackend {
public:
    explicit QtKeychainBackend(QString service) : m_service(std::move(service)) {}

    void read(const QString& name, Handler done) override {
        auto* job = new QKeychain::ReadPasswordJob(m_service);
        start(job, name, [job, done](SecretAnswer answer) {
            if (answer.outcome == SecretAnswer::Outcome::done)
                answer.secret = job->textData();
            done(answer);
        });
    }

    void write(const QString& name, const QString& secret, Handler done) override {
        auto* job = new QKeychain::WritePasswordJob(m_service);
        job->setTextData(secret);
        start(job, name, std::move(done));
    }

    void remove(const QString& name, Handler done) override {
        start(new QKeychain::DeletePasswordJob(m_service), name, std::move(done));
    }

private:
    // Never stored in plain text where the platform has no keyring: the job fails.
    static void start(QKeychain::Job* job, const QString& name,
                      std::function<void(SecretAnswer)> finish) {
#ifndef Q_OS_MACOS
        // Said plainly, rather than in the words of a failed connection.
        if (!QDBusConnection::sessionBus().isConnected()) {
            delete job;
            finish({SecretAnswer::Outcome::unavailable,
                    {},
                    QStringLiteral("no D-Bus session bus is running")});
            return;
        }
#endif
        job->setAutoDelete(true);
        job->setInsecureFallback(false);
        job->setKey(name);
        QObject::connect(job, &QKeychain::Job::finished, job,
                         [finish = std::move(finish)](QKeychain::Job* finished) {
                             finish(answerOf(*finished));
                         });
        job->start();
    }

    QString m_service;
};

} // namespace

extern "C" Q_DECL_EXPORT SecretBackend* tavrinCreateSecretBackend1(const QString& service) {
    return new QtKeychainBackend(service);
}
static_assert(std::is_same_v<decltype(&tavrinCreateSecretBackend1), SecretBackendFactory>);
