#include "clsString.h"

namespace torvane {

std::string clsString::Backslash(std::string_view sString) {
    std::string out(sString);
    if (out.empty() || out.back() != '\\') out += '\\';
    return out;
}

std::string backupParts(std::string_view programFolder, std::string_view sPath, int iType) {
    const std::string programRoot = std::string(programFolder.substr(0, 2)) + "\\";
    const size_t last = sPath.rfind('\\');
    switch (iType) {
        case 0:
            if (sPath == "\\") return programRoot;
            if (sPath.size() >= 2 && sPath[1] == ':') return std::string(sPath.substr(0, 3));
            return programRoot;
        case 1:
            if (last == 0 || last == std::string_view::npos) return "";
            return std::string(sPath.substr(0, last + 1));
        case 2:
            if (last == 0) return "";
            if (last == std::string_view::npos) return std::string(sPath);
            return std::string(sPath.substr(last + 1));
        default:
            return "";
    }
}

}  // namespace torvane
