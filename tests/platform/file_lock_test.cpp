#include "platform/file_lock.h"

#include <gtest/gtest.h>
#include <thread>

#include "platform/error.h"
#include "support/temp_world.h"

#ifndef _WIN32
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace seewolf::platform {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(FileLock, OneHolderAtATimeAndTheFileStays) {
    testing::TempFolder temp;
    const fs::path path = temp.Path() / "Seewolf.lock";

    std::optional<FileLock> first = FileLock::Acquire(path, 0ms);
    ASSERT_TRUE(first.has_value());
    EXPECT_TRUE(fs::exists(path));
    EXPECT_FALSE(FileLock::Acquire(path, 0ms).has_value());

    // The wait runs out while the lock is held.
    const auto start = Clock::now();
    EXPECT_FALSE(FileLock::Acquire(path, 150ms).has_value());
    EXPECT_GE(Clock::now() - start, 150ms);

    // Moved, the lock stays held; it goes with its last owner.
    FileLock moved = std::move(*first);
    first.reset();
    EXPECT_FALSE(FileLock::Acquire(path, 0ms).has_value());

    // A holder that lets go during the wait hands the lock on.
    std::thread releaser([lock = std::move(moved)]() mutable {
        std::this_thread::sleep_for(200ms);
        FileLock gone = std::move(lock);
    });
    const auto waited = Clock::now();
    std::optional<FileLock> second = FileLock::Acquire(path, 10s);
    releaser.join();
    ASSERT_TRUE(second.has_value());
    EXPECT_GE(Clock::now() - waited, 150ms);
    EXPECT_LT(Clock::now() - waited, 5s);
    second.reset();
    EXPECT_TRUE(fs::exists(path));  // released, never deleted
    EXPECT_TRUE(FileLock::Acquire(path, 0ms).has_value());

    EXPECT_THROW(FileLock::Acquire(temp.Path() / "missing" / "Seewolf.lock", 0ms), Error);
}

#ifndef _WIN32
TEST(FileLock, ExcludesOtherProcessesAndDiesWithItsHolder) {
    testing::TempFolder temp;
    const fs::path path = temp.Path() / "Seewolf.lock";
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::optional<FileLock> lock;
        try {
            lock = FileLock::Acquire(path, 0ms);
        } catch (...) {  // said through the pipe: the child must not run on into the other tests
        }
        const char result = lock ? 'y' : 'n';
        static_cast<void>(::write(ready[1], &result, 1));
        for (;;) {
            ::pause();  // holds the lock until it is killed
        }
    }
    ::close(ready[1]);
    struct Reaper {
        pid_t pid;
        ~Reaper() {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    };
    std::optional<Reaper> reaper;
    reaper.emplace(child);
    char result = 0;
    ASSERT_EQ(::read(ready[0], &result, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(result, 'y');
    EXPECT_FALSE(FileLock::Acquire(path, 100ms).has_value());

    // The holder crashes: the lock is free again.
    reaper.reset();
    EXPECT_TRUE(FileLock::Acquire(path, 0ms).has_value());
}
#endif

}  // namespace
}  // namespace seewolf::platform
