// The network module: the remote services' requests over Qt's network library. The
// programs load it (and with it the library) only when the first request is made.

#include "remote/HttpTransport.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>

#include <memory>

namespace {

class QtHttpTransport final : public HttpTransport {
public:
    ~QtHttpTransport() override;
    void get(const HttpRequest& request, Handler done) override;

private:
    void listen(QNetworkReply* reply, qint64 maximumBodySize, Handler done);

    // Made with the first request: a transport that is never used costs nothing.
    std::unique_ptr<QNetworkAccessManager> m_network;
    // The receiver of every reply's signals, dropped first when the transport goes.
    std::unique_ptr<QObject> m_context = std::make_unique<QObject>();
    QList<QPointer<QNetworkReply>> m_replies;
};

QtHttpTransport::~QtHttpTransport() {
    // Drop every connection first, so nothing below calls back into a caller that is
    // going away with us.
    m_context.reset();
    for (const QPointer<QNetworkReply>& reply : std::as_const(m_replies)) {
        if (!reply)
            continue;
        reply->abort();
        reply->deleteLater();
    }
    m_replies.clear();
    m_network.reset();
}

QNetworkRequest networkRequest(const HttpRequest& request) {
    QNetworkRequest result(request.url);
    result.setTransferTimeout(static_cast<int>(request.timeout.count()));
    for (const auto& [name, value] : request.headers)
        result.setRawHeader(name, value);
    if (!request.followRedirects)
        result.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                            QNetworkRequest::ManualRedirectPolicy);
    return result;
}

void QtHttpTransport::get(const HttpRequest& request, Handler done) {
    if (!m_network)
        m_network = std::make_unique<QNetworkAccessManager>();
    QNetworkReply* reply = m_network->get(networkRequest(request));
    m_replies.append(reply);
    listen(reply, request.maximumBodySize, std::move(done));
}

void QtHttpTransport::listen(QNetworkReply* reply, qint64 maximumBodySize, Handler done) {
    QObject* receiver = m_context.get();
    auto answered = std::make_shared<bool>(false);
    // Every path ends here, once: stop listening, stop the transfer, answer.
    auto finish = [this, reply, receiver, answered, done](const HttpResponse& response) {
        if (*answered)
            return;
        *answered = true;
        m_replies.removeAll(reply);
        QObject::disconnect(reply, nullptr, receiver, nullptr);
        // Stop the transfer once the reply's own signal has returned; aborting from
        // inside it trips the reply's bookkeeping.
        QMetaObject::invokeMethod(
            reply,
            [reply] {
                if (reply->isRunning())
                    reply->abort();
                reply->deleteLater();
            },
            Qt::QueuedConnection);
        // Last: the handler may destroy this transport.
        done(response);
    };
    auto tooLarge = [finish] {
        HttpResponse response;
        response.outcome = HttpResponse::Outcome::tooLarge;
        finish(response);
    };

    QObject::connect(reply, &QNetworkReply::metaDataChanged, receiver,
                     [reply, finish, tooLarge, maximumBodySize] {
                         const QVariant status =
                             reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
                         if (!status.isValid())
                             return;
                         const int code = status.toInt();
                         if (code >= 400) {
                             // A failure status is all the caller needs; its body is never read.
                             HttpResponse response;
                             response.outcome = HttpResponse::Outcome::received;
                             response.statusCode = code;
                             finish(response);
                             return;
                         }
                         const QVariant length =
                             reply->header(QNetworkRequest::ContentLengthHeader);
                         if (HttpResponse::isSuccessStatus(code) && length.isValid() &&
                             length.toLongLong() > maximumBodySize)
                             tooLarge();
                     });

    QObject::connect(reply, &QNetworkReply::readyRead, receiver,
                     [reply, tooLarge, maximumBodySize] {
                         if (reply->bytesAvailable() > maximumBodySize)
                             tooLarge();
                     });

    QObject::connect(
        reply, &QNetworkReply::finished, receiver, [reply, finish, tooLarge, maximumBodySize] {
            HttpResponse response;
            const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
            const QNetworkReply::NetworkError error = reply->error();
            if (error == QNetworkReply::OperationCanceledError ||
                error == QNetworkReply::TimeoutError) {
                // Only the transfer time-out cancels a request that is still ours.
                response.errorText = HttpResponse::timedOutText();
            } else if (status.isValid() && !HttpResponse::isSuccessStatus(status.toInt())) {
                response.outcome = HttpResponse::Outcome::received;
                response.statusCode = status.toInt();
            } else if (error != QNetworkReply::NoError) {
                response.errorText = reply->errorString();
            } else if (!status.isValid()) {
                response.outcome = HttpResponse::Outcome::notHttp;
            } else if (reply->bytesAvailable() > maximumBodySize) {
                tooLarge();
                return;
            } else {
                response.outcome = HttpResponse::Outcome::received;
                response.statusCode = status.toInt();
                response.body = reply->readAll();
            }
            finish(response);
        });
}

} // namespace

extern "C" Q_DECL_EXPORT HttpTransport* tavrinCreateHttpTransport1() {
    return new QtHttpTransport;
}
