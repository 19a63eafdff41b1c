#include "SignalCloser.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <csignal>

namespace torvane {

namespace {

int signalFds[2] = {-1, -1};

void onTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalFds[0], &byte, 1);
}

void setAction(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

}  // namespace

SignalCloser::SignalCloser(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalFds) != 0) return;
    notifier_ = new QSocketNotifier(signalFds[1], QSocketNotifier::Read, this);
    notifier_->setEnabled(false);
    connect(notifier_, &QSocketNotifier::activated, this, &SignalCloser::handle);
    setAction(onTerminationSignal);
}

SignalCloser::~SignalCloser() {
    setAction(SIG_DFL);
    delete notifier_;
    for (int& fd : signalFds) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

void SignalCloser::setHandler(std::function<void()> onSignal) {
    onSignal_ = std::move(onSignal);
    if (notifier_) notifier_->setEnabled(true);
}

bool SignalCloser::handlePending() {
    if (!notifier_) return false;
    pollfd waiting{signalFds[1], POLLIN, 0};
    if (::poll(&waiting, 1, 0) != 1) return false;
    handle();
    return true;
}

void SignalCloser::handle() {
    char bytes[16];
    while (::read(signalFds[1], bytes, sizeof bytes) > 0) {
    }
    // A question open at this moment gets its safe answer, so that nothing it would have
    // started starts once the window has gone.
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->reject();
    if (onSignal_) onSignal_();
}

}  // namespace torvane
