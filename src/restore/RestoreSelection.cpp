#include "RestoreSelection.h"

#include <stdexcept>

#include "backupsets/clsFiles.h"
#include "backupsets/clsINI.h"
#include "platform/AsciiCase.h"

namespace torvane {

namespace {

clsINI readSet(AppContext& context, const std::string& setName) {
    clsINI ini(context);
    ini.Read_INI(context.host.programFolder() + "\\" + setName);
    return ini;
}

MessageRequest refusal(std::string text) {
    return {std::move(text), MsgButtons::Ok, MsgIcon::Exclamation, MsgAnswer::Ok, "Restore"};
}

}  // namespace

SetChoice chooseRestoreSet(AppContext& context, const std::string& setName) {
    const std::string& nl = context.globals.sNewLine;
    const clsINI ini = readSet(context, setName);
    if (ini.RestoreFromDrive().empty())
        return {"",
                refusal("There is no Restore Information available for this Backupset." + nl +
                        "Please select a new Backupset to Restore From or manually select a file."),
                false};
    const std::string archive = ini.RestoreFromDrive() + ini.RestoreFileName();
    if (!clsFiles(context).Exist(archive, true))
        return {
            "",
            refusal("This configuration file indicates that a backup file was created but it no "
                    "longer appears to exist." +
                    nl + nl + "File being sought is " + archive + nl + nl +
                    "If the File is from a Removable Drive then place the disk into the drive now "
                    "and try again."),
            true};
    return {archive, std::nullopt, false};
}

bool setKeptAfterBrowsing(AppContext& context, const std::string& setName,
                          const std::string& chosen) {
    if (!clsFiles(context).Exist(context.host.programFolder() + "\\" + setName, true)) return false;
    const clsINI ini = readSet(context, setName);
    return platform::iequals(chosen, ini.RestoreFromDrive() + ini.RestoreFileName());
}

std::string restoreArchivePath(AppContext& context, const RestoreScreen& screen) {
    if (screen.setName.empty()) return screen.restoreFile;
    const clsINI ini = readSet(context, screen.setName);
    if (ini.RestoreFromDrive().empty())
        throw std::runtime_error("There is no Restore Information available for this Backupset.");
    return ini.RestoreFromDrive() + ini.RestoreFileName();
}

MessageRequest nothingToRestoreHint() {
    return {"Please select a Backup File to Restore.", MsgButtons::Ok, MsgIcon::Information,
            MsgAnswer::Ok, "Backup"};
}

}  // namespace torvane
