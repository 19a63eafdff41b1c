#pragma once

#include <QWidget>

class QLabel;
class QTimer;

namespace torvane {

// The start-up window of both programs: product name, version and a blue gradient, held for
// a few seconds while start-up goes on behind it.
class Frm_Splash : public QWidget {
    Q_OBJECT
public:
    // `extraLine` is shown under the version, such as "Please Wait, Locating Torvane".
    explicit Frm_Splash(const QString& description, const QString& extraLine = {}, QWidget* parent = nullptr);

    QLabel* Lbl_Version;
    QTimer* Tim_Delay;

    // Shows the window and keeps serving window events until Tim_Delay has fired once.
    void showAndWait(int delayMs);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace torvane
