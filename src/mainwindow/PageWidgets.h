#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace torvane {

// A sunken display field that shows a value rather than a caption.
QLabel* sunkenLabel(const char* name, QWidget* parent);

// A control without a caption gets its tip, or a short name of ours, as the name that
// assistive technology reads out.
template <typename Widget>
Widget* spoken(Widget* widget, const QString& name) {
    widget->setAccessibleName(name);
    return widget;
}

// Tip and accessible name in one, for uncaptioned controls the user points at.
template <typename Widget>
Widget* tipped(Widget* widget, const QString& tip) {
    widget->setToolTip(tip);
    return spoken(widget, tip);
}

}  // namespace torvane
