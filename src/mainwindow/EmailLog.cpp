#include "EmailLog.h"

#include "backupsets/clsFiles.h"
#include "common/clsLog.h"
#include "mainwindow/SmtpMailer.h"

namespace torvane {

namespace {

void attach(AppContext& context, MailMessage& message, const std::string& name) {
    const std::string drivePath = context.host.programFolder() + "\\" + name;
    if (!clsFiles(context).Exist(drivePath, true)) return;
    message.attachments.push_back({name, *context.host.resolve(drivePath)});
}

}  // namespace

bool emailLog(AppContext& context, const MailSettings& settings,
              const std::function<void(bool)>& busy) {
    if (context.prompts.message(
            {"Are you sure that you wish to E-Mail the Log File to Quorrin Limited.",
             MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::No, "E-Mail"}) != MsgAnswer::Yes)
        return false;
    const MailResult result = mailLog(context, settings, "Torvane Log", busy);
    if (!result.sent) {
        if (result.signedOn) {
            context.prompts.message({"Unable to send the Log File: " + result.reason,
                                     MsgButtons::Ok, MsgIcon::Exclamation, MsgAnswer::Ok,
                                     "E-Mail Log File"});
        } else {
            context.prompts.message({"Logon Failure: " + result.reason, MsgButtons::Ok,
                                     MsgIcon::None, MsgAnswer::Ok, ""});
        }
        return false;
    }
    context.prompts.message({"Log File Succesfully Sent to your E-Mail Application", MsgButtons::Ok,
                             MsgIcon::Information, MsgAnswer::Ok, "E-Mail Log File"});
    return true;
}

MailResult mailLog(AppContext& context, const MailSettings& settings, const std::string& subject,
                   const std::function<void(bool)>& busy) {
    clsLog log(context, LogFlavour::utility());
    log.WriteToLog("Backup", true, "Log File Emailed to Quorrin Limited.");

    MailMessage message;
    message.subject = subject;
    message.text =
        "Please find attached the Torvane Log File.  The reason I am mailing it to you is ...";
    attach(context, message, "Torvane.Log");
    attach(context, message, "Torvane.Bak");

    if (busy) busy(true);
    std::filesystem::path certificate;
    if (!settings.certificate.empty())
        certificate = context.host.resolve(settings.certificate).value_or(settings.certificate);
    const MailResult result = sendMail(settings, message, certificate);
    if (busy) busy(false);
    if (result.sent) {
        log.WriteToLog("Backup", true, "Email Successful");
    } else {
        log.WriteToLog(
            "Backup", true,
            "Email Failed - Error Code " + std::to_string(result.code) + " - " + result.reason);
    }
    return result;
}

}  // namespace torvane
