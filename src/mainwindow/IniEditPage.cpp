#include "IniEditPage.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "backup/SetEditor.h"
#include "backupsets/clsFiles.h"
#include "common/TorvaneError.h"
#include "common/WidgetNames.h"
#include "mainwindow/ConfigSave.h"
#include "mainwindow/PageWidgets.h"
#include "platform/AsciiCase.h"

namespace torvane {

namespace {

constexpr const char* kContentsCaption = "INI File Contents";

}  // namespace

IniEditPage::IniEditPage(AppContext& context, QWidget* parent)
    : MainWindowPage(parent), context_(context) {
    Fra_INIFileList = named(new QGroupBox(this), "Fra_INIFileList");
    Lbl_INIEdit = named(new QLabel("INI File List", Fra_INIFileList), "Lbl_INIEdit");
    Fil_INI = tipped(named(new QListWidget(Fra_INIFileList), "Fil_INI"),
                     "Selection of Existing Configuration Files");
    Fil_INI->setContextMenuPolicy(Qt::CustomContextMenu);
    Cmd_INIRefresh = named(new QPushButton("&Refresh", Fra_INIFileList), "Cmd_INIRefresh");
    Cmd_INIRefresh->setToolTip("Refresh the List of INI Files");
    auto* list = new QVBoxLayout(Fra_INIFileList);
    list->addWidget(Lbl_INIEdit);
    list->addWidget(Fil_INI, 1);
    list->addWidget(Cmd_INIRefresh, 0, Qt::AlignRight);

    Fra_INIEdit = named(new QGroupBox(this), "Fra_INIEdit");
    Lbl_INIContents = named(new QLabel(kContentsCaption, Fra_INIEdit), "Lbl_INIContents");
    Fld_INI = tipped(named(new QPlainTextEdit(Fra_INIEdit), "Fld_INI"),
                     "Contents of the Configuration File");
    QFont courier("Courier New");
    courier.setStyleHint(QFont::Monospace);
    courier.setFixedPitch(true);
    if (!QFontInfo(courier).fixedPitch())
        courier = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    Fld_INI->setFont(courier);
    Fld_INI->setLineWrapMode(QPlainTextEdit::NoWrap);
    Cmd_Save = named(new QPushButton("&Save", Fra_INIEdit), "Cmd_Save");
    Cmd_Save->setToolTip("Save any Changes you have made to the Configuration File");
    Cmd_Save->setEnabled(false);
    auto* edit = new QVBoxLayout(Fra_INIEdit);
    edit->addWidget(Lbl_INIContents);
    edit->addWidget(Fld_INI, 1);
    edit->addWidget(Cmd_Save, 0, Qt::AlignRight);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Fra_INIFileList, 1);
    layout->addWidget(Fra_INIEdit, 2);

    connect(Fil_INI, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (!listing_ && item) Fil_INI_Click(item);
    });
    connect(Fil_INI, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        emit optionsMenuRequested(Fil_INI->viewport()->mapToGlobal(pos));
    });
    connect(Fld_INI, &QPlainTextEdit::textChanged, this, &IniEditPage::Fld_INI_Change);
    connect(Cmd_INIRefresh, &QPushButton::clicked, this, &IniEditPage::Cmd_INIRefresh_Click);
    connect(Cmd_Save, &QPushButton::clicked, this, &IniEditPage::Cmd_Save_Click);
}

void IniEditPage::showError(const std::string& description) {
    context_.prompts.message(
        {description, MsgButtons::Ok, MsgIcon::Critical, MsgAnswer::Ok, "Error"});
}

void IniEditPage::Fld_INI_Change() {
    if (!Cmd_Save->isEnabled()) Cmd_Save->setEnabled(true);
}

void IniEditPage::Cmd_INIRefresh_Click() {
    std::vector<std::string> names = listSetFiles(context_);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return platform::asciiUpper(a) < platform::asciiUpper(b);
    });
    listing_ = true;
    Fil_INI->clear();
    for (const std::string& name : names) Fil_INI->addItem(QString::fromStdString(name));
    Fil_INI->setCurrentRow(-1);
    listing_ = false;
    // Emptying a box that held text counts as a change, as typing does.
    if (!Fld_INI->document()->isEmpty()) Fld_INI->clear();
    Lbl_INIContents->setText(kContentsCaption);
    sEditFile.clear();
}

void IniEditPage::Fil_INI_Click(QListWidgetItem* item) {
    const std::string clicked = item->text().toStdString();
    if (Cmd_Save->isEnabled() && !sEditFile.empty()) {
        const std::string& nl = context_.globals.sNewLine;
        const MsgAnswer answer = context_.prompts.message(
            {"You have not saved your changes to " + sEditFile + "." + nl +
                 "Do you wish to do this now?",
             MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::No, "Changes"});
        if (answer == MsgAnswer::Yes) {
            bConfirmed = false;
            bSaved = false;
            Cmd_Save_Click();
            bConfirmed = true;
            if (!bSaved) {
                selectListed(sEditFile);
                return;
            }
        }
    }
    // A file that went since the list was read would give an empty text under its name, which a
    // save would then turn into a set made from nothing; the list is read afresh instead.
    if (!clsFiles(context_).Exist(context_.host.programFolder() + "\\" + clicked, true)) {
        Cmd_INIRefresh_Click();
        return;
    }
    loadFile(clicked);
}

void IniEditPage::loadFile(const std::string& name) {
    struct EditorBox : TextBox {
        QPlainTextEdit* box;
        EightBitText* encoding;
        void setText(const std::string& text) override {
            box->setPlainText(encoding->toText(text));
        }
    } editor;
    editor.box = Fld_INI;
    editor.encoding = &encoding_;
    try {
        clsFiles(context_).Show_INI("", name, editor, [this](const std::string& caption) {
            Lbl_INIContents->setText(QString::fromStdString(caption));
        });
    } catch (const TorvaneError& e) {
        // The box keeps the file it held, so no save can put its text or an empty one over the
        // file that could not be read.
        selectListed(sEditFile);
        showError(e.description());
        return;
    }
    sEditFile = name;
    Cmd_Save->setEnabled(false);
}

void IniEditPage::selectListed(const std::string& name) {
    const auto found =
        Fil_INI->findItems(QString::fromStdString(name), Qt::MatchExactly | Qt::MatchCaseSensitive);
    listing_ = true;
    Fil_INI->setCurrentItem(found.isEmpty() ? nullptr : found.front());
    listing_ = false;
}

void IniEditPage::Cmd_Save_Click() {
    const std::string text = encoding_.toBytes(*Fld_INI, context_.globals.sNewLine);
    try {
        bSaved = saveConfigText(context_, sEditFile, text, Cmd_Save->isEnabled() && !bConfirmed);
    } catch (const TorvaneError& e) {
        bSaved = false;
        showError(e.description());
    }
    // Only a replaced file makes the text clean: a text that was not saved keeps Save enabled,
    // so that leaving it still asks.
    if (bSaved) loadFile(sEditFile);
    bConfirmed = false;
}

void IniEditPage::Menu_Options_Delete_Click() {
    const QListWidgetItem* item = Fil_INI->currentItem();
    if (!item) return;
    const QString name = item->text();
    bool confirmed = false;
    try {
        confirmed = deleteSetFile(context_, name.toStdString());
    } catch (const TorvaneError& e) {
        showError(e.description());
        return;
    }
    if (!confirmed) return;
    Cmd_INIRefresh_Click();
    emit setDeleted(name);
}

}  // namespace torvane
