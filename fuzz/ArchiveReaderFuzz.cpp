// Feeds arbitrary bytes to the archive reader as a one-volume archive: parse the central
// directory, check every member name, and inflate every member into nowhere. Any crash, hang,
// sanitizer report or allocation beyond the input's means is a defect in the reader.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "zip/Reader.h"
#include "zip/SafePath.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace torvane::zip;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::unique_ptr<Volume>> volumes;
    volumes.push_back(memoryVolume(bytes));
    try {
        Archive archive(std::move(volumes), "fuzz");
        for (const Entry& e : archive.entries()) {
            std::string reason;
            memberComponents(e.info.name, reason);
            try {
                std::uint64_t total = 0;
                archive.extract(e, [&](const char*, std::size_t n) { total += n; });
            } catch (const MemberError&) {
            } catch (const ZipError&) {
            }
        }
    } catch (const ZipError&) {
    }
    return 0;
}
