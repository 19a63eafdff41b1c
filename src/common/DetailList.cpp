#include "DetailList.h"

#include <QListView>

namespace torvane {

DetailList::DetailList(QObject* parent, int latestLines)
    : QAbstractListModel(parent), latestLines_(latestLines < 1 ? 1 : latestLines) {}

int DetailList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QVariant DetailList::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return {};
    return lines_[static_cast<std::size_t>(index.row())];
}

void DetailList::append(const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    const auto limit = static_cast<std::size_t>(latestLines_);
    if (lines.size() >= limit) {
        beginResetModel();
        lines_.clear();
        for (auto it = lines.end() - static_cast<std::ptrdiff_t>(limit); it != lines.end(); ++it)
            lines_.push_back(QString::fromStdString(*it));
        endResetModel();
        return;
    }
    const std::size_t excess = lines_.size() + lines.size() > limit ? lines_.size() + lines.size() - limit : 0;
    if (excess > 0) {
        beginRemoveRows({}, 0, static_cast<int>(excess) - 1);
        lines_.erase(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(excess));
        endRemoveRows();
    }
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(lines.size()) - 1);
    for (const std::string& line : lines) lines_.push_back(QString::fromStdString(line));
    endInsertRows();
}

void DetailList::clear() {
    if (lines_.empty()) return;
    beginResetModel();
    lines_.clear();
    endResetModel();
}

QListView* newDetailView(DetailList* model, QWidget* parent) {
    auto* view = new QListView(parent);
    view->setModel(model);
    view->setUniformItemSizes(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setAccessibleName("Details");
    return view;
}

}  // namespace torvane
