// verifyArchive: a written archive read back from the disk, member by member.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "platform/PrintableText.h"
#include "zip/ArchiveOutput.h"
#include "zip/Format.h"
#include "zip/Reader.h"
#include "zip/ZipEngine.h"

namespace torvane::zip {
namespace {

using namespace format;

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
    const std::uint64_t dataStart = archive.dataStart(entry);
    const std::size_t length = static_cast<std::size_t>(dataStart - entry.localStart);
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
        archive.read(dataStart + entry.info.compressedSize, d, 8 + sizes);
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

constexpr std::size_t kWakeMembers = 64;
constexpr std::uint64_t kWakeBytes = 1u << 20;

// One member's check as the workers leave it for the reporting loop; small, since an archive
// may hold millions of members. Why a member is unsound is kept apart.
struct Slot {
    std::atomic<std::uint64_t> produced{0};
    bool done = false;
};

// Why the member is unsound, in words without its name; empty when it is sound.
std::string checkMember(const Archive& archive, const Entry& entry, const std::atomic<bool>& abort,
                        std::atomic<std::uint64_t>& produced) {
    try {
        if (std::string why = disagreement(archive, entry); !why.empty()) return why;
        archive.extract(
            entry, [](const char*, std::size_t) {}, &abort, &produced);
        return {};
    } catch (const MemberError& e) {
        return without(e.what(), platform::printable(entry.info.name));
    } catch (const std::exception& e) {
        return e.what();
    }
}

}  // namespace

Verification verifyArchive(const VerifyRequest& request, Events& events) {
    Verification result;
    const std::string shown = platform::printable(request.archive.string());
    std::optional<Archive> archive;
    try {
        if (request.afterWrite) request.afterWrite(request.archive);
        archive.emplace(Archive::open(request.archive, request.nextDisk, true));
    } catch (const std::exception& e) {
        result.status = Verification::Status::Failed;
        result.member = shown;
        result.reason = without(without(e.what(), shown), "cannot open " + shown);
        return result;
    }
    const std::vector<Entry>& entries = archive->entries();
    std::uint64_t total = 0;
    for (const Entry& e : entries)
        total += std::min<std::uint64_t>(e.info.size, UINT64_MAX - total);

    // Members are checked on every core, in archive order, so that the disk reads ahead; they
    // are reported in that order, and the first unsound one ends the check.
    std::vector<Slot> slots(entries.size());
    std::atomic<std::size_t> next{0};
    std::atomic<bool> abort{false};
    std::mutex mutex;
    std::condition_variable doneCv;
    std::size_t awaited = 0;
    std::map<std::size_t, std::string> unsound;
    auto work = [&] {
        for (std::size_t i; !abort.load() && (i = next.fetch_add(1)) < entries.size();) {
            std::string why = checkMember(*archive, entries[i], abort, slots[i].produced);
            // The reporting loop is woken after a run of members, a large one or a bad one, not
            // for every small file: a wake-up per file would cost more than checking it.
            const bool worthWaking = !why.empty() || entries[i].info.size >= kWakeBytes ||
                                     (i + 1) % kWakeMembers == 0 || i + 1 == entries.size();
            bool wake;
            {
                std::lock_guard lock(mutex);
                slots[i].done = true;
                if (!why.empty()) unsound.emplace(i, std::move(why));
                wake = worthWaking && awaited <= i && slots[awaited].done;
            }
            if (wake) doneCv.notify_one();
        }
    };
    const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t) {
        try {
            pool.emplace_back(work);
        } catch (const std::system_error& e) {
            if (!pool.empty()) break;
            result.status = Verification::Status::Failed;
            result.member = shown;
            result.reason = "cannot start a verification worker: " + e.code().message();
            return result;
        }
    }

    std::uint64_t done = 0;
    int lastOverall = 0;
    const auto overall = [&](std::uint64_t extra) {
        const int percent =
            total == 0
                ? 100
                : static_cast<int>(std::min<std::uint64_t>(100, (done + extra) * 100 / total));
        lastOverall = std::max(lastOverall, percent);
        return events.overallProgress(lastOverall);
    };
    bool cancelled = entries.empty() && events.overallProgress(100);
    for (std::size_t i = 0;
         i < entries.size() && !cancelled && result.status == Verification::Status::Verified; ++i) {
        const MemberInfo& m = entries[i].info;
        events.item(request.itemText ? request.itemText(m.name) : platform::printable(m.name));
        std::unique_lock lock(mutex);
        awaited = i;
        int lastFile = -1;
        while (!slots[i].done && !cancelled) {
            doneCv.wait_for(lock, std::chrono::milliseconds(100));
            if (slots[i].done) break;
            const std::uint64_t produced = slots[i].produced.load();
            lock.unlock();
            const int percent = m.size == 0 ? 0 : static_cast<int>(produced * 100 / m.size);
            if (percent != lastFile) events.fileProgress(lastFile = percent);
            cancelled = overall(produced);
            lock.lock();
        }
        if (cancelled) break;
        if (const auto bad = unsound.find(i); bad != unsound.end()) {
            result.status = Verification::Status::Failed;
            result.member = platform::printable(m.name);
            result.reason = bad->second;
            break;
        }
        lock.unlock();
        events.fileProgress(100);
        done += m.size;
        if (!m.isDirectory) ++result.files;
        cancelled = overall(0);
    }
    abort = true;
    for (auto& t : pool) t.join();
    if (cancelled) {
        result.status = Verification::Status::Cancelled;
        result.reason = "cancelled";
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
        const off_t at = static_cast<off_t>(opened.localOffset(entry) + (opened.dataStart(entry) - entry.localStart));
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
