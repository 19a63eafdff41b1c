#pragma once

#include <string>
#include <string_view>

namespace torvane {

class clsString {
public:
    // Adds a trailing "\" unless the text already ends in one; "" gives "\".
    static std::string Backslash(std::string_view sString);
};

// The path splitter shared by both programs: part 0 the drive root ("C:\"), part 1 the folder
// up to and including the last "\", part 2 what follows it; any other part gives "".
// A path without a drive letter takes the program folder's drive root as part 0.
std::string backupParts(std::string_view programFolder, std::string_view sPath, int iType);

}  // namespace torvane
