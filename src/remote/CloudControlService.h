#pragma once

#include "profiles/Errors.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QVariantMap>
#include <QVersionNumber>

#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

class HttpFetcher;

struct CloudPolicy {
    std::optional<QString> latestVersion;
    std::optional<QString> minimumSupportedVersion;
    std::optional<QUrl> updateURL;
    std::optional<QString> announcement;

    bool operator==(const CloudPolicy&) const = default;

    static CloudPolicy fallback() { return {}; }
    // Throws JsonError for malformed JSON, a non-object top level or a non-string field.
    static CloudPolicy decode(const QByteArray& data);
};

struct CloudPolicyResult {
    CloudPolicy policy;
    bool isConfigured = false;
    bool operator==(const CloudPolicyResult&) const = default;
};

class CloudControlError : public TavrinError {
public:
    enum class Kind { httpStatus, unexpectedResponse, responseTooLarge };
    static CloudControlError httpStatus(int code);
    static CloudControlError unexpectedResponse();
    static CloudControlError responseTooLarge();
    Kind kind() const { return m_kind; }

private:
    CloudControlError(Kind kind, const QString& message);
    Kind m_kind;
};

// Fetches the optional remote policy document and does the version arithmetic.
// Lives on the thread that calls it (the GUI thread in the app).
class CloudControlService {
public:
    static constexpr std::chrono::milliseconds requestTimeout{std::chrono::seconds(60)};
    static constexpr qint64 maximumBodySize = 4 * 1024 * 1024;

    CloudControlService();
    virtual ~CloudControlService();
    CloudControlService(const CloudControlService&) = delete;
    CloudControlService& operator=(const CloudControlService&) = delete;

    // How long a request may stall before it fails as timed out.
    void setRequestTimeout(std::chrono::milliseconds timeout) { m_requestTimeout = timeout; }

    // Calls `done` exactly once, later, on the calling thread: with a result, or with
    // the error (CloudControlError, NetworkError or JsonError) and a fallback result.
    // A service destroyed while a request runs drops it without calling `done`.
    using Completion = std::function<void(std::exception_ptr error, const CloudPolicyResult&)>;
    virtual void loadPolicy(Completion done);

    static std::optional<QUrl>
    configuredURL(const QString& defaultsKey = QStringLiteral("CloudPolicyURL"),
                  const QString& infoPlistKey = QStringLiteral("CloudPolicyURL"));
    static QString currentAppVersion();
    // The version a text names: of each dot-separated piece its leading ASCII digits (0
    // when the piece starts otherwise or the number is too large), trailing zeros dropped.
    static QVersionNumber versionNumber(const QString& version);
    // -1: first is older, 0: same, 1: first is newer.
    static int compareVersions(const QString& a, const QString& b);
    static bool isVersion(const QString& version, const std::optional<QString>& olderThan);

    // Tests: stands in for the bundle's information dictionary ("CloudPolicyURL",
    // "CFBundleShortVersionString"); std::nullopt restores the real one.
    static void setInfoDictionaryOverride(const std::optional<QVariantMap>& values);

private:
    static std::optional<QString> userDefaultsURLValue(const QString& key);
    static std::optional<QString> infoDictionaryString(const QString& key);

    std::unique_ptr<HttpFetcher> m_fetcher;
    std::chrono::milliseconds m_requestTimeout = requestTimeout;
};
