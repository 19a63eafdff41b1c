#pragma once

#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace torvane {

// Carries a run's progress from the worker thread to the window that shows it. The worker
// reports as fast as the engine goes and never waits for the screen; the window takes what has
// gathered a few dozen times a second. Both sides cost the same per item however many items the
// run has: the latest item and percentages overwrite the previous ones, and detail lines wait
// in a ring of fixed size that drops its oldest line when the window falls that far behind.
class ProgressFeed {
public:
    // Comfortably more lines than a drain interval ever gathers, so a line is dropped only
    // while the window is held up (a prompt, a slow screen).
    static constexpr std::size_t kPendingLines = 8192;

    explicit ProgressFeed(std::size_t pendingLines = kPendingLines);
    ProgressFeed(const ProgressFeed&) = delete;
    ProgressFeed& operator=(const ProgressFeed&) = delete;

    // Worker side. An item becomes the latest item and one detail line; the text is shown, so
    // it is made printable here, off the window's thread.
    void item(std::string_view text);
    void fileProgress(int percent);
    // Returns the cancel answer. Once it has answered yes, every update says so.
    bool overallProgress(int percent);
    // A second phase of the run starts under a new heading, both bars back at 0. Kept in the feed
    // so that the window can never show the reset after the new phase's own progress.
    void beginPhase(std::string_view heading);

    // Window side.
    void requestCancel();
    bool cancelRequested() const;

    struct Update {
        std::optional<std::string> item;  // the latest item, when one came since the last take
        std::vector<std::string> lines;   // detail lines in the order they came
        std::optional<int> filePercent;
        std::optional<int> overallPercent;
        std::optional<std::string> heading;  // the latest phase's, when one began since the last take
        bool cancelAnswered = false;
    };
    // Everything that came since the previous take.
    Update take();

private:
    mutable std::mutex mutex_;
    std::vector<std::string> ring_;
    std::size_t first_ = 0;  // slot of the oldest pending line
    std::size_t count_ = 0;
    std::optional<std::string> item_;
    std::optional<int> filePercent_;
    std::optional<int> overallPercent_;
    std::optional<std::string> heading_;
    bool cancelRequested_ = false;
    bool cancelAnswered_ = false;
};

}  // namespace torvane
