#pragma once

#include <QDialog>
#include <memory>
#include <optional>
#include <thread>

#include "backup/BackupRun.h"
#include "common/AppContext.h"
#include "common/ProgressFeed.h"

class QGroupBox;
class QLabel;
class QListView;
class QMovie;
class QProgressBar;
class QPushButton;
class QTimer;

namespace torvane {

class DetailList;

// "Backing Up Files...": runs one backup on a worker thread and shows its progress, then, when
// the set verifies, the archive's read-back as a second phase with the same bars and Cancel. The
// worker fills a progress feed that the window shows a few dozen times a second, so the window
// stays responsive and costs the same per file in a run of any size. Cancel disables itself and
// the engine's next overall-progress event answers with the cancel request.
class Frm_Backup : public QDialog {
    Q_OBJECT
public:
    Frm_Backup(AppContext& context, const QString& setName, bool unattended, QWidget* parent = nullptr);
    ~Frm_Backup() override;

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
    // How the run ended, once it has; Failed before.
    RunResult result() const { return run_ ? run_->result() : RunResult::Failed; }
    // Test seam: applied to the engine request before the run starts.
    void setRequestAdjuster(std::function<void(zip::BackupRequest&)> adjust) { adjust_ = std::move(adjust); }
    // Test seam: applied to the read-back request of a set that verifies.
    void setVerifyAdjuster(std::function<void(zip::VerifyRequest&)> adjust) { adjustVerify_ = std::move(adjust); }
    // Asks the running backup to stop, as the Cancel button does.
    void requestCancel();
    // The program is being ended: stop the run and close without waiting for OK.
    void endWithoutWaiting();

public slots:
    void Cmd_Cancel_Click();
    void Cmd_Ok_Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void startRun();
    void showProgress();
    void showVerifying();
    void finishRun(const zip::Outcome& outcome, const std::optional<zip::Verification>& verified = {});
    bool askForDisk(int volumeNumber);

    AppContext& context_;
    QString setName_;
    bool unattended_;
    bool started_ = false;
    bool running_ = false;
    bool closeWhenDone_ = false;
    QMovie* movie_ = nullptr;
    DetailList* details_;
    QTimer* progressTimer_;
    ProgressFeed feed_;
    std::thread worker_;
    std::unique_ptr<BackupRun> run_;
    std::optional<zip::Outcome> outcome_;
    std::function<void(zip::BackupRequest&)> adjust_;
    std::function<void(zip::VerifyRequest&)> adjustVerify_;
};

}  // namespace torvane
