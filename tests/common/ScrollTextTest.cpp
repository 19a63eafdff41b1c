#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include "common/clsSystem.h"

namespace torvane {
namespace {

TEST(ScrollTextTest, ScrollsByLinesAndHandsTheFocusBack) {
    QWidget window;
    auto* edit = new QLineEdit(&window);
    auto* box = new QPlainTextEdit(&window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(edit);
    layout->addWidget(box);
    QStringList lines;
    for (int i = 0; i < 300; ++i) lines << QString("line %1").arg(i);
    box->setPlainText(lines.join('\n'));
    window.resize(300, 200);
    window.show();
    window.activateWindow();
    edit->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), edit);

    EXPECT_EQ(clsSystem::ScrollText(box, 0), 1);
    EXPECT_EQ(box->verticalScrollBar()->value(), 0);
    EXPECT_EQ(QApplication::focusWidget(), edit);

    clsSystem::ScrollText(box, 5);
    EXPECT_EQ(box->verticalScrollBar()->value(), 5);
    clsSystem::ScrollText(box, 1000);
    EXPECT_EQ(box->verticalScrollBar()->value(), box->verticalScrollBar()->maximum());
    EXPECT_EQ(QApplication::focusWidget(), edit);
}

TEST(ScrollTextTest, WithNothingFocusedItStillScrolls) {
    QPlainTextEdit box;
    box.setPlainText(QString("x\n").repeated(200));
    box.resize(200, 100);
    box.show();
    QApplication::processEvents();
    box.clearFocus();
    EXPECT_EQ(clsSystem::ScrollText(&box, 3), 1);
    EXPECT_EQ(box.verticalScrollBar()->value(), 3);
}

}  // namespace
}  // namespace torvane
