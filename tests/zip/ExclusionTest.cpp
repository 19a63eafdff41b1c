#include <gtest/gtest.h>

#include <cstdio>
#include <mutex>
#include <regex>
#include <set>
#include <sstream>

#include "TempDir.h"
#include "ZipTestSupport.h"
#include "zip/ExclusionList.h"
#include "zip/ZipEngine.h"

namespace torvane::zip::test {
namespace {

using torvane::test::TempDir;
using torvane::test::writeFile;
namespace fs = std::filesystem;

TEST(ExclusionList, MatchesBareNamesCaseBlindAndFoldersOnlyWithABackslash) {
    const ExclusionList list("*.tmp; CACHE\\ ;;.cache\\;node_modules\\;Thumbs.db;\\");
    EXPECT_FALSE(list.empty());
    EXPECT_TRUE(list.excludesName("notes.TMP"));
    EXPECT_TRUE(list.excludesFolder("build.tmp")) << "a pattern without \\ names folders too";
    EXPECT_TRUE(list.excludesName("THUMBS.DB"));
    EXPECT_FALSE(list.excludesName("notes.tmp.txt"));

    EXPECT_TRUE(list.excludesFolder("Cache"));
    EXPECT_TRUE(list.excludesFolder("cache")) << "blanks around an entry are not part of it";
    EXPECT_FALSE(list.excludesName("cache")) << "a pattern ending in \\ leaves files alone";
    EXPECT_TRUE(list.excludesFolder(".Cache"));
    EXPECT_TRUE(list.excludesFolder("NODE_MODULES"));
    EXPECT_FALSE(list.excludesFolder("caches"));
    EXPECT_FALSE(list.excludesFolder("")) << "a lone \\ names nothing";

    EXPECT_TRUE(ExclusionList("").empty());
    EXPECT_TRUE(ExclusionList(" ; ;\\").empty());
    EXPECT_FALSE(ExclusionList("").excludesName("anything"));
}

// Member names of an archive as `unzip -l` lists them.
std::set<std::string> unzipListing(const fs::path& archive) {
    std::set<std::string> names;
    FILE* pipe = ::popen(("unzip -l " + quote(archive) + " 2>/dev/null").c_str(), "r");
    if (!pipe) return names;
    std::string text;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
    ::pclose(pipe);
    const std::regex row(R"(^\s*\d+\s+\S+\s+\S+\s+(.+)$)");
    std::smatch m;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (std::regex_match(line, m, row)) names.insert(m[1]);
    return names;
}

struct HomeTree {
    TempDir tmp;
    fs::path src = tmp / "home";
    fs::path archive = tmp / "out" / "HOME.zip";
    HomeTree() {
        for (const char* f :
             {"notes.txt", "draft.TMP", "cache", "Work/report.doc", "Work/cache/keep.txt",
              "Work/Cache/Deeper/lost.txt", "Work/build.tmp/obj.o", "Cache/big.bin",
              ".cache/fonts/f.bin", "Code/app/node_modules/lib/index.js", "Code/app/main.js",
              "Code/app/NODE_MODULES.txt"})
            writeFile(src / f, std::string("content of ") + f);
    }
    BackupRequest request(const std::string& exclude) const {
        BackupRequest r = backupOf(src, archive);
        r.exclude = exclude;
        return r;
    }
};

TEST(BackupExclusions, LeaveOutFilesAndWholeFoldersAtAnyDepth) {
    if (!hasTool("unzip")) GTEST_SKIP() << "unzip is missing";
    HomeTree home;
    NoEvents none;
    const Outcome o = createArchive(home.request("*.tmp;CACHE\\;.cache\\;node_modules\\"), none);
    ASSERT_EQ(o.status, Outcome::Status::Success) << o.reason;
    EXPECT_TRUE(o.skipped.empty());
    EXPECT_EQ(unzipListing(home.archive),
              (std::set<std::string>{"notes.txt", "cache", "Work/report.doc", "Code/app/main.js",
                                     "Code/app/NODE_MODULES.txt"}));

    // The same tree without the list keeps everything.
    ASSERT_EQ(createArchive(home.request(""), none).status, Outcome::Status::Success);
    EXPECT_EQ(unzipListing(home.archive).size(), 12u);
}

TEST(BackupExclusions, AnExcludedFolderIsNeverEntered) {
    HomeTree home;
    writeFile(home.src / "Cache/Locked/secret.bin", "unreadable");
    std::mutex mutex;
    std::vector<fs::path> asked;
    const auto locked = [&](const fs::path& p) {
        std::lock_guard lock(mutex);
        asked.push_back(p);
        return p.filename() == "Locked";
    };
    NoEvents none;

    BackupRequest plain = home.request("");
    plain.faults.failRead = locked;
    const Outcome walked = createArchive(plain, none);
    ASSERT_EQ(walked.status, Outcome::Status::Success) << walked.reason;
    ASSERT_EQ(walked.skipped.size(), 1u);
    EXPECT_EQ(walked.skipped[0], (home.src / "Cache/Locked").string() + ": Permission denied");

    asked.clear();
    BackupRequest excluding = home.request("cache\\");
    excluding.faults.failRead = locked;
    const Outcome o = createArchive(excluding, none);
    ASSERT_EQ(o.status, Outcome::Status::Success) << o.reason;
    EXPECT_TRUE(o.skipped.empty()) << o.skipped[0];
    for (const fs::path& p : asked) {
        // The file called cache is read: "\" spares files.
        if (p == home.src / "cache") continue;
        for (const fs::path& part : p.lexically_relative(home.src))
            EXPECT_FALSE(part == "Cache" || part == "cache") << "looked into " << p;
    }
    EXPECT_FALSE(asked.empty()) << "the seam was asked about what was walked";
}

TEST(BackupExclusions, WithoutSubfoldersOnlyTheFilePatternAndTheListCount) {
    HomeTree home;
    BackupRequest r = home.request("*.tmp;CACHE\\");
    r.recurse = false;
    NoEvents none;
    ASSERT_EQ(createArchive(r, none).status, Outcome::Status::Success);
    std::set<std::string> names;
    for (const MemberInfo& m : listArchive(home.archive)) names.insert(m.name);
    EXPECT_EQ(names, (std::set<std::string>{"cache", "notes.txt"}));
}

}  // namespace
}  // namespace torvane::zip::test
