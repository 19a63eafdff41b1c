#pragma once

#include <QListWidget>

#include "platform/Host.h"

namespace torvane {

// The folder list: the open folder's ancestors, the folder itself and its subfolders; a
// double-click opens a folder. path() is the open folder as a drive path, in the real case of
// the file system, without a trailing "\" except at a drive root.
class DirListBox : public QListWidget {
    Q_OBJECT
public:
    DirListBox(const platform::Host& host, QWidget* parent = nullptr);

    QString path() const { return path_; }
    // Opens a folder from code; false (and no change) when it does not exist.
    bool setPath(const QString& drivePath);
    void refresh();

signals:
    void pathChanged(const QString& path, bool byUser);

private:
    bool open(const QString& drivePath, bool byUser);

    const platform::Host& host_;
    QString path_;
};

}  // namespace torvane
