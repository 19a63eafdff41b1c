#include "FolderChooser.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "backup/SetEditor.h"
#include "backupsets/clsFiles.h"
#include "common/DirListBox.h"
#include "common/DriveListBox.h"
#include "common/WidgetNames.h"

namespace torvane {

FolderChooser::FolderChooser(AppContext& context, const char* objectName, const QString& title,
                             QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(objectName);
    setWindowTitle(title);
    Dri_DriveList = named(new DriveListBox(context.host, this), "Dri_DriveList");
    Dri_DriveList->setAccessibleName("Drive");
    Dir_DirList = named(new DirListBox(context.host, this), "Dir_DirList");
    Dir_DirList->setAccessibleName("Folder");
    Cmd_NewFolder = named(new QPushButton("New &Folder", this), "Cmd_NewFolder");
    Cmd_Ok = named(new QPushButton("OK", this), "Cmd_Ok");
    Cmd_Ok->setDefault(true);
    Cmd_Cancel = named(new QPushButton("Cancel", this), "Cmd_Cancel");

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Cmd_NewFolder);
    buttons->addStretch();
    buttons->addWidget(Cmd_Ok);
    buttons->addWidget(Cmd_Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Dri_DriveList);
    layout->addWidget(Dir_DirList, 1);
    layout->addLayout(buttons);
    resize(360, 320);

    connect(Dri_DriveList, &DriveListBox::driveChanged, this,
            [this](const QString& text, bool) { Dri_DriveList_Change(text); });
    connect(Cmd_NewFolder, &QPushButton::clicked, this, &FolderChooser::Cmd_NewFolder_Click);
    connect(Cmd_Ok, &QPushButton::clicked, this, &FolderChooser::Cmd_Ok_Click);
    connect(Cmd_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    QTimer::singleShot(0, this, [this] {
        if (!loaded_) Form_Load();
    });
}

void FolderChooser::Form_Load() {
    loaded_ = true;
    load();
}

std::string FolderChooser::programRoot() const {
    return context_.host.programFolder().substr(0, 2) + "\\";
}

void FolderChooser::Dri_DriveList_Change(const QString& driveText) {
    const std::string root = driveText.left(2).toStdString() + "\\";
    if (!clsFiles(context_).Exist(root, false)) {
        context_.prompts.message({"Unable to connect to " + driveText.toStdString(), MsgButtons::Ok,
                                  MsgIcon::Information, MsgAnswer::Ok, "Backup"});
        // Going back to a drive that is itself unreachable would ask again without end.
        if (root != programRoot() && clsFiles(context_).Exist(programRoot(), false))
            Dri_DriveList->setDrive(QString::fromStdString(programRoot()));
        return;
    }
    if (Dir_DirList->path().left(2).compare(driveText.left(2), Qt::CaseInsensitive) != 0)
        Dir_DirList->setPath(QString::fromStdString(root));
}

void FolderChooser::Cmd_NewFolder_Click() {
    const auto answer =
        context_.prompts.input("Please enter a Folder Name", "Create New Folder", "New Folder");
    if (!answer || answer->empty()) return;
    const auto made = createFolder(context_, Dir_DirList->path().toStdString(), *answer);
    if (const auto* message = std::get_if<MessageRequest>(&made)) {
        context_.prompts.message(*message);
        return;
    }
    Dir_DirList->setPath(QString::fromStdString(std::get<std::string>(made)));
}

}  // namespace torvane
