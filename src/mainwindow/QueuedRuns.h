#pragma once

#include <QObject>
#include <QString>
#include <deque>
#include <string>

#include "common/AppContext.h"
#include "common/SilentPrompts.h"

class QTimer;
class QWidget;

namespace torvane {

class BackupPage;
class InstanceChannel;

// Backup sets that other starts of the program handed over, each run exactly as an unattended
// start runs it: with prompts that show nothing, the same records, its own progress window and
// the same notices when it goes wrong. Each run gets a backup page of its own that is never
// shown, so the window's page, its selected set and anything the user has in hand stay as they
// were, even when a run begins while one of the window's handlers is waiting for events.
class QueuedRuns : public QObject {
    Q_OBJECT
  public:
    // `windowPage` is the window's own backup page, whose backups a queued run waits for. With
    // `whenIdle`, sets start by themselves as soon as the program is idle; otherwise only
    // runAll() starts them.
    QueuedRuns(AppContext& context, BackupPage& windowPage, bool whenIdle,
               QObject* parent = nullptr);
    ~QueuedRuns() override;

    // Idle: no backup running, not the window's nor a queued one, and no modal window open (a
    // restore's progress, a message, a dialog).
    bool idle() const;
    bool running() const { return running_; }
    std::size_t waiting() const { return queue_.size(); }
    // Ends the running backup as a termination does, and starts nothing more. Returns whether a
    // backup was running.
    bool stop();

    // For an unattended start about to end: runs every set queued or still arriving, one after
    // another, until the channel has no more and stops taking them.
    void runAll(InstanceChannel& channel);

  public slots:
    void enqueue(const QString& setName);
    // Starts the first waiting set when the program is idle.
    void runWhenIdle();

  signals:
    // A queued run has ended, after its notices.
    void runEnded();

  private:
    void runNext();

    AppContext& context_;
    BackupPage& windowPage_;
    SilentPrompts silent_;
    std::deque<std::string> queue_;
    QTimer* retry_ = nullptr;
    BackupPage* runPage_ = nullptr;
    bool running_ = false;
    bool stopping_ = false;
};

}  // namespace torvane
