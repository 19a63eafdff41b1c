#pragma once

#include <QAbstractTableModel>
#include <string>
#include <vector>

#include "zip/ZipEngine.h"

namespace torvane {

// The members of one archive as the Restore page lists them: name, size and time of change,
// one row each in archive order. Texts are made only for the rows a view asks for, so an
// archive of any size is listed at once.
class ArchiveListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { kName, kSize, kModified, kColumns };

    explicit ArchiveListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    void setMembers(std::vector<zip::MemberInfo> members);
    void clear();
    const std::vector<zip::MemberInfo>& members() const { return members_; }

  private:
    std::vector<zip::MemberInfo> members_;
};

}  // namespace torvane
