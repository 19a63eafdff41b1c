#include "clsCfg.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "common/TorvaneError.h"
#include "common/VersionText.h"
#include "common/clsLog.h"
#include "platform/AsciiCase.h"
#include "platform/AtomicFile.h"
#include "restore/ProtectedList.h"

namespace torvane {

namespace {

constexpr size_t kHeaderLines = 7;
constexpr const char* kCrLf = "\r\n";

}  // namespace

clsCfg::clsCfg(AppContext& context) : context_(context) {}

std::string clsCfg::FilePath() const { return context_.host.programFolder() + "\\Torvane.Cfg"; }

std::string clsCfg::header() const {
    std::string text;
    std::vector<std::string> lines = FileBanner();
    lines.insert(lines.end(), {";  Secure Data Directories  ", ";", ""});
    for (const std::string& line : lines) text += line + kCrLf;
    return text;
}

void clsCfg::Create_CFG(const std::string& sPath) {
    wrapErrors("clsCfg:Create_CFG Method", [&] {
        const auto file = context_.host.resolve(sPath);
        if (!file) throw std::runtime_error("Path not found: " + sPath);
        platform::writeFileAtomically(*file, header());
    });
}

void clsCfg::CreateIfMissing() {
    wrapErrors("clsCfg:CreateIfMissing Method", [&] {
        if (!readFile()) replaceFile(header());
    });
}

std::optional<std::string> clsCfg::readFile() {
    const auto file = context_.host.resolve(FilePath());
    if (!file) throw std::runtime_error("Path not found: " + FilePath());
    std::error_code ec;
    if (!std::filesystem::exists(*file, ec)) {
        if (ec) throw std::system_error(ec, "Unable to open " + FilePath());
        return std::nullopt;
    }
    return platform::readWholeFile(*file);
}

void clsCfg::replaceFile(const std::string& content) {
    const std::string folder = context_.host.programFolder();
    // A temporary left by an older release whose rewrite was interrupted.
    if (const auto stale = context_.host.resolve(folder + "\\Torvane.Cft")) {
        std::error_code ec;
        std::filesystem::remove(*stale, ec);
    }
    const auto file = context_.host.resolve(FilePath());
    if (!file) throw std::runtime_error("Path not found: " + FilePath());
    platform::writeFileAtomically(*file, content);
}

std::vector<std::string> clsCfg::ReturnProtected() {
    return wrapErrors("clsCfg:ReturnProtected Method", [&] {
        std::vector<std::string> folders;
        const auto content = readFile();
        if (!content) return folders;
        const std::vector<std::string> lines = splitLogLines(*content);
        for (size_t i = kHeaderLines; i < lines.size(); ++i) {
            std::string folder = withoutTrailingBackslash(lines[i]);
            if (!folder.empty()) folders.push_back(std::move(folder));
        }
        return folders;
    });
}

bool clsCfg::IsProtected(const std::string& sPath) {
    return wrapErrors("clsCfg:IsProtected Method",
                      [&] { return ProtectedList(ReturnProtected()).contains(sPath); });
}

void clsCfg::Protected_Add(const std::string& sPath) {
    wrapErrors("clsCfg:Protected_Add Method", [&] {
        std::string content = readFile().value_or(header());
        // A file edited by hand may lack the final line end, or lines of the header; a folder
        // appended within the first seven lines would never be read, so it goes after them.
        if (!content.empty() && content.back() != '\n') content += kCrLf;
        for (size_t n = splitLogLines(content).size(); n <= kHeaderLines; ++n) content += kCrLf;
        content += platform::asciiUpper(withoutTrailingBackslash(sPath)) + kCrLf;
        replaceFile(content);
    });
}

void clsCfg::Protected_Delete(const std::string& sPath) {
    wrapErrors("clsCfg:Protected_Delete Method", [&] {
        const auto content = readFile();
        if (!content) return;
        const std::string target = platform::asciiUpper(withoutTrailingBackslash(sPath));
        const std::vector<std::string> lines = splitLogLines(*content);
        std::string kept;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i < kHeaderLines) {
                kept += lines[i] + kCrLf;
                continue;
            }
            const std::string line = withoutTrailingBackslash(lines[i]);
            if (line.empty() || platform::asciiUpper(line) != target) kept += line + kCrLf;
        }
        replaceFile(kept);
    });
}

std::optional<MessageRequest> secureAdd(AppContext& context, const std::string& sTag) {
    const std::string system = withoutTrailingBackslash(context.host.systemFolder());
    if (platform::iequals(withoutTrailingBackslash(sTag), system))
        return MessageRequest{
            "This folder is maintained by your Operating System.  You may not Protect "
            "System Folders.",
            MsgButtons::Ok, MsgIcon::Exclamation, MsgAnswer::Ok, "Protected Folders"};
    clsCfg(context).Protected_Add(sTag);
    return std::nullopt;
}

void secureDelete(AppContext& context, const std::string& sTag) {
    clsCfg cfg(context);
    cfg.CreateIfMissing();
    cfg.Protected_Delete(sTag);
}

}  // namespace torvane
