#pragma once

#include "remote/HttpTransport.h"

#include <functional>
#include <memory>

class QObject;

// Runs the remote services' GET requests: each one is answered exactly once, on the
// thread that started it. Qt's network library is loaded with the first request, not
// before. Requests still running and deferred calls are dropped, unanswered, when the
// fetcher goes away.
class HttpFetcher {
public:
    HttpFetcher();
    ~HttpFetcher();
    HttpFetcher(const HttpFetcher&) = delete;
    HttpFetcher& operator=(const HttpFetcher&) = delete;

    void get(const HttpRequest& request, HttpTransport::Handler done);
    // Runs `call` from the event loop, after the current call chain has returned.
    void post(std::function<void()> call);

private:
    QObject* context();

    std::unique_ptr<QObject> m_context;
    std::unique_ptr<HttpTransport> m_transport;
};
