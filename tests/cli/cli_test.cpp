#include "cli/cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/profile_file.h"
#include "app/settings.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

struct CliRun {
    int code;
    std::string out;
    std::string err;
};

CliRun Cli(const testing::TempWorld& world, const std::vector<std::string>& arguments) {
    std::ostringstream out;
    std::ostringstream err;
    const int code = cli::RunCli(arguments, world.World().program, out, err);
    return {code, out.str(), err.str()};
}

TEST(Cli, HelpAndBadUsage) {
    testing::TempWorld world;
    const CliRun help = Cli(world, {"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("paths"), std::string::npos);
    EXPECT_EQ(Cli(world, {}).code, 1);
    const CliRun unknown = Cli(world, {"fly"});
    EXPECT_EQ(unknown.code, 1);
    EXPECT_NE(unknown.err.find("unknown command \"fly\""), std::string::npos);
    EXPECT_EQ(Cli(world, {"paths", "--game"}).code, 1);
}

TEST(Cli, GameAndDocumentsOverrideTheSettings) {
    testing::TempWorld world;
    // Settings pointing nowhere: the options must carry the run.
    const ProfileFile ini(world.GetPaths().SettingsFile());
    ini.WriteString(kSettingsSection, "SH3Location", "/nowhere/game");
    ini.WriteString(kSettingsSection, "DocsLocation", "/nowhere/docs");
    const std::string game = world.World().game.string();
    const std::string docs = world.World().documents.string();
    const CliRun run = Cli(world, {"--game", game, "--documents", docs, "paths"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("GameFolder: " + game + "\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("DocsFolder: " + docs + "\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Language: en\n"), std::string::npos);

    testing::EnvVar noWine("WINEPREFIX", (world.Root() / "no prefix").string());
    const CliRun lost = Cli(world, {"paths"});  // the settings alone lead nowhere, and nothing can be chosen
    EXPECT_EQ(lost.code, 1);
    EXPECT_NE(lost.err.find("Seewolf requires Silent Hunter III"), std::string::npos) << lost.err;
}

}  // namespace
}  // namespace seewolf
