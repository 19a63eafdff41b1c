#include "Frm_Edit.h"

#include "ScheduleEntries.h"

namespace torvane::scheduler {

Frm_Edit::Frm_Edit(SchedulerServices& services, ScheduleList& list, int index, QWidget* parent)
    : ScheduleDialog(services, list, "Torvane Scheduler - Edit", parent), index_(index) {
    setObjectName("Frm_Edit");
}

void Frm_Edit::Cmd_Ok_Click() {
    clsRegistry registry(services_.store);
    switch (EditEntry(list_, registry, index_, enteredRow())) {
        case SaveOutcome::NoBackupSet:
            refuse("Unable to Save these settings as no Backup Set has been selected.");
            return;
        case SaveOutcome::Duplicate:
            // An unchanged event is its own duplicate: Ok without a change simply does nothing.
            return;
        case SaveOutcome::Saved:
            accept();
            return;
    }
}

}  // namespace torvane::scheduler
