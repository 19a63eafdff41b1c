#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "SchedulerFixture.h"
#include "TestContext.h"
#include "common/clsLog.h"
#include "common/clsSystem.h"
#include "scheduler/SchedulerServices.h"

namespace torvane::scheduler::test {

// A scheduler on a temporary drive C: whose program folder C:\Prog also holds the utility's
// backup set files, with scripted prompts, a fake clock and a recording process starter.
struct SchedulerUi {
    torvane::test::TestContext ctx;
    platform::SettingsStore store{ctx.host->settingsFolder(), kExecutableName};
    RecordingStarter starter;
    std::unique_ptr<clsLog> log;
    std::unique_ptr<SchedulerServices> services;

    explicit SchedulerUi(bool trayAvailable = false) {
        ctx.globals.sLogFile = ctx.programFolder() + "\\Torvane Scheduler.Log";
        ctx.globals.sUtilityFolder = ctx.programFolder() + "\\";
        log = std::make_unique<clsLog>(*ctx.context, LogFlavour::scheduler());
        services = std::make_unique<SchedulerServices>(
            SchedulerServices{*ctx.context, store, starter, *log, trayAvailable});
    }

    void addSetFile(const std::string& name) { torvane::test::writeFile(ctx.programHost / name, "[Backup]\n"); }
    std::string logText() const { return torvane::test::readFile(ctx.programHost / "Torvane Scheduler.Log"); }
    std::string storeValue(int item, const std::string& key) const {
        return store.get("Item" + std::to_string(item), key, "<missing>");
    }
};

// Runs `act` on the modal dialog the next call opens, from inside that dialog's event loop.
inline void whenModalShows(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
        QWidget* modal = QApplication::activeModalWidget();
        act(modal);
        if (modal && modal->isVisible()) modal->close();
    });
}

}  // namespace torvane::scheduler::test
