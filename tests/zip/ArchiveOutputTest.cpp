#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
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

constexpr std::uint64_t kMiB = 1 << 20;

void makeNoise(const std::filesystem::path& file, std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(gen());
    writeFile(file, s);
}

bool unnamedFilesIn(const std::filesystem::path& folder) {
    int fd = ::open(folder.c_str(), O_WRONLY | O_TMPFILE | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

pid_t endedProcess() {
    pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

// A run killed part-way, its archive well begun: the child checks what the destination shows
// while it writes, then dies without a chance to clean up.
TEST(ArchiveOutput, AKilledRunLeavesNoTemporaryAndThePreviousArchive) {
    TempDir tmp;
    for (int i = 0; i < 3; ++i) makeNoise(tmp / "src" / ("f" + std::to_string(i)), 4 * kMiB, i);
    writeFile(tmp / "out" / "SET.zip", "previous");
    const bool unnamed = unnamedFilesIn(tmp / "out");

    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        BackupRequest req = backupOf(tmp / "src", tmp / "out" / "SET.zip");
        req.threads = 1;
        req.faults.beforeRead = [&](const std::filesystem::path& p, std::uint64_t offset) {
            if (p.filename() == "f2" && offset == 3 * kMiB) {
                if (unnamed && allEntries(tmp / "out") != std::vector<std::string>{"SET.zip"})
                    ::_exit(3);
                ::kill(::getpid(), SIGKILL);
            }
            return 0;
        };
        NoEvents none;
        createArchive(req, none);
        ::_exit(4);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "child exit " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    EXPECT_EQ(readFile(tmp / "out" / "SET.zip"), "previous");
    if (unnamed) {
        EXPECT_EQ(allEntries(tmp / "out"), std::vector<std::string>{"SET.zip"});
    }

    NoEvents none;
    ASSERT_EQ(createArchive(backupOf(tmp / "src", tmp / "out" / "SET.zip"), none).status,
              Outcome::Status::Success);
    EXPECT_EQ(allEntries(tmp / "out"), std::vector<std::string>{"SET.zip"});
    EXPECT_EQ(listArchive(tmp / "out" / "SET.zip").size(), 3u);
}

TEST(ArchiveOutput, TheNextRunRemovesOnlyTheTemporariesOfItsArchiveLeftByEndedRuns) {
    TempDir tmp;
    writeFile(tmp / "src" / "a.txt", "alpha");
    const std::string dead = std::to_string(endedProcess());
    const std::string alive = std::to_string(::getppid());
    const std::vector<std::string> stale = {
        ".SET.zip.tvtmp" + dead + "-0",
        ".SET.z01.tvtmp" + dead + "-12",
        ".SET.zip.tmp-Ab3xY9",
    };
    const std::vector<std::string> kept = {
        ".OTHER.zip.tvtmp" + dead + "-0",  // another archive's
        ".SET.zip.tvtmp" + alive + "-0",   // a run still going
        "SET.zip.tvtmp" + dead + "-0",     // not hidden: not ours
        ".SET.zip.tvtmp" + dead + "x-0",   // not a process number
        ".SET.zip.tvtmp" + dead + "-",     // no counter
        ".SET.zip.tmp-Ab3xY",              // five characters
        ".SET.zip.tmp-Ab3xY9.old",
        ".SET.z1.tvtmp" + dead + "-0",  // volumes have two digits at least
        "notes.txt",
    };
    for (const auto& name : stale) writeFile(tmp / "out" / name, "x");
    for (const auto& name : kept) writeFile(tmp / "out" / name, "x");

    NoEvents none;
    ASSERT_EQ(createArchive(backupOf(tmp / "src", tmp / "out" / "SET.zip"), none).status,
              Outcome::Status::Success);
    std::vector<std::string> expected = kept;
    expected.push_back("SET.zip");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(allEntries(tmp / "out"), expected);
}

}  // namespace
}  // namespace torvane::zip::test
