#pragma once

#include <QObject>

namespace torvane {

// Gives a control its name, so that tests and the object tree find it as the windows name it.
template <typename Widget>
Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

}  // namespace torvane
