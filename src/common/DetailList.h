#pragma once

#include <QAbstractListModel>
#include <QString>
#include <deque>
#include <string>
#include <vector>

class QListView;
class QWidget;

namespace torvane {

// The lines of a progress window's details list. Only the latest lines are kept (ten thousand
// by default): a run of a million files would otherwise hold a million rows, and nobody scrolls
// back that far; the log holds the full record.
class DetailList : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int kLatestLines = 10000;

    explicit DetailList(QObject* parent = nullptr, int latestLines = kLatestLines);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Adds the lines at the end, dropping the oldest beyond the limit.
    void append(const std::vector<std::string>& lines);
    void clear();

private:
    std::deque<QString> lines_;
    int latestLines_;
};

// A list view for such lines: read only, every row the same height, so adding rows and
// scrolling to the last never measures the rows already there.
QListView* newDetailView(DetailList* model, QWidget* parent);

}  // namespace torvane
