#include "Frm_Edit.h"

namespace torvane::scheduler {

Frm_Edit::Frm_Edit(SchedulerServices& services, ScheduleList& list, int index, QWidget* parent)
    : ScheduleDialog(services, list, "Torvane Scheduler - Edit", parent), index_(index) {
    setObjectName("Frm_Edit");
}

void Frm_Edit::Cmd_Ok_Click() {
    // An unchanged event is its own duplicate: Ok without a change simply does nothing.
    save(
        [this] {
            clsRegistry registry(services_.store);
            return EditEntry(list_, registry, index_, shownRow(), enteredRow(),
                             services_.app.clock.now());
        },
        false);
}

}  // namespace torvane::scheduler
