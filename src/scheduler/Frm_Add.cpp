#include "Frm_Add.h"

#include "ScheduleEntries.h"

namespace torvane::scheduler {

Frm_Add::Frm_Add(SchedulerServices& services, ScheduleList& list, QWidget* parent)
    : ScheduleDialog(services, list, "Torvane Scheduler - Add", parent) {
    setObjectName("Frm_Add");
}

void Frm_Add::Cmd_Ok_Click() {
    clsRegistry registry(services_.store);
    switch (AddEntry(list_, registry, enteredRow())) {
        case SaveOutcome::NoBackupSet:
            refuse("Unable to Save these settings as no Backup Set has been selected.");
            return;
        case SaveOutcome::Duplicate:
            refuse("Unable to Save these Settings as they already exist.");
            return;
        case SaveOutcome::Saved:
            accept();
            return;
    }
}

}  // namespace torvane::scheduler
