// Entry procedure of Torvane: splash, single instance, start-up records, the main window, and
// the unattended backup when a set is named on the command line.
#include <QApplication>
#include <QSessionManager>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>

#include "backupsets/clsFiles.h"
#include "common/Frm_Splash.h"
#include "common/QtPromptService.h"
#include "common/SignalCloser.h"
#include "common/SilentPrompts.h"
#include "common/clsApplication.h"
#include "common/clsLog.h"
#include "mainwindow/BackupPage.h"
#include "mainwindow/Frm_Mainmenu.h"
#include "platform/ProfileFile.h"

using namespace torvane;

namespace {

// The whole argument text, as the desktop hands it over: every argument joined by one space.
std::string commandLineOf(int argc, char** argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) text += (i > 1 ? " " : "") + std::string(argv[i]);
    return text;
}

QtMessageHandler qtDefaultMessages = nullptr;

// Without a display nobody reads Qt's notices ("XDG_RUNTIME_DIR not set", "does not support
// propagateSizeHints()"), and cron mails whatever a scheduled run prints: on the offscreen
// platform only critical and fatal messages get through.
void quietWithoutDisplay(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const bool offscreen = platform && std::string_view(platform).starts_with("offscreen");
    if (!offscreen || type == QtCriticalMsg || type == QtFatalMsg) qtDefaultMessages(type, context, text);
}

// Why the set file cannot be read, in the host's words without its path; empty when it can.
std::optional<std::string> unreadableReason(const platform::Host& host, const std::string& setFile) {
    const auto file = host.resolve(setFile);
    if (!file) return std::nullopt;
    try {
        platform::ProfileFile(*file).load();
    } catch (const std::system_error& e) {
        return e.code().message();
    }
    return std::nullopt;
}

int splashDelayMs() {
    const char* value = std::getenv("TORVANE_SPLASH_MS");
    return value ? std::atoi(value) : 5000;
}

}  // namespace

int main(int argc, char** argv) {
    qtDefaultMessages = qInstallMessageHandler(quietWithoutDisplay);
    const std::string commandLine = commandLineOf(argc, argv);
    // A scheduled backup also runs where no desktop is: from cron, over ssh, on a server.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication qtApp(argc, argv);
    QApplication::setApplicationName("Torvane");
    // Caught from the start: a signal that arrives before the main window exists waits and
    // closes the window as soon as it is there.
    SignalCloser terminationSignals;

    try {
        platform::Host host(platform::HostConfig::fromEnvironment());
        platform::SystemClock clock;
        Globals globals;
        const std::string programFolder = host.programFolder();
        globals.sLogFile = programFolder + "\\Torvane.Log";
        QtPromptService windowPrompts(host);
        SilentPrompts silentPrompts;
        PromptService& prompts = commandLine.empty() ? static_cast<PromptService&>(windowPrompts) : silentPrompts;
        AppContext context{host, prompts, clock, globals, commandLine};

        platform::InstanceLock lock(host.settingsFolder(), "Torvane");
        clsApplication application(lock);
        clsLog log(context, LogFlavour::utility());

        QApplication::setOverrideCursor(Qt::WaitCursor);
        QApplication::processEvents();
        auto splash = std::make_unique<Frm_Splash>("Backup Utility");
        splash->showAndWait(splashDelayMs());

        if (application.PrevInstance()) {
            log.WriteToLog("PrevInstance", true);
            splash.reset();
            return 0;
        }
        log.WriteToLog("Startup", true);
        log.WriteToLog("Command Line", true);
        log.Log_Truncate(52000);

        Frm_Mainmenu window(context);
        windowPrompts.setParent(&window);
        window.show();
        splash.reset();
        QApplication::restoreOverrideCursor();

        terminationSignals.setHandler([&window] { window.terminate(); });
        QObject::connect(&qtApp, &QGuiApplication::commitDataRequest, &window,
                         [&window](QSessionManager&) { window.closeWithReason(2); });

        if (!commandLine.empty()) {
            const std::string setFile = programFolder + "\\" + commandLine;
            RunResult result = RunResult::Failed;
            if (!clsFiles(context).Exist(setFile, true)) {
                log.WriteToLog("Backup", true, "Unable to Start Backup - File " + commandLine + " does not exist.");
            } else if (const auto reason = unreadableReason(host, setFile)) {
                // Read as empty, the set would fail later for a reason that is not the real one.
                log.WriteToLog("Backup", true,
                               "Unable to Start Backup - File " + commandLine + " cannot be read: " + *reason + ".");
            } else {
                window.selectBackupSet(QString::fromStdString(commandLine));
                // After a signal nothing starts: the window has closed with its "Exit" record.
                terminationSignals.handlePending();
                if (window.isVisible()) {
                    window.Cmd_Backup_Click();
                    result = window.backupPage->lastResult();
                } else {
                    result = RunResult::Cancelled;
                }
            }
            if (window.isVisible()) window.closeWithReason(1);
            return static_cast<int>(result);
        }
        return qtApp.exec();
    } catch (const std::exception& e) {
        std::cerr << "Torvane: " << e.what() << "\n";
        return static_cast<int>(RunResult::Failed);
    }
}
