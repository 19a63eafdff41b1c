#pragma once

#include <QWidget>

namespace torvane {

// One page of the main window's tab control. The shell calls shown() each time the page's tab
// is selected, so a page can show its data afresh.
class MainWindowPage : public QWidget {
  public:
    using QWidget::QWidget;
    virtual void shown() {}
};

}  // namespace torvane
