#include "SecureDataPage.h"

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "common/WidgetNames.h"

namespace torvane {

SecureDataPage::SecureDataPage(AppContext& context, QWidget* parent)
    : MainWindowPage(parent), context_(context) {
    Fra_SecureData = named(new QGroupBox(this), "Fra_SecureData");
    SSP_PleaseWait = named(new QLabel("Please Wait...\nLoading Folder Structure", Fra_SecureData),
                           "SSP_PleaseWait");
    SSP_PleaseWait->hide();  // shown while a folder tree is being built
    Fld_SecureData = named(new QLabel(Fra_SecureData), "Fld_SecureData");
    Fld_SecureData->setWordWrap(true);
    auto* box = new QVBoxLayout(Fra_SecureData);
    box->addWidget(SSP_PleaseWait);
    box->addWidget(Fld_SecureData, 1);
    (new QVBoxLayout(this))->addWidget(Fra_SecureData);
}

}  // namespace torvane
