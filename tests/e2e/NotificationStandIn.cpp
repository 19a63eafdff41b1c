// A desktop notification service for tests: takes the freedesktop service name on the session
// bus it is given, writes each notice's summary and body as one line "summary<TAB>body" to the
// file named on its command line, and says "ready" once it can be reached.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QStringList>
#include <QVariantMap>
#include <cstdio>

class Notifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
  public:
    explicit Notifications(QString file) : file_(std::move(file)) {}

  public slots:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap&, int) {
        QFile out(file_);
        if (out.open(QIODevice::Append)) out.write((summary + "\t" + body + "\n").toUtf8());
        return ++count_;
    }
    QStringList GetCapabilities() { return {"body"}; }

  private:
    QString file_;
    uint count_ = 0;
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) return 2;
    Notifications service{QString::fromLocal8Bit(argv[1])};
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject("/org/freedesktop/Notifications", &service,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService("org.freedesktop.Notifications"))
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

#include "NotificationStandIn.moc"
