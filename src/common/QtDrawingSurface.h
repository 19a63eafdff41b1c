#pragma once

#include <QPainter>
#include <QSize>

#include "common/clsForm.h"

namespace torvane {

// Lets Gradient paint a widget from its paint event.
class QtDrawingSurface : public DrawingSurface {
public:
    QtDrawingSurface(QPainter& painter, QSize size) : painter_(painter), size_(size) {}
    double height() const override { return size_.height(); }
    double width() const override { return size_.width(); }
    void fillRect(int x1, int y1, int x2, int y2, int red, int green, int blue) override {
        painter_.fillRect(QRect(QPoint(x1, y1), QPoint(x2, y2)), QColor(red, green, blue));
    }

private:
    QPainter& painter_;
    QSize size_;
};

}  // namespace torvane
