#include "IniEditPage.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/WidgetNames.h"
#include "mainwindow/PageWidgets.h"

namespace torvane {

IniEditPage::IniEditPage(AppContext& context, QWidget* parent)
    : MainWindowPage(parent), context_(context) {
    Fra_INIFileList = named(new QGroupBox(this), "Fra_INIFileList");
    Fil_INI = spoken(named(new QListWidget(Fra_INIFileList), "Fil_INI"), "Configuration Files");
    (new QVBoxLayout(Fra_INIFileList))->addWidget(Fil_INI);
    Fra_INIEdit = named(new QGroupBox(this), "Fra_INIEdit");
    Fld_INI = spoken(named(new QPlainTextEdit(Fra_INIEdit), "Fld_INI"), "Configuration File Text");
    Fld_INI->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Cmd_Save = named(new QPushButton("&Save", Fra_INIEdit), "Cmd_Save");
    Cmd_Save->setToolTip("Save any Changes you have made to the Configuration File");
    Cmd_Save->setEnabled(false);
    auto* edit = new QVBoxLayout(Fra_INIEdit);
    edit->addWidget(Fld_INI);
    edit->addWidget(Cmd_Save, 0, Qt::AlignRight);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Fra_INIFileList, 1);
    layout->addWidget(Fra_INIEdit, 2);
}

}  // namespace torvane
