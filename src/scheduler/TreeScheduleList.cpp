#include "TreeScheduleList.h"

#include <QTreeWidget>

namespace torvane::scheduler {

namespace {

void fill(QTreeWidgetItem& item, const ScheduleRow& row) {
    item.setText(0, QString::fromStdString(row.backupSet));
    item.setText(1, QString::fromStdString(row.schedule));
    item.setText(2, QString::fromStdString(row.date));
    item.setText(3, QString::fromStdString(row.time));
    item.setText(4, QString::fromStdString(row.status));
}

}  // namespace

int TreeScheduleList::count() const { return tree_.topLevelItemCount(); }

ScheduleRow TreeScheduleList::row(int index) const {
    const QTreeWidgetItem* item = tree_.topLevelItem(index - 1);
    return {item->text(0).toStdString(), item->text(1).toStdString(), item->text(2).toStdString(),
            item->text(3).toStdString(), item->text(4).toStdString()};
}

void TreeScheduleList::setRow(int index, const ScheduleRow& row) { fill(*tree_.topLevelItem(index - 1), row); }

void TreeScheduleList::addRow(const ScheduleRow& row) {
    auto* item = new QTreeWidgetItem(&tree_);
    fill(*item, row);
}

void TreeScheduleList::removeRow(int index) { delete tree_.takeTopLevelItem(index - 1); }

}  // namespace torvane::scheduler
