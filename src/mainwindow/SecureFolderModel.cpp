#include "SecureFolderModel.h"

#include <cmath>

#include "common/TorvaneError.h"
#include "platform/PrintableText.h"
#include "restore/FolderTree.h"
#include "restore/ProtectedList.h"
#include "restore/clsCfg.h"

namespace torvane {

struct SecureFolderModel::Node {
    QString text;
    std::string tag;
    bool isProtected = false;
    bool listed = false;
    Node* parent = nullptr;
    int row = 0;
    std::vector<std::unique_ptr<Node>> children;
};

SecureFolderModel::SecureFolderModel(AppContext& context, std::vector<QPixmap> pictures,
                                     QObject* parent)
    : QAbstractItemModel(parent), context_(context), root_(std::make_unique<Node>()) {
    root_->listed = true;
    folderIcon_.addPixmap(pictures.at(0), QIcon::Normal);
    folderIcon_.addPixmap(pictures.at(1), QIcon::Selected);
    protectedIcon_.addPixmap(pictures.at(2), QIcon::Normal);
    protectedIcon_.addPixmap(pictures.at(2), QIcon::Selected);
}

SecureFolderModel::~SecureFolderModel() = default;

SecureFolderModel::Node* SecureFolderModel::nodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : root_.get();
}

QModelIndex SecureFolderModel::index(int row, int column, const QModelIndex& parent) const {
    const Node* node = nodeOf(parent);
    if (column != 0 || row < 0 || row >= static_cast<int>(node->children.size())) return {};
    return createIndex(row, 0, node->children[static_cast<size_t>(row)].get());
}

QModelIndex SecureFolderModel::parent(const QModelIndex& child) const {
    const Node* node = nodeOf(child);
    if (!child.isValid() || node->parent == root_.get()) return {};
    return createIndex(node->parent->row, 0, node->parent);
}

int SecureFolderModel::rowCount(const QModelIndex& parent) const {
    return static_cast<int>(nodeOf(parent)->children.size());
}

int SecureFolderModel::columnCount(const QModelIndex&) const { return 1; }

QVariant SecureFolderModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const Node* node = nodeOf(index);
    switch (role) {
        case Qt::DisplayRole:
            return node->text;
        case Qt::DecorationRole:
            return node->isProtected ? protectedIcon_ : folderIcon_;
        case kTagRole:
            return QString::fromStdString(node->tag);
        case kPictureRole:
            return node->isProtected ? kProtectedPicture : kFolderPicture;
        default:
            return {};
    }
}

bool SecureFolderModel::hasChildren(const QModelIndex& parent) const {
    const Node* node = nodeOf(parent);
    return !node->listed || !node->children.empty();
}

bool SecureFolderModel::canFetchMore(const QModelIndex& parent) const {
    return !nodeOf(parent)->listed;
}

void SecureFolderModel::fetchMore(const QModelIndex& parent) {
    Node* node = nodeOf(parent);
    if (node->listed) return;
    addChildren(*node, {});
    // The expander goes once the folder turns out to have no subfolders.
    if (node->children.empty()) emit dataChanged(parent, parent);
}

void SecureFolderModel::addChildren(Node& node, const std::function<void(int)>& progress) {
    node.listed = true;
    const std::vector<FolderNode> folders = FolderTree(context_.host).subfolders(node.tag);
    if (folders.empty()) return;
    std::vector<std::string> listed;
    try {
        listed = clsCfg(context_).ReturnProtected();
    } catch (const TorvaneError&) {
        // A list that cannot be read marks nothing; adding and removing report their own failures.
    }
    const ProtectedList protectedList(listed);
    const QModelIndex parent =
        &node == root_.get() ? QModelIndex() : createIndex(node.row, 0, &node);
    const int count = static_cast<int>(folders.size());
    beginInsertRows(parent, 0, count - 1);
    for (int i = 0; i < count; ++i) {
        if (progress)
            progress(count > 1 ? static_cast<int>(std::lround(100.0 / (count - 1) * i)) : 100);
        const FolderNode& folder = folders[static_cast<size_t>(i)];
        auto child = std::make_unique<Node>();
        child->text = QString::fromStdString(platform::printable(folder.name));
        child->tag = folder.path;
        child->isProtected = protectedList.contains(folder.path);
        child->parent = &node;
        child->row = i;
        node.children.push_back(std::move(child));
    }
    endInsertRows();
}

void SecureFolderModel::showDrive(const std::string& root,
                                  const std::function<void(int)>& progress) {
    clear();
    root_->tag = root;
    addChildren(*root_, progress);
}

void SecureFolderModel::clear() {
    beginResetModel();
    root_ = std::make_unique<Node>();
    root_->listed = true;
    endResetModel();
}

std::string SecureFolderModel::tag(const QModelIndex& index) const {
    return index.isValid() ? nodeOf(index)->tag : std::string();
}

void SecureFolderModel::setProtected(const QModelIndex& index, bool isProtected) {
    if (!index.isValid()) return;
    nodeOf(index)->isProtected = isProtected;
    emit dataChanged(index, index, {Qt::DecorationRole, kPictureRole});
}

}  // namespace torvane
