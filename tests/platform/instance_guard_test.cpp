#include "platform/instance_guard.h"

#include <chrono>
#include <cstring>
#include <gtest/gtest.h>

#include "platform/encoding.h"
#include "platform/error.h"

namespace seewolf::platform {
namespace {

TEST(InstanceGuardName, SeparatorsRemovedAndLowerCase) {
    EXPECT_EQ(InstanceGuard::BlockNameFor("/Opt/Games/SEEWOLF/Seewolf"), "optgamesseewolfseewolf");
    // A backslash is a separator too, wherever it appears.
    EXPECT_EQ(InstanceGuard::BlockNameFor("/home/U\\Seewolf.EXE"), "homeuseewolf.exe");
    // Lower case of the code page, not only of ASCII: "ÄRGER" in a file name.
    EXPECT_EQ(InstanceGuard::BlockNameFor(PathFromUtf8("/Spiele/\xC3\x84RGER/Seewolf")),
              "spiele\xE4rgerseewolf");
    // Argument 0 as Windows reports it.
    EXPECT_EQ(InstanceGuard::BlockNameFor(PathFromUtf8("C:\\Program Files (x86)\\\xC3\x84rger\\Seewolf.EXE")),
              "c:program files (x86)\xE4rgerseewolf.exe");
}

}  // namespace
}  // namespace seewolf::platform

#ifndef _WIN32
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace seewolf::platform {
namespace {

namespace fs = std::filesystem;

// A child process of this test program: alive, and running the same executable.
class Twin {
  public:
    Twin() {
        m_pid = ::fork();
        if (m_pid == 0) {
            for (;;) {
                ::pause();
            }
        }
    }
    ~Twin() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    Twin(const Twin&) = delete;
    Twin& operator=(const Twin&) = delete;
    int Pid() const { return m_pid; }

  private:
    pid_t m_pid;
};

int DeadPid() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return child;
}

class InstanceGuardTest : public ::testing::Test {
  protected:
    // Executable paths unique to this run, so parallel runs never share a block.
    fs::path Executable(const std::string& folder) {
        static const std::string token =
            std::to_string(::getpid()) + "-" +
            std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
        fs::path path = fs::path("/tmp") / ("Seewolf-Guard-" + token) / folder / "Seewolf";
        m_used.push_back(path);
        return path;
    }

    static std::string ShmName(const fs::path& executable) {
        return "/" + InstanceGuard::BlockNameFor(executable);
    }

    static bool BlockExists(const fs::path& executable) {
        return fs::exists("/dev/shm" + ShmName(executable));
    }

    // Writes a block as an earlier instance would have left it.
    static void WriteBlock(const fs::path& executable, std::int32_t handle, std::int32_t count) {
        const int fd = ::shm_open(ShmName(executable).c_str(), O_RDWR | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, 8), 0);
        std::int32_t values[2] = {handle, count};
        ASSERT_EQ(::pwrite(fd, values, sizeof values, 0), static_cast<ssize_t>(sizeof values));
        ::close(fd);
    }

    static std::pair<std::int32_t, std::int32_t> ReadBlock(const fs::path& executable) {
        std::int32_t values[2] = {-1, -1};
        const int fd = ::shm_open(ShmName(executable).c_str(), O_RDONLY, 0);
        if (fd >= 0) {
            [[maybe_unused]] const ssize_t count = ::pread(fd, values, sizeof values, 0);
            ::close(fd);
        }
        return {values[0], values[1]};
    }

    void TearDown() override {
        for (const auto& path : m_used) {
            ::shm_unlink(ShmName(path).c_str());
        }
    }

  private:
    std::vector<fs::path> m_used;
};

TEST_F(InstanceGuardTest, SecondInstanceStopsAndLearnsTheFirst) {
    const fs::path exe = Executable("a");
    Twin first;
    ASSERT_GT(first.Pid(), 0);
    InstanceGuard one(exe);
    EXPECT_FALSE(one.AnotherInstanceOwns(first.Pid(), 1));
    EXPECT_EQ(ReadBlock(exe), std::make_pair(first.Pid(), 1));

    InstanceGuard two(exe);
    EXPECT_TRUE(two.AnotherInstanceOwns(::getpid(), 1));
    EXPECT_EQ(two.FirstInstanceHandle(), first.Pid());
    EXPECT_EQ(ReadBlock(exe), std::make_pair(first.Pid(), 1));

    // With room for two, the second registers and becomes the one that is shown.
    InstanceGuard three(exe);
    EXPECT_FALSE(three.AnotherInstanceOwns(::getpid(), 2));
    EXPECT_EQ(ReadBlock(exe), std::make_pair(::getpid(), 2));
    InstanceGuard four(exe);
    EXPECT_TRUE(four.AnotherInstanceOwns(first.Pid(), 2));
    EXPECT_EQ(four.FirstInstanceHandle(), ::getpid());

    // Another folder is another program.
    InstanceGuard elsewhere(Executable("b"));
    EXPECT_FALSE(elsewhere.AnotherInstanceOwns(::getpid(), 1));
    EXPECT_EQ(elsewhere.BlockName(), InstanceGuard::BlockNameFor(Executable("b")));
}

TEST_F(InstanceGuardTest, OnlyRegisteredInstancesCountDownAndTheLastRemovesTheBlock) {
    const fs::path exe = Executable("a");
    auto first = std::make_unique<InstanceGuard>(exe);
    ASSERT_FALSE(first->AnotherInstanceOwns(::getpid(), 1));
    {
        InstanceGuard refused(exe);
        ASSERT_TRUE(refused.AnotherInstanceOwns(::getpid(), 1));
    }
    EXPECT_EQ(ReadBlock(exe).second, 1);  // the refused one did not count itself, nor down
    {
        InstanceGuard refusedAgain(exe);
        EXPECT_TRUE(refusedAgain.AnotherInstanceOwns(::getpid(), 1));
    }
    first.reset();
    EXPECT_FALSE(BlockExists(exe));

    InstanceGuard next(exe);
    EXPECT_FALSE(next.AnotherInstanceOwns(::getpid(), 1));
    EXPECT_TRUE(BlockExists(exe));
    {
        InstanceGuard unused(exe);  // never asked: leaves the block alone
    }
    EXPECT_EQ(ReadBlock(exe), std::make_pair(::getpid(), 1));
}

TEST_F(InstanceGuardTest, BlockLeftByEndedOrForeignProcessIsTakenOver) {
    const fs::path exe = Executable("a");
    WriteBlock(exe, DeadPid(), 1);
    {
        InstanceGuard guard(exe);
        EXPECT_FALSE(guard.AnotherInstanceOwns(::getpid(), 1));
        EXPECT_EQ(ReadBlock(exe), std::make_pair(::getpid(), 1));
    }
    EXPECT_FALSE(BlockExists(exe));

    // The process id is in use again, by some other program.
    std::string program = "/bin/sleep";
    std::string seconds = "60";
    char* argv[] = {program.data(), seconds.data(), nullptr};
    pid_t other = -1;  // posix_spawn returns once the child runs the new program
    ASSERT_EQ(::posix_spawn(&other, program.c_str(), nullptr, nullptr, argv, environ), 0);
    WriteBlock(exe, other, 3);
    {
        InstanceGuard guard(exe);
        EXPECT_FALSE(guard.AnotherInstanceOwns(::getpid(), 1));
        EXPECT_EQ(ReadBlock(exe), std::make_pair(::getpid(), 1));
    }
    ::kill(other, SIGKILL);
    ::waitpid(other, nullptr, 0);

    // A living instance of this very program keeps its block.
    Twin twin;
    WriteBlock(exe, twin.Pid(), 1);
    InstanceGuard guard(exe);
    EXPECT_TRUE(guard.AnotherInstanceOwns(::getpid(), 1));
    EXPECT_EQ(guard.FirstInstanceHandle(), twin.Pid());
}

TEST_F(InstanceGuardTest, AWaitingStartGetsTheProgramOnceItsOwnerEnds) {
    using namespace std::chrono_literals;
    const fs::path exe = Executable("a");
    auto first = std::make_unique<InstanceGuard>(exe);
    ASSERT_FALSE(first->AnotherInstanceOwns(::getpid(), 1));

    // The owner stays: the wait runs out, and the refused start changed nothing.
    const auto start = std::chrono::steady_clock::now();
    {
        InstanceGuard refused(exe);
        EXPECT_TRUE(refused.AnotherInstanceOwns(::getpid(), 1, 200ms));
    }
    EXPECT_GE(std::chrono::steady_clock::now() - start, 200ms);
    EXPECT_EQ(ReadBlock(exe), std::make_pair(::getpid(), 1));

    // The owner ends during the wait: the waiting start takes over.
    std::thread owner([&first] {
        std::this_thread::sleep_for(300ms);
        first.reset();
    });
    InstanceGuard waiting(exe);
    EXPECT_FALSE(waiting.AnotherInstanceOwns(::getpid(), 1, 10s));
    owner.join();
    EXPECT_EQ(ReadBlock(exe), std::make_pair(::getpid(), 1));
}

TEST_F(InstanceGuardTest, ABlockThatCannotBeMadeIsAnError) {
    // Something that is no shared memory stands under the block's name.
    const fs::path exe = Executable("a");
    ASSERT_EQ(::mkfifo(("/dev/shm" + ShmName(exe)).c_str(), 0600), 0);
    InstanceGuard guard(exe);
    try {
        guard.AnotherInstanceOwns(::getpid(), 1);
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find("Unable to create the shared block " + guard.BlockName()),
                  std::string::npos)
            << error.what();
    }
}

TEST_F(InstanceGuardTest, VeryLongPathsStillGetTheirOwnBlock) {
    // Far beyond the longest file name in /dev/shm; the two differ only near the start.
    const std::string deep(300, 'd');
    const fs::path one = Executable("one") / deep / "Seewolf";
    const fs::path two = Executable("two") / deep / "Seewolf";
    InstanceGuard first(one);
    EXPECT_FALSE(first.AnotherInstanceOwns(::getpid(), 1));
    InstanceGuard second(one);
    EXPECT_TRUE(second.AnotherInstanceOwns(::getpid(), 1));
    InstanceGuard other(two);
    EXPECT_FALSE(other.AnotherInstanceOwns(::getpid(), 1));
    EXPECT_EQ(first.BlockName(), InstanceGuard::BlockNameFor(one));  // the name itself is whole
}

}  // namespace
}  // namespace seewolf::platform
#endif
