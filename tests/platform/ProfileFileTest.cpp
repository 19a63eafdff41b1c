#include "platform/ProfileFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "TempDir.h"
#include "platform/AtomicFile.h"
#include "platform/SettingsStore.h"

namespace torvane::platform {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

const std::string kHandEdited =
    "; my own notes\r\n"
    "[Backup Source]\r\n"
    "  backupfiles = C:\\DATA\\*.*   \r\n"
    "Extra=keep me\r\n"
    "\r\n"
    "[DESTINATION]\r\n"
    "BackupToDrive=\"E:\\Quoted\\\"\r\n"
    "BackupToDrive=second\r\n"
    "; trailing comment\r\n";

TEST(ProfileFileTest, ReadsWithoutRegardToCaseTrimmingAndQuotes) {
    TempDir dir;
    writeFile(dir / "set.ini", kHandEdited);
    ProfileFile file(dir / "set.ini");
    EXPECT_EQ(file.get("BACKUP SOURCE", "BackupFiles"), "C:\\DATA\\*.*");
    EXPECT_EQ(file.get("destination", "backuptodrive"), "E:\\Quoted\\");  // first match wins
    EXPECT_EQ(file.get("DESTINATION", "Missing", "dflt"), "dflt");
    EXPECT_EQ(file.get("Nowhere", "BackupFiles"), "");
    EXPECT_EQ(ProfileFile(dir / "absent.ini").get("A", "B", "x"), "x");
    EXPECT_EQ(file.keys("Destination"), std::vector<std::string>{"BackupToDrive"});
    EXPECT_EQ(file.sections(), (std::vector<std::string>{"Backup Source", "DESTINATION"}));
}

TEST(ProfileFileTest, WriteChangesOnlyThatValueEvenWhenCaseDiffers) {
    TempDir dir;
    writeFile(dir / "set.ini", kHandEdited);
    ProfileFile file(dir / "set.ini");
    file.write("BACKUP SOURCE", "BACKUPFILES", "D:\\NEW\\*.*");
    std::string expected = kHandEdited;
    expected.replace(expected.find("  backupfiles = C:\\DATA\\*.*   "), 30, "backupfiles=D:\\NEW\\*.*");
    EXPECT_EQ(readFile(dir / "set.ini"), expected);
}

TEST(ProfileFileTest, WriteAddsKeysAndSectionsWhereNeeded) {
    TempDir dir;
    writeFile(dir / "set.ini", "[A]\r\nx=1\r\n\r\n[B]\r\ny=2");
    ProfileFile file(dir / "set.ini");
    file.write("a", "z", "3");
    file.write("C", "w", "4");
    EXPECT_EQ(readFile(dir / "set.ini"), "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n[C]\r\nw=4\r\n");
    ProfileFile fresh(dir / "new.ini");
    fresh.write("S", "k", "v");
    EXPECT_EQ(readFile(dir / "new.ini"), "[S]\r\nk=v\r\n");
}

TEST(ProfileFileTest, DeleteSectionRemovesHeaderAndKeysOnly) {
    TempDir dir;
    writeFile(dir / "s.ini", "[Item1]\r\nA=1\r\n[Item2]\r\nA=2\r\n[Paths]\r\nX=y\r\n");
    ProfileFile file(dir / "s.ini");
    file.deleteSection("ITEM2");
    EXPECT_EQ(readFile(dir / "s.ini"), "[Item1]\r\nA=1\r\n[Paths]\r\nX=y\r\n");
}

TEST(ProfileFileTest, FailedRewriteLeavesThePreviousFileAndNoTemporary) {
    TempDir dir;
    writeFile(dir / "set.ini", kHandEdited);
    ProfileFile file(dir / "set.ini");
    {
        AtomicWriteFaultHook fault([](const std::filesystem::path&) { throw std::runtime_error("power cut"); });
        EXPECT_THROW(file.write("Destination", "BackupToDrive", "X:\\"), std::runtime_error);
    }
    EXPECT_EQ(readFile(dir / "set.ini"), kHandEdited);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(ProfileFileTest, UnwritableLocationReportsTheHostReason) {
    TempDir dir;
    writeFile(dir / "plain", "not a folder");
    try {
        ProfileFile(dir / "plain" / "set.ini").write("A", "x", "2");
        FAIL() << "write into a file's path succeeded";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code(), std::errc::not_a_directory);
    }
}

TEST(ProfileFileTest, RemovedSectionHandsTheNameToItsNextNamesake) {
    ProfileDocument doc("[A]\r\nx=1\r\n[a]\r\nx=2");
    EXPECT_EQ(doc.get("A", "x"), "1");
    EXPECT_TRUE(doc.removeSection("A"));
    EXPECT_EQ(doc.get("A", "x"), "2");
    EXPECT_TRUE(doc.removeSection("a"));
    EXPECT_FALSE(doc.removeSection("A"));
    EXPECT_TRUE(doc.sections().empty());
    doc.set("A", "x", "3");
    EXPECT_EQ(doc.text(), "[A]\r\nx=3\r\n");
}

// The file exists but the user may not read it: taken as empty, the next write would leave a
// file holding only the key written.
TEST(ProfileFileTest, UnreadableFileIsAnErrorAndIsNeverWrittenOver) {
    TempDir dir;
    const std::string store = "[Item1]\r\nBackupSet=A.INI\r\n[Item2]\r\nBackupSet=B.INI\r\n";
    writeFile(dir / "Torvane Scheduler.ini", store);
    writeFile(dir / "set.ini", kHandEdited);
    FileReadFaultHook unreadable([](const std::filesystem::path&) { return true; }, EACCES);

    ProfileFile set(dir / "set.ini");
    const auto refusesWithTheReason = [](auto&& action) {
        try {
            action();
            ADD_FAILURE() << "an unreadable file was accepted";
        } catch (const std::system_error& e) {
            EXPECT_EQ(e.code(), std::errc::permission_denied);
            EXPECT_NE(std::string(e.what()).find("set.ini"), std::string::npos) << e.what();
        }
    };
    refusesWithTheReason([&] { set.load(); });
    refusesWithTheReason([&] { set.write("Destination", "BackupToDrive", "X:\\"); });
    refusesWithTheReason([&] { set.deleteSection("Destination"); });
    EXPECT_EQ(set.get("Destination", "BackupToDrive", "shown"), "shown");

    SettingsStore settings(dir.path(), "Torvane Scheduler");
    EXPECT_THROW(settings.document(), std::system_error);
    EXPECT_THROW(settings.save("Item3", "Status", "Enabled"), std::system_error);
    EXPECT_THROW(settings.deleteSection("Item2"), std::system_error);

    EXPECT_EQ(readFile(dir / "set.ini"), kHandEdited);
    EXPECT_EQ(readFile(dir / "Torvane Scheduler.ini"), store);
}

TEST(ProfileFileTest, OnlyAMissingFileReadsAsEmpty) {
    TempDir dir;
    EXPECT_TRUE(ProfileFile(dir / "absent.ini").load().sections().empty());
    std::filesystem::create_directory(dir / "folder.ini");
    EXPECT_THROW(ProfileFile(dir / "folder.ini").load(), std::system_error);
    EXPECT_THROW(ProfileFile(dir / "folder.ini").write("A", "x", "1"), std::system_error);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.ini"));
}

mode_t permissionsOf(const std::filesystem::path& file) {
    struct stat st {};
    EXPECT_EQ(::stat(file.c_str(), &st), 0);
    return st.st_mode & 07777;
}

TEST(ProfileFileTest, EveryRewriteKeepsThePermissionBits) {
    TempDir dir;
    writeFile(dir / "plain", "x");
    writeFile(dir / "set.ini", kHandEdited);
    writeFile(dir / "Torvane.ini", "[Startup]\r\nINI File=A.INI\r\n[Other]\r\nk=v\r\n");
    ::chmod((dir / "plain").c_str(), 0640);
    ::chmod((dir / "set.ini").c_str(), 0604);
    ::chmod((dir / "Torvane.ini").c_str(), 0600);

    writeFileAtomically(dir / "plain", "y");
    EXPECT_EQ(permissionsOf(dir / "plain"), 0640u);
    ProfileFile set(dir / "set.ini");
    set.write("Destination", "BackupToDrive", "X:\\");
    EXPECT_EQ(permissionsOf(dir / "set.ini"), 0604u);
    set.deleteSection("Destination");
    EXPECT_EQ(permissionsOf(dir / "set.ini"), 0604u);
    SettingsStore settings(dir.path(), "Torvane");
    settings.save("Startup", "INI File", "B.INI");
    settings.deleteSection("Other");
    auto document = settings.document();
    document.set("Startup", "INI File", "C.INI");
    settings.saveDocument(document);
    EXPECT_EQ(permissionsOf(dir / "Torvane.ini"), 0600u);
    EXPECT_EQ(readFile(dir / "Torvane.ini"), "[Startup]\r\nINI File=C.INI\r\n");

    const mode_t previous = ::umask(027);
    writeFileAtomically(dir / "new", "z");
    ::umask(previous);
    EXPECT_EQ(permissionsOf(dir / "new"), 0640u);
}

}  // namespace
}  // namespace torvane::platform
