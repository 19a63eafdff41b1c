#pragma once

#include "ScheduleDialog.h"

namespace torvane::scheduler {

class Frm_Add : public ScheduleDialog {
    Q_OBJECT
public:
    Frm_Add(SchedulerServices& services, ScheduleList& list, QWidget* parent);

public slots:
    void Cmd_Ok_Click() override;
};

}  // namespace torvane::scheduler
