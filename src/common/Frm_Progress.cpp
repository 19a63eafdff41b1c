#include "Frm_Progress.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMovie>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "common/DetailList.h"
#include "common/WidgetNames.h"

namespace torvane {

namespace {

// How often the window shows what the worker has reported: smooth to the eye, and rare enough
// that a run of small files spends its time on the files, not on drawing.
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

QProgressBar* percentBar(const char* name, QWidget* parent) {
    auto* bar = named(new QProgressBar(parent), name);
    bar->setRange(0, 100);
    bar->setValue(0);
    return bar;
}

}  // namespace

Frm_Progress::Frm_Progress(AppContext& context, const ProgressCaptions& captions, bool unattended,
                           QWidget* parent)
    : QDialog(parent), context_(context), captions_(captions), unattended_(unattended) {
    setObjectName(captions.objectName);
    setWindowTitle(captions.title);
    setModal(true);
    Lbl_BackingUp = named(new QLabel(captions.heading, this), "Lbl_BackingUp");
    Ani_File = named(new QLabel(this), "Ani_File");
    Ani_File->setFixedHeight(60);
    Lbl_BackupPath = named(new QLabel("Please Wait...  Processing Files", this), "Lbl_BackupPath");
    Lbl_BackupPath->setMinimumWidth(420);
    Lbl_JobProgress = named(new QLabel("Overall Progress", this), "Lbl_JobProgress");
    PB_Folder = percentBar("PB_Folder", this);
    Lbl_File = named(new QLabel("File Progress", this), "Lbl_File");
    PB_File = percentBar("PB_File", this);
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
    for (QWidget* w :
         std::initializer_list<QWidget*>{Lbl_BackingUp, Ani_File, Lbl_Folder, Lbl_BackupPath,
                                         Lbl_JobProgress, PB_Folder, Lbl_File, PB_File})
        layout->addWidget(w);
    layout->addWidget(Fra_Details, 1);
    layout->addLayout(buttons);
    resize(480, 420);

    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(kProgressIntervalMs);
    connect(progressTimer_, &QTimer::timeout, this, &Frm_Progress::showProgress);
    connect(Cmd_Cancel, &QPushButton::clicked, this, &Frm_Progress::Cmd_Cancel_Click);
    connect(Cmd_Ok, &QPushButton::clicked, this, &Frm_Progress::Cmd_Ok_Click);

    // A missing clip leaves the animation area empty.
    if (const auto clip =
            context_.host.resolve(context_.host.programFolder() + "\\System\\FileCopy.gif")) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(*clip, ec)) {
            movie_ = new QMovie(QString::fromStdString(clip->string()), QByteArray(), this);
            if (movie_->isValid()) {
                Ani_File->setMovie(movie_);
                movie_->start();
            }
        }
    }
}

Frm_Progress::~Frm_Progress() {
    feed_.requestCancel();
    if (worker_.joinable()) worker_.join();
}

void Frm_Progress::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!started_) {
        started_ = true;
        QTimer::singleShot(0, this, &Frm_Progress::startRun);
    }
}

void Frm_Progress::startRun() {
    running_ = true;
    Job job;
    try {
        job = prepareRun();
    } catch (const std::exception& e) {
        finishRun({zip::Outcome::Status::Failed, e.what(), {}});
        return;
    }
    progressTimer_->start();
    worker_ = std::thread([this, job = std::move(job)] {
        FeedEvents events(feed_);
        zip::Outcome outcome;
        try {
            outcome = job(events);
        } catch (const std::exception& e) {
            outcome = {zip::Outcome::Status::Failed, e.what(), {}};
        }
        QMetaObject::invokeMethod(
            this,
            [this, outcome] {
                if (worker_.joinable()) worker_.join();
                finishRun(outcome);
            },
            Qt::QueuedConnection);
    });
}

void Frm_Progress::showProgress() {
    ProgressFeed::Update update = feed_.take();
    if (update.heading) Lbl_BackingUp->setText(QString::fromStdString(*update.heading));
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

void Frm_Progress::beginPhase(const std::string& heading) { feed_.beginPhase(heading); }

std::function<bool(int)> Frm_Progress::diskRequest() {
    return [this](int volume) { return askForDisk(volume); };
}

bool Frm_Progress::askForDisk(int volumeNumber) {
    if (unattended_) return false;
    bool answer = false;
    QMetaObject::invokeMethod(
        this,
        [this, volumeNumber, &answer] {
            answer =
                context_.prompts.message({"Please insert disk " + std::to_string(volumeNumber) +
                                              " of the Backup into the Drive and press OK.",
                                          MsgButtons::OkCancel, MsgIcon::Information, MsgAnswer::Ok,
                                          captions_.area}) == MsgAnswer::Ok;
        },
        Qt::BlockingQueuedConnection);
    return answer;
}

void Frm_Progress::finishRun(const zip::Outcome& outcome) {
    progressTimer_->stop();
    outcome_ = outcome;
    running_ = false;
    const Ending ending = endRun(outcome);
    status_ = ending.status;
    Cmd_Cancel->setVisible(false);
    Cmd_Ok->setVisible(true);
    if (unattended_ || closeWhenDone_) {
        accept();
        return;
    }
    if (movie_) movie_->stop();
    Lbl_BackupPath->setText(QString::fromStdString(ending.status));
    PB_File->setValue(0);
    PB_Folder->setValue(0);
    details_->clear();
    Lst_Details->repaint();
    if (ending.message) context_.prompts.message(*ending.message);
}

void Frm_Progress::requestCancel() {
    Cmd_Cancel->setEnabled(false);
    feed_.requestCancel();
}

void Frm_Progress::endWithoutWaiting() {
    closeWhenDone_ = true;
    if (running_)
        requestCancel();
    else if (outcome_)
        accept();
}

void Frm_Progress::Cmd_Cancel_Click() { requestCancel(); }

void Frm_Progress::Cmd_Ok_Click() { accept(); }

void Frm_Progress::closeEvent(QCloseEvent* event) {
    if (running_)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void Frm_Progress::reject() {
    // Escape during a run asks to cancel; the window closes only through OK once it ends.
    if (running_)
        requestCancel();
    else
        QDialog::reject();
}

}  // namespace torvane
