#pragma once

#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>
#include <string>

class QLocalServer;
class QLocalSocket;

namespace torvane {

// How a second start of a program reaches its running instance: a local socket in the per-user
// settings folder, where the first instance listens. A second start asks it to open its window,
// or hands it a backup set to run and waits until the running instance has taken it.
class InstanceChannel : public QObject {
    Q_OBJECT
  public:
    InstanceChannel(const std::filesystem::path& settingsFolder, const std::string& programName,
                    QObject* parent = nullptr);

    // Called by the instance that holds the instance lock, so a socket left by a crash is ours
    // to replace.
    bool listen();
    // Takes no more connections; requests already on their way are still read by takePending().
    void stopListening();
    // Reads the requests of connections already taken, waiting up to `waitMs` for each to
    // arrive; for an instance that is about to end.
    void takePending(int waitMs);

    // Asks the running instance to bring its window up; false when none answered.
    bool activateRunning();
    // Hands a set to the running instance and waits for it to confirm it has taken it, for up
    // to `waitMs` in all. `stopTrying` is asked each time no instance could be reached; false
    // when none confirmed.
    bool handOver(const std::string& setName, int waitMs,
                  const std::function<bool()>& stopTrying = {});

  signals:
    void activationRequested();
    // Answered as taken as soon as every receiver has returned.
    void runRequested(const QString& setName);

  private:
    void read(QLocalSocket* socket);

    QString name_;
    QLocalServer* server_ = nullptr;
};

}  // namespace torvane
