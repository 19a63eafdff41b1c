// Entry procedure of Torvane: splash, single instance, start-up records, the main window, and
// the unattended backup when a set is named on the command line.
#include <QApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string_view>

#include "backupsets/clsFiles.h"
#include "common/Frm_Splash.h"
#include "common/QtPromptService.h"
#include "common/SilentPrompts.h"
#include "common/clsApplication.h"
#include "common/clsLog.h"
#include "mainwindow/Frm_Mainmenu.h"

using namespace torvane;

namespace {

int signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const char c = 1;
    (void)!::write(signalPipe[1], &c, 1);
}

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
    // Caught from the start: a signal that arrives before the main window exists waits in the
    // pipe and closes the window as soon as it is there.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) == 0)
        for (int sig : {SIGTERM, SIGINT, SIGHUP}) std::signal(sig, onTerminationSignal);

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

        if (signalPipe[0] >= 0) {
            auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &window);
            QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
                char c;
                (void)!::read(signalPipe[0], &c, 1);
                window.terminate();
            });
        }
        QObject::connect(&qtApp, &QGuiApplication::commitDataRequest, &window,
                         [&window](QSessionManager&) { window.closeWithReason(2); });

        if (!commandLine.empty()) {
            if (!clsFiles(context).Exist(programFolder + "\\" + commandLine, true)) {
                log.WriteToLog("Backup", true, "Unable to Start Backup - File " + commandLine + " does not exist.");
            } else {
                window.selectBackupSet(QString::fromStdString(commandLine));
                window.Cmd_Backup_Click();
            }
            window.closeWithReason(1);
            return 0;
        }
        return qtApp.exec();
    } catch (const std::exception& e) {
        std::cerr << "Torvane: " << e.what() << "\n";
        return 1;
    }
}
