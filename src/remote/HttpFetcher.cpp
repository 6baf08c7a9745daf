#include "remote/HttpFetcher.h"

#include "remote/NetworkModule.h"

#include <QObject>
#include <QTimer>

HttpFetcher::HttpFetcher() = default;

HttpFetcher::~HttpFetcher() {
    // Drop the deferred calls first, so nothing below calls back into a caller that is
    // going away with us.
    m_context.reset();
    m_transport.reset();
}

QObject* HttpFetcher::context() {
    if (!m_context)
        m_context = std::make_unique<QObject>();
    return m_context.get();
}

void HttpFetcher::post(std::function<void()> call) {
    QTimer::singleShot(0, context(), [call = std::move(call)] { call(); });
}

void HttpFetcher::get(const HttpRequest& request, HttpTransport::Handler done) {
    if (!m_transport) {
        QString problem;
        m_transport = NetworkModule::createTransport(problem);
        if (!m_transport) {
            HttpResponse response;
            response.errorText = problem;
            post([done = std::move(done), response] { done(response); });
            return;
        }
    }
    m_transport->get(request, std::move(done));
}
