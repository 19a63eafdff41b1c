#pragma once

#include <QPoint>
#include <string>

#include "common/AppContext.h"
#include "mainwindow/EightBitText.h"
#include "mainwindow/MainWindowPage.h"

class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;

namespace torvane {

// The INI Edit page: the set files of the program folder and the text of one of them, edited
// and saved as a whole.
class IniEditPage : public MainWindowPage {
    Q_OBJECT
  public:
    explicit IniEditPage(AppContext& context, QWidget* parent = nullptr);

    QGroupBox* Fra_INIFileList;
    QLabel* Lbl_INIEdit;
    QListWidget* Fil_INI;
    QPushButton* Cmd_INIRefresh;
    QGroupBox* Fra_INIEdit;
    QLabel* Lbl_INIContents;
    QPlainTextEdit* Fld_INI;
    QPushButton* Cmd_Save;

    // The set file whose text is in Fld_INI; empty when none.
    std::string sEditFile;
    // The last save replaced the file.
    bool bSaved = false;
    // The next save skips its question.
    bool bConfirmed = false;

    void shown() override { Cmd_INIRefresh_Click(); }

  signals:
    // The right mouse button over the file list asks for the Options menu there.
    void optionsMenuRequested(const QPoint& globalPos);
    // A set file was deleted; the set lists drop its name.
    void setDeleted(const QString& name);

  public slots:
    void Cmd_INIRefresh_Click();
    void Cmd_Save_Click();
    void Menu_Options_Delete_Click();

  private:
    void Fil_INI_Click(QListWidgetItem* item);
    void Fld_INI_Change();
    void loadFile(const std::string& name);
    void selectListed(const std::string& name);
    void showError(const std::string& description);

    AppContext& context_;
    EightBitText encoding_;
    bool listing_ = false;  // the list is being filled or reselected from code
};

}  // namespace torvane
