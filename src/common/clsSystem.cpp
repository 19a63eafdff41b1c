#include "clsSystem.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>

namespace torvane {

std::int32_t clsSystem::ScrollText(QPlainTextEdit* TextBox, std::int16_t vLines) {
    if (!TextBox) return 0;
    // With nothing focused there is nothing to hand the focus back to; scroll all the same.
    QPointer<QWidget> focused = QApplication::focusWidget();
    TextBox->setFocus(Qt::OtherFocusReason);
    QScrollBar* bar = TextBox->verticalScrollBar();
    bar->setValue(bar->value() + vLines);
    if (focused) focused->setFocus(Qt::OtherFocusReason);
    else TextBox->clearFocus();
    return 1;
}

}  // namespace torvane
