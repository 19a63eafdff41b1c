#pragma once

#include <QObject>
#include <QString>
#include <filesystem>

class QLocalServer;

namespace torvane::scheduler {

// How a second start reaches the running scheduler: a local socket in the per-user settings
// folder, where the first instance listens and the second asks it to open its window.
class InstanceChannel : public QObject {
    Q_OBJECT
public:
    explicit InstanceChannel(const std::filesystem::path& settingsFolder, QObject* parent = nullptr);

    // Called by the instance that holds the instance lock, so a socket left by a crash is ours
    // to replace.
    bool listen();
    // Asks the running instance to bring its window up; false when none answered.
    bool activateRunning();

signals:
    void activationRequested();

private:
    QString name_;
    QLocalServer* server_ = nullptr;
};

}  // namespace torvane::scheduler
