#include "backupsets/clsDrives.h"

#include <gtest/gtest.h>

#include "TestContext.h"

namespace torvane {
namespace {

TEST(clsDrivesTest, ListsAndVerifiesDrivesByType) {
    test::TempDir extra;
    for (const char* d : {"a", "d", "z"}) std::filesystem::create_directories(extra / d);
    test::TestContext ctx("A=" + (extra / "a").string() + ",removable\r\nD=" + (extra / "d").string() +
                          ",fixed\r\nZ=" + (extra / "z").string() + ",cdrom\r\nY=" +
                          (extra / "missing").string() + ",fixed\r\n");
    clsDrives drives(*ctx.context);
    const std::string fixed = drives.ShowDrives(3);
    EXPECT_NE(fixed.find("D: "), std::string::npos);
    EXPECT_EQ(fixed.find("Y:"), std::string::npos);
    EXPECT_EQ(drives.ShowDrives(2), "A: ");
    EXPECT_EQ(drives.ShowDrives(5), "Z: ");
    EXPECT_EQ(drives.ShowDrives(0), "Nil");
    EXPECT_EQ(drives.ShowDrives(1), "Nil");
    EXPECT_EQ(drives.ShowDrives(6), "Nil");
    EXPECT_TRUE(drives.VerifyDriveType("A:\\", 2));
    EXPECT_FALSE(drives.VerifyDriveType("D:\\", 2));
    EXPECT_TRUE(drives.VerifyDriveType("Q:\\", 1));
    EXPECT_GT(drives.FreeSpace("a"), 0.0);
    EXPECT_EQ(drives.FreeSpace("Q"), 0.0);
}

}  // namespace
}  // namespace torvane
