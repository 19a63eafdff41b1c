#include "common/ProgressFeed.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace torvane {
namespace {

using Lines = std::vector<std::string>;

TEST(ProgressFeedTest, TakeHandsOverWhatCameSinceTheLastTake) {
    ProgressFeed feed;
    feed.item("C:\\DATA\\a.txt");
    feed.fileProgress(40);
    feed.fileProgress(100);
    EXPECT_FALSE(feed.overallProgress(10));
    feed.item("C:\\DATA\\b.txt");
    EXPECT_FALSE(feed.overallProgress(20));

    auto update = feed.take();
    EXPECT_EQ(update.lines, (Lines{"C:\\DATA\\a.txt", "C:\\DATA\\b.txt"}));
    EXPECT_EQ(update.item, "C:\\DATA\\b.txt");
    EXPECT_EQ(update.filePercent, 100);
    EXPECT_EQ(update.overallPercent, 20);
    EXPECT_FALSE(update.cancelAnswered);

    update = feed.take();
    EXPECT_TRUE(update.lines.empty());
    EXPECT_FALSE(update.item || update.filePercent || update.overallPercent);

    feed.fileProgress(0);
    update = feed.take();
    EXPECT_EQ(update.filePercent, 0);
    EXPECT_FALSE(update.item || update.overallPercent);
}

TEST(ProgressFeedTest, APhaseResetsTheBarsBeforeItsOwnProgressWhateverTheWindowsTiming) {
    ProgressFeed feed;
    feed.overallProgress(100);
    feed.fileProgress(100);
    feed.beginPhase("Verifying Files.......");
    ProgressFeed::Update reset = feed.take();
    EXPECT_EQ(reset.heading, "Verifying Files.......");
    EXPECT_EQ(reset.overallPercent, 0);
    EXPECT_EQ(reset.filePercent, 0);

    // The window may take only after the new phase has reported: its progress is what shows.
    feed.beginPhase("Verifying Files.......");
    feed.item("C:\\DATA\\a.txt");
    feed.overallProgress(40);
    const ProgressFeed::Update late = feed.take();
    EXPECT_EQ(late.heading, "Verifying Files.......");
    EXPECT_EQ(late.overallPercent, 40);
    EXPECT_EQ(late.filePercent, 0);
    EXPECT_FALSE(feed.take().heading);
}

TEST(ProgressFeedTest, AFullRingDropsItsOldestLinesAndKeepsTheLatestItem) {
    ProgressFeed feed(3);
    for (int i = 1; i <= 5; ++i) feed.item("f" + std::to_string(i));
    auto update = feed.take();
    EXPECT_EQ(update.lines, (Lines{"f3", "f4", "f5"}));
    EXPECT_EQ(update.item, "f5");
    // The ring starts again wherever the last take left it.
    feed.item("f6");
    feed.item("f7");
    EXPECT_EQ(feed.take().lines, (Lines{"f6", "f7"}));
    for (int i = 8; i <= 11; ++i) feed.item("f" + std::to_string(i));
    EXPECT_EQ(feed.take().lines, (Lines{"f9", "f10", "f11"}));
}

TEST(ProgressFeedTest, ControlCharactersInANameAreShownAsPictures) {
    ProgressFeed feed;
    feed.item("C:\\DATA\\a\nb\tc\x7f");
    const auto update = feed.take();
    const std::string shown = "C:\\DATA\\a\xE2\x90\x8A" "b\xE2\x90\x89" "c\xE2\x90\xA1";
    EXPECT_EQ(update.item, shown);
    EXPECT_EQ(update.lines, Lines{shown});
}

TEST(ProgressFeedTest, TheNextOverallEventAnswersCancelAndEveryLaterUpdateSaysSo) {
    ProgressFeed feed;
    EXPECT_FALSE(feed.cancelRequested());
    feed.requestCancel();
    EXPECT_TRUE(feed.cancelRequested());
    feed.item("C:\\DATA\\a.txt");
    EXPECT_FALSE(feed.take().cancelAnswered);  // asked, not yet answered
    EXPECT_TRUE(feed.overallProgress(30));
    EXPECT_TRUE(feed.take().cancelAnswered);
    EXPECT_TRUE(feed.take().cancelAnswered);
}

TEST(ProgressFeedTest, AWindowTakingWhileTheWorkerReportsSeesEveryLineInOrderOnce) {
    ProgressFeed feed(64);
    constexpr int kItems = 200000;
    std::thread worker([&] {
        for (int i = 0; i < kItems; ++i) {
            feed.item(std::to_string(i));
            feed.overallProgress(static_cast<int>(static_cast<long long>(i) * 100 / kItems));
        }
    });
    int last = -1;
    int lastPercent = -1;
    auto takeAndCheck = [&] {
        const auto update = feed.take();
        for (const std::string& line : update.lines) {
            const int n = std::stoi(line);
            ASSERT_GT(n, last);
            last = n;
        }
        if (!update.lines.empty()) {
            EXPECT_EQ(update.item, update.lines.back());
        }
        if (update.overallPercent) {
            EXPECT_GE(*update.overallPercent, lastPercent);
            lastPercent = *update.overallPercent;
        }
    };
    while (last != kItems - 1 && !::testing::Test::HasFailure()) takeAndCheck();
    worker.join();
    takeAndCheck();
    EXPECT_EQ(last, kItems - 1);  // the newest line is never the one dropped
    EXPECT_EQ(lastPercent, 99);
}

}  // namespace
}  // namespace torvane
