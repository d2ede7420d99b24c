#include "web/ruffle_file_server.h"

#include <QFile>
#include <QRegularExpression>
#include <QTcpSocket>

namespace {

constexpr qsizetype kMaxRequestHead = 16 * 1024;

QByteArray contentType(const QString& name)
{
    if (name.endsWith(QLatin1String(".wasm")))
        return "application/wasm";
    if (name.endsWith(QLatin1String(".js")))
        return "text/javascript";
    if (name.endsWith(QLatin1String(".map")))
        return "application/json";
    return "application/octet-stream";
}

} // namespace

RuffleFileServer::RuffleFileServer(QString directory, QObject* parent)
    : QObject(parent)
    , directory_(std::move(directory))
{
    connect(&server_, &QTcpServer::newConnection, this, &RuffleFileServer::accept);
    server_.listen(QHostAddress::LocalHost, 0);
}

QString RuffleFileServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1/ruffle/").arg(server_.serverPort());
}

void RuffleFileServer::accept()
{
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
    }
}

void RuffleFileServer::readRequest(QTcpSocket* socket)
{
    QByteArray head = socket->property("head").toByteArray() + socket->readAll();
    const qsizetype end = head.indexOf("\r\n\r\n");
    if (end < 0) {
        if (head.size() > kMaxRequestHead)
            socket->abort();
        else
            socket->setProperty("head", head);
        return;
    }
    socket->setProperty("head", QVariant());
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
    if (requestLine.size() != 3 || requestLine[0] != "GET") {
        socket->write("HTTP/1.1 405 Method Not Allowed\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        socket->disconnectFromHost();
        return;
    }
    reply(socket, requestLine[1]);
}

void RuffleFileServer::reply(QTcpSocket* socket, const QByteArray& target)
{
    // Only plain file names of the player's directory.
    static const QRegularExpression plainName(QStringLiteral("^/ruffle/([A-Za-z0-9_-][A-Za-z0-9._-]*)$"));
    const qsizetype query = target.indexOf('?');
    const QString path = QString::fromLatin1(query < 0 ? target : target.left(query));
    const QRegularExpressionMatch m = plainName.match(path);
    QFile file(m.hasMatch() ? directory_ + QLatin1Char('/') + m.captured(1) : QString());
    if (!m.hasMatch() || !file.open(QIODevice::ReadOnly)) {
        socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nAccess-Control-Allow-Origin: *\r\n"
                      "Connection: close\r\n\r\n");
        socket->disconnectFromHost();
        return;
    }
    const QByteArray body = file.readAll();
    QByteArray out = "HTTP/1.1 200 OK\r\nContent-Type: " + contentType(m.captured(1))
        + "\r\nContent-Length: " + QByteArray::number(body.size())
        + "\r\nAccess-Control-Allow-Origin: *\r\nCache-Control: max-age=86400\r\nConnection: close\r\n\r\n";
    socket->write(out + body);
    socket->disconnectFromHost();
}
