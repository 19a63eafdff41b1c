// Restores arbitrary bytes, as an archive file, into an empty folder of a sandbox with two
// workers. Beyond a crash, hang or sanitizer report, a defect is anything the restore leaves
// outside its destination, a temporary file left behind, a symbolic link created, a folder its
// owner cannot enter, or more bytes written than the free space it was told of.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "zip/ZipEngine.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kFree = 4u << 20;

const fs::path& sandbox() {
    static const fs::path dir = [] {
        fs::path d =
            fs::temp_directory_path() / ("torvane-extract-fuzz-" + std::to_string(::getpid()));
        fs::remove_all(d);
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

[[noreturn]] void defect(const std::string& what) {
    std::fprintf(stderr, "defect: %s\n", what.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace torvane::zip;
    const fs::path& box = sandbox();
    const fs::path archive = box / "archive.zip";
    const fs::path dest = box / "dest";
    fs::remove_all(dest);
    fs::create_directories(dest);
    {
        std::ofstream out(archive, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    RestoreRequest r;
    r.archive = archive;
    r.destination = dest;
    r.threads = 2;
    r.faults.freeSpace = [](const fs::path&) { return kFree; };
    NoEvents none;
    extractArchive(r, none);

    for (const auto& e : fs::directory_iterator(box))
        if (e.path() != archive && e.path() != dest)
            defect("written outside: " + e.path().string());
    static const std::string temporaryMark = ".tvtmp" + std::to_string(::getpid()) + "-";
    std::uint64_t written = 0;
    for (const auto& e : fs::recursive_directory_iterator(dest)) {
        if (e.is_symlink()) defect("symbolic link created: " + e.path().string());
        // The restore's temporary names carry its process id; a member may well be named
        // ".tvtmp" itself.
        if (e.path().filename().string().find(temporaryMark) != std::string::npos)
            defect("temporary file left: " + e.path().string());
        if (e.is_regular_file()) written += e.file_size();
        // Its owner could restore nothing more into a folder without these.
        if (e.is_directory() &&
            (e.status().permissions() & fs::perms::owner_all) != fs::perms::owner_all)
            defect("folder without owner permissions: " + e.path().string());
    }
    if (written > kFree) defect("more written than the free space allows");
    // libFuzzer ends without a hook to clean up after: only the empty sandbox stays.
    fs::remove_all(dest);
    fs::remove(archive);
    return 0;
}
