#include "platform/processes.h"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <thread>

#include "platform/encoding.h"
#include "platform/files.h"
#include "support/stand_in.h"
#include "support/temp_world.h"

namespace seewolf::platform {
namespace {

using Args = std::vector<std::string>;

TEST(SplitCommandLine, BlanksSeparateQuotesGroupBackslashesStay) {
    EXPECT_EQ(SplitCommandLine(R"(C:\Seewolf\Seewolf.exe /i:"C:\Games\Silent Hunter III\" )"),
              (Args{R"(C:\Seewolf\Seewolf.exe)", R"(/i:C:\Games\Silent Hunter III\)"}));
    // As the launch starts the companion: each folder ends in a backslash before its quote.
    EXPECT_EQ(SplitCommandLine(R"("C:\Game\" "C:\Seewolf\" /autorollbackandclose)"),
              (Args{R"(C:\Game\)", R"(C:\Seewolf\)", "/autorollbackandclose"}));
    EXPECT_EQ(SplitCommandLine("a\t b\x01"
                               "c"),
              (Args{"a", "b", "c"}));
    EXPECT_EQ(SplitCommandLine(R"(x"y z"w "")"), (Args{"xy zw", ""}));
    EXPECT_EQ(SplitCommandLine(R"("open)"), (Args{"open"}));
    EXPECT_EQ(SplitCommandLine("K\xC3\xA4pt'n \"a  b\""), (Args{"K\xC3\xA4pt'n", "a  b"}));  // UTF-8 stays
    EXPECT_TRUE(SplitCommandLine("   ").empty());
}

TEST(SplitShellWords, QuotesAndBackslashesAsAShellReadsThem) {
    using Words = std::vector<std::string>;
    const struct {
        std::string_view command;
        std::optional<Words> words;
    } cases[] = {
        {"", Words{}},
        {" \t wine64 \n", Words{"wine64"}},
        {R"("/home/p/Proton - Experimental/proton" run)",
         Words{"/home/p/Proton - Experimental/proton", "run"}},
        {R"(/opt/Proton\ 8.0/files/bin/wine --x='a "b"' "")",
         Words{"/opt/Proton 8.0/files/bin/wine", "--x=a \"b\"", ""}},
        {R"("a\"b\\c\$d\e" x'\'y)", Words{R"(a"b\c$d\e)", R"(x\y)"}},
        {"'unclosed", std::nullopt},
        {R"("unclosed\")", std::nullopt},
        {"trailing\\", std::nullopt},
    };
    for (const auto& [command, words] : cases) {
        EXPECT_EQ(SplitShellWords(command), words) << command;
    }
}

}  // namespace
}  // namespace seewolf::platform

#ifdef _WIN32
namespace seewolf::platform {
namespace {

namespace fs = std::filesystem;
using seewolf::testing::StandIns;
using seewolf::testing::TempFolder;

TEST(ProcessRunning, FindsThisProgramByItsExeNameInAnyCase) {
    const std::string name = Utf8FromPath(ExecutablePath().filename());  // platform_tests.exe
    ASSERT_TRUE(name.ends_with(".exe")) << name;
    EXPECT_TRUE(ProcessRunning(name));
    EXPECT_TRUE(ProcessRunning(UpperCase(name)));
    EXPECT_TRUE(ProcessRunning(LowerCase(name)));
    EXPECT_FALSE(ProcessRunning(name.substr(0, name.size() - 4)));
    EXPECT_FALSE(ProcessRunning("seewolf-no-such-program.exe"));
}

// The stand-in program in a folder with a blank, recording its starts.
class WindowsStart : public ::testing::Test {
  protected:
    TempFolder temp;
    fs::path folder = temp.Path() / "a b";
    fs::path tool = folder / "tool.exe";
    void SetUp() override { StandIns::Place(tool); }
};

TEST_F(WindowsStart, WaitsInTheFolderForTheExitCodeCallingIdle) {
    StandIns standIns(temp.Path(), "0.4");
    testing::EnvVar exitCode("SEEWOLF_STANDIN_EXIT", "7");
    int calls = 0;
    const auto start = std::chrono::steady_clock::now();
    const auto code = StartAndWait(
        {tool, {"one two", "three"}, folder}, [](void* context) { ++*static_cast<int*>(context); }, &calls);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(code, 7);
    EXPECT_GE(calls, 4);
    EXPECT_LE(calls, elapsed / std::chrono::milliseconds(50) + 2);  // about every 50 ms, not a busy loop
    auto starts = standIns.Starts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].program, Utf8FromPath(tool));
    EXPECT_EQ(starts[0].folder, Utf8FromPath(folder));
    EXPECT_EQ(starts[0].end, std::optional<int>(7));
    // The arguments joined, one with a blank in quotes; a verbatim text goes as it is.
    EXPECT_TRUE(starts[0].command.ends_with("tool.exe\" \"one two\" three")) << starts[0].command;
    EXPECT_EQ(StartAndWait({tool, {"unused"}, {}, "/i:\"C:\\a b\\\" "}), 7);
    starts = standIns.Starts();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_TRUE(starts[1].command.ends_with("tool.exe\" /i:\"C:\\a b\\\" ")) << starts[1].command;

    EXPECT_FALSE(StartAndWait({folder / "missing.exe", {}, {}}).has_value());
    EXPECT_FALSE(StartAndWait({tool, {}, folder / "no such folder"}).has_value());
    EXPECT_EQ(standIns.Starts().size(), 2u);
}

TEST_F(WindowsStart, DetachedStartReturnsWhileTheProgramRuns) {
    StandIns standIns(temp.Path(), "1");
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(StartDetached({tool, {"x"}, folder}));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(700));
    const auto starts = standIns.WaitForEnded(1);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].folder, Utf8FromPath(folder));
    EXPECT_EQ(starts[0].end, std::optional<int>(0));
    EXPECT_FALSE(StartDetached({folder / "missing.exe", {}, {}}));
    EXPECT_FALSE(StartDetached({tool, {}, folder / "no such folder"}));
    EXPECT_EQ(standIns.Starts().size(), 1u);
}

}  // namespace
}  // namespace seewolf::platform
#endif

#ifndef _WIN32
#include <cerrno>
#include <cstdlib>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace seewolf::platform {
namespace {

namespace fs = std::filesystem;
using seewolf::testing::TempFolder;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteScript(const fs::path& path, const std::string& body) {
    std::ofstream(path) << "#!/bin/sh\n" << body;
    fs::permissions(path, fs::perms::owner_all);
}

bool WaitUntil(const auto& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

using ScopedEnvironment = testing::EnvVar;

// A copy of `sleep` under a name of our choosing, started with a chosen first word on its
// command line, as Wine starts a Windows program.
class Probe {
  public:
    Probe(const fs::path& binary, const std::string& firstWord) {
        std::string word = firstWord;
        std::string seconds = "60";
        char* argv[] = {word.data(), seconds.data(), nullptr};
        if (::posix_spawn(&m_pid, binary.c_str(), nullptr, nullptr, argv, environ) != 0) {
            m_pid = -1;
        }
    }
    ~Probe() { Stop(); }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;
    pid_t Pid() const { return m_pid; }
    void Stop() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }

  private:
    pid_t m_pid = -1;
};

fs::path CopyOfSleep(const fs::path& folder, const std::string& name) {
    const fs::path copy = folder / name;
    fs::copy_file("/bin/sleep", copy);
    fs::permissions(copy, fs::perms::owner_all);
    return copy;
}

// The kernel names the process before it fills in the new command line, so wait for both.
void AwaitExec(pid_t pid, const std::string& comm) {
    const std::string folder = "/proc/" + std::to_string(pid);
    ASSERT_TRUE(WaitUntil(
        [&] { return ReadText(folder + "/comm") == comm + "\n" && !ReadText(folder + "/cmdline").empty(); }));
}

TEST(ProcessRunning, FindsProcessesByNameOrCommandLine) {
    TempFolder folder;
    const std::string token = std::to_string(::getpid());
    const std::string name = "SwProbe" + token;  // short enough for the kernel's 15 characters
    const fs::path binary = CopyOfSleep(folder.Path(), name);
    Probe probe(binary, binary.string());
    ASSERT_GT(probe.Pid(), 0);
    AwaitExec(probe.Pid(), name);

    EXPECT_TRUE(ProcessRunning(name));
    EXPECT_TRUE(ProcessRunning("swprobe" + token));
    EXPECT_TRUE(ProcessRunning("SWPROBE" + token));
    EXPECT_TRUE(ProcessRunning(binary.string()));  // the whole first word
    EXPECT_FALSE(ProcessRunning(name + ".exe"));
    EXPECT_FALSE(ProcessRunning("SwProbe"));

    probe.Stop();
    EXPECT_FALSE(ProcessRunning(name));
}

TEST(ProcessRunning, WindowsPathInCommandLineAndLongNames) {
    TempFolder folder;
    const std::string token = std::to_string(::getpid());
    // Wine puts the Windows path of the program first on the command line.
    const std::string windowsName = "SwGame" + token + ".EXE";
    const fs::path binary = CopyOfSleep(folder.Path(), "swhost" + token);
    Probe game(binary, "C:\\Games\\SH3\\" + windowsName);
    ASSERT_GT(game.Pid(), 0);
    AwaitExec(game.Pid(), "swhost" + token);
    EXPECT_TRUE(ProcessRunning("swgame" + token + ".exe"));
    EXPECT_TRUE(ProcessRunning("c:\\games\\sh3\\swgame" + token + ".exe"));
    EXPECT_FALSE(ProcessRunning("C:\\Games\\swgame" + token + ".exe"));

    // The kernel keeps 15 characters of a long name; the command line here says nothing.
    const std::string longName = "Sw" + token + "LongProbeName.exe";
    const fs::path longBinary = CopyOfSleep(folder.Path(), longName);
    Probe longProbe(longBinary, "unrelated" + token);
    ASSERT_GT(longProbe.Pid(), 0);
    AwaitExec(longProbe.Pid(), longName.substr(0, 15));
    EXPECT_TRUE(ProcessRunning(longName));
    EXPECT_FALSE(ProcessRunning(longName.substr(0, 14)));  // shorter than what the kernel kept
}

TEST(ProcessRunning, EndedProcessAwaitingCollectionIsNotRunning) {
    TempFolder folder;
    const std::string name = "SwZombie" + std::to_string(::getpid());
    const fs::path binary = CopyOfSleep(folder.Path(), name);
    std::string word = binary.string();
    std::string seconds = "0";
    char* argv[] = {word.data(), seconds.data(), nullptr};
    pid_t pid = -1;
    ASSERT_EQ(::posix_spawn(&pid, binary.c_str(), nullptr, nullptr, argv, environ), 0);
    const std::string stat = "/proc/" + std::to_string(pid) + "/stat";
    const bool zombie = WaitUntil([&] { return ReadText(stat).find(") Z ") != std::string::npos; });
    EXPECT_TRUE(zombie);
    EXPECT_FALSE(ProcessRunning(name));
    ::waitpid(pid, nullptr, 0);
}

TEST(ProcessAlive, TellsLivingFromEnded) {
    EXPECT_TRUE(ProcessAlive(CurrentProcessId()));
    EXPECT_EQ(CurrentProcessId(), ::getpid());
    EXPECT_TRUE(ProcessAlive(1));  // init: alive even where we may not signal it
    EXPECT_FALSE(ProcessAlive(0));
    EXPECT_FALSE(ProcessAlive(-1));
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    ::waitpid(child, nullptr, 0);
    EXPECT_FALSE(ProcessAlive(child));
}

TEST(StartAndWait, ReturnsExitCodeInWorkingFolder) {
    TempFolder folder;
    const fs::path script = folder.Path() / "tool.sh";
    WriteScript(script, "pwd > where.txt\nprintf '%s\\n' \"$@\" > args.txt\nexit 7\n");
    const auto code = StartAndWait({script, {"one two", "", "three"}, folder.Path()});
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 7);
    EXPECT_EQ(ReadText(folder.Path() / "where.txt"), fs::canonical(folder.Path()).string() + "\n");
    EXPECT_EQ(ReadText(folder.Path() / "args.txt"), "one two\n\nthree\n");
}

TEST(StartAndWait, SignalsFailuresAndSearchesPath) {
    TempFolder folder;
    EXPECT_EQ(StartAndWait({"sh", {"-c", "kill -9 $$"}, {}}), 128 + 9);
    EXPECT_EQ(StartAndWait({"sh", {"-c", "exit 0"}, {}}), 0);
    EXPECT_FALSE(StartAndWait({folder.Path() / "missing", {}, {}}).has_value());
    EXPECT_FALSE(StartAndWait({"seewolf-no-such-program", {}, {}}).has_value());
    EXPECT_FALSE(StartAndWait({"sh", {"-c", "exit 0"}, folder.Path() / "no-such-folder"}).has_value());
    const fs::path notExecutable = folder.Path() / "plain.txt";
    std::ofstream(notExecutable) << "text";
    EXPECT_FALSE(StartAndWait({notExecutable, {}, {}}).has_value());
}

TEST(StartAndWait, CallsIdleWhileWaiting) {
    int calls = 0;
    const auto start = std::chrono::steady_clock::now();
    const auto code = StartAndWait(
        {"sh", {"-c", "sleep 0.4; exit 3"}, {}}, [](void* context) { ++*static_cast<int*>(context); },
        &calls);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(code, 3);
    EXPECT_GE(calls, 4);
    EXPECT_LE(calls, elapsed / std::chrono::milliseconds(50) + 2);  // about every 50 ms, not a busy loop
    EXPECT_LT(elapsed, std::chrono::seconds(2));
}

TEST(StartAndWait, WindowsProgramsGoThroughWine) {
    TempFolder folder;
    fs::path wine = folder.Path() / "wine.sh";
    WriteScript(wine, "printf '%s\\n' \"$0\" \"$@\" > \"$SEEWOLF_OUT\"\nexit 5\n");
    const fs::path out = folder.Path() / "out.txt";
    ScopedEnvironment outVar("SEEWOLF_OUT", out.string());
    // The command may carry arguments of its own, and name a folder with blanks in quotes.
    fs::create_directory(folder.Path() / "Proton - Experimental");
    fs::rename(wine, folder.Path() / "Proton - Experimental/wine.sh");
    wine = folder.Path() / "Proton - Experimental/wine.sh";
    ScopedEnvironment wineVar("SEEWOLF_WINE", "  /bin/sh   '" + wine.string() + "'  --flag ");

    const fs::path game = folder.Path() / "Game.EXE";
    EXPECT_EQ(StartAndWait({game, {"a b", "c"}, folder.Path()}), 5);
    EXPECT_EQ(ReadText(out), wine.string() + "\n--flag\n" + game.string() + "\na b\nc\n");

    // Anything else runs itself, Wine or not.
    const fs::path tool = folder.Path() / "tool.sh";
    WriteScript(tool, "echo direct > \"$SEEWOLF_OUT\"\n");
    EXPECT_EQ(StartAndWait({tool, {}, {}}), 0);
    EXPECT_EQ(ReadText(out), "direct\n");

    ScopedEnvironment noWine("SEEWOLF_WINE", folder.Path().string() + "/no-such-wine");
    EXPECT_FALSE(StartAndWait({game, {}, {}}).has_value());
    ScopedEnvironment unclosed("SEEWOLF_WINE", "'/bin/sh " + wine.string());
    EXPECT_FALSE(StartAndWait({game, {}, {}}).has_value());
    EXPECT_FALSE(StartDetached({game, {}, {}}));
}

TEST(StartDetached, ProgramOutlivesTheCallAndLeavesNoChild) {
    TempFolder folder;
    const fs::path script = folder.Path() / "late.sh";
    const fs::path done = folder.Path() / "done.txt";
    WriteScript(script, "sleep 0.3\necho \"$1\" > done.txt\n");
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(StartDetached({script, {"finished"}, folder.Path()}));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
    // Nothing is left for us to collect: the program belongs to init now.
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    EXPECT_TRUE(WaitUntil([&] { return ReadText(done) == "finished\n"; }));

    EXPECT_FALSE(StartDetached({folder.Path() / "missing", {}, {}}));
    EXPECT_FALSE(StartDetached({script, {}, folder.Path() / "no-such-folder"}));
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

}  // namespace
}  // namespace seewolf::platform
#endif
