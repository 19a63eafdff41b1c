#pragma once

#include "common/AppContext.h"
#include "common/clsLog.h"
#include "platform/ProcessStarter.h"
#include "platform/SettingsStore.h"

namespace torvane::scheduler {

// The executable's name without extension: the title of every message box, the application
// name of the settings store and the base name of the log.
inline constexpr const char* kExecutableName = "Torvane Scheduler";

// What the scheduler's windows work with, handed in so that tests can put in their own.
struct SchedulerServices {
    AppContext& app;
    platform::SettingsStore& store;
    platform::ProcessStarter& starter;
    clsLog& log;
    // False where the desktop has no notification area: the window then minimises instead.
    bool trayAvailable;
};

}  // namespace torvane::scheduler
