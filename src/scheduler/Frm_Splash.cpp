#include "Frm_Splash.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

#include "common/QtDrawingSurface.h"
#include "common/VersionText.h"

namespace torvane::scheduler {

Frm_Splash::Frm_Splash(int delayMs, QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName("Frm_Splash");
    resize(420, 260);

    auto* title = new QLabel("Torvane - Scheduler", this);
    title->setStyleSheet("color: white; font-size: 20pt; font-weight: bold;");
    auto* description = new QLabel("Starts your backups in the background, on time.", this);
    description->setStyleSheet("color: white;");
    Lbl_Version = new QLabel(QString::fromStdString("Version " + VersionText()), this);
    Lbl_Version->setObjectName("Lbl_Version");
    Lbl_Version->setStyleSheet("color: white;");
    Lbl_Working = new QLabel("Please Wait, Locating Torvane", this);
    Lbl_Working->setObjectName("Lbl_Working");
    Lbl_Working->setStyleSheet("color: yellow;");
    Lbl_Working->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(description);
    layout->addStretch();
    layout->addWidget(Lbl_Working);
    layout->addWidget(Lbl_Version);

    Tim_Delay = new QTimer(this);
    Tim_Delay->setObjectName("Tim_Delay");
    Tim_Delay->setInterval(delayMs);
    Tim_Delay->setSingleShot(true);
    connect(Tim_Delay, &QTimer::timeout, this, [this] { ready_ = true; });
}

void Frm_Splash::Form_Activate() {
    ready_ = false;
    QEventLoop loop;
    connect(Tim_Delay, &QTimer::timeout, &loop, &QEventLoop::quit);
    Tim_Delay->start();
    if (!ready_) loop.exec();
}

void Frm_Splash::showWorking() {
    Lbl_Working->show();
    Lbl_Working->repaint();
    QApplication::processEvents();
}

void Frm_Splash::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QtDrawingSurface surface(painter, size());
    clsForm().Gradient(surface, 0, 0, 255, true);
}

}  // namespace torvane::scheduler
