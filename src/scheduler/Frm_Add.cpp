#include "Frm_Add.h"

namespace torvane::scheduler {

Frm_Add::Frm_Add(SchedulerServices& services, ScheduleList& list, QWidget* parent)
    : ScheduleDialog(services, list, "Torvane Scheduler - Add", parent) {
    setObjectName("Frm_Add");
}

void Frm_Add::Cmd_Ok_Click() {
    save(
        [this] {
            clsRegistry registry(services_.store);
            return AddEntry(list_, registry, enteredRow(), services_.app.clock.now());
        },
        true);
}

}  // namespace torvane::scheduler
