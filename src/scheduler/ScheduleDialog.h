#pragma once

#include <QDialog>
#include <functional>

#include "ScheduleEntries.h"
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
    ScheduleDialog(SchedulerServices& services, ScheduleList& list, const QString& caption,
                   QWidget* parent);

    // The event as the controls show it, in the store's formats.
    ScheduleRow enteredRow() const;
    // Puts a row's set, frequency, date and time into the controls.
    void showRow(const ScheduleRow& row);
    // The row as showRow put it into the controls.
    const ScheduleRow& shownRow() const { return shown_; }

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
    // Runs one save and answers its outcome: the dialog closes once saved and stays open on a
    // refusal or a failure (shown as an error with the host's reason). A duplicate is refused
    // aloud only when `sayDuplicate`.
    void save(const std::function<SaveOutcome()>& attempt, bool sayDuplicate);
    void refuse(const std::string& text);

    SchedulerServices& services_;
    ScheduleList& list_;

  private:
    void Form_Load();

    ScheduleRow shown_;
};

}  // namespace torvane::scheduler
