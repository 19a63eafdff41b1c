#include "PageWidgets.h"

#include <QLabel>

#include "common/WidgetNames.h"

namespace torvane {

QLabel* sunkenLabel(const char* name, QWidget* parent) {
    auto* label = named(new QLabel(parent), name);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(220);
    return label;
}

}  // namespace torvane
