#include "RunNotices.h"

#include <QEventLoop>
#include <QMetaObject>
#include <thread>

#include "common/TorvaneError.h"
#include "common/clsLog.h"
#include "mainwindow/DesktopNotice.h"
#include "mainwindow/FailureNotice.h"

namespace torvane {

namespace {

void record(AppContext& context, const std::string& text) {
    try {
        clsLog(context, LogFlavour::utility()).WriteToLog("Backup", true, text);
    } catch (const TorvaneError&) {
        // A log that cannot be written has nowhere else to go.
    }
}

void mailWhileHandlingEvents(AppContext& context, const std::string& setName) {
    QEventLoop waiting;
    std::thread sender([&] {
        try {
            mailLogOnFailure(context, setName);
        } catch (const std::exception& e) {
            record(context, std::string("Email Failed - ") + e.what());
        }
        QMetaObject::invokeMethod(&waiting, &QEventLoop::quit, Qt::QueuedConnection);
    });
    waiting.exec();
    sender.join();
}

}  // namespace

void raiseFailureNotices(AppContext& context, const std::string& setName,
                         const RunOutcome& outcome) {
    if (!outcome.wentWrong()) return;
    const NoticeText notice = failureNoticeText(setName, outcome);
    if (const std::string problem = showDesktopNotice(notice.title, notice.body); !problem.empty())
        record(context, "Unable to show the desktop notice - " + problem);
    mailWhileHandlingEvents(context, setName);
}

}  // namespace torvane
