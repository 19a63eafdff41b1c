#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>

#include "TempDir.h"
#include "ZipTestSupport.h"
#include "zip/ZipEngine.h"

namespace torvane::zip::test {
namespace {

using torvane::test::readFile;
using torvane::test::TempDir;
using torvane::test::writeFile;

std::string randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(gen());
    return s;
}

std::string text(std::size_t n) {
    std::string s;
    for (int i = 0; s.size() < n; ++i)
        s += "line " + std::to_string(i * 7919 % 1000) + " of the report\n";
    s.resize(n);
    return s;
}

// A tree with the shapes that break archivers: empty files, names outside ASCII, deep folders,
// several permission sets, files of one and of many compression blocks, incompressible data.
void makeTree(const std::filesystem::path& root) {
    writeFile(root / "empty.txt", "");
    writeFile(root / "Données" / "résumé ünï.txt", text(5000) + "naïve café");
    writeFile(root / "Mixed Case" / "ReadMe.TXT", "case kept");
    std::filesystem::path deep = root;
    for (int i = 0; i < 40; ++i) deep /= "level" + std::to_string(i);
    writeFile(deep / "bottom.txt", "deep");
    writeFile(root / "big" / "text.log", text(3'500'000));
    writeFile(root / "big" / "noise.bin", randomBytes(2'600'000, 1));
    writeFile(root / "small-noise.bin", randomBytes(5000, 2));
    writeFile(root / "run.sh", "#!/bin/sh\n");
    ::chmod((root / "run.sh").c_str(), 0755);
    writeFile(root / "secret.txt", "mine");
    ::chmod((root / "secret.txt").c_str(), 0600);
    writeFile(root / "readonly.txt", "ro");
    ::chmod((root / "readonly.txt").c_str(), 0444);
    long long t = 1'000'000'000;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root))
        if (e.is_regular_file()) setMtime(e.path(), t += 3601);
}

TEST(RoundTrip, TreeComesBackWithContentPermissionsAndTimes) {
    TempDir tmp;
    makeTree(tmp / "src");
    Recorder backupEvents;
    Outcome b = createArchive(backupOf(tmp / "src", tmp / "out" / "sub" / "set.zip"), backupEvents);
    ASSERT_EQ(b.status, Outcome::Status::Success) << b.reason;
    EXPECT_TRUE(b.skipped.empty());

    std::map<std::string, std::uint16_t> methods;
    for (const MemberInfo& m : listArchive(tmp / "out" / "sub" / "set.zip"))
        methods[m.name] = m.method;
    EXPECT_EQ(methods.at("big/noise.bin"), 0) << "incompressible data is stored";
    EXPECT_EQ(methods.at("small-noise.bin"), 0);
    EXPECT_EQ(methods.at("big/text.log"), 8);
    EXPECT_EQ(methods.at("Données/résumé ünï.txt"), 8);

    Recorder restoreEvents;
    RestoreRequest r{tmp / "out" / "sub" / "set.zip", tmp / "dst", {}, {}, 0, {}};
    Outcome o = extractArchive(r, restoreEvents);
    ASSERT_EQ(o.status, Outcome::Status::Success) << o.reason;

    auto before = snapshot(tmp / "src");
    auto after = snapshot(tmp / "dst");
    ASSERT_EQ(before.size(), after.size());
    for (const auto& [name, facts] : before) {
        ASSERT_TRUE(after.count(name)) << name;
        EXPECT_EQ(after[name].content, facts.content) << name;
        EXPECT_EQ(after[name].mode, facts.mode) << name;
        EXPECT_EQ(after[name].mtime, facts.mtime) << name;
    }
}

TEST(RoundTrip, OutputDoesNotDependOnTheNumberOfThreads) {
    TempDir tmp;
    makeTree(tmp / "src");
    NoEvents none;
    BackupRequest one = backupOf(tmp / "src", tmp / "one.zip");
    one.threads = 1;
    BackupRequest many = backupOf(tmp / "src", tmp / "many.zip");
    many.threads = 5;
    ASSERT_EQ(createArchive(one, none).status, Outcome::Status::Success);
    ASSERT_EQ(createArchive(many, none).status, Outcome::Status::Success);
    EXPECT_TRUE(readFile(tmp / "one.zip") == readFile(tmp / "many.zip"));
}

// Workers take members in runs of one folder, cut after a count and after a size; a tree whose
// folders hold from one to several hundred files, with large files among small ones, crosses
// every cut.
TEST(RoundTrip, EveryMemberComesBackInOrderWhateverTheNumberOfWorkers) {
    TempDir tmp;
    for (int f = 0; f < 12; ++f) {
        std::filesystem::path folder = tmp / "src" / ("f" + std::to_string(f));
        if (f % 3 == 0) folder /= "nested";
        int files = f == 4 ? 300 : 1 + f * 13;
        for (int i = 0; i < files; ++i)
            writeFile(folder / ("n" + std::to_string(i) + ".txt"),
                      i % 97 == 5 && f % 4 == 0 ? text(4'300'000 + i)
                                                : text(static_cast<std::size_t>(i % 7) * 900));
    }
    NoEvents none;
    ASSERT_EQ(createArchive(backupOf(tmp / "src", tmp / "a.zip"), none).status,
              Outcome::Status::Success);
    std::vector<std::string> names;
    for (const MemberInfo& m : listArchive(tmp / "a.zip")) names.push_back(m.name);

    auto source = snapshot(tmp / "src");
    for (int threads : {1, 2, 7}) {
        Recorder ev;
        std::filesystem::path dst = tmp / ("dst" + std::to_string(threads));
        RestoreRequest r{tmp / "a.zip", dst, {}, {}, threads, {}};
        Outcome o = extractArchive(r, ev);
        ASSERT_EQ(o.status, Outcome::Status::Success) << o.reason;
        EXPECT_EQ(ev.items(), names) << threads << " workers";
        auto restored = snapshot(dst);
        ASSERT_EQ(restored.size(), source.size()) << threads << " workers";
        for (const auto& [name, facts] : source)
            EXPECT_TRUE(restored.count(name) && restored[name].content == facts.content)
                << name << " with " << threads << " workers";
    }
}

// Each worker keeps some folders open between members; a deep tree must not run the process
// out of descriptors, whatever the number of workers.
TEST(RoundTrip, ADeepTreeRestoresWithFewDescriptors) {
    TempDir tmp;
    std::filesystem::path deep = tmp / "src";
    for (int i = 0; i < 150; ++i) {
        deep /= "d" + std::to_string(i);
        writeFile(deep / "f.txt", std::to_string(i));
        if (i % 10 == 0) writeFile(tmp / "src" / ("side" + std::to_string(i)) / "g.txt", "side");
    }
    NoEvents none;
    ASSERT_EQ(createArchive(backupOf(tmp / "src", tmp / "a.zip"), none).status,
              Outcome::Status::Success);

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = 96;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    RestoreRequest r{tmp / "a.zip", tmp / "dst", {}, {}, 6, {}};
    Outcome o = extractArchive(r, none);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    ASSERT_EQ(o.status, Outcome::Status::Success) << o.reason;
    EXPECT_EQ(snapshot(tmp / "dst").size(), snapshot(tmp / "src").size());
}

TEST(Selection, NamesAreBelowTheDriveRootInRealCase) {
    TempDir tmp;
    std::filesystem::path drive = tmp / "srv" / "d";
    writeFile(drive / "Data" / "Sub" / "x.txt", "x");
    writeFile(drive / "Data" / "top.TXT", "t");
    writeFile(drive / "Data" / "skip.doc", "d");
    writeFile(drive / "Other" / "y.txt", "y");
    BackupRequest req = backupOf(drive / "Data", tmp / "a.zip");
    req.nameBase = drive;
    req.pattern = "*.txt";
    req.itemText = [&](const std::filesystem::path& p) {
        return "D:\\" + p.lexically_relative(drive).string();
    };
    Recorder ev;
    ASSERT_EQ(createArchive(req, ev).status, Outcome::Status::Success);
    std::vector<std::string> names;
    for (const auto& m : listArchive(tmp / "a.zip")) names.push_back(m.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Data/top.TXT", "Data/Sub/x.txt"}));
    EXPECT_EQ(ev.items(), (std::vector<std::string>{"D:\\Data/top.TXT", "D:\\Data/Sub/x.txt"}));

    req.recurse = false;
    ASSERT_EQ(createArchive(req, ev).status, Outcome::Status::Success);
    ASSERT_EQ(listArchive(tmp / "a.zip").size(), 1u);
}

TEST(Selection, OnlyRegularFilesAndNoDirectoryLinks) {
    TempDir tmp;
    std::filesystem::path src = tmp / "src";
    writeFile(src / "real.txt", "real content");
    writeFile(tmp / "outside" / "target.txt", "linked content");
    ASSERT_EQ(::mkfifo((src / "pipe.txt").c_str(), 0644), 0);
    std::filesystem::create_symlink(tmp / "outside" / "target.txt", src / "filelink.txt");
    std::filesystem::create_directory_symlink(tmp / "outside", src / "dirlink");
    std::filesystem::create_directory_symlink(src, src / "loop");
    std::filesystem::create_symlink(tmp / "missing", src / "dangling.txt");

    NoEvents none;
    Outcome b = createArchive(backupOf(src, tmp / "a.zip"), none);
    ASSERT_EQ(b.status, Outcome::Status::Success) << b.reason;
    EXPECT_TRUE(b.skipped.empty());
    std::vector<std::string> names;
    for (const auto& m : listArchive(tmp / "a.zip")) names.push_back(m.name);
    EXPECT_EQ(names, (std::vector<std::string>{"filelink.txt", "real.txt"}));
    RestoreRequest r{tmp / "a.zip", tmp / "dst", {}, {}, 0, {}};
    ASSERT_EQ(extractArchive(r, none).status, Outcome::Status::Success);
    EXPECT_EQ(readFile(tmp / "dst" / "filelink.txt"), "linked content");
    EXPECT_FALSE(std::filesystem::is_symlink(tmp / "dst" / "filelink.txt"));
}

TEST(Selection, ArchiveInsideTheSourceLeavesItselfOutAndAMissingSourceFails) {
    TempDir tmp;
    writeFile(tmp / "src" / "doc.txt", "doc");
    writeFile(tmp / "src" / "SET.z01", "an earlier split volume");
    writeFile(tmp / "src" / "SET.zip", "an earlier archive");
    NoEvents none;
    ASSERT_EQ(createArchive(backupOf(tmp / "src", tmp / "src" / "SET.zip"), none).status,
              Outcome::Status::Success);
    std::vector<std::string> names;
    for (const auto& m : listArchive(tmp / "src" / "SET.zip")) names.push_back(m.name);
    EXPECT_EQ(names, std::vector<std::string>{"doc.txt"});

    Outcome o = createArchive(backupOf(tmp / "gone", tmp / "out.zip"), none);
    EXPECT_EQ(o.status, Outcome::Status::Failed);
    EXPECT_NE(o.reason.find("gone"), std::string::npos) << o.reason;
    EXPECT_FALSE(std::filesystem::exists(tmp / "out.zip"));
}

TEST(Notifications, ItemThenFilePercentThenOverallEndingAt100) {
    TempDir tmp;
    writeFile(tmp / "src" / "a.txt", text(10));
    writeFile(tmp / "src" / "b.log", text(2'500'000));
    writeFile(tmp / "src" / "c.txt", "");
    Recorder ev;
    ASSERT_EQ(createArchive(backupOf(tmp / "src", tmp / "a.zip"), ev).status,
              Outcome::Status::Success);
    Recorder rev;
    RestoreRequest r{tmp / "a.zip", tmp / "dst", {}, {}, 0, {}};
    ASSERT_EQ(extractArchive(r, rev).status, Outcome::Status::Success);

    for (const Recorder* rec : {&ev, &rev}) {
        EXPECT_EQ(rec->items().size(), 3u);
        int lastOverall = 0, lastFile = -1;
        char previous = 0;
        for (const auto& e : rec->events) {
            if (e.kind == 'i') {
                EXPECT_TRUE(previous == 0 || previous == 'o')
                    << "item follows the previous file's overall";
                EXPECT_TRUE(lastFile == -1 || lastFile == 100) << "previous file ended at 100%";
                lastFile = -1;
            } else if (e.kind == 'f') {
                EXPECT_NE(previous, 0) << "file percent comes after an item";
                EXPECT_GE(e.percent, lastFile);
                lastFile = e.percent;
            } else {
                EXPECT_GE(e.percent, lastOverall);
                lastOverall = e.percent;
            }
            previous = e.kind;
        }
        EXPECT_EQ(rec->events.back().kind, 'o');
        EXPECT_EQ(rec->events.back().percent, 100);
        // The large file reports progress part-way, so the window moves while it is compressed.
        int between = 0;
        for (const auto& e : rec->events)
            between += (e.kind == 'o' && e.percent > 0 && e.percent < 100);
        if (rec == &ev) {
            EXPECT_GE(between, 2);
        }
    }
}

}  // namespace
}  // namespace torvane::zip::test
