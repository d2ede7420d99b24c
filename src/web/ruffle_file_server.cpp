#include "web/ruffle_file_server.h"

#include <QFile>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTimer>

namespace {

constexpr qsizetype kMaxRequestHead = 16 * 1024;
constexpr const char* kHead = "head";
constexpr const char* kBody = "body";
constexpr const char* kSent = "sent";

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

RuffleFileServer::RuffleFileServer(QString directory, QObject* parent, Limits limits)
    : QObject(parent)
    , directory_(std::move(directory))
    , limits_(limits)
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
        if (connections_ >= limits_.maxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++connections_;
        // Closed when it makes no progress for the idle time.
        auto* idle = new QTimer(socket);
        idle->setSingleShot(true);
        idle->setInterval(limits_.idleTimeoutMs);
        connect(idle, &QTimer::timeout, socket, &QTcpSocket::abort);
        idle->start();
        const auto progress = [idle] { idle->start(); };
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            --connections_;
            socket->deleteLater();
        });
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, progress] {
            progress();
            readRequest(socket);
        });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket, progress] {
            progress();
            sendMore(socket);
        });
    }
}

void RuffleFileServer::readRequest(QTcpSocket* socket)
{
    QByteArray head = socket->property(kHead).toByteArray() + socket->read(kMaxRequestHead + 1);
    const qsizetype end = head.indexOf("\r\n\r\n");
    if (end < 0) {
        if (head.size() > kMaxRequestHead)
            socket->abort();
        else
            socket->setProperty(kHead, head);
        return;
    }
    socket->setProperty(kHead, QVariant());
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
    if (requestLine.size() != 3 || requestLine[0] != "GET") {
        finish(socket, "405 Method Not Allowed");
        return;
    }
    reply(socket, requestLine[1]);
}

const QByteArray* RuffleFileServer::file(const QString& name)
{
    if (const auto it = files_.constFind(name); it != files_.constEnd())
        return &it.value();
    QFile f(directory_ + QLatin1Char('/') + name);
    if (!f.open(QIODevice::ReadOnly))
        return nullptr;
    return &files_.insert(name, f.readAll()).value();
}

void RuffleFileServer::reply(QTcpSocket* socket, const QByteArray& target)
{
    // Only plain file names of the player's directory.
    static const QRegularExpression plainName(QStringLiteral("^/ruffle/([A-Za-z0-9_-][A-Za-z0-9._-]*)$"));
    const qsizetype query = target.indexOf('?');
    const QString path = QString::fromLatin1(query < 0 ? target : target.left(query));
    const QRegularExpressionMatch m = plainName.match(path);
    const QByteArray* body = m.hasMatch() ? file(m.captured(1)) : nullptr;
    if (!body) {
        finish(socket, "404 Not Found");
        return;
    }
    socket->write("HTTP/1.1 200 OK\r\nContent-Type: " + contentType(m.captured(1))
        + "\r\nContent-Length: " + QByteArray::number(body->size())
        + "\r\nAccess-Control-Allow-Origin: *\r\nCache-Control: max-age=86400\r\nConnection: close\r\n\r\n");
    // The body follows as the reader takes it; the shared copy is not duplicated.
    socket->setProperty(kBody, QVariant::fromValue(*body));
    socket->setProperty(kSent, qint64(0));
    sendMore(socket);
}

void RuffleFileServer::sendMore(QTcpSocket* socket)
{
    const QVariant bodyValue = socket->property(kBody);
    if (!bodyValue.isValid() || socket->bytesToWrite() >= limits_.chunkBytes)
        return;
    const QByteArray body = bodyValue.toByteArray();
    const qint64 sent = socket->property(kSent).toLongLong();
    const qint64 n = std::min<qint64>(limits_.chunkBytes, body.size() - sent);
    if (n > 0) {
        socket->write(body.constData() + sent, n);
        socket->setProperty(kSent, sent + n);
    }
    if (sent + n >= body.size()) {
        socket->setProperty(kBody, QVariant());
        socket->disconnectFromHost();
    }
}

void RuffleFileServer::finish(QTcpSocket* socket, const QByteArray& status)
{
    socket->write("HTTP/1.1 " + status
        + "\r\nContent-Length: 0\r\nAccess-Control-Allow-Origin: *\r\n"
          "Connection: close\r\n\r\n");
    socket->disconnectFromHost();
}
