#include "QueuedRuns.h"

#include <QApplication>
#include <QTimer>
#include <memory>

#include "common/InstanceChannel.h"
#include "common/TorvaneError.h"
#include "mainwindow/BackupPage.h"
#include "mainwindow/RunNotices.h"
#include "mainwindow/UnattendedBackup.h"

namespace torvane {

namespace {

// How often a waiting set looks again whether the program has become idle.
constexpr int kRetryIntervalMs = 250;
// How long a start that has already connected gets to say which set it hands over.
constexpr int kLastRequestWaitMs = 2000;

}  // namespace

QueuedRuns::QueuedRuns(AppContext& context, BackupPage& windowPage, bool whenIdle, QObject* parent)
    : QObject(parent), context_(context), windowPage_(windowPage) {
    if (!whenIdle) return;
    retry_ = new QTimer(this);
    retry_->setInterval(kRetryIntervalMs);
    connect(retry_, &QTimer::timeout, this, &QueuedRuns::runWhenIdle);
}

QueuedRuns::~QueuedRuns() = default;

bool QueuedRuns::idle() const {
    return !running_ && !windowPage_.activeBackup() && !QApplication::activeModalWidget();
}

void QueuedRuns::enqueue(const QString& setName) {
    queue_.push_back(setName.toStdString());
    if (retry_ && !retry_->isActive()) retry_->start();
}

void QueuedRuns::runWhenIdle() {
    if (queue_.empty() || stopping_) {
        if (retry_) retry_->stop();
        return;
    }
    if (idle()) runNext();
}

bool QueuedRuns::stop() {
    stopping_ = true;
    if (retry_) retry_->stop();
    return runPage_ && runPage_->stopBackups();
}

void QueuedRuns::runAll(InstanceChannel& channel) {
    for (bool listening = true; !stopping_;) {
        while (!queue_.empty() && !stopping_) runNext();
        if (!listening) break;
        // A start that connected before the channel closed is still answered and run.
        channel.stopListening();
        channel.takePending(kLastRequestWaitMs);
        listening = false;
    }
}

void QueuedRuns::runNext() {
    const std::string setName = queue_.front();
    queue_.pop_front();
    running_ = true;
    AppContext runContext{context_.host, silent_, context_.clock, context_.globals, setName};
    auto page = std::make_unique<BackupPage>(runContext);
    runPage_ = page.get();
    RunOutcome outcome;
    try {
        outcome = runUnattendedBackup(runContext, *page, setName, [this] { return !stopping_; });
    } catch (const TorvaneError& e) {
        outcome = RunOutcome::failed("Backup Failed - " + e.description());
    }
    runPage_ = nullptr;
    page.reset();
    raiseFailureNotices(runContext, setName, outcome);
    running_ = false;
    emit runEnded();
}

}  // namespace torvane
