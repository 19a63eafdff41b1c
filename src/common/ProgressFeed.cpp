#include "ProgressFeed.h"

#include <utility>

#include "platform/PrintableText.h"

namespace torvane {

ProgressFeed::ProgressFeed(std::size_t pendingLines) : ring_(pendingLines == 0 ? 1 : pendingLines) {}

void ProgressFeed::item(std::string_view text) {
    std::string shown = platform::printable(text);
    const std::lock_guard lock(mutex_);
    std::string& slot = ring_[(first_ + count_) % ring_.size()];
    if (count_ == ring_.size()) first_ = (first_ + 1) % ring_.size();
    else ++count_;
    slot = shown;
    item_ = std::move(shown);
}

void ProgressFeed::fileProgress(int percent) {
    const std::lock_guard lock(mutex_);
    filePercent_ = percent;
}

bool ProgressFeed::overallProgress(int percent) {
    const std::lock_guard lock(mutex_);
    overallPercent_ = percent;
    if (cancelRequested_) cancelAnswered_ = true;
    return cancelRequested_;
}

void ProgressFeed::beginPhase(std::string_view heading) {
    const std::lock_guard lock(mutex_);
    heading_ = std::string(heading);
    filePercent_ = 0;
    overallPercent_ = 0;
}

void ProgressFeed::requestCancel() {
    const std::lock_guard lock(mutex_);
    cancelRequested_ = true;
}

bool ProgressFeed::cancelRequested() const {
    const std::lock_guard lock(mutex_);
    return cancelRequested_;
}

ProgressFeed::Update ProgressFeed::take() {
    Update update;
    const std::lock_guard lock(mutex_);
    update.lines.reserve(count_);
    for (std::size_t i = 0; i < count_; ++i) update.lines.push_back(std::move(ring_[(first_ + i) % ring_.size()]));
    first_ = count_ = 0;
    update.item = std::exchange(item_, std::nullopt);
    update.filePercent = std::exchange(filePercent_, std::nullopt);
    update.overallPercent = std::exchange(overallPercent_, std::nullopt);
    update.heading = std::exchange(heading_, std::nullopt);
    update.cancelAnswered = cancelAnswered_;
    return update;
}

}  // namespace torvane
