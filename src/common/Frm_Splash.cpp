#include "Frm_Splash.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

#include "common/QtDrawingSurface.h"
#include "common/TorvaneError.h"
#include "common/VersionText.h"
#include "common/clsForm.h"

namespace torvane {

namespace {
QLabel* whiteLabel(const QString& text, int pointSizeFactor, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(p);
    QFont f = label->font();
    f.setPointSize(f.pointSize() * pointSizeFactor);
    label->setFont(f);
    label->setAlignment(Qt::AlignCenter);
    return label;
}
}  // namespace

Frm_Splash::Frm_Splash(const QString& description, const QString& extraLine, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName("Frm_Splash");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(whiteLabel("Torvane", 3, this));
    layout->addWidget(whiteLabel(description, 1, this));
    layout->addWidget(whiteLabel("For Linux and Windows desktops", 1, this));
    Lbl_Version = whiteLabel(QString::fromStdString("Version " + VersionText()), 1, this);
    Lbl_Version->setObjectName("Lbl_Version");
    layout->addWidget(Lbl_Version);
    if (!extraLine.isEmpty()) layout->addWidget(whiteLabel(extraLine, 1, this));
    layout->addStretch();
    layout->addWidget(whiteLabel("Copyright (C) 2026 Quorrin Limited. All rights reserved.", 1, this));
    Tim_Delay = new QTimer(this);
    Tim_Delay->setObjectName("Tim_Delay");
    Tim_Delay->setSingleShot(true);
    resize(460, 300);
}

void Frm_Splash::showAndWait(int delayMs) {
    show();
    QApplication::processEvents();
    QEventLoop wait;
    connect(Tim_Delay, &QTimer::timeout, &wait, &QEventLoop::quit);
    Tim_Delay->start(delayMs);
    wait.exec();
    QApplication::processEvents();
}

void Frm_Splash::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QtDrawingSurface surface(painter, size());
    try {
        clsForm().Gradient(surface, 0, 0, 255, true);
    } catch (const TorvaneError&) {
        painter.fillRect(rect(), Qt::blue);  // a window too tall for the bands stays plain blue
    }
}

}  // namespace torvane
