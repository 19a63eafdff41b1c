#include "DirListBox.h"

#include <QStyle>

#include <algorithm>
#include <filesystem>

namespace torvane {

namespace {
constexpr int kPathRole = Qt::UserRole + 1;
}

DirListBox::DirListBox(const platform::Host& host, QWidget* parent) : QListWidget(parent), host_(host) {
    connect(this, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { open(item->data(kPathRole).toString(), true); });
}

bool DirListBox::setPath(const QString& drivePath) { return open(drivePath, false); }

bool DirListBox::open(const QString& drivePath, bool byUser) {
    const auto hostPath = host_.resolve(drivePath.toStdString());
    std::error_code ec;
    if (!hostPath || !std::filesystem::is_directory(*hostPath, ec)) return false;
    const auto real = host_.toDrivePath(*hostPath);
    QString path = QString::fromStdString(real.value_or(drivePath.toStdString()));
    if (path.size() > 3 && path.endsWith('\\')) path.chop(1);
    path_ = path;
    refresh();
    emit pathChanged(path_, byUser);
    return true;
}

void DirListBox::refresh() {
    clear();
    if (path_.isEmpty()) return;
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    // Ancestors from the drive root down to the open folder.
    QStringList parts = path_.mid(3).split('\\', Qt::SkipEmptyParts);
    QString walk = path_.left(3);
    int depth = 0;
    auto addEntry = [&](const QString& text, const QString& target, const QIcon& icon, int indent) {
        auto* item = new QListWidgetItem(icon, QString(indent * 2, ' ') + text, this);
        item->setData(kPathRole, target);
    };
    addEntry(walk, walk, openIcon, depth++);
    for (const QString& part : parts) {
        walk = walk.endsWith('\\') ? walk + part : walk + "\\" + part;
        addEntry(part, walk, openIcon, depth++);
    }
    setCurrentRow(count() - 1);

    std::vector<std::string> children;
    if (const auto hostPath = host_.resolve(path_.toStdString())) {
        std::error_code ec;
        for (std::filesystem::directory_iterator it(*hostPath, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code typeEc;
            if (it->is_directory(typeEc) && !it->is_symlink(typeEc)) children.push_back(it->path().filename().string());
        }
    }
    std::sort(children.begin(), children.end(), [](const std::string& a, const std::string& b) {
        return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) < 0;
    });
    const QString base = path_.endsWith('\\') ? path_ : path_ + "\\";
    for (const std::string& child : children) {
        const QString name = QString::fromStdString(child);
        addEntry(name, base + name, folderIcon, depth);
    }
}

}  // namespace torvane
