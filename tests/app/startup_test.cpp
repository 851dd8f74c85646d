#include "app/startup.h"

#include <gtest/gtest.h>

#include "app/profile_file.h"
#include "app/settings.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "support/scripted_prompter.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

namespace fs = std::filesystem;
using testing::ScriptedPrompter;

class Startup : public ::testing::Test {
  protected:
    testing::TempWorld world;
    ScriptedPrompter prompter;

    StartupResult Run(
        std::vector<std::string> extra, std::function<bool()> running = [] { return false; }) {
        extra.insert(extra.begin(), platform::TextFromPath(world.World().program / "seewolf"));
        return RunStartup(CommandLineFromArguments(extra), world.World().program, prompter, running);
    }
};

TEST_F(Startup, SetsEveryFolderAndTheCaption) {
    fs::remove_all(world.World().program / "!BACKUP");
    const StartupResult r = Run({});
    ASSERT_TRUE(r.proceed) << (prompter.messages.empty() ? "" : prompter.messages[0].text);
    EXPECT_EQ(r.paths.ProgFolder, world.World().program);
    EXPECT_EQ(r.paths.GameFolder, world.World().game);
    EXPECT_EQ(r.paths.DocsFolder, world.World().documents);
    EXPECT_EQ(r.paths.SaveFolder, world.GetPaths().SaveFolder);
    EXPECT_TRUE(platform::FolderExists(r.paths.BackupFolder));
    EXPECT_EQ(
        r.caption,
        "Seewolf [" + platform::TextFromPath(platform::WithoutTrailingSeparator(world.World().game)) + "]");
    EXPECT_EQ(r.language.LangCode, "en");
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(Startup, RunningGameAsksAbortOrRetry) {
    int checks = 0;
    prompter.answers = {Button::Retry, Button::None};
    const StartupResult r = Run({}, [&] { return ++checks <= 2; });
    EXPECT_TRUE(r.proceed);  // Retry and closing the message both test again
    EXPECT_EQ(checks, 3);
    ASSERT_EQ(prompter.messages.size(), 2u);
    EXPECT_TRUE(prompter.messages[0].buttons.Has(Button::Abort));
    EXPECT_TRUE(prompter.messages[0].buttons.Has(Button::Retry));

    prompter.answers = {Button::Abort};
    const StartupResult aborted = Run({}, [] { return true; });
    EXPECT_FALSE(aborted.proceed);
    EXPECT_TRUE(aborted.paths.GameFolder.empty());  // nothing else was done
}

TEST_F(Startup, RollBackSwitchEndsWithoutWindow) {
    const StartupResult r = Run({"/i:" + world.World().game.string(), "/AutoRollbackAndClose"});
    EXPECT_FALSE(r.proceed);
    EXPECT_TRUE(r.rollBackAndClose);
    EXPECT_EQ(r.paths.GameFolder, world.World().game);
}

// The companion's word that the game did not run is shown; on Linux the game command of Seewolf.ini
// becomes the one its programs start Windows programs with, unless SEEWOLF_WINE is set.
TEST_F(Startup, GameCommandSettingAndAGameThatDidNotRun) {
    const StartupResult r =
        Run({"/i:" + world.World().game.string(), "/autorollbackandclose", "/gamenotstarted"});
    EXPECT_TRUE(r.rollBackAndClose);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].kind, MessageKind::Warning);
    EXPECT_NE(prompter.messages[0].text.find("Silent Hunter III did not run: the companion could not start " +
                                             world.World().game.string() + "sh3.exe."),
              std::string::npos)
        << prompter.messages[0].text;
    EXPECT_TRUE(prompter.messages[0].text.ends_with("are rolled back now.")) << prompter.messages[0].text;
#ifndef _WIN32
    const ProfileFile settings(world.GetPaths().SettingsFile());
    // Quoted whole, as a path with blanks is: the quotes stay.
    settings.WriteString(kSettingsSection, "WineCommand", "'/opt/Proton - Experimental/files/bin/wine'");
    {
        const testing::EnvVar unset("SEEWOLF_WINE", nullptr);
        EXPECT_TRUE(Run({}).proceed);
        EXPECT_EQ(platform::EnvironmentValue("SEEWOLF_WINE"),
                  std::optional<std::string>("'/opt/Proton - Experimental/files/bin/wine'"));
        // A later start-up in the process (another program folder) follows its own setting.
        settings.WriteString(kSettingsSection, "WineCommand", "wine64 --x");
        EXPECT_TRUE(Run({}).proceed);
        EXPECT_EQ(platform::EnvironmentValue("SEEWOLF_WINE"), std::optional<std::string>("wine64 --x"));
    }
    const testing::EnvVar set("SEEWOLF_WINE", "wine64");
    EXPECT_TRUE(Run({}).proceed);
    EXPECT_EQ(platform::EnvironmentValue("SEEWOLF_WINE"), std::optional<std::string>("wine64"));
#endif
}

TEST_F(Startup, MissingFileManagerStopsWithTheFileError) {
    fs::remove(world.World().game / "FileManager.dll");
    const StartupResult r = Run({});
    EXPECT_FALSE(r.proceed);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_NE(prompter.messages[0].text.find("FileManager.dll"), std::string::npos);
}

}  // namespace
}  // namespace seewolf
