#pragma once

#include "profiles/Keyring.h"

#include <QMutex>
#include <QString>

#include <chrono>
#include <memory>

// Stands between Tavrin and the test keyring: refuses the `at`-th call of one kind
// ("read", "write", "remove"), or holds every call until release().
class KeyringGate {
public:
    KeyringGate(QString refused = {}, int at = 0) : m_refused(std::move(refused)), m_at(at) {}
    void hold();
    // Lets the held calls through and stops holding.
    void release();
    int held() const;

private:
    friend class GatedBackend;
    QString m_refused;
    int m_at;
    bool m_holding = false;
    QList<std::function<void()>> m_held;
    QObject* m_context = nullptr; // on the keyring's thread
};

// The keyring of the tests: the real Secret Service that scripts/with-test-keyring.sh
// started on a private bus, reached through the real keyring module, behind `gate`.
std::shared_ptr<Keyring> testKeyring(std::shared_ptr<KeyringGate> gate = nullptr,
                                     std::chrono::milliseconds limit = std::chrono::seconds(20));

// Skips the test unless that private Secret Service runs, saying why.
#define REQUIRE_TEST_KEYRING()                                                                     \
    do {                                                                                           \
        if (qEnvironmentVariable("TAVRIN_TEST_KEYRING") != "private")                              \
            QSKIP(qPrintable("No Secret Service of the tests: " +                                  \
                             qEnvironmentVariable("TAVRIN_TEST_KEYRING_PROBLEM",                   \
                                                  "run it with scripts/with-test-keyring.sh")));   \
    } while (false)
