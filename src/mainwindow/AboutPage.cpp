#include "AboutPage.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "Version.h"
#include "common/WidgetNames.h"
#include "mainwindow/LogoPicture.h"
#include "mainwindow/MainWindowText.h"
#include "mainwindow/PageWidgets.h"

namespace torvane {

AboutPage::AboutPage(AppContext& context, QWidget* parent)
    : MainWindowPage(parent), context_(context) {
    auto* logo = named(new QGroupBox(this), "Fra_Logo");
    auto* product = named(new QLabel("Torvane", logo), "Lbl_ProductName");
    QFont big = product->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    product->setFont(big);
    Img_Logo = spoken(named(new QLabel(logo), "Img_Logo"), "Torvane Logo");
    Img_Logo->setPixmap(drawLogo(96));
    Img_Logo->setFixedSize(96, 96);
    auto* logoBox = new QVBoxLayout(logo);
    logoBox->addWidget(Img_Logo, 0, Qt::AlignHCenter);
    logoBox->addWidget(product);
    logoBox->addWidget(named(new QLabel("Quorrin Limited", logo), "Lbl_CompanyProduct"));
    logoBox->addWidget(named(new QLabel("Backup Utility", logo), "Lbl_Description"));

    auto* about = named(new QGroupBox("Further Information", this), "Fra_About");
    Lbl_WebAddress =
        named(new QLabel(QString::fromStdString(aboutText::kWebAddress), about), "Lbl_WebAddress");
    Lbl_WebAddress->setToolTip("Connect to Web Address");
    Lbl_WebAddress->setCursor(Qt::PointingHandCursor);
    Lbl_WebAddress->installEventFilter(this);
    auto* aboutBox = new QVBoxLayout(about);
    aboutBox->addWidget(
        named(new QLabel("Distribution and Purchasing Information can be obtained from;", about),
              "Lbl_About"));
    aboutBox->addWidget(named(new QLabel("The Manager", about), "Lbl_Who"));
    aboutBox->addWidget(
        named(new QLabel(QString::fromStdString(aboutText::kAddress1), about), "Lbl_Address1"));
    aboutBox->addWidget(
        named(new QLabel(QString::fromStdString(aboutText::kAddress2), about), "Lbl_Address2"));
    aboutBox->addWidget(Lbl_WebAddress);

    auto* version = named(new QGroupBox("Product Information", this), "Fra_Version");
    Fld_Version = named(new QLabel(version), "Fld_Version");
    Fld_Build = named(new QLabel(version), "Fld_Build");
    auto* versionGrid = new QGridLayout(version);
    versionGrid->addWidget(named(new QLabel("Version", version), "Label1"), 0, 0);
    versionGrid->addWidget(Fld_Version, 0, 1);
    versionGrid->addWidget(named(new QLabel("Build No.", version), "Lbl_Build"), 1, 0);
    versionGrid->addWidget(Fld_Build, 1, 1);

    auto* copyright = named(new QGroupBox("Copyright", this), "Fra_Copyright");
    auto* warning =
        named(new QLabel(QString::fromStdString(aboutText::kWarning), copyright), "Lbl_Warning");
    warning->setWordWrap(true);
    (new QVBoxLayout(copyright))->addWidget(warning);

    auto* layout = new QGridLayout(this);
    layout->addWidget(logo, 0, 0);
    layout->addWidget(version, 0, 1);
    layout->addWidget(about, 1, 0, 1, 2);
    layout->addWidget(copyright, 2, 0, 1, 2);

    Tim_Flash = named(new QTimer(this), "Tim_Flash");
    Tim_Flash->setInterval(500);
    connect(Tim_Flash, &QTimer::timeout, this, &AboutPage::Tim_Flash_Timer);
}

void AboutPage::shown() {
    startFlashing();
    Show_About();
}

void AboutPage::startFlashing() { Tim_Flash->start(); }

void AboutPage::stopFlashing() { Tim_Flash->stop(); }

void AboutPage::Show_About() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Fld_Version->setText(QString("%1.%2").arg(version::kMajor).arg(version::kMinor));
    Fld_Build->setText(QString::number(version::kRevision));
    QApplication::restoreOverrideCursor();
}

void AboutPage::Tim_Flash_Timer() {
    flashHighlighted_ = !flashHighlighted_;
    QPalette palette = Lbl_WebAddress->palette();
    palette.setColor(QPalette::WindowText,
                     QApplication::palette().color(flashHighlighted_ ? QPalette::HighlightedText
                                                                     : QPalette::ButtonText));
    Lbl_WebAddress->setPalette(palette);
}

bool AboutPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Lbl_WebAddress && event->type() == QEvent::MouseButtonRelease) {
        QDesktopServices::openUrl(QUrl(Lbl_WebAddress->text()));
        return true;
    }
    return MainWindowPage::eventFilter(watched, event);
}

}  // namespace torvane
