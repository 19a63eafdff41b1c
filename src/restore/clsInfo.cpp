#include "clsInfo.h"

namespace torvane {

std::string clsInfo::SecureDataText() {
    const char* const paragraphs[] = {
        "When restoring files, the User MUST be sure that the Process will not overwrite the "
        "existing "
        "data and destroy updated information.",
        "This function allows selected Directories (or Folders) to be 'Protected'.  What this "
        "means is a "
        "Restore process will NEVER overwrite anything in the Protected Directory.",
        "If Torvane detects that a 'Protected' Directory is about to be overwritten, it renames "
        "the "
        "'Protected' Directory and then allows the Restore Process to continue.",
        "For example, if C:\\My Directory is 'Protected' and a Restore is about to overwrite any "
        "file in "
        "it, Torvane renames it to C:\\My Directory_001 (using the first free number from 001 to "
        "999) "
        "and then continues with the Restore.  If the Directory cannot be renamed, the Restore is "
        "not "
        "started.",
        "To Create a 'Protected' Directory, select a Directory in the Tree, use the Right Mouse "
        "Button "
        "and Add It.  To Delete a 'Protected' Directory, select the Directory in the Tree, use the "
        "Right "
        "Mouse Button and Delete it.",
        "For futher Information please contact Quorrin.",
    };
    std::string text;
    for (const char* paragraph : paragraphs) {
        if (!text.empty()) text += "\r\n\r\n";
        text += paragraph;
    }
    return text;
}

void clsInfo::SecureData(TextBox& box) const { box.setText(SecureDataText()); }

}  // namespace torvane
