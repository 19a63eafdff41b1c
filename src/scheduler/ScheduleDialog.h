#pragma once

#include <QDialog>

#include "ScheduleList.h"
#include "SchedulerServices.h"

class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QPushButton;
class QTimeEdit;

namespace torvane::scheduler {

// The controls and load that the Add and Edit dialogs share; each dialog has its own Ok.
class ScheduleDialog : public QDialog {
    Q_OBJECT
public:
    ScheduleDialog(SchedulerServices& services, ScheduleList& list, const QString& caption, QWidget* parent);

    // The event as the controls show it, in the store's formats.
    ScheduleRow enteredRow() const;
    // Puts a row's set, frequency, date and time into the controls.
    void showRow(const ScheduleRow& row);

    QLabel* Lbl_BackupSet;
    QComboBox* Cmb_BackupSet;
    QGroupBox* Fra_Schedule;
    QComboBox* Cmb_Schedule;
    QLabel* Lbl_Date;
    QDateEdit* DT_Date;
    QLabel* Lbl_Time;
    QTimeEdit* DT_Time;
    QPushButton* Cmd_Ok;
    QPushButton* Cmd_Cancel;

public slots:
    virtual void Cmd_Ok_Click() = 0;
    void Cmd_Cancel_Click();

protected:
    void refuse(const std::string& text);

    SchedulerServices& services_;
    ScheduleList& list_;

private:
    void Form_Load();
};

}  // namespace torvane::scheduler
