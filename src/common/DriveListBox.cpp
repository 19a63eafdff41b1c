#include "DriveListBox.h"

namespace torvane {

DriveListBox::DriveListBox(const platform::Host& host, QWidget* parent) : QComboBox(parent) {
    for (const auto& m : host.drives().mappings()) {
        QString label = QString::fromStdString(m.hostRoot.filename().string());
        if (label.isEmpty()) label = QString::fromStdString(m.hostRoot.string());
        addItem(QString(QChar(m.letter).toLower()) + ": [" + label + "]");
    }
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) emit driveChanged(itemText(index), !programmatic_);
    });
}

bool DriveListBox::setDrive(const QString& root) {
    if (root.size() < 2) return false;
    for (int i = 0; i < count(); ++i) {
        if (itemText(i).left(2).compare(root.left(2), Qt::CaseInsensitive) != 0) continue;
        programmatic_ = true;
        if (currentIndex() == i) emit driveChanged(itemText(i), false);
        else setCurrentIndex(i);
        programmatic_ = false;
        return true;
    }
    return false;
}

}  // namespace torvane
