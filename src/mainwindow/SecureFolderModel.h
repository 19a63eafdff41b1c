#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/AppContext.h"

namespace torvane {

// The folder tree of one drive on the Secure Data page, read one level at a time: a folder's
// subfolders are listed when its node is first expanded, so showing a drive never walks it.
// Until then a node offers an expander; once listed, a folder without subfolders has none.
// Each node carries its folder's drive path (the tag) and its picture: 1 for a folder (2 while
// selected), 3 for a protected folder.
class SecureFolderModel : public QAbstractItemModel {
    Q_OBJECT
  public:
    static constexpr int kTagRole = Qt::UserRole + 1;
    static constexpr int kPictureRole = Qt::UserRole + 2;
    static constexpr int kFolderPicture = 1;
    static constexpr int kProtectedPicture = 3;

    // `pictures` are the three images, picture n at index n - 1.
    SecureFolderModel(AppContext& context, std::vector<QPixmap> pictures,
                      QObject* parent = nullptr);
    ~SecureFolderModel() override;

    QModelIndex index(int row, int column,
                      const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // The subfolders of a drive root as the top level; `progress` hears the percentage as
    // each node is added.
    void showDrive(const std::string& root, const std::function<void(int)>& progress = {});
    void clear();
    // The node's folder as a drive path, byte for byte (kTagRole shows it as text).
    std::string tag(const QModelIndex& index) const;
    // Switches a node's picture as its folder is added to or removed from the list.
    void setProtected(const QModelIndex& index, bool isProtected);

  private:
    struct Node;
    Node* nodeOf(const QModelIndex& index) const;
    void addChildren(Node& node, const std::function<void(int)>& progress);

    AppContext& context_;
    QIcon folderIcon_, protectedIcon_;
    std::unique_ptr<Node> root_;
};

}  // namespace torvane
