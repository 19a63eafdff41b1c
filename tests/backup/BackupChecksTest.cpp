#include "backup/BackupChecks.h"

#include <gtest/gtest.h>

#include "TestContext.h"

namespace torvane {
namespace {

using test::TestContext;
using test::writeFile;

// Program folder C:\PROG; drives E: removable, R: RAM disk, Z: CD-ROM, all in the temp folder.
class BackupChecksTest : public ::testing::Test {
protected:
    explicit BackupChecksTest(std::uint64_t freeBytes = 10'000'000)
        : free_(freeBytes),
          ctx(drives(), "", [this](const std::filesystem::path&) { return std::optional<std::uint64_t>(free_); }) {
        std::filesystem::create_directories(ctx.cRoot / "Data");
    }
    std::string drives() {
        std::string text;
        for (const auto& [letter, type] : {std::pair{"E", "removable"}, {"R", "ramdisk"}, {"Z", "cdrom"}}) {
            std::filesystem::create_directories(extra / letter);
            text += std::string(letter) + "=" + (extra / letter).string() + ", " + type + "\r\n";
        }
        return text;
    }
    void writeSet(const std::string& destination, const std::string& multiVolume,
                  const std::string& source = "C:\\DATA\\*.*") {
        writeFile(ctx.programHost / "DAILY.INI",
                  "[BACKUP SOURCE]\r\nBackupFiles=" + source + "\r\nBackupSubDirectories=ON\r\n[Destination]\r\n"
                  "BackupFileName=DAILY\r\nMultiVolumeBackup=" + multiVolume + "\r\nBackupToDrive=" + destination +
                  "\r\nTimeBackup=ON\r\n");
    }
    BackupScreen screen(const std::string& where) { return {"DAILY.INI", where}; }

    test::TempDir extra;
    std::uint64_t free_;
    TestContext ctx;
};

TEST_F(BackupChecksTest, InteractiveRefusalsComeInOrderWithTheirTexts) {
    writeSet("E:\\", "OFF");
    auto r = interactiveBackupRefusal(*ctx.context, {"", "E:\\"});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->text, "Nothing has been selected to Backup.\r\n\r\nPlease enter a valid Backup Set.");
    EXPECT_EQ(r->icon, MsgIcon::Exclamation);
    EXPECT_EQ(r->title, "Backup");

    r = interactiveBackupRefusal(*ctx.context, screen("E:\\GONE\\"));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->text, "Unable to continue with the Backup as E:\\GONE\\ does not appear to exist.");

    // The set's own folder is tested, on a drive that exists, whatever the folder list shows.
    writeSet("E:\\", "OFF", "C:\\Nowhere\\*.*");
    r = interactiveBackupRefusal(*ctx.context, screen("E:\\"));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->text, "Unable to continue with the Backup as C:\\Nowhere\\ does not appear to exist.");
    EXPECT_EQ(r->icon, MsgIcon::Exclamation);
    writeSet("E:\\", "OFF", "C:\\data\\*.txt");  // found without regard to case
    r = interactiveBackupRefusal(*ctx.context, screen("E:\\"));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->text.rfind("Unable to continue as the Multi-Volume Flag is set to OFF", 0), 0u);
    writeSet("E:\\", "OFF");

    r = interactiveBackupRefusal(*ctx.context, screen("E:\\"));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->text, "Unable to continue as the Multi-Volume Flag is set to OFF and a Backup File is about to be "
                       "created on a Removable Drive");
    EXPECT_EQ(r->icon, MsgIcon::Information);

    writeSet("C:\\", "ON");
    r = interactiveBackupRefusal(*ctx.context, screen("C:\\"));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->text, "Unable to continue as the Multi-Volume Flag is set to ON and a Backup File is about to be "
                       "created on a Non-Removable Drive");
}

TEST_F(BackupChecksTest, InteractiveRunMakesNoCdRomOrRamDiskCheck) {
    writeSet("Z:\\", "OFF");
    EXPECT_FALSE(interactiveBackupRefusal(*ctx.context, screen("Z:\\")));
    writeSet("R:\\", "OFF");
    EXPECT_FALSE(interactiveBackupRefusal(*ctx.context, screen("R:\\")));
    const auto confirm = backupConfirmation();
    EXPECT_EQ(confirm.text, "Are you sure that you wish to start the backup now?");
    EXPECT_EQ(confirm.buttons, MsgButtons::YesNo);
    EXPECT_EQ(confirm.defaultButton, MsgAnswer::No);
    EXPECT_EQ(confirm.icon, MsgIcon::None);
    EXPECT_EQ(confirm.title, "Torvane");
}

TEST_F(BackupChecksTest, UnattendedRefusalLines) {
    struct Case {
        const char* destination;
        const char* multi;
        const char* line;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"Z:\\", "OFF", "Backup Failed - Cannot Backup to CDROM Drive Z:\\"},
             {"R:\\", "OFF", "Backup Failed - Cannot Backup to RAM Disk R:\\"},
             {"E:\\", "OFF", "Backup Failed - MultiVolume Flag NOT set for Removable Drive E:\\"},
             {"C:\\", "ON", "Backup Failed - MultiVolume Flag set for Non-Removable Drive C:\\"},
         }) {
        writeSet(c.destination, c.multi);
        const auto line = unattendedBackupRefusal(*ctx.context, screen(c.destination));
        ASSERT_TRUE(line) << c.destination;
        EXPECT_EQ(*line, c.line);
    }
    writeSet("C:\\", "OFF");
    EXPECT_FALSE(unattendedBackupRefusal(*ctx.context, screen("C:\\")));
    EXPECT_EQ(*unattendedBackupRefusal(*ctx.context, screen("C:\\MISSING\\")),
              "Backup Failed - Unable to locate C:\\MISSING\\");
    EXPECT_FALSE(unattendedBackupRefusal(*ctx.context, screen("")));  // an empty field passes
    std::filesystem::remove(ctx.cRoot / "Data");
    EXPECT_EQ(*unattendedBackupRefusal(*ctx.context, screen("C:\\")), "Backup Failed - Unable to locate C:\\DATA\\*.*");
}

class MultiVolumeFreeSpace : public BackupChecksTest, public ::testing::WithParamInterface<std::uint64_t> {
protected:
    MultiVolumeFreeSpace() : BackupChecksTest(GetParam()) {}
};

TEST_P(MultiVolumeFreeSpace, NeedsTwoMillionBytesUnattended) {
    writeSet("E:\\", "ON");
    const auto line = unattendedBackupRefusal(*ctx.context, screen("E:\\"));
    if (GetParam() < 2'000'000) {
        ASSERT_TRUE(line);
        EXPECT_EQ(*line, "Backup Failed - Unable to conduct a Backup on a MultiVolume Drive whilst Unattended");
    } else {
        EXPECT_FALSE(line);
    }
}

INSTANTIATE_TEST_SUITE_P(Edge, MultiVolumeFreeSpace, ::testing::Values(1'999'999u, 2'000'000u));

}  // namespace
}  // namespace torvane
