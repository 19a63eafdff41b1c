// Drives the archive engine from the command line so that scripts can time it against other
// zip tools: backup of a folder (recursive, every file, less what an exclusion list names) into
// an archive, restore into a folder, the read-back check of an archive from the disk, or a
// listing.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/PrintableText.h"
#include "zip/ZipEngine.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: torvane-bench backup SOURCE-FOLDER ARCHIVE [LEVEL [THREADS [EXCLUDE]]]\n"
                 "       torvane-bench restore ARCHIVE DESTINATION [THREADS]\n"
                 "       torvane-bench verify ARCHIVE\n"
                 "       torvane-bench list ARCHIVE\n");
    return 2;
}

int report(const torvane::zip::Outcome& o, std::chrono::steady_clock::duration took) {
    for (const auto& s : o.skipped) std::fprintf(stderr, "skipped: %s\n", s.c_str());
    for (const auto& s : o.changed) std::fprintf(stderr, "changed while read: %s\n", s.c_str());
    double seconds = std::chrono::duration<double>(took).count();
    if (o.status != torvane::zip::Outcome::Status::Success) {
        std::fprintf(stderr, "failed: %s\n", o.reason.c_str());
        return 1;
    }
    std::fprintf(stderr, "%.3f s\n", seconds);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace torvane::zip;
    if (argc < 3) return usage();
    std::string cmd = argv[1];
    NoEvents events;
    auto start = std::chrono::steady_clock::now();
    if (cmd == "backup" && argc >= 4 && argc <= 7) {
        BackupRequest r;
        r.sourceFolder = argv[2];
        r.nameBase = argv[2];
        r.pattern = "*.*";
        r.recurse = true;
        r.archive = argv[3];
        if (argc >= 5) r.level = std::atoi(argv[4]);
        if (argc >= 6) r.threads = std::atoi(argv[5]);
        // A set's Exclude value, such as "*.tmp;CACHE\".
        if (argc == 7) r.exclude = argv[6];
        Outcome o = createArchive(r, events);
        return report(o, std::chrono::steady_clock::now() - start);
    }
    if (cmd == "restore" && (argc == 4 || argc == 5)) {
        RestoreRequest r;
        r.archive = argv[2];
        r.destination = argv[3];
        // 0 is every core; the engine caps larger counts at what a disk can use.
        if (argc == 5) r.threads = std::clamp(std::atoi(argv[4]), 0, 1024);
        Outcome o = extractArchive(r, events);
        return report(o, std::chrono::steady_clock::now() - start);
    }
    if (cmd == "verify" && argc == 3) {
        VerifyRequest r;
        r.archive = argv[2];
        const Verification v = verifyArchive(r, events);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (v.status != Verification::Status::Verified) {
            std::fprintf(stderr, "failed: %s - %s\n", v.member.c_str(), v.reason.c_str());
            return 1;
        }
        std::fprintf(stderr, "%.3f s, %zu files\n", seconds, v.files);
        return 0;
    }
    if (cmd == "list" && argc == 3) {
        try {
            for (const MemberInfo& m : listArchive(argv[2]))
                std::printf("%12llu %s\n", static_cast<unsigned long long>(m.size),
                            torvane::platform::printable(m.name).c_str());
        } catch (const ZipError& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
        return 0;
    }
    return usage();
}
