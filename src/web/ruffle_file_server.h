#pragma once

#include <QObject>
#include <QString>
#include <QTcpServer>

class QTcpSocket;

// Serves the Flash player's files (its scripts and its WebAssembly, the latter
// as application/wasm) to the player pages on 127.0.0.1. The engine's fetch
// does not reach custom URL schemes, so the files need a real HTTP origin;
// the pages live at their movie's origin, hence the CORS header.
class RuffleFileServer : public QObject {
    Q_OBJECT
public:
    RuffleFileServer(QString directory, QObject* parent);

    bool listening() const { return server_.isListening(); }
    // "http://127.0.0.1:PORT/ruffle/"
    QString baseUrl() const;

private:
    void accept();
    void readRequest(QTcpSocket* socket);
    void reply(QTcpSocket* socket, const QByteArray& target);

    QString directory_;
    QTcpServer server_;
};
