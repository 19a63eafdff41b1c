// verifyArchive: a written archive read back from the disk, member by member.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/PrintableText.h"
#include "zip/ArchiveOutput.h"
#include "zip/Format.h"
#include "zip/Reader.h"
#include "zip/ZipEngine.h"

namespace torvane::zip {
namespace {

using namespace format;

struct Cancelled {};

// What the local header, and the data descriptor where there is one, say about the member.
struct LocalRecord {
    std::string name;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t size = 0;
};

LocalRecord readLocal(const Archive& archive, const Entry& entry) {
    const std::size_t length = static_cast<std::size_t>(entry.dataStart - entry.localStart);
    std::string bytes(length, '\0');
    archive.read(entry.localStart, bytes.data(), bytes.size());
    LeReader r(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    LocalRecord local;
    r.u32();
    r.u16();
    local.flags = r.u16();
    local.method = r.u16();
    r.u32();
    local.crc = r.u32();
    local.compressedSize = r.u32();
    local.size = r.u32();
    const std::uint16_t nameLength = r.u16();
    const std::uint16_t extraLength = r.u16();
    local.name = std::string(r.bytes(nameLength));
    const std::string_view extraBytes = r.bytes(extraLength);
    LeReader extra(reinterpret_cast<const unsigned char*>(extraBytes.data()), extraBytes.size());
    bool zip64 = false;
    while (extra.remaining() >= 4) {
        const std::uint16_t id = extra.u16();
        const std::uint16_t size = extra.u16();
        std::string_view body = extra.bytes(size);
        if (id != kZip64Extra || extra.failed()) continue;
        zip64 = true;
        LeReader f(reinterpret_cast<const unsigned char*>(body.data()), body.size());
        if (local.size == kMax32) local.size = f.u64();
        if (local.compressedSize == kMax32) local.compressedSize = f.u64();
    }
    if (local.flags & kFlagDescriptor) {
        // Writers put the descriptor's signature first, though the format leaves it optional.
        const std::size_t sizes = zip64 ? 16 : 8;
        unsigned char d[4 + 4 + 16];
        archive.read(entry.dataStart + entry.info.compressedSize, d, 8 + sizes);
        LeReader signature(d, 4);
        LeReader descriptor(signature.u32() == kDescriptorSig ? d + 4 : d, 4 + sizes);
        local.crc = descriptor.u32();
        local.compressedSize = zip64 ? descriptor.u64() : descriptor.u32();
        local.size = zip64 ? descriptor.u64() : descriptor.u32();
    }
    return local;
}

// Why the local records disagree with the central directory; empty when they agree.
std::string disagreement(const Archive& archive, const Entry& entry) {
    const LocalRecord local = readLocal(archive, entry);
    const MemberInfo& m = entry.info;
    const char* field = local.name != m.name                  ? "name"
                        : local.flags != entry.flags          ? "flags"
                        : local.method != m.method            ? "compression method"
                        : local.crc != m.crc32                ? "CRC-32"
                        : local.compressedSize != m.compressedSize ? "compressed size"
                        : local.size != m.size                ? "size"
                                                              : nullptr;
    if (!field) return {};
    return std::string("the local header's ") + field + " disagrees with the central directory";
}

// The reason of an error about `prefix` without the prefix itself.
std::string without(const std::string& message, const std::string& prefix) {
    if (message.rfind(prefix + ": ", 0) == 0) return message.substr(prefix.size() + 2);
    return message;
}

}  // namespace

Verification verifyArchive(const VerifyRequest& request, Events& events) {
    Verification result;
    const std::string shown = platform::printable(request.archive.string());
    std::string member;
    try {
        if (request.afterWrite) request.afterWrite(request.archive);
        const Archive archive = Archive::open(request.archive, request.nextDisk, true);
        std::uint64_t total = 0;
        for (const Entry& e : archive.entries()) total += e.info.size;
        std::uint64_t done = 0;
        int lastPercent = -1;
        for (const Entry& entry : archive.entries()) {
            member = entry.info.name;
            events.item(request.itemText ? request.itemText(member) : platform::printable(member));
            if (std::string why = disagreement(archive, entry); !why.empty()) {
                result.status = Verification::Status::Failed;
                result.member = platform::printable(member);
                result.reason = why;
                return result;
            }
            std::uint64_t memberDone = 0;
            archive.extract(entry, [&](const char*, std::size_t n) {
                memberDone += n;
                done += n;
                events.fileProgress(entry.info.size == 0 ? 100 : static_cast<int>(memberDone * 100 / entry.info.size));
                const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
                if (percent != lastPercent && events.overallProgress(percent)) throw Cancelled{};
                lastPercent = percent;
            });
            if (entry.info.size == 0) events.fileProgress(100);
            if (!entry.info.isDirectory) ++result.files;
        }
        if (archive.entries().empty() && events.overallProgress(100)) throw Cancelled{};
    } catch (const Cancelled&) {
        result.status = Verification::Status::Cancelled;
        result.reason = "cancelled";
    } catch (const MemberError& e) {
        result.status = Verification::Status::Failed;
        result.member = platform::printable(member);
        result.reason = without(e.what(), result.member);
    } catch (const std::exception& e) {
        result.status = Verification::Status::Failed;
        result.member = shown;
        result.reason = without(without(e.what(), shown), "cannot open " + shown);
    }
    return result;
}

void flipMemberByte(const std::filesystem::path& archive, const std::string& member) {
    const Archive opened = Archive::open(archive, {});
    for (const Entry& entry : opened.entries()) {
        if (entry.info.name != member) continue;
        if (entry.info.compressedSize == 0) throw ZipError(member + " has no data to damage");
        const std::uint32_t last = static_cast<std::uint32_t>(opened.volumeCount() - 1);
        const std::filesystem::path volume = entry.disk == last ? archive : volumePath(archive, entry.disk, last);
        const off_t at = static_cast<off_t>(entry.localOffset + (entry.dataStart - entry.localStart));
        const int fd = ::open(volume.c_str(), O_RDWR | O_CLOEXEC);
        unsigned char byte = 0;
        const bool done = fd >= 0 && ::pread(fd, &byte, 1, at) == 1 && (byte ^= 0x55, ::pwrite(fd, &byte, 1, at) == 1);
        const int error = errno;
        if (fd >= 0) ::close(fd);
        if (!done) throw ZipError("cannot damage " + member + ": " + std::strerror(error));
        return;
    }
    throw ZipError(member + " is not in " + platform::printable(archive.string()));
}

}  // namespace torvane::zip
