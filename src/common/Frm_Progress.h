#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "common/AppContext.h"
#include "common/ProgressFeed.h"
#include "zip/ZipEngine.h"

class QGroupBox;
class QLabel;
class QListView;
class QMovie;
class QProgressBar;
class QPushButton;
class QTimer;

namespace torvane {

class DetailList;

// What tells a backup's progress window from a restore's.
struct ProgressCaptions {
    const char* objectName;  // "Frm_Backup"
    const char* title;       // the window's caption
    const char* heading;     // Lbl_BackingUp
    const char* area;        // title of the disk request and of the failure message
};

// The progress window of a backup or a restore: runs the engine on a worker thread and shows
// its progress. The worker fills a progress feed that the window shows a few dozen times a
// second, so the window stays responsive and costs the same per item in a run of any size.
// Cancel disables itself and the engine's next overall-progress event answers with the cancel
// request.
class Frm_Progress : public QDialog {
    Q_OBJECT
  public:
    Frm_Progress(AppContext& context, const ProgressCaptions& captions, bool unattended,
                 QWidget* parent = nullptr);
    ~Frm_Progress() override;

    QLabel* Lbl_BackingUp;
    QLabel* Ani_File;
    QLabel* Lbl_BackupPath;
    QLabel* Lbl_JobProgress;
    QProgressBar* PB_Folder;
    QLabel* Lbl_File;
    QProgressBar* PB_File;
    QLabel* Lbl_Folder;
    QGroupBox* Fra_Details;
    QListView* Lst_Details;
    QPushButton* Cmd_Cancel;
    QPushButton* Cmd_Ok;

    // The outcome once the run has ended.
    const std::optional<zip::Outcome>& outcome() const { return outcome_; }
    // The line the run ended with, as the window states it; empty until it has ended.
    const std::string& status() const { return status_; }
    // Asks the running engine to stop, as the Cancel button does.
    void requestCancel();
    // The program is being ended: stop the run and close without waiting for OK.
    void endWithoutWaiting();

  public slots:
    void Cmd_Cancel_Click();
    void Cmd_Ok_Click();

  protected:
    // The engine's part of the run, called on the worker thread.
    using Job = std::function<zip::Outcome(zip::Events&)>;
    // How the window states the end of a run.
    struct Ending {
        std::string status;                     // the final text of Lbl_BackupPath
        std::optional<MessageRequest> message;  // shown after the window is updated
    };

    // Called on the window's thread once the window shows: logs the start and returns the
    // engine's job. An exception ends the run as failed with its text as the reason.
    virtual Job prepareRun() = 0;
    // Called on the window's thread with the engine's outcome.
    virtual Ending endRun(const zip::Outcome& outcome) = 0;
    // The request's nextDisk: asks for a missing disk on the window's thread.
    std::function<bool(int)> diskRequest();
    // Called by the job on the worker thread when a second phase of the run starts: the window
    // shows the new heading and both bars back at 0, before anything the new phase reports.
    void beginPhase(const std::string& heading);

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

    AppContext& context_;

  private:
    void startRun();
    void showProgress();
    void finishRun(const zip::Outcome& outcome);
    bool askForDisk(int volumeNumber);

    ProgressCaptions captions_;
    bool unattended_;
    bool started_ = false;
    bool running_ = false;
    bool closeWhenDone_ = false;
    QMovie* movie_ = nullptr;
    DetailList* details_;
    QTimer* progressTimer_;
    ProgressFeed feed_;
    std::thread worker_;
    std::optional<zip::Outcome> outcome_;
    std::string status_;
};

}  // namespace torvane
