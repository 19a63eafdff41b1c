#include "DesktopNotice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace torvane {

namespace {

// A service that hangs must not hold up the end of a run for long.
constexpr int kCallTimeoutMs = 5000;

}  // namespace

std::string showDesktopNotice(const std::string& title, const std::string& body) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return {};
    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.Notifications",
                                                       "/org/freedesktop/Notifications",
                                                       "org.freedesktop.Notifications", "Notify");
    call << QString("Torvane") << 0u << QString("drive-harddisk") << QString::fromStdString(title)
         << QString::fromStdString(body) << QStringList() << QVariantMap() << -1;
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ErrorMessage) return {};
    const QString reason =
        reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
    return reason.toStdString();
}

}  // namespace torvane
