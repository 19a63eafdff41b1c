#pragma once

#include <string>

#include "common/AppContext.h"

namespace torvane {

// The work file in the program folder where the editor's text is checked before it replaces a
// set file.
inline constexpr const char* kConfigWorkFile = "Temp.INI";

// Saves the set file editor's text over the set file `setName` of the program folder. `ask`
// puts the "Save Changes" question first. The text is written with one line end added, checked
// in the work file, and only text that passes the set checks replaces the set file, in one step,
// so the previous file survives any failure whole. Answers true when the set file now holds the
// text. Host failures come out as TorvaneError.
bool saveConfigText(AppContext& context, const std::string& setName, const std::string& text,
                    bool ask);

// Asks the "Delete File" question and deletes the set file `setName` of the program folder.
// Answers true when the user confirmed, so the lists must drop the name, even if the file had
// already gone.
bool deleteSetFile(AppContext& context, const std::string& setName);

}  // namespace torvane
