#include "common/SignalCloser.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <csignal>

#include "TestContext.h"
#include "common/QtPromptService.h"

namespace torvane {
namespace {

TEST(SignalCloserTest, ASignalBeforeTheHandlerWaitsForIt) {
    SignalCloser closer;
    ASSERT_EQ(std::raise(SIGTERM), 0);  // caught: the test lives on
    int handled = 0;
    closer.setHandler([&] { ++handled; });
    EXPECT_TRUE(closer.handlePending());
    EXPECT_EQ(handled, 1);
    EXPECT_FALSE(closer.handlePending());

    ASSERT_EQ(std::raise(SIGINT), 0);
    for (int pass = 0; pass < 100 && handled < 2; ++pass) QApplication::processEvents();
    EXPECT_EQ(handled, 2);
}

// The confirmation of a backup open when the program is told to end: answered "No", so that
// the backup does not start after the window has closed.
TEST(SignalCloserTest, AnOpenQuestionGetsItsSafeAnswer) {
    test::TestContext ctx;
    QtPromptService prompts(*ctx.host);
    SignalCloser closer;
    int handled = 0;
    closer.setHandler([&] { ++handled; });
    QTimer::singleShot(0, [] { std::raise(SIGTERM); });
    // Should the signal leave the box open, "Yes" ends the wait and fails the test.
    QObject thisTest;
    QTimer::singleShot(5000, &thisTest, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->button(QMessageBox::Yes)->click();
    });
    const MsgAnswer answer = prompts.message({"Are you sure that you wish to start the backup now?",
                                              MsgButtons::YesNo, MsgIcon::None, MsgAnswer::Yes, "Torvane"});
    EXPECT_EQ(answer, MsgAnswer::No);
    EXPECT_EQ(handled, 1);
}

}  // namespace
}  // namespace torvane
