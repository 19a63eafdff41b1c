#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace torvane::scheduler {

// Turns SIGTERM, SIGINT and SIGHUP into a call on the window thread, so that a logout or a
// `kill` ends the scheduler through its normal unload with its "Exit" record.
class SignalCloser : public QObject {
    Q_OBJECT
public:
    explicit SignalCloser(std::function<void()> onSignal, QObject* parent = nullptr);
    ~SignalCloser() override;

private:
    std::function<void()> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace torvane::scheduler
