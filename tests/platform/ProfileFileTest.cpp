#include "platform/ProfileFile.h"

#include <gtest/gtest.h>

#include "TempDir.h"
#include "platform/AtomicFile.h"

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

}  // namespace
}  // namespace torvane::platform
