#pragma once

#include "common/AppContext.h"
#include "mainwindow/MainWindowPage.h"

class QLabel;
class QTimer;

namespace torvane {

// The About page: product, maker, version and copyright, with the maker's web address flashing.
class AboutPage : public MainWindowPage {
    Q_OBJECT
  public:
    explicit AboutPage(AppContext& context, QWidget* parent = nullptr);

    QLabel* Img_Logo;
    QLabel* Lbl_WebAddress;
    QLabel* Fld_Version;
    QLabel* Fld_Build;
    QTimer* Tim_Flash;

    void shown() override;
    void startFlashing();
    void stopFlashing();

  public slots:
    void Tim_Flash_Timer();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Show_About();

    AppContext& context_;
    bool flashHighlighted_ = false;
};

}  // namespace torvane
