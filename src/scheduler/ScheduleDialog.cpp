#include "ScheduleDialog.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "ScheduleDate.h"
#include "ScheduleEntries.h"
#include "common/WidgetNames.h"

namespace torvane::scheduler {

namespace {

// The combo's text is set from a stored row even when the folder listing lacks that name.
void setComboText(QComboBox& combo, const std::string& text) {
    const QString wanted = QString::fromStdString(text);
    int index = combo.findText(wanted, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0 && !wanted.isEmpty()) {
        combo.addItem(wanted);
        index = combo.count() - 1;
    }
    combo.setCurrentIndex(index);
}

}  // namespace

ScheduleDialog::ScheduleDialog(SchedulerServices& services, ScheduleList& list,
                               const QString& caption, QWidget* parent)
    : QDialog(parent), services_(services), list_(list) {
    setWindowTitle(caption);
    setModal(true);

    Lbl_BackupSet = named(new QLabel("Backup Set", this), "Lbl_BackupSet");
    Cmb_BackupSet = named(new QComboBox(this), "Cmb_BackupSet");
    Fra_Schedule = named(new QGroupBox("Schedule", this), "Fra_Schedule");
    Cmb_Schedule = named(new QComboBox(Fra_Schedule), "Cmb_Schedule");
    Lbl_Date = named(new QLabel("Next Scheduled Date", Fra_Schedule), "Lbl_Date");
    DT_Date = named(new QDateEdit(Fra_Schedule), "DT_Date");
    DT_Date->setDisplayFormat("dd/MM/yy");
    DT_Date->setCalendarPopup(true);
    Lbl_Time = named(new QLabel("Time", Fra_Schedule), "Lbl_Time");
    DT_Time = named(new QTimeEdit(Fra_Schedule), "DT_Time");
    DT_Time->setDisplayFormat("HH:mm");
    Cmd_Ok = named(new QPushButton("Ok", this), "Cmd_Ok");
    Cmd_Ok->setDefault(true);
    Cmd_Cancel = named(new QPushButton("&Cancel", this), "Cmd_Cancel");

    auto* frame = new QFormLayout(Fra_Schedule);
    frame->addRow(Cmb_Schedule);
    frame->addRow(Lbl_Date, DT_Date);
    frame->addRow(Lbl_Time, DT_Time);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Cmd_Ok);
    buttons->addWidget(Cmd_Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Lbl_BackupSet);
    layout->addWidget(Cmb_BackupSet);
    layout->addWidget(Fra_Schedule);
    layout->addLayout(buttons);

    connect(Cmd_Ok, &QPushButton::clicked, this, &ScheduleDialog::Cmd_Ok_Click);
    connect(Cmd_Cancel, &QPushButton::clicked, this, &ScheduleDialog::Cmd_Cancel_Click);
    Form_Load();
}

void ScheduleDialog::Form_Load() {
    for (const std::string& set :
         backupSetsIn(services_.app.host, services_.app.globals.sUtilityFolder))
        Cmb_BackupSet->addItem(QString::fromStdString(set));
    for (const auto frequency : kFrequencies)
        Cmb_Schedule->addItem(
            QString::fromUtf8(frequency.data(), static_cast<int>(frequency.size())));
    if (Cmb_BackupSet->count() > 0) Cmb_BackupSet->setCurrentIndex(0);
    const CalendarDate today = dateOf(services_.app.clock.now());
    DT_Date->setDate(QDate(today.year, today.month, today.day));
    DT_Time->setTime(QTime::fromString("00:01", "HH:mm"));
    Cmb_Schedule->setCurrentIndex(0);
}

ScheduleRow ScheduleDialog::enteredRow() const {
    const QDate date = DT_Date->date();
    const QTime time = DT_Time->time();
    return {Cmb_BackupSet->currentText().toStdString(), Cmb_Schedule->currentText().toStdString(),
            formatShortDate({date.year(), date.month(), date.day()}),
            formatShortTime({time.hour(), time.minute()}), std::string(kEnabled)};
}

void ScheduleDialog::showRow(const ScheduleRow& row) {
    shown_ = row;
    setComboText(*Cmb_BackupSet, row.backupSet);
    setComboText(*Cmb_Schedule, row.schedule);
    if (const auto date = parseShortDate(row.date))
        DT_Date->setDate(QDate(date->year, date->month, date->day));
    if (const auto time = parseShortTime(row.time))
        DT_Time->setTime(QTime(time->hour, time->minute));
}

void ScheduleDialog::Cmd_Cancel_Click() { reject(); }

void ScheduleDialog::save(const std::function<SaveOutcome()>& attempt, bool sayDuplicate) {
    SaveOutcome outcome;
    try {
        outcome = attempt();
    } catch (const std::exception& error) {
        services_.app.prompts.message(
            {error.what(), MsgButtons::Ok, MsgIcon::Critical, MsgAnswer::Ok, "Error"});
        return;
    }
    switch (outcome) {
        case SaveOutcome::NoBackupSet:
            refuse("Unable to Save these settings as no Backup Set has been selected.");
            return;
        case SaveOutcome::Duplicate:
            if (sayDuplicate) refuse("Unable to Save these Settings as they already exist.");
            return;
        case SaveOutcome::PastOneTime:
            refuse("Unable to Save this One Time event as its date and time have already passed.");
            return;
        case SaveOutcome::StoreChanged:
            refuse("Unable to Save these Settings as the stored schedule has changed since it "
                   "was loaded. Please restart Torvane Scheduler.");
            return;
        case SaveOutcome::Saved:
            accept();
            return;
    }
}

void ScheduleDialog::refuse(const std::string& text) {
    services_.app.globals.sMessage = text;
    services_.app.prompts.message({services_.app.globals.sMessage, MsgButtons::Ok,
                                   MsgIcon::Information, MsgAnswer::Ok, kExecutableName});
}

}  // namespace torvane::scheduler
