#pragma once

#include <QApplication>

namespace torvane {

// The hourglass pointer for the length of a scope, however the scope is left.
class Hourglass {
  public:
    Hourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Hourglass() { end(); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;

    // The normal pointer again before the scope ends, such as before a message.
    void end() {
        if (on_) QApplication::restoreOverrideCursor();
        on_ = false;
    }

  private:
    bool on_ = true;
};

}  // namespace torvane
