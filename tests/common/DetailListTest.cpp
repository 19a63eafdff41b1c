#include "common/DetailList.h"

#include <gtest/gtest.h>

#include <QListView>

namespace torvane {
namespace {

QStringList rows(const DetailList& list) {
    QStringList out;
    for (int row = 0; row < list.rowCount(); ++row) out << list.data(list.index(row)).toString();
    return out;
}

std::vector<std::string> numbered(int from, int to) {
    std::vector<std::string> lines;
    for (int i = from; i <= to; ++i) lines.push_back("line " + std::to_string(i));
    return lines;
}

QStringList numberedRows(int from, int to) {
    QStringList out;
    for (const std::string& line : numbered(from, to)) out << QString::fromStdString(line);
    return out;
}

TEST(DetailListTest, KeepsTheLatestLinesInOrder) {
    DetailList list(nullptr, 5);
    list.append(numbered(1, 3));
    EXPECT_EQ(rows(list), numberedRows(1, 3));
    list.append(numbered(4, 6));
    EXPECT_EQ(rows(list), numberedRows(2, 6));
    list.append(numbered(7, 20));  // a batch larger than the list
    EXPECT_EQ(rows(list), numberedRows(16, 20));
    list.append({});
    EXPECT_EQ(rows(list), numberedRows(16, 20));
    list.clear();
    EXPECT_EQ(list.rowCount(), 0);
    list.append({"\xC3\xA9t\xC3\xA9"});
    EXPECT_EQ(rows(list), QStringList{QString::fromUtf8("\xC3\xA9t\xC3\xA9")});
}

TEST(DetailListTest, AViewFollowsRowsDroppedAtTheTopAndAddedAtTheEnd) {
    DetailList list(nullptr, 100);
    QListView* view = newDetailView(&list, nullptr);
    std::unique_ptr<QListView> owner(view);
    view->resize(200, 120);
    view->show();
    EXPECT_TRUE(view->uniformItemSizes());
    for (int batch = 0; batch < 10; ++batch) {
        list.append(numbered(batch * 30, batch * 30 + 29));
        view->setCurrentIndex(list.index(list.rowCount() - 1));
    }
    ASSERT_EQ(list.rowCount(), 100);
    EXPECT_EQ(view->currentIndex().row(), 99);
    EXPECT_EQ(view->currentIndex().data().toString(), "line 299");
    EXPECT_EQ(list.data(list.index(0)).toString(), "line 200");
    EXPECT_FALSE(list.data(list.index(100)).isValid());
    EXPECT_EQ(list.rowCount(list.index(0)), 0);  // a flat list: rows have no children
}

}  // namespace
}  // namespace torvane
