#include <QApplication>
#include <QSessionManager>
#include <QSystemTrayIcon>
#include <cstdlib>
#include <filesystem>

#include "common/QtPromptService.h"
#include "common/SignalCloser.h"
#include "platform/Clock.h"
#include "platform/Host.h"
#include "platform/InstanceLock.h"
#include "platform/ProcessStarter.h"
#include "scheduler/Frm_Main.h"
#include "scheduler/modStartup.h"

using namespace torvane;

int main(int argc, char** argv) {
    // Without a display (a server, a session started from cron) the scheduler still runs its
    // timer; its window then lives on Qt's offscreen platform.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") &&
        !std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    QApplication::setApplicationName(scheduler::kExecutableName);
    QApplication::setQuitOnLastWindowClosed(false);

    platform::Host host(platform::HostConfig::fromEnvironment());
    QtPromptService prompts(host);
    platform::SystemClock clock;
    Globals globals;
    AppContext context{host, prompts, clock, globals, {}};
    platform::HostProcessStarter starter;
    platform::InstanceLock lock(host.settingsFolder(), scheduler::kExecutableName);

    scheduler::StartupOptions options;
    options.trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    // Both programs take the splash time from here, so that tests need not sit through it.
    if (const char* splashMs = std::getenv("TORVANE_SPLASH_MS"))
        options.splashDelayMs = std::atoi(splashMs);
    std::error_code ec;
    options.currentFolder = std::filesystem::current_path(ec);

    // Caught from before the splash, so that a signal during start-up ends the program through
    // its unload once the window is there, instead of killing it without its "Exit" record.
    SignalCloser terminationSignals;
    scheduler::SchedulerProgram program(context, starter, lock, options);
    if (!program.Main()) return 0;
    scheduler::Frm_Main* window = program.mainWindow();
    QObject::connect(window, &scheduler::Frm_Main::unloaded, &application, &QApplication::quit,
                     Qt::QueuedConnection);
    terminationSignals.setHandler([window] { window->closeFromOutside(); });
    // At the end of the session the window must unload rather than go back to the tray, or the
    // session manager would take the refused close as a cancelled logout.
    QObject::connect(&application, &QGuiApplication::commitDataRequest, window,
                     [window](QSessionManager&) { window->closeFromOutside(); });
    return application.exec();
}
