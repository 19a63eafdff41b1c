#include "Frm_Mainmenu.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "backup/BackupChecks.h"
#include "backup/Frm_Backup.h"
#include "backup/Frm_BackupOptions.h"
#include "backup/Frm_BackupWhere.h"
#include "backup/SetEditor.h"
#include "backupsets/clsFiles.h"
#include "backupsets/clsINI.h"
#include "common/DirListBox.h"
#include "common/DriveListBox.h"
#include "common/TorvaneError.h"
#include "common/WidgetNames.h"
#include "common/clsLog.h"
#include "common/clsSystem.h"
#include "mainwindow/MainWindowText.h"
#include "platform/SettingsStore.h"
#include "Version.h"

namespace torvane {

namespace {

QLabel* sunkenLabel(const char* name, QWidget* parent) {
    auto* label = named(new QLabel(parent), name);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(220);
    return label;
}

}  // namespace

Frm_Mainmenu::Frm_Mainmenu(AppContext& context, QWidget* parent) : QMainWindow(parent), context_(context) {
    setObjectName("Frm_Mainmenu");
    auto* central = new QWidget(this);
    TAB_Backup = named(new QTabWidget(central), "TAB_Backup");
    TAB_Backup->setToolTip("Select Different Options");
    TAB_Backup->addTab(buildBackupPage(), "Backup");
    TAB_Backup->addTab(buildRestorePage(), "Restore");
    TAB_Backup->addTab(buildIniEditPage(), "INI Edit");
    TAB_Backup->addTab(buildLogPage(), "Log");
    TAB_Backup->addTab(buildSecurePage(), "Secure Data");
    TAB_Backup->addTab(buildAboutPage(), "About");
    Cmd_Exit = named(new QPushButton("&Exit", central), "Cmd_Exit");
    Cmd_Exit->setToolTip("Exit this Product");
    auto* exitRow = new QHBoxLayout;
    exitRow->addStretch();
    exitRow->addWidget(Cmd_Exit);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(TAB_Backup, 1);
    layout->addLayout(exitRow);
    setCentralWidget(central);

    Sta_Date = named(new QLabel(this), "Sta_Date");
    Sta_Time = named(new QLabel(this), "Sta_Time");
    statusBar()->setObjectName("Sta_Mainmenu");
    statusBar()->addPermanentWidget(Sta_Date);
    statusBar()->addPermanentWidget(Sta_Time);
    auto* clockTimer = new QTimer(this);
    const auto tick = [this] {
        const auto t = context_.clock.now();
        Sta_Date->setText(QString::asprintf("%02d/%02d/%04d", t.day, t.month, t.year));
        Sta_Time->setText(QString::asprintf("%02d:%02d", t.hour, t.minute));
    };
    connect(clockTimer, &QTimer::timeout, this, tick);
    clockTimer->start(1000);
    tick();
    buildMenus();

    connect(TAB_Backup, &QTabWidget::currentChanged, this, &Frm_Mainmenu::TAB_Backup_Click);
    connect(Cmd_Exit, &QPushButton::clicked, this, &Frm_Mainmenu::Cmd_Exit_Click);
    resize(640, 500);
    Form_Load();
}

QWidget* Frm_Mainmenu::buildBackupPage() {
    auto* page = new QWidget;
    Fra_Backup = named(new QGroupBox(page), "Fra_Backup");
    Cmb_BackupSet = named(new QComboBox(Fra_Backup), "Cmb_BackupSet");
    Cmb_BackupSet->setToolTip("Select an Existing Backup Set");
    Dri_DriveList = named(new DriveListBox(context_.host, Fra_Backup), "Dri_DriveList");
    Dri_DriveList->setToolTip("Select the Drive that you wish to Backup");
    Dir_DirList = named(new DirListBox(context_.host, Fra_Backup), "Dir_DirList");
    Dir_DirList->setToolTip("Select a Folder that you wish to Backup");
    Lbl_FilestoBackup = sunkenLabel("Lbl_FilestoBackup", Fra_Backup);
    Lbl_FilestoBackup->setToolTip("Displays the File Types that you wish to Backup");
    Lbl_BackupFileName = sunkenLabel("Lbl_BackupFileName", Fra_Backup);
    Lbl_BackupFileName->setToolTip("The Name of the Backup File");
    Fld_BackupWhere = sunkenLabel("Fld_BackupWhere", Fra_Backup);
    Fld_BackupWhere->setToolTip("Location of the Backup File");
    Fld_BackupOptions = sunkenLabel("Fld_BackupOptions", Fra_Backup);
    Fld_BackupOptions->setToolTip("Displays the Backup Options");
    for (int i = 0; i < 3; ++i) {
        Cmd_Options[i] = new QPushButton("...", Fra_Backup);
        Cmd_Options[i]->setObjectName(QString("Cmd_Options_%1").arg(i));
        Cmd_Options[i]->setFixedWidth(32);
        if (i > 0) Cmd_Options[i]->setToolTip("Edit Options");
        connect(Cmd_Options[i], &QPushButton::clicked, this, &Frm_Mainmenu::Cmd_Options_Click);
    }
    Cmd_Navigate = named(new QPushButton("...", Fra_Backup), "Cmd_Navigate");
    Cmd_Navigate->setFixedWidth(32);
    Cmd_Change = named(new QPushButton("&Change Settings", Fra_Backup), "Cmd_Change");
    Cmd_AddNew = named(new QPushButton("New Backup", Fra_Backup), "Cmd_AddNew");
    Cmd_Backup = named(new QPushButton("&Backup Now", Fra_Backup), "Cmd_Backup");
    Cmd_Backup->setToolTip("Start the Backup Now!");

    auto* grid = new QGridLayout(Fra_Backup);
    grid->addWidget(new QLabel("Backup Set", Fra_Backup), 0, 0);
    grid->addWidget(Cmb_BackupSet, 0, 1, 1, 2);
    grid->addWidget(Cmd_AddNew, 0, 3);
    grid->addWidget(Dri_DriveList, 1, 0, 1, 2);
    grid->addWidget(Dir_DirList, 2, 0, 5, 2);
    grid->addWidget(new QLabel("Files to Backup", Fra_Backup), 1, 2);
    grid->addWidget(Lbl_FilestoBackup, 2, 2);
    grid->addWidget(Cmd_Options[0], 2, 3);
    grid->addWidget(new QLabel("Backup File Name", Fra_Backup), 3, 2);
    grid->addWidget(Lbl_BackupFileName, 4, 2);
    grid->addWidget(Cmd_Options[1], 4, 3);
    grid->addWidget(new QLabel("Backup To", Fra_Backup), 5, 2);
    grid->addWidget(Fld_BackupWhere, 6, 2);
    grid->addWidget(Cmd_Navigate, 6, 3);
    grid->addWidget(new QLabel("Options", Fra_Backup), 7, 2);
    grid->addWidget(Fld_BackupOptions, 8, 2);
    grid->addWidget(Cmd_Options[2], 8, 3);
    grid->addWidget(Cmd_Change, 9, 0);
    grid->addWidget(Cmd_Backup, 9, 2, 1, 2);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Fra_Backup);

    connect(Cmb_BackupSet, &QComboBox::activated, this, &Frm_Mainmenu::Cmb_BackupSet_Click);
    connect(Cmd_Change, &QPushButton::clicked, this, &Frm_Mainmenu::Cmd_Change_Click);
    connect(Cmd_Navigate, &QPushButton::clicked, this, &Frm_Mainmenu::Cmd_Navigate_Click);
    connect(Cmd_AddNew, &QPushButton::clicked, this, &Frm_Mainmenu::Cmd_AddNew_Click);
    connect(Cmd_Backup, &QPushButton::clicked, this, &Frm_Mainmenu::Cmd_Backup_Click);
    connect(Dir_DirList, &DirListBox::pathChanged, this, [this](const QString&, bool byUser) {
        if (byUser) Dir_DirList_Change();
    });
    connect(Dri_DriveList, &DriveListBox::driveChanged, this, [this](const QString& text, bool byUser) {
        if (byUser) Dri_DriveList_Change(text);
    });
    return page;
}

QWidget* Frm_Mainmenu::buildRestorePage() {
    auto* page = new QWidget;
    Fra_RestoreFull = named(new QGroupBox(page), "Fra_RestoreFull");
    Cmb_RestoreFile = named(new QComboBox(Fra_RestoreFull), "Cmb_RestoreFile");
    Fld_RestoreFile = sunkenLabel("Fld_RestoreFile", Fra_RestoreFull);
    Fld_RestoreTo = sunkenLabel("Fld_RestoreTo", Fra_RestoreFull);
    TV_Restore = named(new QTreeWidget(Fra_RestoreFull), "TV_Restore");
    TV_Restore->setHeaderHidden(true);
    auto* grid = new QGridLayout(Fra_RestoreFull);
    grid->addWidget(new QLabel("&Backup Set", Fra_RestoreFull), 0, 0);
    grid->addWidget(Cmb_RestoreFile, 0, 1);
    grid->addWidget(new QLabel("&What to Restore?", Fra_RestoreFull), 1, 0);
    grid->addWidget(Fld_RestoreFile, 1, 1);
    grid->addWidget(new QLabel("W&here to Restore To?", Fra_RestoreFull), 2, 0);
    grid->addWidget(Fld_RestoreTo, 2, 1);
    grid->addWidget(TV_Restore, 3, 0, 1, 2);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Fra_RestoreFull);
    return page;
}

QWidget* Frm_Mainmenu::buildIniEditPage() {
    auto* page = new QWidget;
    Fra_INIFileList = named(new QGroupBox(page), "Fra_INIFileList");
    Fil_INI = named(new QListWidget(Fra_INIFileList), "Fil_INI");
    (new QVBoxLayout(Fra_INIFileList))->addWidget(Fil_INI);
    Fra_INIEdit = named(new QGroupBox(page), "Fra_INIEdit");
    Fld_INI = named(new QPlainTextEdit(Fra_INIEdit), "Fld_INI");
    Fld_INI->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Cmd_Save = named(new QPushButton("&Save", Fra_INIEdit), "Cmd_Save");
    Cmd_Save->setToolTip("Save any Changes you have made to the Configuration File");
    auto* edit = new QVBoxLayout(Fra_INIEdit);
    edit->addWidget(Fld_INI);
    edit->addWidget(Cmd_Save, 0, Qt::AlignRight);
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(Fra_INIFileList, 1);
    layout->addWidget(Fra_INIEdit, 2);
    return page;
}

QWidget* Frm_Mainmenu::buildLogPage() {
    auto* page = new QWidget;
    Fra_Log = named(new QGroupBox(page), "Fra_Log");
    Fld_Log = named(new QPlainTextEdit(Fra_Log), "Fld_Log");
    Fld_Log->setReadOnly(true);
    Fld_Log->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont courier("Courier New");
    courier.setStyleHint(QFont::Monospace);
    Fld_Log->setFont(courier);
    Lbl_LogHint = named(new QLabel(Fra_Log), "Lbl_LogHint");
    Cmd_Refresh = named(new QPushButton("&Refresh", Fra_Log), "Cmd_Refresh");
    Cmd_Refresh->setToolTip("Refresh the Log File in the View Window");
    auto* row = new QHBoxLayout;
    row->addWidget(Lbl_LogHint, 1);
    row->addWidget(Cmd_Refresh);
    auto* box = new QVBoxLayout(Fra_Log);
    box->addWidget(Fld_Log, 1);
    box->addLayout(row);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Fra_Log);
    connect(Cmd_Refresh, &QPushButton::clicked, this, &Frm_Mainmenu::Cmd_Refresh_Click);
    return page;
}

QWidget* Frm_Mainmenu::buildSecurePage() {
    auto* page = new QWidget;
    Fra_SecureData = named(new QGroupBox(page), "Fra_SecureData");
    SSP_PleaseWait = named(new QLabel(Fra_SecureData), "SSP_PleaseWait");
    Fld_SecureData = named(new QLabel(Fra_SecureData), "Fld_SecureData");
    Fld_SecureData->setWordWrap(true);
    auto* box = new QVBoxLayout(Fra_SecureData);
    box->addWidget(SSP_PleaseWait);
    box->addWidget(Fld_SecureData, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Fra_SecureData);
    return page;
}

QWidget* Frm_Mainmenu::buildAboutPage() {
    auto* page = new QWidget;
    auto* logo = named(new QGroupBox(page), "Fra_Logo");
    auto* product = named(new QLabel("Torvane", logo), "Lbl_ProductName");
    QFont big = product->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    product->setFont(big);
    auto* logoBox = new QVBoxLayout(logo);
    logoBox->addWidget(product);
    logoBox->addWidget(named(new QLabel("Quorrin Limited", logo), "Lbl_CompanyProduct"));
    logoBox->addWidget(named(new QLabel("Backup Utility", logo), "Lbl_Description"));

    auto* about = named(new QGroupBox("Further Information", page), "Fra_About");
    Lbl_WebAddress = named(new QLabel(QString::fromStdString(aboutText::kWebAddress), about), "Lbl_WebAddress");
    Lbl_WebAddress->setToolTip("Connect to Web Address");
    Lbl_WebAddress->setCursor(Qt::PointingHandCursor);
    Lbl_WebAddress->installEventFilter(this);
    auto* aboutBox = new QVBoxLayout(about);
    aboutBox->addWidget(named(new QLabel("Distribution and Purchasing Information can be obtained from;", about), "Lbl_About"));
    aboutBox->addWidget(named(new QLabel("The Manager", about), "Lbl_Who"));
    aboutBox->addWidget(named(new QLabel(QString::fromStdString(aboutText::kAddress1), about), "Lbl_Address1"));
    aboutBox->addWidget(named(new QLabel(QString::fromStdString(aboutText::kAddress2), about), "Lbl_Address2"));
    aboutBox->addWidget(Lbl_WebAddress);

    auto* version = named(new QGroupBox("Product Information", page), "Fra_Version");
    Fld_Version = named(new QLabel(version), "Fld_Version");
    Fld_Build = named(new QLabel(version), "Fld_Build");
    auto* versionGrid = new QGridLayout(version);
    versionGrid->addWidget(named(new QLabel("Version", version), "Label1"), 0, 0);
    versionGrid->addWidget(Fld_Version, 0, 1);
    versionGrid->addWidget(named(new QLabel("Build No.", version), "Lbl_Build"), 1, 0);
    versionGrid->addWidget(Fld_Build, 1, 1);

    auto* copyright = named(new QGroupBox("Copyright", page), "Fra_Copyright");
    auto* warning = named(new QLabel(QString::fromStdString(aboutText::kWarning), copyright), "Lbl_Warning");
    warning->setWordWrap(true);
    (new QVBoxLayout(copyright))->addWidget(warning);

    auto* layout = new QGridLayout(page);
    layout->addWidget(logo, 0, 0);
    layout->addWidget(version, 0, 1);
    layout->addWidget(about, 1, 0, 1, 2);
    layout->addWidget(copyright, 2, 0, 1, 2);

    Tim_Flash = named(new QTimer(this), "Tim_Flash");
    Tim_Flash->setInterval(500);
    connect(Tim_Flash, &QTimer::timeout, this, &Frm_Mainmenu::Tim_Flash_Timer);
    return page;
}

void Frm_Mainmenu::buildMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("Menu_File");
    Menu_File_Exit = file->addAction("E&xit");
    Menu_File_Exit->setObjectName("Menu_File_Exit");
    connect(Menu_File_Exit, &QAction::triggered, this, &Frm_Mainmenu::Menu_File_Exit_Click);
    QMenu* options = menuBar()->addMenu("&Options");
    options->setObjectName("Menu_Options");
    Menu_Options_Delete = options->addAction("&Delete Configuration File");
    Menu_Options_Delete->setObjectName("Menu_Options_Delete");
    Menu_Options_Delete->setEnabled(false);  // the set file viewer drives it
    QMenu* secure = menuBar()->addMenu("&Secure");
    secure->setObjectName("Menu_Secure");
    secure->setEnabled(false);  // the protected-folder page drives it
}

void Frm_Mainmenu::Form_Load() {
    setWindowTitle("Torvane");
    Cmd_Save->setEnabled(false);
    TAB_Backup->blockSignals(true);
    TAB_Backup->setCurrentIndex(0);
    TAB_Backup->blockSignals(false);
    const std::string programFolder = context_.host.programFolder();
    const QString programRoot = QString::fromStdString(programFolder.substr(0, 2) + "\\");
    Dri_DriveList->setDrive(programRoot);
    Dir_DirList->setPath(programRoot);
    Fld_RestoreFile->clear();
    TV_Restore->clear();
    SSP_PleaseWait->setText("Please Wait...\nLoading Folder Structure");
    SSP_PleaseWait->hide();
    Backup_EditMode(false);
    for (const std::string& name : listSetFiles(context_)) {
        Cmb_BackupSet->addItem(QString::fromStdString(name));
        Cmb_RestoreFile->addItem(QString::fromStdString(name));
    }
    Cmb_BackupSet->setCurrentIndex(-1);
    Cmb_RestoreFile->setCurrentIndex(-1);
    Tim_Flash->start();
    if (!unattended()) {
        const std::string remembered =
            platform::SettingsStore(context_.host.settingsFolder(), "Torvane").get("Startup", "INI File", "Nil");
        const int index = remembered == "Nil" ? -1 : Cmb_BackupSet->findText(QString::fromStdString(remembered),
                                                                           Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index >= 0) {
            Cmb_BackupSet->setCurrentIndex(index);
            QTimer::singleShot(0, this, &Frm_Mainmenu::Cmb_BackupSet_Click);
        }
    }
}

std::string Frm_Mainmenu::setFile() const {
    return context_.host.programFolder() + "\\" + Cmb_BackupSet->currentText().toStdString();
}

void Frm_Mainmenu::showError(const std::string& description) {
    context_.prompts.message({description, MsgButtons::Ok, MsgIcon::Critical, MsgAnswer::Ok, "Error"});
}

void Frm_Mainmenu::selectBackupSet(const QString& name) {
    // The set box keeps the name as given: an unattended run names its set in the log exactly as
    // its command line did, whatever the case of the file.
    int index = Cmb_BackupSet->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        Cmb_BackupSet->addItem(name);
        index = Cmb_BackupSet->count() - 1;
    }
    Cmb_BackupSet->setCurrentIndex(index);
    Cmb_BackupSet_Click();
}

void Frm_Mainmenu::Cmb_BackupSet_Click() {
    QApplication::processEvents();
    const SetView view = showSet(context_, Cmb_BackupSet->currentText().toStdString(), unattended());
    Fld_BackupWhere->setText(QString::fromStdString(view.backupWhere));
    if (view.stopped) return;
    for (const MessageRequest& message : view.messages) context_.prompts.message(message);
    Backup_EditMode(false);
    Dri_DriveList->setDrive(QString::fromStdString(view.driveRoot));
    if (!Dir_DirList->setPath(QString::fromStdString(view.folder)))
        Dir_DirList->setPath(QString::fromStdString(view.driveRoot));
    Lbl_FilestoBackup->setText(QString::fromStdString(view.filesToBackup));
    Lbl_BackupFileName->setText(QString::fromStdString(view.backupFileName));
    Fld_BackupWhere->setText(QString::fromStdString(view.backupWhere));
    Fld_BackupOptions->setText(QString::fromStdString(view.options));
}

void Frm_Mainmenu::Backup_EditMode(bool bEditMode) {
    for (QPushButton* b : Cmd_Options) b->setEnabled(bEditMode);
    Dri_DriveList->setEnabled(bEditMode);
    Dir_DirList->setEnabled(bEditMode);
    Cmd_Navigate->setEnabled(bEditMode);
    Cmd_Change->setEnabled(!bEditMode);
}

void Frm_Mainmenu::Cmd_Change_Click() { Backup_EditMode(true); }

void Frm_Mainmenu::Dir_DirList_Change() {
    if (Cmb_BackupSet->currentText().isEmpty()) return;
    try {
        const std::string used = recordSourceFolder(context_, Cmb_BackupSet->currentText().toStdString(),
                                                    Dir_DirList->path().toStdString(),
                                                    Lbl_FilestoBackup->text().toStdString());
        Lbl_FilestoBackup->setText(QString::fromStdString(used));
    } catch (const TorvaneError& e) {
        showError(e.description());
    }
}

void Frm_Mainmenu::Dri_DriveList_Change(const QString& driveText) {
    // A drive that is not ready leaves the folder list where it was.
    if (Dir_DirList->setPath(driveText.left(2) + "\\")) Dir_DirList_Change();
}

void Frm_Mainmenu::Cmd_Options_Click() {
    if (Cmb_BackupSet->currentText().isEmpty()) {
        context_.prompts.message({"Please select a Backup Configuration first.", MsgButtons::Ok, MsgIcon::Information,
                                  MsgAnswer::Ok, "Backup"});
        return;
    }
    Frm_BackupOptions dialog(context_, Cmb_BackupSet->currentText(),
                             {Fld_BackupWhere, Fld_BackupOptions, Lbl_FilestoBackup, Lbl_BackupFileName}, this);
    dialog.exec();
}

void Frm_Mainmenu::Cmd_Navigate_Click() {
    if (Cmb_BackupSet->currentText().isEmpty()) {
        context_.prompts.message({"Please select a Backup Configuration.", MsgButtons::Ok, MsgIcon::Information,
                                  MsgAnswer::Ok, "Backup"});
        return;
    }
    Frm_BackupWhere dialog(context_, Cmb_BackupSet->currentText(), Fld_BackupWhere, this);
    dialog.exec();
}

void Frm_Mainmenu::Cmd_AddNew_Click() {
    const auto answer = context_.prompts.input("Please enter the name of the Configuration File.",
                                               "New Configuration", "");
    if (!answer || answer->empty()) return;
    const QString name = QString::fromStdString(newSetFileName(*answer));
    for (const std::string& existing : listSetFiles(context_)) {
        if (QString::fromStdString(existing).compare(name, Qt::CaseInsensitive) != 0) continue;
        context_.prompts.message(setExistsMessage());
        selectBackupSet(QString::fromStdString(existing));
        return;
    }
    const QString programRoot = QString::fromStdString(context_.host.programFolder().substr(0, 2) + "\\");
    Dri_DriveList->setDrive(programRoot);
    Dir_DirList->setPath(programRoot);
    Fld_BackupWhere->setText(programRoot);
    Fld_BackupOptions->setText("SubDir=ON, MultiVolume=OFF, Time=ON");
    try {
        clsINI(context_).Create_INI(name.toStdString());
    } catch (const TorvaneError& e) {
        showError(e.description());
        return;
    }
    Cmb_BackupSet->addItem(name);
    Cmb_RestoreFile->addItem(name);
    selectBackupSet(name);
}

void Frm_Mainmenu::Cmd_Backup_Click() {
    Backup_EditMode(false);
    const BackupScreen screen{Cmb_BackupSet->currentText().toStdString(), Fld_BackupWhere->text().toStdString(),
                              Dir_DirList->path().toStdString()};
    try {
        if (unattended()) {
            if (const auto failure = unattendedBackupRefusal(context_, screen)) {
                clsLog log(context_, LogFlavour::utility());
                log.WriteToLog("Backup", true, "Starting Backup " + screen.setName);
                log.WriteToLog("Backup", true, "Finished Backup " + screen.setName);
                log.WriteToLog("Backup", true, *failure);
                return;
            }
        } else {
            if (const auto refusal = interactiveBackupRefusal(context_, screen)) {
                context_.prompts.message(*refusal);
                return;
            }
            if (context_.prompts.message(backupConfirmation()) != MsgAnswer::Yes) return;
        }
    } catch (const TorvaneError& e) {
        if (!unattended()) showError(e.description());
        return;
    }
    Frm_Backup progress(context_, Cmb_BackupSet->currentText(), unattended(), this);
    if (adjust_) progress.setRequestAdjuster(adjust_);
    activeBackup_ = &progress;
    if (terminating_) progress.endWithoutWaiting();
    progress.exec();
    activeBackup_ = nullptr;
    if (terminating_ && !unattended()) closeWithReason(3);
}

void Frm_Mainmenu::Cmd_Refresh_Click() {
    Fld_Log->clear();
    Fld_Log->repaint();
    struct LogBox : TextBox {
        QPlainTextEdit* box;
        void setText(const std::string& text) override { box->setPlainText(QString::fromStdString(text)); }
    } logBox;
    logBox.box = Fld_Log;
    clsFiles files(context_);
    files.Show_INIQuick("", "Torvane.LOG", logBox);
    std::uintmax_t size = 0;
    if (const auto log = context_.host.resolve(context_.host.programFolder() + "\\Torvane.Log")) {
        std::error_code ec;
        size = std::filesystem::file_size(*log, ec);
        if (ec) size = 0;
    }
    Lbl_LogHint->setText(QString::fromStdString(logHintText(size)));
    clsSystem::ScrollText(Fld_Log, 1000);
}

void Frm_Mainmenu::Cmd_Exit_Click() { Menu_File_Exit_Click(); }

void Frm_Mainmenu::Menu_File_Exit_Click() { closeWithReason(1); }

void Frm_Mainmenu::closeWithReason(std::int16_t reason) {
    closeReason_ = reason;
    close();
}

void Frm_Mainmenu::terminate() {
    terminating_ = true;
    if (activeBackup_) {
        activeBackup_->endWithoutWaiting();
        return;  // the backup ends first; the press of the backup button then closes the window
    }
    closeWithReason(3);
}

void Frm_Mainmenu::TAB_Backup_Click(int index) {
    Tim_Flash->stop();
    switch (index) {
        case 0: Cmb_BackupSet_Click(); break;
        case 3: Cmd_Refresh_Click(); break;
        case 5:
            Tim_Flash->start();
            Show_About();
            break;
        default: break;
    }
}

void Frm_Mainmenu::Show_About() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Fld_Version->setText(QString("%1.%2").arg(version::kMajor).arg(version::kMinor));
    Fld_Build->setText(QString::number(version::kRevision));
    QApplication::restoreOverrideCursor();
}

void Frm_Mainmenu::Tim_Flash_Timer() {
    flashHighlighted_ = !flashHighlighted_;
    QPalette palette = Lbl_WebAddress->palette();
    palette.setColor(QPalette::WindowText,
                     QApplication::palette().color(flashHighlighted_ ? QPalette::HighlightedText : QPalette::ButtonText));
    Lbl_WebAddress->setPalette(palette);
}

bool Frm_Mainmenu::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Lbl_WebAddress && event->type() == QEvent::MouseButtonRelease) {
        QDesktopServices::openUrl(QUrl(Lbl_WebAddress->text()));
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void Frm_Mainmenu::closeEvent(QCloseEvent* event) {
    if (activeBackup_) {
        event->ignore();
        return;
    }
    const std::int16_t reason = terminating_ ? std::int16_t{3} : closeReason_;
    closeReason_ = 0;
    try {
        clsLog(context_, LogFlavour::utility()).WriteToLog("Exit", true, reason);
    } catch (const TorvaneError&) {
        // Closing goes on even when the log cannot be written.
    }
    if (!unattended()) {
        try {
            platform::SettingsStore(context_.host.settingsFolder(), "Torvane")
                .save("Startup", "INI File", Cmb_BackupSet->currentIndex() >= 0 ? Cmb_BackupSet->currentText().toStdString() : "");
        } catch (const std::exception&) {
            // The remembered set is a convenience; losing it must not keep the window open.
        }
    }
    Tim_Flash->stop();
    event->accept();
}

}  // namespace torvane
