#include "RestorePage.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "common/WidgetNames.h"
#include "mainwindow/PageWidgets.h"

namespace torvane {

RestorePage::RestorePage(AppContext& context, QWidget* parent)
    : MainWindowPage(parent), context_(context) {
    Fra_RestoreFull = named(new QGroupBox(this), "Fra_RestoreFull");
    Cmb_RestoreFile = named(new QComboBox(Fra_RestoreFull), "Cmb_RestoreFile");
    Fld_RestoreFile = sunkenLabel("Fld_RestoreFile", Fra_RestoreFull);
    Fld_RestoreTo = sunkenLabel("Fld_RestoreTo", Fra_RestoreFull);
    TV_Restore = spoken(named(new QTreeWidget(Fra_RestoreFull), "TV_Restore"),
                        "Contents of the Backup File");
    TV_Restore->setHeaderHidden(true);
    auto* setCaption = new QLabel("&Backup Set", Fra_RestoreFull);
    setCaption->setBuddy(Cmb_RestoreFile);
    auto* grid = new QGridLayout(Fra_RestoreFull);
    grid->addWidget(setCaption, 0, 0);
    grid->addWidget(Cmb_RestoreFile, 0, 1);
    grid->addWidget(new QLabel("&What to Restore?", Fra_RestoreFull), 1, 0);
    grid->addWidget(Fld_RestoreFile, 1, 1);
    grid->addWidget(new QLabel("W&here to Restore To?", Fra_RestoreFull), 2, 0);
    grid->addWidget(Fld_RestoreTo, 2, 1);
    grid->addWidget(TV_Restore, 3, 0, 1, 2);
    (new QVBoxLayout(this))->addWidget(Fra_RestoreFull);
}

void RestorePage::listSets(const std::vector<std::string>& names) {
    for (const std::string& name : names) addSet(QString::fromStdString(name));
    Cmb_RestoreFile->setCurrentIndex(-1);
}

void RestorePage::addSet(const QString& name) { Cmb_RestoreFile->addItem(name); }

}  // namespace torvane
