#pragma once

#include "ScheduleDialog.h"

namespace torvane::scheduler {

// Edits row `index` of the list, the row that was selected when the dialog opened.
class Frm_Edit : public ScheduleDialog {
    Q_OBJECT
public:
    Frm_Edit(SchedulerServices& services, ScheduleList& list, int index, QWidget* parent);

public slots:
    void Cmd_Ok_Click() override;

private:
    int index_;
};

}  // namespace torvane::scheduler
