#include "remote/CloudControlService.h"

#include "remote/HttpFetcher.h"

#include <QCoreApplication>

// CloudControlError

CloudControlError::CloudControlError(Kind kind, const QString& message)
    : TavrinError(message), m_kind(kind) {}

CloudControlError CloudControlError::httpStatus(int code) {
    return CloudControlError(
        Kind::httpStatus,
        QCoreApplication::translate("CloudControlService", "Cloud server returned HTTP %1.")
            .arg(code));
}

CloudControlError CloudControlError::unexpectedResponse() {
    return CloudControlError(
        Kind::unexpectedResponse,
        QCoreApplication::translate("CloudControlService",
                                    "Cloud server returned an unexpected response."));
}

CloudControlError CloudControlError::responseTooLarge() {
    return CloudControlError(
        Kind::responseTooLarge,
        QCoreApplication::translate("CloudControlService",
                                    "Cloud server sent a response larger than %1 MB.")
            .arg(CloudControlService::maximumBodySize / (1024 * 1024)));
}

// CloudControlService

CloudControlService::CloudControlService() : m_fetcher(std::make_unique<HttpFetcher>()) {}

CloudControlService::~CloudControlService() = default;

void CloudControlService::loadPolicy(Completion done) {
    const std::optional<QUrl> url = configuredURL();
    if (!url) {
        // Nothing to fetch; still answer later, like a request would.
        m_fetcher->post([done] { done(nullptr, CloudPolicyResult{}); });
        return;
    }

    HttpRequest request;
    request.url = *url;
    request.timeout = m_requestTimeout;
    request.maximumBodySize = maximumBodySize;
    m_fetcher->get(request, [done](const HttpResponse& response) {
        using Outcome = HttpResponse::Outcome;
        std::exception_ptr error;
        CloudPolicyResult result;
        switch (response.outcome) {
        case Outcome::transportError:
            error = std::make_exception_ptr(NetworkError(response.errorText));
            break;
        case Outcome::notHttp:
            error = std::make_exception_ptr(CloudControlError::unexpectedResponse());
            break;
        case Outcome::tooLarge:
            error = std::make_exception_ptr(CloudControlError::responseTooLarge());
            break;
        case Outcome::received:
            if (!response.isSuccess()) {
                error = std::make_exception_ptr(CloudControlError::httpStatus(response.statusCode));
                break;
            }
            try {
                result.policy = CloudPolicy::decode(response.body);
                result.isConfigured = true;
            } catch (const JsonError&) {
                error = std::current_exception();
            }
            break;
        }
        done(error, error ? CloudPolicyResult{} : result);
    });
}
