#include "support/TestHttpServer.h"

#include "remote/CloudControlService.h"

#include <QTcpSocket>

QByteArray TestHttpServer::Request::header(const QByteArray& name) const {
    for (const auto& [key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

TestHttpServer::TestHttpServer(QObject* parent) : QObject(parent) {
    connect(&m_server, &QTcpServer::newConnection, this, &TestHttpServer::accept);
    if (!m_server.listen(QHostAddress::LocalHost, 0))
        qFatal("TestHttpServer: cannot listen on 127.0.0.1: %s",
               qPrintable(m_server.errorString()));
}

TestHttpServer::~TestHttpServer() {
    m_server.close();
    for (QTcpSocket* socket : m_pending.keys())
        socket->abort();
}

QUrl TestHttpServer::url(const QString& path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path));
}

quint16 TestHttpServer::closedPort() {
    QTcpServer probe; // closed when this returns
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 1;
}

void TestHttpServer::accept() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        m_pending.insert(socket, {});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_pending.remove(socket);
            socket->deleteLater();
        });
    }
}

void TestHttpServer::readRequest(QTcpSocket* socket) {
    if (!m_pending.contains(socket))
        return;
    QByteArray& buffer = m_pending[socket];
    buffer += socket->readAll();
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return;

    Request request;
    const QList<QByteArray> lines = buffer.left(end).replace("\r\n", "\n").split('\n');
    request.requestLine = lines.first();
    for (const QByteArray& line : lines.mid(1)) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        // Keep the value as sent, apart from the separating white space.
        QByteArray value = line.mid(colon + 1);
        while (value.startsWith(' ') || value.startsWith('\t'))
            value.remove(0, 1);
        request.headers.append({line.left(colon).trimmed(), value});
    }
    m_requests.append(request);
    buffer.clear();
    answer(socket, m_response);
}

void TestHttpServer::answer(QTcpSocket* socket, const Response& response) {
    if (response.neverAnswer)
        return;
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " Canned\r\n";
    bool hasLength = false;
    for (const auto& [name, value] : response.headers) {
        head += name + ": " + value + "\r\n";
        hasLength = hasLength || name.compare("Content-Length", Qt::CaseInsensitive) == 0;
    }
    if (!hasLength && !response.omitContentLength)
        head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head);
    socket->write(response.body);
    socket->disconnectFromHost();
}

ServedPolicy::ServedPolicy(const QByteArray& json) {
    server.setResponse(TestHttpServer::Response::json(json));
    CloudControlService::setInfoDictionaryOverride(
        QVariantMap{{QStringLiteral("CloudPolicyURL"), server.url().toString()},
                    {QStringLiteral("CFBundleShortVersionString"), QStringLiteral("1.0.0")}});
}

ServedPolicy::~ServedPolicy() {
    CloudControlService::setInfoDictionaryOverride(std::nullopt);
}
