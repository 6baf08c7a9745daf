#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPair>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

// A tiny HTTP/1.1 server on 127.0.0.1 for tests. It runs in the test's event loop,
// answers every request with the canned response, closes each connection after
// answering, and records what it was asked.
class TestHttpServer : public QObject {
    Q_OBJECT
public:
    struct Response {
        int status = 200;
        QList<QPair<QByteArray, QByteArray>> headers = {};
        QByteArray body = {};
        // Leave out Content-Length; the body then ends when the connection closes.
        bool omitContentLength = false;
        // Read the request and then stay silent, holding the connection open.
        bool neverAnswer = false;

        static Response json(const QByteArray& body, int status = 200) {
            return {status, {{"Content-Type", "application/json"}}, body};
        }
        static Response text(const QByteArray& body, int status = 200) {
            return {status, {{"Content-Type", "text/plain; charset=utf-8"}}, body};
        }
        static Response silent() { return {.neverAnswer = true}; }
    };

    struct Request {
        QByteArray requestLine; // "GET /path HTTP/1.1"
        QList<QPair<QByteArray, QByteArray>> headers;
        // The value of the first header with this name (case-insensitive); null if none.
        QByteArray header(const QByteArray& name) const;
    };

    explicit TestHttpServer(QObject* parent = nullptr);
    ~TestHttpServer() override;

    quint16 port() const { return m_server.serverPort(); }
    // http://127.0.0.1:<port><path>
    QUrl url(const QString& path = QStringLiteral("/")) const;

    void setResponse(const Response& response) { m_response = response; }

    QList<Request> requests() const { return m_requests; }
    int requestCount() const { return int(m_requests.size()); }

    // A port on 127.0.0.1 where nothing listens (a connection there is refused).
    static quint16 closedPort();

private:
    void accept();
    void readRequest(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const Response& response);

    QTcpServer m_server;
    Response m_response;
    QList<Request> m_requests;
    QMap<QTcpSocket*, QByteArray> m_pending;
};

// A cloud policy served to an app of version 1.0.0: the app's policy location points at
// the server until this ends.
class ServedPolicy {
public:
    explicit ServedPolicy(const QByteArray& json);
    ~ServedPolicy();
    TestHttpServer server;
};
