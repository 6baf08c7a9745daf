#pragma once

#include "profiles/Profile.h"
#include "remote/LimitCheckerService.h"

#include <QDateTime>
#include <QHash>
#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// The remaining credit of API-key profiles, asked of their limits endpoints only when
// the user wants it, and at most once a minute per profile. Lives on the GUI thread.
class CreditChecks : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;
    static constexpr std::chrono::seconds minimumInterval{60};

    // Null arguments take the default checker and the system clock.
    explicit CreditChecks(std::shared_ptr<LimitCheckerService> checker = nullptr,
                          Clock clock = nullptr, QObject* parent = nullptr);
    ~CreditChecks() override;

    // API-key profiles that have a limits endpoint.
    static bool appliesTo(const Profile& profile);

    // The last answer for the profile's current endpoint, if there is one.
    std::optional<LimitStatus> status(const Profile& profile) const;
    bool isChecking(const Profile& profile) const;
    // False while a check runs, and for a minute after the endpoint last answered.
    bool canCheck(const Profile& profile) const;
    // Starts a check when one is allowed; returns whether it started.
    bool check(const Profile& profile);
    // Drops the answer for a profile (its key changed).
    void forget(const QString& profileID);

    // The answer's line in plain words.
    static QString describe(const LimitStatus& status);

signals:
    // A check of the profile started, ended, or may run again.
    void changed(const QString& profileID);

private:
    struct Entry {
        QString endpoint;
        std::optional<LimitStatus> status;
        QDateTime answeredAt;
        bool checking = false;
        quint64 serial = 0; // which check the entry waits for
    };
    const Entry* entry(const Profile& profile) const;

    std::shared_ptr<LimitCheckerService> m_checker;
    Clock m_clock;
    QHash<QString, Entry> m_entries;
    quint64 m_lastSerial = 0;
};
