#pragma once

#include "ScheduleList.h"

class QTreeWidget;

namespace torvane::scheduler {

// The report-view list of the main window seen as the schedule's rows: column 0 is the row's
// text (the backup set), columns 1 to 4 its sub-items.
class TreeScheduleList : public ScheduleList {
public:
    explicit TreeScheduleList(QTreeWidget& tree) : tree_(tree) {}

    int count() const override;
    ScheduleRow row(int index) const override;
    void setRow(int index, const ScheduleRow& row) override;
    void addRow(const ScheduleRow& row) override;
    void removeRow(int index) override;

private:
    QTreeWidget& tree_;
};

}  // namespace torvane::scheduler
