#pragma once

#include <string>
#include <vector>

namespace torvane {

// The program's version as major.minor.revision, without leading zeros.
std::string VersionText();
// The five comment lines that open every file the program writes for the user to read: set files
// and the protected-folder file.
std::vector<std::string> FileBanner();

}  // namespace torvane
