#include "platform/DriveMap.h"

#include <gtest/gtest.h>

#include "TempDir.h"
#include "platform/Host.h"
#include "platform/MountTable.h"

namespace torvane::platform {
namespace {

using test::TempDir;
using test::writeFile;

TEST(DriveMapTest, ResolvesWithoutRegardToCaseAndKeepsMissingPartsAsWritten) {
    TempDir dir;
    std::filesystem::create_directories(dir / "tmp/x/Data");
    const auto map = DriveMap::fromMappings({{'c', dir.path(), std::nullopt}});
    EXPECT_EQ(*map.resolve("C:\\TMP\\X\\DATA"), dir / "tmp/x/Data");
    EXPECT_EQ(*map.resolve("c:\\tmp\\X\\data\\New\\File.TXT"), dir / "tmp/x/Data/New/File.TXT");
    EXPECT_EQ(*map.resolve("C:\\TMP\\..\\..\\..\\tmp\\.\\x\\"), dir / "tmp/x");  // never above the root
    EXPECT_EQ(*map.resolve("C:"), dir.path());
    EXPECT_FALSE(map.resolve("D:\\TMP").has_value());
    EXPECT_FALSE(map.resolve("TMP\\X").has_value());
}

TEST(DriveMapTest, ExactNameWinsOverOtherCasings) {
    TempDir dir;
    std::filesystem::create_directories(dir / "data");
    std::filesystem::create_directories(dir / "DATA");
    const auto map = DriveMap::fromMappings({{'C', dir.path(), std::nullopt}});
    EXPECT_EQ(*map.resolve("C:\\DATA"), dir / "DATA");
    EXPECT_EQ(*map.resolve("C:\\data"), dir / "data");
}

TEST(DriveMapTest, DrivePathOfAHostPathUsesTheLongestMappedFolder) {
    const auto map = DriveMap::fromMappings({{'C', "/", std::nullopt}, {'E', "/media/stick", std::nullopt}});
    EXPECT_EQ(*map.toDrivePath("/home/alice/Torvane"), "C:\\home\\alice\\Torvane");
    EXPECT_EQ(*map.toDrivePath("/media/stick/Backups"), "E:\\Backups");
    EXPECT_EQ(*map.toDrivePath("/media/stick"), "E:\\");
    EXPECT_EQ(*map.toDrivePath("/media/stickier"), "C:\\media\\stickier");
    EXPECT_FALSE(DriveMap::fromMappings({{'E', "/media/stick", std::nullopt}}).toDrivePath("/srv").has_value());
}

TEST(DriveMapTest, LoadsLettersAndTypeWordsFromDrivesIni) {
    TempDir dir;
    writeFile(dir / "Drives.ini",
              "[Drives]\r\nC=/\r\ne = /media/alice/STICK, removable\r\nR=/mnt/ram,RAMDISK\r\n"
              "Q=/q, nonsense\r\nLONG=/x\r\nZ=\r\n");
    const auto map = DriveMap::load(dir / "Drives.ini");
    ASSERT_EQ(map.mappings().size(), 4u);
    EXPECT_EQ(map.find('E')->hostRoot, "/media/alice/STICK");
    EXPECT_EQ(map.find('e')->type, kDriveRemovable);
    EXPECT_EQ(map.find('R')->type, kDriveRamDisk);
    EXPECT_FALSE(map.find('Q')->type.has_value());
    EXPECT_FALSE(map.find('C')->type.has_value());
    EXPECT_EQ(map.find('Z'), nullptr);
    const auto fallback = DriveMap::load(dir / "none.ini");
    ASSERT_EQ(fallback.mappings().size(), 1u);
    EXPECT_EQ(fallback.find('C')->hostRoot, "/");
}

TEST(MountTableTest, ClassifiesEachKindOfMount) {
    TempDir dir;
    writeFile(dir / "sys/block/sdb/removable", "1\n");
    writeFile(dir / "sys/block/sda/removable", "0\n");
    writeFile(dir / "sys/block/mmcblk0/removable", "1\n");
    const auto table = MountTable::parse(
        "/dev/sda1 / ext4 rw,relatime 0 0\n"
        "tmpfs /run/ram tmpfs rw 0 0\n"
        "/dev/sr0 /media/cd iso9660 ro 0 0\n"
        "server:/export /mnt/nfs nfs4 rw 0 0\n"
        "/dev/sdb1 /media/My\\040Stick vfat rw 0 0\n"
        "/dev/mmcblk0p1 /media/card exfat rw 0 0\n"
        "garbage\n");
    const auto sys = dir / "sys/block";
    const auto typeOf = [&](const char* path) { return classifyMount(*table.mountOf(path), sys); };
    EXPECT_EQ(typeOf("/home/alice"), kDriveFixed);
    EXPECT_EQ(typeOf("/run/ram/x"), kDriveRamDisk);
    EXPECT_EQ(typeOf("/media/cd"), kDriveCdRom);
    EXPECT_EQ(typeOf("/mnt/nfs/deep/er"), kDriveRemote);
    EXPECT_EQ(typeOf("/media/My Stick/Backups"), kDriveRemovable);
    EXPECT_EQ(typeOf("/media/card"), kDriveRemovable);
    EXPECT_EQ(table.mountOf("/media/cdrom")->mountPoint, "/");
}

TEST(HostTest, DriveTypesFreeSpaceAndProgramFolder) {
    TempDir dir;
    std::filesystem::create_directories(dir / "c/Prog");
    std::filesystem::create_directories(dir / "stick");
    std::filesystem::create_directories(dir / "ram");
    writeFile(dir / "mounts", "/dev/vda / ext4 rw 0 0\ntmpfs " + (dir / "ram").string() + " tmpfs rw 0 0\n");
    writeFile(dir / "settings/Drives.ini", "[Drives]\nC=" + (dir / "c").string() + "\nE=" +
                                               (dir / "stick").string() + ", removable\nR=" +
                                               (dir / "ram").string() + "\nX=" + (dir / "gone").string() + "\n");
    HostConfig config;
    config.settingsFolder = dir / "settings";
    config.executableFolder = dir / "c/Prog";
    config.mountTable = dir / "mounts";
    config.sysBlock = dir / "sys";
    Host host(config);
    EXPECT_EQ(host.driveType("C:\\"), kDriveFixed);
    EXPECT_EQ(host.driveType("e:\\"), kDriveRemovable);
    EXPECT_EQ(host.driveType("R:\\"), kDriveRamDisk);
    EXPECT_EQ(host.driveType("X:\\"), kDriveNoRoot);  // mapped folder missing
    EXPECT_EQ(host.driveType("Q:\\"), kDriveNoRoot);
    EXPECT_EQ(host.programFolder(), "C:\\Prog");
    ASSERT_TRUE(host.freeBytes('C').has_value());
    EXPECT_GT(*host.freeBytes('C'), 0u);
    EXPECT_FALSE(host.freeBytes('Q').has_value());
}

}  // namespace
}  // namespace torvane::platform
