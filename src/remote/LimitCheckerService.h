#pragma once

#include "profiles/KeyStore.h"
#include "profiles/Profile.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonValue>
#include <QList>
#include <QObject>
#include <QPair>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class HttpFetcher;

struct LimitStatus {
    QString id;
    QString profileID;
    QString profileName;
    QString text;
    bool isConfigured = false;
    std::optional<QDateTime> checkedAt;
    // The endpoint could not be asked, or it answered with an error: `text` says why.
    bool failed = false;
    // The status code of an error answer; 0 when none came.
    int httpStatus = 0;
    // Further "Label: value" lines of a JSON answer, after the one `text` shows.
    QStringList details{};

    bool operator==(const LimitStatus&) const = default;

    static LimitStatus idle(const Profile& profile, bool hasAPIKey);
};

// Asks a profile's limits endpoint for its remaining credit and turns the answer into
// one line of text. Never fails: every outcome is a status.
class LimitCheckerService {
public:
    static constexpr std::chrono::milliseconds requestTimeout{std::chrono::seconds(60)};
    static constexpr qint64 maximumBodySize = 4 * 1024 * 1024;

    // A null `keyStore` takes the key service (KeyStorage).
    explicit LimitCheckerService(std::shared_ptr<KeyStore> keyStore = nullptr);
    ~LimitCheckerService();
    LimitCheckerService(const LimitCheckerService&) = delete;
    LimitCheckerService& operator=(const LimitCheckerService&) = delete;

    // How long a request may stall before it fails as timed out.
    void setRequestTimeout(std::chrono::milliseconds timeout) { m_requestTimeout = timeout; }

    // Calls `done` exactly once, later, on the calling thread (also when no request is
    // needed), unless the service is destroyed first.
    void check(const Profile& profile, std::function<void(const LimitStatus&)> done);

    static std::optional<QString> describeLimitPayload(const QByteArray& body);
    // A value as the user reads it: an ISO 8601 date (or a date and time) in the user's
    // locale, anything else as it came.
    static QString displayValue(const QString& value);
    // Up to `count` "Label: value" lines of a JSON answer besides the one its text shows,
    // in key-path order.
    static QStringList describeLimitDetails(const QByteArray& body, int count);
    static constexpr int maximumDetails = 3;
    static std::optional<QList<QPair<QString, QString>>> flatten(const QJsonValue& value,
                                                                 const QString& prefix);

private:
    std::shared_ptr<KeyStore> m_keys;
    std::unique_ptr<HttpFetcher> m_fetcher;
    // Receives the keys read off this thread; answers for a service that is gone are dropped.
    std::unique_ptr<QObject> m_keyContext;
    std::chrono::milliseconds m_requestTimeout = requestTimeout;
};
