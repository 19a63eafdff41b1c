#pragma once

#include <functional>
#include <optional>
#include <string>

#include "backupsets/TextBox.h"
#include "common/AppContext.h"
#include "platform/ProfileDocument.h"

namespace torvane {

// File services of the utility: single INI values, existence tests, and text files shown in
// text boxes. Paths are drive paths.
class clsFiles {
public:
    explicit clsFiles(AppContext& context);

    // The whole file, parsed once; a missing file is empty. A file that exists but cannot be
    // read throws TorvaneError with the host's reason, so it is never taken for an empty set that
    // a later write would replace.
    platform::ProfileDocument LoadINI(const std::string& sFileName);
    // A value of a loaded file: a missing section or key reads as "". Values are cut to 254
    // characters.
    static std::string ReadINI(const platform::ProfileDocument& ini, const std::string& sSection,
                               const std::string& sKeyName);
    // Replaces just that value; throws TorvaneError with the host's reason when the file
    // cannot be written, so a lost setting is never passed off as saved.
    void WriteINI(const std::string& sSection, const std::string& sKeyName, const std::string& sNewString,
                  const std::string& sFileName);
    // A file (names compared without regard to case; "*.*" stands for any file of an existing
    // folder) or a folder. An empty name exists. Never fails: trouble answers false.
    bool Exist(const std::string& sFileName, bool bIsFile);

    // Put the set file of that name in the program folder into the text box: lines joined by
    // CR LF. Show_INI also names the file through `setCaption`, except for the log. A file that
    // cannot be read throws TorvaneError as LoadINI does and leaves the box as it was.
    void Show_INI(const std::string& sPath, const std::string& sFileName, TextBox& Temp_TextBox,
                  const std::function<void(const std::string&)>& setCaption);
    void Show_INIQuick(const std::string& sPath, const std::string& sFileName, TextBox& Temp_TextBox);

private:
    std::optional<std::string> programFile(const std::string& sFileName);

    AppContext& context_;
};

}  // namespace torvane
