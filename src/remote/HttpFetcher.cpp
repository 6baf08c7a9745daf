#include "remote/HttpFetcher.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QObject>
#include <QTimer>

HttpFetcher::HttpFetcher(QNetworkAccessManager* network) : m_network(network) {}

HttpFetcher::~HttpFetcher() {
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
    m_ownedNetwork.reset();
}

QNetworkAccessManager* HttpFetcher::network() {
    if (!m_network) {
        m_ownedNetwork = std::make_unique<QNetworkAccessManager>();
        m_network = m_ownedNetwork.get();
    }
    return m_network;
}

QObject* HttpFetcher::context() {
    if (!m_context)
        m_context = std::make_unique<QObject>();
    return m_context.get();
}

void HttpFetcher::post(std::function<void()> call) {
    QTimer::singleShot(0, context(), [call = std::move(call)] { call(); });
}

void HttpFetcher::get(const QNetworkRequest& request, qint64 maximumBodySize, Handler done) {
    QObject* receiver = context();
    QNetworkReply* reply = network()->get(request);
    m_replies.append(reply);

    auto answered = std::make_shared<bool>(false);
    // Every path ends here, once: stop listening, stop the transfer, answer.
    auto finish = [this, reply, receiver, answered, done](const Response& response) {
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
        // Last: the handler may destroy this fetcher.
        done(response);
    };
    auto tooLarge = [finish] {
        Response response;
        response.outcome = Response::Outcome::tooLarge;
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
                             Response response;
                             response.outcome = Response::Outcome::received;
                             response.statusCode = code;
                             finish(response);
                             return;
                         }
                         const QVariant length =
                             reply->header(QNetworkRequest::ContentLengthHeader);
                         if (Response::isSuccessStatus(code) && length.isValid() &&
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
            Response response;
            const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
            const QNetworkReply::NetworkError error = reply->error();
            if (error == QNetworkReply::OperationCanceledError ||
                error == QNetworkReply::TimeoutError) {
                // Only the transfer time-out cancels a request that is still ours.
                response.errorText = timedOutText();
            } else if (status.isValid() && !Response::isSuccessStatus(status.toInt())) {
                response.outcome = Response::Outcome::received;
                response.statusCode = status.toInt();
            } else if (error != QNetworkReply::NoError) {
                response.errorText = reply->errorString();
            } else if (!status.isValid()) {
                response.outcome = Response::Outcome::notHttp;
            } else if (reply->bytesAvailable() > maximumBodySize) {
                tooLarge();
                return;
            } else {
                response.outcome = Response::Outcome::received;
                response.statusCode = status.toInt();
                response.body = reply->readAll();
            }
            finish(response);
        });
}
