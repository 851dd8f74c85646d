#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#include "platform/files.h"
#include "platform/processes.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;
using testing::TempFolder;
using testing::WriteText;
using testing::SetEnvironment;

// A game folder with a stand-in game (run through SEEWOLF_WINE) and a program folder with a
// stand-in Seewolf; both write down where and with what they ran.
class Companion : public ::testing::Test {
  protected:
    TempFolder temp;
    fs::path game = temp.Path() / "Silent Hunter III";
    fs::path program = temp.Path() / "Seewolf folder";
    fs::path gameLog = temp.Path() / "game.log";
    fs::path seewolfLog = temp.Path() / "seewolf.log";

    void SetUp() override {
        WriteText(game / "sh3.exe", "not a real game");
        WriteText(temp.Path() / "wine.sh", "#!/bin/sh\necho \"game $(pwd) $1\" > '" + gameLog.string() +
                                               "'\nsleep 0.3\necho end >> '" + gameLog.string() + "'\n");
        WriteText(program / "seewolf",
                  "#!/bin/sh\n{ echo \"seewolf $(pwd)\"; for a in \"$@\"; do echo \"arg $a\"; done; cat '" +
                      gameLog.string() + "' 2>/dev/null; } > '" + seewolfLog.string() + "'\n");
        fs::permissions(temp.Path() / "wine.sh", fs::perms::owner_all);
        fs::permissions(program / "seewolf", fs::perms::owner_all);
        SetEnvironment("SEEWOLF_WINE", (temp.Path() / "wine.sh").string().c_str());
    }
    void TearDown() override { SetEnvironment("SEEWOLF_WINE", nullptr); }

    int Run(std::vector<std::string> arguments) {
        platform::ProgramCall call{SEEWOLF_WACHGANG, std::move(arguments), temp.Path()};
        return platform::StartAndWait(call).value_or(-1);
    }
    std::string WaitFor(const fs::path& file) {
        for (int i = 0; i < 100 && !fs::exists(file); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return ReadText(file);
    }
};

TEST_F(Companion, RunsTheGameThenSeewolfWithTheSwitch) {
    const std::string g = platform::WithTrailingSeparator(game).string();
    const std::string p = platform::WithTrailingSeparator(program).string();
    EXPECT_EQ(Run({g, p, "/autorollbackandclose"}), 0);
    const std::string seewolf = WaitFor(seewolfLog);
    // The game ran in its folder and had ended before Seewolf was started.
    EXPECT_NE(seewolf.find("game " + game.string() + " " + g + "sh3.exe\nend\n"), std::string::npos)
        << seewolf;
    EXPECT_NE(seewolf.find("seewolf " + program.string() + "\n"), std::string::npos) << seewolf;
    EXPECT_NE(seewolf.find("arg /i:" + g + "\narg /autorollbackandclose\n"), std::string::npos) << seewolf;
}

TEST_F(Companion, WithoutTheSwitchSeewolfGetsOnlyTheGameFolder) {
    const std::string g = platform::WithTrailingSeparator(game).string();
    EXPECT_EQ(Run({g, platform::WithTrailingSeparator(program).string()}), 0);
    const std::string seewolf = WaitFor(seewolfLog);
    EXPECT_NE(seewolf.find("arg /i:" + g + "\n"), std::string::npos) << seewolf;
    EXPECT_EQ(seewolf.find("autorollback"), std::string::npos) << seewolf;
}

TEST_F(Companion, AGameThatCannotStartStillBringsSeewolfBack) {
    SetEnvironment("SEEWOLF_WINE", (temp.Path() / "no such wine").string().c_str());
    EXPECT_EQ(Run({platform::WithTrailingSeparator(game).string(),
                   platform::WithTrailingSeparator(program).string(), "/autorollbackandclose"}),
              0);
    const std::string seewolf = WaitFor(seewolfLog);
    EXPECT_NE(seewolf.find("arg /autorollbackandclose"), std::string::npos) << seewolf;
    EXPECT_FALSE(fs::exists(gameLog));
}

TEST_F(Companion, NoArgumentsStartNothing) {
    EXPECT_EQ(Run({}), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_FALSE(fs::exists(gameLog));
    EXPECT_FALSE(fs::exists(seewolfLog));
}

}  // namespace
}  // namespace seewolf
