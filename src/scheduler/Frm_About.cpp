#include "Frm_About.h"

#include <QApplication>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>

#include "Version.h"
#include "common/WidgetNames.h"

namespace torvane::scheduler {

Frm_About::Frm_About(QWidget* parent) : QDialog(parent) {
    setObjectName("Frm_About");
    setWindowTitle("About Torvane Scheduler");
    setModal(true);
    Fld_Version =
        named(new QLabel(QString("%1.%2").arg(version::kMajor).arg(version::kMinor), this),
              "Fld_Version");
    Fld_Build = named(new QLabel(QString::number(version::kRevision), this), "Fld_Build");
    Cmd_Ok = named(new QPushButton("Ok", this), "Cmd_Ok");
    Cmd_Ok->setDefault(true);

    auto* layout = new QFormLayout(this);
    layout->addRow(new QLabel("Torvane Scheduler", this));
    layout->addRow(new QLabel("Part of the Torvane Backup Utility for the desktop.", this));
    layout->addRow("Version", Fld_Version);
    layout->addRow("Build", Fld_Build);
    layout->addRow(new QLabel("Copyright (c) Torvane. All rights reserved.", this));
    layout->addRow(Cmd_Ok);
    connect(Cmd_Ok, &QPushButton::clicked, this, &QDialog::accept);
}

void Frm_About::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

}  // namespace torvane::scheduler
