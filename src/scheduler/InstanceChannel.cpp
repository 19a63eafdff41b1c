#include "InstanceChannel.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace torvane::scheduler {

namespace {

constexpr char kOpenRequest[] = "open\n";
constexpr int kConnectWaitMs = 3000;

}  // namespace

InstanceChannel::InstanceChannel(const std::filesystem::path& settingsFolder, QObject* parent)
    : QObject(parent), name_(QString::fromStdString((settingsFolder / "Torvane Scheduler.instance").string())) {}

bool InstanceChannel::listen() {
    QLocalServer::removeServer(name_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                while (socket->canReadLine())
                    if (socket->readLine() == kOpenRequest) emit activationRequested();
            });
        }
    });
    return server_->listen(name_);
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

}  // namespace torvane::scheduler
