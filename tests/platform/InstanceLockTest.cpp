#include "platform/InstanceLock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TempDir.h"

namespace torvane::platform {
namespace {

TEST(InstanceLockTest, SecondHolderIsRefusedUntilTheFirstEnds) {
    test::TempDir dir;
    auto first = std::make_unique<InstanceLock>(dir.path(), "Torvane");
    ASSERT_TRUE(first->acquire());
    EXPECT_TRUE(first->acquire());
    InstanceLock second(dir.path(), "Torvane");
    EXPECT_FALSE(second.acquire());
    InstanceLock other(dir.path(), "Torvane Scheduler");
    EXPECT_TRUE(other.acquire());
    first.reset();
    EXPECT_TRUE(second.acquire());
}

TEST(InstanceLockTest, AKilledHolderLeavesNoStaleLock) {
    test::TempDir dir;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        InstanceLock lock(dir.path(), "Torvane");
        const char ok = lock.acquire() ? '1' : '0';
        (void)!::write(ready[1], &ok, 1);
        ::pause();
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, '1');
    InstanceLock mine(dir.path(), "Torvane");
    EXPECT_FALSE(mine.acquire());
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(mine.acquire());
    ::close(ready[0]);
    ::close(ready[1]);
}

}  // namespace
}  // namespace torvane::platform
