#include "ArchiveListModel.h"

#include <QDateTime>

#include "platform/PrintableText.h"

namespace torvane {

ArchiveListModel::ArchiveListModel(QObject* parent) : QAbstractTableModel(parent) {}

int ArchiveListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(members_.size());
}

int ArchiveListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant ArchiveListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const zip::MemberInfo& member = members_[static_cast<size_t>(index.row())];
    if (role == Qt::TextAlignmentRole && index.column() == kSize)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    switch (index.column()) {
        case kName:
            // Names come from the archive and may hold any byte, so none can act on the screen.
            return QString::fromStdString(platform::printable(member.name));
        case kSize:
            return member.isDirectory ? QString() : QString::number(member.size);
        case kModified:
            return QDateTime::fromSecsSinceEpoch(static_cast<qint64>(member.modified))
                .toString("dd/MM/yyyy HH:mm:ss");
        default:
            return {};
    }
}

QVariant ArchiveListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case kName:
            return QString("Name");
        case kSize:
            return QString("Size");
        case kModified:
            return QString("Modified");
        default:
            return {};
    }
}

void ArchiveListModel::setMembers(std::vector<zip::MemberInfo> members) {
    beginResetModel();
    members_ = std::move(members);
    endResetModel();
}

void ArchiveListModel::clear() { setMembers({}); }

}  // namespace torvane
