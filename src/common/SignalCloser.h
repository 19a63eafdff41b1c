#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace torvane {

// Turns SIGTERM, SIGINT and SIGHUP into a call on the window thread, so that a logout or a
// `kill` ends a program through its normal unload with its "Exit" record. Signals are caught
// from construction on; one that arrives before there is a handler waits for it.
class SignalCloser : public QObject {
    Q_OBJECT
  public:
    explicit SignalCloser(QObject* parent = nullptr);
    ~SignalCloser() override;

    // A signal now runs `onSignal` from the event loop, one caught earlier at its next pass.
    void setHandler(std::function<void()> onSignal);
    // Handles at once a signal caught and not yet handled, for a program about to act without
    // passing through its event loop first; true when there was one.
    bool handlePending();

  private:
    void handle();

    std::function<void()> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace torvane
