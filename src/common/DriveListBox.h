#pragma once

#include <QComboBox>

#include "platform/Host.h"

namespace torvane {

// The drive list: each mapped letter with the name of the folder it stands for, "c: [home]".
// Every change is announced, with whether the user made it, so that callers write only what
// the user chose.
class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    DriveListBox(const platform::Host& host, QWidget* parent = nullptr);

    // The entry's text, such as "c: [home]".
    QString drive() const { return currentText(); }
    // Selects the drive of a root or path ("E:\" or "e:\x"); false when it is not listed.
    bool setDrive(const QString& root);

signals:
    void driveChanged(const QString& driveText, bool byUser);

private:
    bool programmatic_ = false;
};

}  // namespace torvane
