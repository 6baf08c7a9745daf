#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>

// What the remote services ask of Qt's network library, kept to plain values so that the
// library lives in a module of its own (src/remote/network) that is loaded only when the
// first request is made. Everything here is inline: the module and the programs that
// load it share this header and nothing else.

// One GET request.
struct HttpRequest {
    QUrl url;
    QList<QPair<QByteArray, QByteArray>> headers;
    // How long the transfer may stall before it fails as timed out.
    std::chrono::milliseconds timeout{0};
    qint64 maximumBodySize = 0;
    // Off: a redirect is the answer, and nothing is sent on to where it points.
    bool followRedirects = true;
};

struct HttpResponse {
    enum class Outcome {
        received,       // an HTTP response: statusCode, and body for a 2xx status
        transportError, // no usable response: errorText says why
        notHttp,        // the reply was not an HTTP response
        tooLarge,       // the body was larger than the cap
    };
    Outcome outcome = Outcome::transportError;
    int statusCode = 0;
    QByteArray body;
    QString errorText;

    static bool isSuccessStatus(int status) { return status >= 200 && status <= 299; }
    bool isSuccess() const { return isSuccessStatus(statusCode); }
    static QString timedOutText() {
        return QCoreApplication::translate("HttpTransport", "The request timed out.");
    }
};

// Carries requests: each is answered exactly once, later, on the thread that started it.
// Requests still running are dropped, unanswered, when the transport goes away.
class HttpTransport {
public:
    using Handler = std::function<void(const HttpResponse&)>;
    virtual ~HttpTransport() = default;
    virtual void get(const HttpRequest& request, Handler done) = 0;
};

// The module's one entry point; a change to anything above renames it, so a module of
// another build is never used.
#define TAVRIN_HTTP_TRANSPORT_ENTRY "tavrinCreateHttpTransport1"
using HttpTransportFactory = HttpTransport* (*)();
