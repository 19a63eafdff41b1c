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

#include "common/Frm_Splash.h"
#include "common/InstanceChannel.h"
#include "common/QtPromptService.h"
#include "common/SignalCloser.h"
#include "common/SilentPrompts.h"
#include "common/clsApplication.h"
#include "common/clsLog.h"
#include "mainwindow/BackupPage.h"
#include "mainwindow/Frm_Mainmenu.h"
#include "mainwindow/QueuedRuns.h"
#include "mainwindow/RunNotices.h"
#include "mainwindow/UnattendedBackup.h"

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

// A running instance that is busy still answers a hand-over from its event loop; one that has not
// answered in this time is not there.
constexpr int kHandOverWaitMs = 10000;

// A second start hands its set to the running instance, which runs it; without a set, it brings
// the running window to the front. Answers the exit status: 2 when a set found nobody to take
// it. Nothing when the running instance ended meanwhile, so that this start now holds the lock
// and runs its set itself.
std::optional<int> handOverToRunning(const std::filesystem::path& settingsFolder, platform::InstanceLock& lock,
                                     const std::string& commandLine) {
    InstanceChannel channel(settingsFolder, "Torvane");
    if (commandLine.empty()) {
        channel.activateRunning();
        return 0;
    }
    if (channel.handOver(commandLine, kHandOverWaitMs, [&lock] { return lock.acquire(); })) return 0;
    if (lock.acquire()) return std::nullopt;
    return 2;
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
            if (const auto status = handOverToRunning(host.settingsFolder(), lock, commandLine)) {
                splash.reset();
                return *status;
            }
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

        // Later starts hand their sets to this instance: an open window runs them when idle, an
        // unattended run takes them after its own.
        QueuedRuns queuedRuns(context, *window.backupPage, commandLine.empty());
        window.setQueuedRuns(&queuedRuns);
        InstanceChannel otherStarts(host.settingsFolder(), "Torvane");
        QObject::connect(&otherStarts, &InstanceChannel::runRequested, &queuedRuns, &QueuedRuns::enqueue);
        QObject::connect(&otherStarts, &InstanceChannel::activationRequested, &window, [&window] {
            window.showNormal();
            window.raise();
            window.activateWindow();
        });
        otherStarts.listen();

        if (!commandLine.empty()) {
            const RunOutcome outcome = runUnattendedBackup(context, *window.backupPage, commandLine, [&] {
                // After a signal nothing starts: the window has closed with its "Exit" record.
                terminationSignals.handlePending();
                return window.isVisible();
            });
            raiseFailureNotices(context, commandLine, outcome);
            queuedRuns.runAll(otherStarts);
            if (window.isVisible()) window.closeWithReason(1);
            return 0;
        }
        return qtApp.exec();
    } catch (const std::exception& e) {
        std::cerr << "Torvane: " << e.what() << "\n";
        return 1;
    }
}
