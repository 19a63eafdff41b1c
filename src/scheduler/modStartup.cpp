#include "modStartup.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>

#include "Frm_Main.h"
#include "common/InstanceChannel.h"
#include "SchedulerTick.h"
#include "clsFiles.h"
#include "common/WidgetNames.h"
#include "common/clsApplication.h"
#include "platform/AsciiCase.h"

namespace torvane::scheduler {

namespace {

constexpr std::int32_t kLogLimitBytes = 52000;

}  // namespace

SchedulerProgram::SchedulerProgram(AppContext& app, platform::ProcessStarter& starter,
                                   platform::InstanceLock& lock, StartupOptions options)
    : app_(app),
      starter_(starter),
      lock_(lock),
      options_(std::move(options)),
      store_(app.host.settingsFolder(), kExecutableName) {}

SchedulerProgram::~SchedulerProgram() = default;

bool SchedulerProgram::Main() {
    clsApplication application(lock_);
    Globals& globals = app_.globals;
    globals.sLogFile = app_.host.programFolder() + "\\" + kExecutableName + ".Log";
    globals.sMessage.clear();
    globals.sNewLine = "\r\n";
    bUnableToFind_ = false;

    log_ = std::make_unique<clsLog>(app_, LogFlavour::scheduler());
    services_ = std::make_unique<SchedulerServices>(
        SchedulerServices{app_, store_, starter_, *log_, options_.trayAvailable});
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::processEvents();

    splash_ = std::make_unique<Frm_Splash>("Scheduler - starts your backups on time");
    Lbl_Working_ = named(new QLabel("Please Wait, Locating Torvane", splash_.get()), "Lbl_Working");
    Lbl_Working_->setAlignment(Qt::AlignCenter);
    Lbl_Working_->setStyleSheet("color: yellow;");
    Lbl_Working_->hide();
    if (auto* layout = qobject_cast<QVBoxLayout*>(splash_->layout()))
        layout->insertWidget(layout->indexOf(splash_->Lbl_Version) + 1, Lbl_Working_);
    splash_->showAndWait(options_.splashDelayMs);

    log_->WriteToLog("Startup", true);
    log_->Log_Truncate(kLogLimitBytes);

    locateUtility();

    const bool previousInstance = application.PrevInstance();
    if (previousInstance || bUnableToFind_) {
        if (previousInstance) {
            log_->WriteToLog("PrevInstance", true);
            if (InstanceChannel(app_.host.settingsFolder(), kExecutableName).activateRunning())
                log_->WriteToLog("Backup", true,
                                 std::string("Application Started.  ") +
                                     "Previous Instance Detected.  Loading Previous Instance");
            log_->WriteToLog("Exit", true, std::int16_t{0});
        }
        if (bUnableToFind_) {
            log_->WriteToLog("UnableToFind", true);
            log_->WriteToLog("Exit", true, std::int16_t{0});
        }
        ShutDown();
        return false;
    }

    channel_ = std::make_unique<InstanceChannel>(app_.host.settingsFolder(), kExecutableName);
    main_ = std::make_unique<Frm_Main>(*services_);
    QObject::connect(channel_.get(), &InstanceChannel::activationRequested, main_.get(),
                     &Frm_Main::Menu_SystemTray_Open);
    channel_->listen();
    main_->Form_Load();
    Lbl_Working_ = nullptr;
    splash_.reset();
    QApplication::restoreOverrideCursor();
    return true;
}

void SchedulerProgram::locateUtility() {
    clsRegistry registry(store_);
    const clsFiles files(app_.host, options_.currentFolder);
    const std::string remembered = registry.UtilityPath();
    if (!remembered.empty()) {
        app_.globals.sUtilityFolder = files.Backup_Parts(remembered, 1);
        return;
    }
    Lbl_Working_->show();
    Lbl_Working_->repaint();
    QApplication::processEvents();
    const std::string found =
        files.FindFile(std::string(kUtilityExecutable), app_.host.programFolder().substr(0, 2));
    if (!found.empty()) {
        try {
            registry.SaveUtilityPath(found);
        } catch (const std::exception&) {
            // Not remembered, so searched for again at the next start; a store that cannot be
            // written is reported once the schedule loads from it.
        }
        app_.globals.sUtilityFolder = files.Backup_Parts(found, 1);
        log_->WriteToLog("Backup", true, "Torvane Backup found in " + platform::asciiUpper(found));
        return;
    }
    Globals& globals = app_.globals;
    globals.sMessage = std::string("Torvane Scheduler is unable to ") +
                       "locate the Torvane Backup Utility." + globals.sNewLine + globals.sNewLine +
                       "Please re-install the Torvane " + "Backup Utility.";
    app_.prompts.message(
        {globals.sMessage, MsgButtons::Ok, MsgIcon::Critical, MsgAnswer::Ok, kExecutableName});
    bUnableToFind_ = true;
}

void SchedulerProgram::ShutDown() {
    Lbl_Working_ = nullptr;
    splash_.reset();
    QApplication::restoreOverrideCursor();
}

}  // namespace torvane::scheduler
