#include "QtPromptService.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace torvane {

namespace {

QMessageBox::StandardButton toQt(MsgAnswer a) {
    switch (a) {
        case MsgAnswer::Ok: return QMessageBox::Ok;
        case MsgAnswer::Cancel: return QMessageBox::Cancel;
        case MsgAnswer::Yes: return QMessageBox::Yes;
        case MsgAnswer::No: return QMessageBox::No;
        case MsgAnswer::Retry: return QMessageBox::Retry;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButtons toQt(MsgButtons b) {
    switch (b) {
        case MsgButtons::Ok: return QMessageBox::Ok;
        case MsgButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
        case MsgButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
        case MsgButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MsgButtons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon toQt(MsgIcon i) {
    switch (i) {
        case MsgIcon::None: return QMessageBox::NoIcon;
        case MsgIcon::Critical: return QMessageBox::Critical;
        case MsgIcon::Question: return QMessageBox::Question;
        case MsgIcon::Exclamation: return QMessageBox::Warning;
        case MsgIcon::Information: return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

MsgAnswer fromQt(int button) {
    switch (button) {
        case QMessageBox::Yes: return MsgAnswer::Yes;
        case QMessageBox::No: return MsgAnswer::No;
        case QMessageBox::Retry: return MsgAnswer::Retry;
        case QMessageBox::Ok: return MsgAnswer::Ok;
        default: return MsgAnswer::Cancel;
    }
}

}  // namespace

QtPromptService::QtPromptService(const platform::Host& host, QWidget* parent) : host_(host), parent_(parent) {}

MsgAnswer QtPromptService::message(const MessageRequest& request) {
    QMessageBox box(toQt(request.icon), QString::fromStdString(request.title),
                    QString::fromStdString(request.text), toQt(request.buttons), parent_);
    box.setDefaultButton(toQt(request.defaultButton));
    const int answer = box.exec();
    // Closing a Yes/No box from its title bar counts as the safe answer.
    if (request.buttons == MsgButtons::YesNo && answer != QMessageBox::Yes) return MsgAnswer::No;
    return fromQt(answer);
}

std::optional<std::string> QtPromptService::input(const std::string& prompt, const std::string& title,
                                                  const std::string& defaultText) {
    bool ok = false;
    const QString text = QInputDialog::getText(parent_, QString::fromStdString(title),
                                               QString::fromStdString(prompt), QLineEdit::Normal,
                                               QString::fromStdString(defaultText), &ok);
    if (!ok) return std::nullopt;
    return text.toStdString();
}

std::optional<std::string> QtPromptService::openFile(const std::string& title, const std::string& filter,
                                                     const std::string& start) {
    const auto startHost = host_.resolve(start);
    const QString chosen = QFileDialog::getOpenFileName(
        parent_, QString::fromStdString(title),
        startHost ? QString::fromStdString(startHost->string()) : QString(), QString::fromStdString(filter));
    if (chosen.isEmpty()) return std::nullopt;
    const auto drivePath = host_.toDrivePath(chosen.toStdString());
    if (!drivePath) {
        message({"The file " + chosen.toStdString() + " is on no drive of Drives.ini.", MsgButtons::Ok,
                 MsgIcon::Exclamation, MsgAnswer::Ok, "Error"});
        return std::nullopt;
    }
    return drivePath;
}

}  // namespace torvane
