#include "Frm_Backup.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMovie>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "backupsets/clsFiles.h"
#include "common/DetailList.h"
#include "common/TorvaneError.h"
#include "common/WidgetNames.h"

namespace torvane {

namespace {

// How often the window shows what the worker has reported: smooth to the eye, and rare enough
// that a run of small files spends its time compressing, not drawing.
constexpr int kProgressIntervalMs = 30;

// Hands the engine's notifications to the progress feed; the worker never waits for the window.
class FeedEvents : public zip::Events {
public:
    explicit FeedEvents(ProgressFeed& feed) : feed_(feed) {}

    void item(const std::string& text) override { feed_.item(text); }
    void fileProgress(int percent) override { feed_.fileProgress(percent); }
    bool overallProgress(int percent) override { return feed_.overallProgress(percent); }

private:
    ProgressFeed& feed_;
};

}  // namespace

Frm_Backup::Frm_Backup(AppContext& context, const QString& setName, bool unattended, QWidget* parent)
    : QDialog(parent), context_(context), setName_(setName), unattended_(unattended) {
    setObjectName("Frm_Backup");
    setWindowTitle("Backing Up Files...");
    setModal(true);
    Lbl_BackingUp = named(new QLabel("Backing Up Files.......", this), "Lbl_BackingUp");
    Ani_File = named(new QLabel(this), "Ani_File");
    Ani_File->setFixedHeight(60);
    Lbl_BackupPath = named(new QLabel("Please Wait...  Processing Files", this), "Lbl_BackupPath");
    Lbl_BackupPath->setMinimumWidth(420);
    Lbl_JobProgress = named(new QLabel("Overall Progress", this), "Lbl_JobProgress");
    PB_Folder = named(new QProgressBar(this), "PB_Folder");
    PB_Folder->setRange(0, 100);
    PB_Folder->setValue(0);
    Lbl_File = named(new QLabel("File Progress", this), "Lbl_File");
    PB_File = named(new QProgressBar(this), "PB_File");
    PB_File->setRange(0, 100);
    PB_File->setValue(0);
    Lbl_Folder = named(new QLabel("Status", this), "Lbl_Folder");
    Fra_Details = named(new QGroupBox("Details", this), "Fra_Details");
    details_ = new DetailList(this);
    Lst_Details = named(newDetailView(details_, Fra_Details), "Lst_Details");
    Cmd_Cancel = named(new QPushButton("Cancel", this), "Cmd_Cancel");
    Cmd_Ok = named(new QPushButton("&Ok", this), "Cmd_Ok");
    Cmd_Ok->setVisible(false);

    auto* details = new QVBoxLayout(Fra_Details);
    details->addWidget(Lst_Details);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Cmd_Cancel);
    buttons->addWidget(Cmd_Ok);
    auto* layout = new QVBoxLayout(this);
    for (QWidget* w : std::initializer_list<QWidget*>{Lbl_BackingUp, Ani_File, Lbl_Folder, Lbl_BackupPath,
                                                      Lbl_JobProgress, PB_Folder, Lbl_File, PB_File})
        layout->addWidget(w);
    layout->addWidget(Fra_Details, 1);
    layout->addLayout(buttons);
    resize(480, 420);

    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(kProgressIntervalMs);
    connect(progressTimer_, &QTimer::timeout, this, &Frm_Backup::showProgress);
    connect(Cmd_Cancel, &QPushButton::clicked, this, &Frm_Backup::Cmd_Cancel_Click);
    connect(Cmd_Ok, &QPushButton::clicked, this, &Frm_Backup::Cmd_Ok_Click);

    // A missing clip leaves the animation area empty.
    const std::string clip = context_.host.programFolder() + "\\System\\FileCopy.gif";
    if (clsFiles(context_).Exist(clip, true)) {
        if (const auto path = context_.host.resolve(clip)) {
            movie_ = new QMovie(QString::fromStdString(path->string()), QByteArray(), this);
            if (movie_->isValid()) {
                Ani_File->setMovie(movie_);
                movie_->start();
            }
        }
    }
}

Frm_Backup::~Frm_Backup() {
    feed_.requestCancel();
    if (worker_.joinable()) worker_.join();
}

void Frm_Backup::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!started_) {
        started_ = true;
        QTimer::singleShot(0, this, &Frm_Backup::startRun);
    }
}

void Frm_Backup::startRun() {
    running_ = true;
    run_ = std::make_unique<BackupRun>(context_, setName_.toStdString());
    zip::BackupRequest request;
    try {
        request = run_->start();
    } catch (const std::exception& e) {
        finishRun({zip::Outcome::Status::Failed, e.what(), {}});
        return;
    }
    request.nextDisk = [this](int volume) { return askForDisk(volume); };
    if (adjust_) adjust_(request);
    std::optional<zip::VerifyRequest> verify = run_->verification();
    if (verify) {
        verify->nextDisk = request.nextDisk;
        if (adjustVerify_) adjustVerify_(*verify);
    }
    progressTimer_->start();
    worker_ = std::thread([this, request = std::move(request), verify = std::move(verify)] {
        FeedEvents events(feed_);
        zip::Outcome outcome;
        try {
            outcome = zip::createArchive(request, events);
        } catch (const std::exception& e) {
            outcome = {zip::Outcome::Status::Failed, e.what(), {}};
        }
        std::optional<zip::Verification> verified;
        if (verify && outcome.status == zip::Outcome::Status::Success) {
            QMetaObject::invokeMethod(this, &Frm_Backup::showVerifying, Qt::QueuedConnection);
            verified = zip::verifyArchive(*verify, events);
        }
        QMetaObject::invokeMethod(this, [this, outcome, verified] {
            if (worker_.joinable()) worker_.join();
            finishRun(outcome, verified);
        }, Qt::QueuedConnection);
    });
}

void Frm_Backup::showVerifying() {
    showProgress();
    Lbl_BackingUp->setText("Verifying Files.......");
    PB_File->setValue(0);
    PB_Folder->setValue(0);
}

void Frm_Backup::showProgress() {
    ProgressFeed::Update update = feed_.take();
    if (update.item) Lbl_BackupPath->setText(QString::fromStdString(*update.item));
    if (!update.lines.empty()) {
        details_->append(update.lines);
        Lst_Details->setCurrentIndex(details_->index(details_->rowCount() - 1));
    }
    if (update.filePercent) PB_File->setValue(*update.filePercent);
    if (update.overallPercent) PB_Folder->setValue(*update.overallPercent);
    if (update.cancelAnswered) {
        Cmd_Ok->setVisible(true);
        Cmd_Cancel->setVisible(false);
    }
}

bool Frm_Backup::askForDisk(int volumeNumber) {
    if (unattended_) return false;
    bool answer = false;
    QMetaObject::invokeMethod(this, [this, volumeNumber, &answer] {
        answer = context_.prompts.message({"Please insert disk " + std::to_string(volumeNumber) +
                                               " of the Backup into the Drive and press OK.",
                                           MsgButtons::OkCancel, MsgIcon::Information, MsgAnswer::Ok, "Backup"}) ==
                 MsgAnswer::Ok;
    }, Qt::BlockingQueuedConnection);
    return answer;
}

void Frm_Backup::finishRun(const zip::Outcome& outcome, const std::optional<zip::Verification>& verified) {
    progressTimer_->stop();
    outcome_ = outcome;
    running_ = false;
    std::string status;
    try {
        status = run_->finish(outcome, verified);
    } catch (const TorvaneError& e) {
        status = "Backup Failed - " + e.description();
    }
    Cmd_Cancel->setVisible(false);
    Cmd_Ok->setVisible(true);
    if (unattended_ || closeWhenDone_) {
        accept();
        return;
    }
    if (movie_) movie_->stop();
    Lbl_BackupPath->setText(QString::fromStdString(status));
    PB_File->setValue(0);
    PB_Folder->setValue(0);
    details_->clear();
    Lst_Details->repaint();
    if (outcome.status == zip::Outcome::Status::Failed || status.rfind("Backup Failed", 0) == 0)
        context_.prompts.message({status, MsgButtons::Ok, MsgIcon::Exclamation, MsgAnswer::Ok, "Backup"});
}

void Frm_Backup::requestCancel() {
    Cmd_Cancel->setEnabled(false);
    feed_.requestCancel();
}

void Frm_Backup::endWithoutWaiting() {
    closeWhenDone_ = true;
    if (running_) requestCancel();
    else if (outcome_) accept();
}

void Frm_Backup::Cmd_Cancel_Click() { requestCancel(); }

void Frm_Backup::Cmd_Ok_Click() { accept(); }

void Frm_Backup::closeEvent(QCloseEvent* event) {
    if (running_) event->ignore();
    else QDialog::closeEvent(event);
}

void Frm_Backup::reject() {
    // Escape during a run asks to cancel; the window closes only through OK once it ends.
    if (running_) requestCancel();
    else QDialog::reject();
}

}  // namespace torvane
