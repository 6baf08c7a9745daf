#include "support/TestKeyring.h"

#include <QObject>

namespace {

// Guards every gate; a call let through takes it too before it runs.
QMutex gates;

} // namespace

class GatedBackend : public SecretBackend {
public:
    GatedBackend(std::unique_ptr<SecretBackend> real, std::shared_ptr<KeyringGate> gate)
        : m_real(std::move(real)), m_gate(std::move(gate)) {
        QMutexLocker lock(&gates);
        m_gate->m_context = &m_context;
    }
    void read(const QString& name, Handler done) override {
        pass("read", done, [=, this] { m_real->read(name, done); });
    }
    void write(const QString& name, const QString& secret, Handler done) override {
        pass("write", done, [=, this] { m_real->write(name, secret, done); });
    }
    void remove(const QString& name, Handler done) override {
        pass("remove", done, [=, this] { m_real->remove(name, done); });
    }

private:
    void pass(const QString& kind, const Handler& done, std::function<void()> call) {
        if (kind == m_gate->m_refused && ++m_counts[kind] == m_gate->m_at) {
            done({SecretAnswer::Outcome::refused, {}, "the test refuses this " + kind});
            return;
        }
        QMutexLocker lock(&gates);
        if (m_gate->m_holding)
            m_gate->m_held << call;
        else
            call();
    }

    QObject m_context;
    std::unique_ptr<SecretBackend> m_real;
    std::shared_ptr<KeyringGate> m_gate;
    QHash<QString, int> m_counts;
};

void KeyringGate::hold() {
    QMutexLocker lock(&gates);
    m_holding = true;
}

void KeyringGate::release() {
    QMutexLocker lock(&gates);
    m_holding = false;
    if (m_context)
        QMetaObject::invokeMethod(
            m_context,
            [calls = std::exchange(m_held, {})] {
                { const QMutexLocker pairing(&gates); }
                for (const auto& call : calls)
                    call();
            },
            Qt::QueuedConnection);
}

int KeyringGate::held() const {
    QMutexLocker lock(&gates);
    return int(m_held.size());
}

std::shared_ptr<Keyring> testKeyring(std::shared_ptr<KeyringGate> gate,
                                     std::chrono::milliseconds limit) {
    if (!gate)
        gate = std::make_shared<KeyringGate>();
    return std::make_shared<Keyring>(
        [gate] { return std::make_unique<GatedBackend>(Keyring::systemBackend(), gate); }, limit);
}
