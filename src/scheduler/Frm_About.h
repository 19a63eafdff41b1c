#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace torvane::scheduler {

class Frm_About : public QDialog {
    Q_OBJECT
public:
    explicit Frm_About(QWidget* parent);

    QLabel* Fld_Version;
    QLabel* Fld_Build;
    QPushButton* Cmd_Ok;

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace torvane::scheduler
