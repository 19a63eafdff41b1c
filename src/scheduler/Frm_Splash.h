#pragma once

#include <QWidget>

class QLabel;
class QTimer;

namespace torvane::scheduler {

// Shown while the scheduler starts and looks for the utility.
class Frm_Splash : public QWidget {
    Q_OBJECT
public:
    explicit Frm_Splash(int delayMs = 5000, QWidget* parent = nullptr);

    // Starts Tim_Delay and lets window events run until it has fired once.
    void Form_Activate();
    void showWorking();

    QLabel* Lbl_Version;
    QLabel* Lbl_Working;
    QTimer* Tim_Delay;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool ready_ = false;
};

}  // namespace torvane::scheduler
