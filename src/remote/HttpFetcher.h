#pragma once

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;
class QObject;

// Runs GET requests for the remote services: each one is answered exactly once, on the
// thread that started it, with a body no larger than the cap the caller sets. Requests
// still running and deferred calls are dropped, unanswered, when the fetcher goes away.
class HttpFetcher {
public:
    struct Response {
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
    };
    using Handler = std::function<void(const Response&)>;

    // `network` may be null: the fetcher then makes its own on first use.
    explicit HttpFetcher(QNetworkAccessManager* network = nullptr);
    ~HttpFetcher();
    HttpFetcher(const HttpFetcher&) = delete;
    HttpFetcher& operator=(const HttpFetcher&) = delete;

    void get(const QNetworkRequest& request, qint64 maximumBodySize, Handler done);
    // Runs `call` from the event loop, after the current call chain has returned.
    void post(std::function<void()> call);

    QNetworkAccessManager* network();

    static QString timedOutText() { return QStringLiteral("The request timed out."); }

private:
    QObject* context();

    QNetworkAccessManager* m_network = nullptr;
    std::unique_ptr<QNetworkAccessManager> m_ownedNetwork;
    std::unique_ptr<QObject> m_context;
    QList<QPointer<QNetworkReply>> m_replies;
};
