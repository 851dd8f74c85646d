#include <chrono>
#include <cstdint>
#include <gtest/gtest.h>
#include <thread>

#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "support/stand_in.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

namespace fs = std::filesystem;
using testing::StandInStart;
using testing::TempFolder;

// wachgang started as the launch starts it, with a game folder (blanks in its name) holding a
// stand-in game and a program folder holding a stand-in Seewolf; the stand-ins record each start.
class Companion : public ::testing::Test {
  protected:
    TempFolder temp;
    std::string game =
        platform::Utf8FromPath(platform::WithTrailingSeparator(temp.Path() / "Silent Hunter III"));
    std::string program =
        platform::Utf8FromPath(platform::WithTrailingSeparator(temp.Path() / "Seewolf folder"));
    testing::StandIns standIns{temp.Path(), "0.3"};

    void SetUp() override {
        testing::StandIns::Place(platform::PathFromUtf8(game + "sh3.exe"));
        testing::StandIns::Place(platform::ProgramFile(platform::PathFromUtf8(program), "Seewolf.exe"));
    }

    // Runs wachgang with the arguments, on Windows as the one command-line text the launch writes.
    int Run(const std::vector<std::string>& arguments, const std::string& windowsText) {
        const platform::ProgramCall call{SEEWOLF_WACHGANG, arguments, temp.Path(), windowsText};
        return platform::StartAndWait(call).value_or(-1);
    }
    static std::string Folder(const std::string& folder) {
        return platform::Utf8FromPath(platform::WithoutTrailingSeparator(platform::PathFromUtf8(folder)));
    }
    // The game's start, checked; it ran in its folder as <game folder>sh3.exe without parameters.
    void ExpectGame(const StandInStart& start) {
        EXPECT_EQ(start.folder, Folder(game));
        EXPECT_EQ(start.end, std::optional<int>(0));
#ifdef _WIN32
        EXPECT_EQ(start.program, game + "sh3.exe");
        EXPECT_EQ(platform::SplitCommandLine(start.command), std::vector<std::string>{game + "sh3.exe"})
            << start.command;
#else
        EXPECT_EQ(start.arguments, std::vector<std::string>{game + "sh3.exe"});  // through Wine
#endif
    }
    // Seewolf's start, checked: <program folder>Seewolf.exe in its folder, with this text after
    // its name on Windows (and these arguments on Linux).
    void ExpectSeewolf(const StandInStart& start, [[maybe_unused]] const std::string& windowsText,
                       const std::vector<std::string>& arguments) {
        EXPECT_EQ(start.folder, Folder(program));
#ifdef _WIN32
        EXPECT_EQ(start.program, program + "Seewolf.exe");
        EXPECT_TRUE(start.command.ends_with("Seewolf.exe\" " + windowsText)) << start.command;
        const std::vector<std::string> split = platform::SplitCommandLine(start.command);
        EXPECT_EQ(std::vector<std::string>(split.begin() + 1, split.end()), arguments) << start.command;
#else
        EXPECT_EQ(start.program, program + "seewolf");
        EXPECT_EQ(start.arguments, arguments);
#endif
    }
};

TEST_F(Companion, RunsTheGameThenSeewolfWithTheSwitch) {
    EXPECT_EQ(Run({game, program, "/autorollbackandclose"},
                  "\"" + game + "\" \"" + program + "\" /autorollbackandclose"),
              0);
    const std::vector<StandInStart> starts = standIns.WaitForEnded(2);
    ASSERT_EQ(starts.size(), 2u);
    // The record is written in order: the game had ended before Seewolf started.
    ExpectGame(starts[0]);
    ExpectSeewolf(starts[1], "/i:\"" + game + "\" /autorollbackandclose",
                  {"/i:" + game, "/autorollbackandclose"});
}

TEST_F(Companion, WithoutTheSwitchSeewolfGetsTheGameFolderAndABlank) {
    EXPECT_EQ(Run({game, program}, "\"" + game + "\" \"" + program + "\" "), 0);
    const std::vector<StandInStart> starts = standIns.WaitForEnded(2);
    ASSERT_EQ(starts.size(), 2u);
    ExpectGame(starts[0]);
    ExpectSeewolf(starts[1], "/i:\"" + game + "\" ", {"/i:" + game});
}

TEST_F(Companion, AGameThatCannotStartStillBringsSeewolfBackAtOnce) {
#ifdef _WIN32
    fs::remove(platform::PathFromUtf8(game + "sh3.exe"));
#else
    testing::EnvVar noWine("SEEWOLF_WINE", platform::Utf8FromPath(temp.Path() / "no such wine"));
#endif
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(Run({game, program, "/autorollbackandclose"},
                  "\"" + game + "\" \"" + program + "\" /autorollbackandclose"),
              0);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(5))
        << "no message waits for anyone";
    const std::vector<StandInStart> starts = standIns.WaitForEnded(1);
    ASSERT_EQ(starts.size(), 1u);
    // Seewolf learns that the game did not run, to say so.
    ExpectSeewolf(starts[0], "/i:\"" + game + "\" /autorollbackandclose /gamenotstarted",
                  {"/i:" + game, "/autorollbackandclose", "/gamenotstarted"});
    EXPECT_EQ(Run({game, program}, "\"" + game + "\" \"" + program + "\" "), 0);
    const std::vector<StandInStart> again = standIns.WaitForEnded(2);
    ASSERT_EQ(again.size(), 2u);
    ExpectSeewolf(again[1], "/i:\"" + game + "\" /gamenotstarted", {"/i:" + game, "/gamenotstarted"});
}

#ifdef _WIN32
// A program of the graphical kind: Windows opens no console window for it.
TEST(CompanionProgram, IsOfTheGraphicalKind) {
    const std::string bytes = testing::ReadText(SEEWOLF_WACHGANG);
    ASSERT_GT(bytes.size(), 0x40u);
    const auto at = [&](std::size_t offset, int width) {
        std::uint32_t value = 0;
        for (int i = width - 1; i >= 0; --i) {
            value = value << 8 | static_cast<unsigned char>(bytes.at(offset + static_cast<std::size_t>(i)));
        }
        return value;
    };
    const std::size_t header = at(0x3C, 4);
    ASSERT_EQ(bytes.substr(header, 4), std::string("PE\0\0", 4));
    EXPECT_EQ(at(header + 4 + 20 + 68, 2), 2u) << "IMAGE_SUBSYSTEM_WINDOWS_GUI";
}
#endif

TEST_F(Companion, NoArgumentsStartNothing) {
    EXPECT_EQ(Run({}, ""), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_TRUE(standIns.Starts().empty());
}

}  // namespace
}  // namespace seewolf
