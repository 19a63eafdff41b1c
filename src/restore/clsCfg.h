#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/AppContext.h"

namespace torvane {

// The protected-folder file "Torvane.Cfg" in the program folder: seven header lines, an empty
// line, then one protected folder a line (full drive path, upper case, no trailing "\"). Every
// call opens and closes the file; every rewrite replaces it atomically, so a failure leaves
// the previous list whole. Failures come out as TorvaneError with the host's reason.
class clsCfg {
  public:
    explicit clsCfg(AppContext& context);

    // Drive path of the file: the program folder + "\Torvane.Cfg".
    std::string FilePath() const;

    // Writes the header and the empty line to `sPath` (a drive path), replacing any file there.
    void Create_CFG(const std::string& sPath);
    // Creates the file at FilePath() unless it exists.
    void CreateIfMissing();

    // The folders listed after the seven header lines, in file order, each with one trailing
    // "\" removed; empty lines are skipped. A missing file lists nothing.
    std::vector<std::string> ReturnProtected();
    // True when `sPath` equals a listed folder, letters compared without regard to case.
    bool IsProtected(const std::string& sPath);
    // Appends `sPath` in upper case (one trailing "\" removed), creating the file when missing.
    // A folder already listed gains a second line.
    void Protected_Add(const std::string& sPath);
    // Drops every line after the header that names `sPath` (one trailing "\" ignored on both
    // sides); the header and the other lines stay, losing a trailing "\". A missing file is
    // left missing.
    void Protected_Delete(const std::string& sPath);

  private:
    std::optional<std::string> readFile();
    void replaceFile(const std::string& content);
    std::string header() const;

    AppContext& context_;
};

// The Secure Data menu items over the selected folder `sTag`. Adding refuses the system folder
// itself (not what lies below it) with the message to show; nothing is written then.
std::optional<MessageRequest> secureAdd(AppContext& context, const std::string& sTag);
// Removes `sTag` from the list, creating the file (header only) when it is missing.
void secureDelete(AppContext& context, const std::string& sTag);

}  // namespace torvane
