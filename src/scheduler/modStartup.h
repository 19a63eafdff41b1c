#pragma once

#include <filesystem>
#include <memory>

class QLabel;

#include "SchedulerServices.h"
#include "common/Frm_Splash.h"
#include "platform/InstanceLock.h"

namespace torvane {
class InstanceChannel;
}

namespace torvane::scheduler {

class Frm_Main;

struct StartupOptions {
    int splashDelayMs = 5000;
    bool trayAvailable = true;
    // The host folder the process was started in: the first place to look for the utility.
    std::filesystem::path currentFolder;
};

// The scheduler from its entry procedure on: the splash, the log's start-up records, locating
// the utility, the single-instance rule and the main window.
class SchedulerProgram {
  public:
    SchedulerProgram(AppContext& app, platform::ProcessStarter& starter,
                     platform::InstanceLock& lock, StartupOptions options);
    ~SchedulerProgram();

    // The entry procedure. True when the main window is loaded and the event loop is to run;
    // false when this start ends at once (another instance runs, or the utility is not found).
    bool Main();

    Frm_Main* mainWindow() const { return main_.get(); }
    bool unableToFind() const { return bUnableToFind_; }
    platform::SettingsStore& store() { return store_; }

  private:
    void locateUtility();
    void ShutDown();

    AppContext& app_;
    platform::ProcessStarter& starter_;
    platform::InstanceLock& lock_;
    StartupOptions options_;
    platform::SettingsStore store_;
    std::unique_ptr<clsLog> log_;
    std::unique_ptr<SchedulerServices> services_;
    std::unique_ptr<Frm_Splash> splash_;
    QLabel* Lbl_Working_ = nullptr;
    std::unique_ptr<InstanceChannel> channel_;
    std::unique_ptr<Frm_Main> main_;
    bool bUnableToFind_ = false;
};

}  // namespace torvane::scheduler
