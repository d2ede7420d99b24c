#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTcpServer>

class QTcpSocket;

// Serves the Flash player's files (its scripts and its WebAssembly, the latter
// as application/wasm) to the player pages on 127.0.0.1. The engine's fetch
// does not reach custom URL schemes, so the files need a real HTTP origin;
// the pages live at their movie's origin, hence the CORS header.
//
// Bounded whatever a local client does: a connection that makes no progress
// for the idle time is closed, connections beyond the cap are refused, and a
// reply goes out a chunk at a time as the reader takes it, from one copy of
// each file that all replies share.
class RuffleFileServer : public QObject {
    Q_OBJECT
public:
    struct Limits {
        int idleTimeoutMs = 15000;
        int maxConnections = 32;
        qint64 chunkBytes = 256 * 1024;
    };

    RuffleFileServer(QString directory, QObject* parent, Limits limits);
    RuffleFileServer(QString directory, QObject* parent)
        : RuffleFileServer(std::move(directory), parent, Limits {})
    {
    }

    bool listening() const { return server_.isListening(); }
    quint16 port() const { return server_.serverPort(); }
    // "http://127.0.0.1:PORT/ruffle/"
    QString baseUrl() const;
    int connections() const { return connections_; }

private:
    void accept();
    void readRequest(QTcpSocket* socket);
    void reply(QTcpSocket* socket, const QByteArray& target);
    void sendMore(QTcpSocket* socket);
    void finish(QTcpSocket* socket, const QByteArray& status);
    const QByteArray* file(const QString& name);

    QString directory_;
    Limits limits_;
    QTcpServer server_;
    int connections_ = 0;
    QHash<QString, QByteArray> files_; // read once, shared by every reply
};
