#include <gtest/gtest.h>

#include <system_error>

#include "TempDir.h"
#include "platform/ProcessStarter.h"

namespace torvane::platform {
namespace {

// The scheduler relies on a start that cannot happen being reported, not swallowed by the
// detached child: it is what turns into the "Unable to be Started" line.
TEST(HostProcessStarter, ReportsWhyAProgramCouldNotBeStarted) {
    torvane::test::TempDir temp;
    HostProcessStarter starter;
    try {
        starter.startDetached(temp / "Torvane", "DAILY.INI");
        FAIL() << "a missing program was started";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code(), std::errc::no_such_file_or_directory);
    }
    torvane::test::writeFile(temp / "Plain", "not a program");
    try {
        starter.startDetached(temp / "Plain", "DAILY.INI");
        FAIL() << "a file without execute permission was started";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code(), std::errc::permission_denied);
    }
}

}  // namespace
}  // namespace torvane::platform
