#include "InstanceChannel.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>

namespace torvane {

namespace {

constexpr char kOpenRequest[] = "open\n";
constexpr char kRunRequest[] = "run ";
constexpr char kTaken[] = "taken\n";
constexpr int kConnectWaitMs = 3000;
// A running instance that is just starting has not opened its socket yet.
constexpr int kRetryPauseMs = 100;

}  // namespace

InstanceChannel::InstanceChannel(const std::filesystem::path& settingsFolder,
                                 const std::string& programName, QObject* parent)
    : QObject(parent),
      name_(QString::fromStdString((settingsFolder / (programName + ".instance")).string())) {}

bool InstanceChannel::listen() {
    QLocalServer::removeServer(name_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
        }
    });
    return server_->listen(name_);
}

void InstanceChannel::stopListening() {
    if (!server_) return;
    // Connections the server has accepted but not yet handed out are still ours to answer.
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
    }
    server_->close();
}

void InstanceChannel::takePending(int waitMs) {
    for (QLocalSocket* socket : findChildren<QLocalSocket*>(Qt::FindDirectChildrenOnly)) {
        QPointer<QLocalSocket> alive(socket);
        if (socket->state() == QLocalSocket::ConnectedState && socket->bytesAvailable() == 0)
            socket->waitForReadyRead(waitMs);
        if (alive) read(socket);
    }
}

void InstanceChannel::read(QLocalSocket* socket) {
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine();
        if (line == kOpenRequest) {
            emit activationRequested();
        } else if (line.startsWith(kRunRequest) && line.endsWith('\n')) {
            const QByteArray encoded = line.mid(int(sizeof kRunRequest) - 1).chopped(1);
            emit runRequested(QString::fromUtf8(QByteArray::fromPercentEncoding(encoded)));
            socket->write(kTaken);
            socket->flush();
        }
    }
}

bool InstanceChannel::activateRunning() {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(kConnectWaitMs)) return false;
    socket.write(kOpenRequest);
    const bool sent = socket.waitForBytesWritten(kConnectWaitMs);
    socket.disconnectFromServer();
    return sent;
}

bool InstanceChannel::handOver(const std::string& setName, int waitMs,
                               const std::function<bool()>& stopTrying) {
    const QDeadlineTimer deadline(waitMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(name_);
        if (!socket.waitForConnected(std::min(kConnectWaitMs, int(deadline.remainingTime())))) {
            if (stopTrying && stopTrying()) return false;
            QThread::msleep(kRetryPauseMs);
            continue;
        }
        // Percent-encoded, so that no character of a file name can end the request early.
        socket.write(kRunRequest + QByteArray::fromStdString(setName).toPercentEncoding() + "\n");
        // Once sent, the set is not sent again while this instance may still take it: a busy
        // instance answers late, not never.
        QByteArray answer;
        while (!answer.endsWith('\n') &&
               socket.waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 0))))
            answer += socket.readAll();
        if (answer == kTaken) return true;
        // An instance that closed without answering was ending: try whoever listens now.
        if (socket.state() == QLocalSocket::ConnectedState) return false;
    }
    return false;
}

}  // namespace torvane
