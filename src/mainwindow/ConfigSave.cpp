#include "ConfigSave.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "backupsets/clsFiles.h"
#include "backupsets/clsINI.h"
#include "common/TorvaneError.h"
#include "common/clsLog.h"
#include "platform/AsciiCase.h"
#include "platform/AtomicFile.h"

namespace torvane {

namespace {

std::filesystem::path programFile(AppContext& context, const std::string& name) {
    const std::string drivePath = context.host.programFolder() + "\\" + name;
    const auto file = context.host.resolve(drivePath);
    if (!file) throw std::runtime_error("Path not found: " + drivePath);
    return *file;
}

MsgAnswer ask(AppContext& context, const std::string& text, const std::string& title) {
    return context.prompts.message(
        {text, MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::No, title});
}

}  // namespace

bool saveConfigText(AppContext& context, const std::string& setName, const std::string& text,
                    bool askFirst) {
    // Without a file name there is nothing the text could replace.
    if (setName.empty()) return false;
    if (askFirst && ask(context, "Are you sure that you wish to save the changes?",
                        "Save Changes") != MsgAnswer::Yes)
        return false;
    return wrapErrors("Frm_Mainmenu:Cmd_Save_Click Method", [&] {
        const std::string programFolder = context.host.programFolder();
        const std::string content = text + context.globals.sNewLine;
        const std::filesystem::path work = programFile(context, kConfigWorkFile);
        platform::writeFileAtomically(work, content);

        clsINI ini(context);
        ini.Read_INI(programFolder + "\\" + kConfigWorkFile);
        if (!ini.Validate_OnSave()) return false;

        // The set file is replaced by the checked bytes in one rename; the work file goes only
        // once the set file holds them.
        platform::writeFileAtomically(programFile(context, setName), content);
        // The work file is itself listed with the sets; saving it must not delete what was saved.
        if (!platform::iequals(setName, kConfigWorkFile)) std::filesystem::remove(work);
        ini.ConfirmBackslash(programFolder + "\\" + setName);
        clsLog(context, LogFlavour::utility())
            .WriteToLog("INI Edit", true, "INI " + setName + " Edited");
        return true;
    });
}

bool deleteSetFile(AppContext& context, const std::string& setName) {
    if (setName.empty()) return false;
    if (ask(context, "Are you sure that you wish to delete " + setName, "Delete File") !=
        MsgAnswer::Yes)
        return false;
    wrapErrors("Frm_Mainmenu:Menu_Options_Delete_Click Method", [&] {
        const std::string drivePath = context.host.programFolder() + "\\" + setName;
        if (!clsFiles(context).Exist(drivePath, true)) return;
        std::filesystem::remove(programFile(context, setName));
    });
    return true;
}

}  // namespace torvane
