#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace torvane::scheduler {

inline constexpr std::string_view kOneTime = "One Time";
inline constexpr std::string_view kDaily = "Daily";
inline constexpr std::string_view kWeekdays = "Weekdays";
inline constexpr std::string_view kWeekly = "Weekly";
inline constexpr std::string_view kBiWeekly = "Bi-Weekly";
inline constexpr std::string_view kMonthly = "Monthly";
// In the order the dialogs offer them.
inline constexpr std::array<std::string_view, 6> kFrequencies = {kOneTime, kDaily,    kWeekdays,
                                                                  kWeekly,  kBiWeekly, kMonthly};

inline constexpr std::string_view kEnabled = "Enabled";
// The store says "Complete"; the list cell says "Completed" until the next load.
inline constexpr std::string_view kCompleteStored = "Complete";
inline constexpr std::string_view kCompletedShown = "Completed";

// One scheduled event as a row of the list shows it: the backup set and its four sub-items.
struct ScheduleRow {
    std::string backupSet;
    std::string schedule;
    std::string date;
    std::string time;
    std::string status;

    friend bool operator==(const ScheduleRow&, const ScheduleRow&) = default;
};

// The window's list of events. Row i (1-based) mirrors store section "Item" + i, so the timer
// and the store operations work on this interface and the window adapts its list widget to it.
class ScheduleList {
public:
    virtual ~ScheduleList() = default;
    virtual int count() const = 0;
    virtual ScheduleRow row(int index) const = 0;
    virtual void setRow(int index, const ScheduleRow& row) = 0;
    virtual void addRow(const ScheduleRow& row) = 0;
    virtual void removeRow(int index) = 0;
};

class VectorScheduleList : public ScheduleList {
public:
    VectorScheduleList() = default;
    explicit VectorScheduleList(std::vector<ScheduleRow> rows) : rows_(std::move(rows)) {}

    int count() const override { return static_cast<int>(rows_.size()); }
    ScheduleRow row(int index) const override { return rows_.at(static_cast<std::size_t>(index - 1)); }
    void setRow(int index, const ScheduleRow& row) override { rows_.at(static_cast<std::size_t>(index - 1)) = row; }
    void addRow(const ScheduleRow& row) override { rows_.push_back(row); }
    void removeRow(int index) override { rows_.erase(rows_.begin() + (index - 1)); }

    const std::vector<ScheduleRow>& rows() const { return rows_; }

private:
    std::vector<ScheduleRow> rows_;
};

}  // namespace torvane::scheduler
