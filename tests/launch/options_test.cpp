#include "launch/options.h"

#include <gtest/gtest.h>

#include "app/error.h"
#include "app/profile_file.h"
#include "launch/backup.h"
#include "platform/files.h"
#include "support/scripted_prompter.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

using testing::ReadText;
using testing::WriteText;

class Options : public ::testing::Test {
  protected:
    testing::TempWorld world;
    const Paths& paths = world.GetPaths();
    testing::ScriptedPrompter prompter;
};

TEST_F(Options, SettingsGoRoundUnchangedAndEveryKeyIsWritten) {
    // A file with every key, as the dialog writes it: reading and writing it again changes no byte.
    const std::string stored =
        "; "
        "kept\r\n[SETTINGS]\r\nSH3Location=C:\\SH3\\\r\nDocsLocation=/"
        "docs\r\nAutoRollback=1\r\nSkipIntros=0\r\n"
        "UseSysFonts=1\r\nShowTips=0\r\nRealisticLength=1\r\nRealisticCrewXfr=0\r\nUseSubDts=1\r\n"
        "RndDaysInBase=0\r\nSetDaysInBase=1\r\nDaysInBaseValue=2075\r\nRealShipNames=1\r\n"
        "RndGramophone=0\r\nStartAtSea=1\r\nHullIntegrityText=1\r\nUseFatigueModel=1\r\nFatigueModel=1\r\n"
        "AdjWaterDensity=1\r\nWaterDensityValue=20\r\nAdjWaveHeight=1\r\nWaveHeight=4\r\n"
        "Adj88ReloadTime=1\r\n88ReloadTime=120\r\nAdj105ReloadTime=0\r\n105ReloadTime=0\r\nModelEffects=1\r\n"
        "Effects=1\r\nRndTonnage=1\r\nRndCrushDepth=0\r\nHeadingFont=Arial\r\nLabelFont=Serif\r\n"
        "TextFont=Mono\r\nBackgroundImage=/pics/b.jpg\r\n\r\n[LATEST CAREER]\r\nCAREER=X\r\n";
    WriteText(paths.SettingsFile(), stored);
    const OptionValues read = ReadOptionValues(paths, FatigueModels(paths).size());
    EXPECT_TRUE(read.adjusted.empty());
    WriteSettings(paths, read.settings);
    EXPECT_EQ(ReadText(paths.SettingsFile()), stored);

    // Into an empty file, every key the dialog edits is written and reads back the same.
    std::filesystem::remove(paths.SettingsFile());
    WriteSettings(paths, read.settings);
    Settings back = ReadSettings(paths);
    EXPECT_EQ(back.DocsLocation, "");  // not the dialog's: never written
    back.DocsLocation = read.settings.DocsLocation;
    EXPECT_EQ(back, read.settings);

    // An empty game-folder key shows the game folder in use.
    ProfileFile(paths.SettingsFile()).WriteString("SETTINGS", "SH3Location", "");
    EXPECT_EQ(ReadOptionValues(paths, 2).settings.SH3Location, platform::TextFromPath(paths.GameFolder));
}

TEST_F(Options, ValuesOutsideTheControlsAreClampedAndSaid) {
    WriteText(paths.SettingsFile(),
              "[SETTINGS]\r\nDaysInBaseValue=3000\r\nWaterDensityValue=-3\r\n88ReloadTime=200\r\n"
              "105ReloadTime=7.5\r\nFatigueModel=7\r\nWaveHeight=-1\r\nEffects=9\r\nHullIntegrityText=2\r\n"
              "RndDaysInBase=1\r\nSetDaysInBase=1\r\n");
    const OptionValues read = ReadOptionValues(paths, 3);
    const Settings& s = read.settings;
    EXPECT_EQ(s.DaysInBaseValue, kMaxDaysInBase);
    EXPECT_EQ(s.WaterDensityValue, 0.0);
    EXPECT_EQ(s.ReloadTime88, 120.0);
    EXPECT_EQ(s.ReloadTime105, 8.0);  // the box holds whole numbers: halves go to even
    EXPECT_EQ(s.FatigueModel, 2);
    EXPECT_EQ(s.WaveHeight, 0);
    EXPECT_EQ(s.Effects, 1);
    EXPECT_EQ(s.HullIntegrityText, 1);
    EXPECT_TRUE(s.RndDaysInBase);  // the launch's choice when both are on
    EXPECT_FALSE(s.SetDaysInBase);
    ASSERT_EQ(read.adjusted.size(), 9u);
    EXPECT_EQ(read.adjusted[1], "DaysInBaseValue=3000 is shown as 2075 (the dialog offers 0 to 2075)");
    // Without models the choice is the first entry, never -1.
    EXPECT_EQ(ReadOptionValues(paths, 0).settings.FatigueModel, 0);

    WriteSettings(paths, s);
    const std::string written = ReadText(paths.SettingsFile());
    EXPECT_NE(written.find("DaysInBaseValue=2075\r\n"), std::string::npos);
    EXPECT_NE(written.find("105ReloadTime=8\r\n"), std::string::npos);
    EXPECT_EQ(written.find("=-"), std::string::npos);  // no value is written as -1
    EXPECT_TRUE(ReadOptionValues(paths, 3).adjusted.empty());
}

TEST_F(Options, FatigueModelsStopAtTheFirstMissingSection) {
    WriteText(paths.Prog("Cfg\\Crew fatigue models.cfg"),
              "[0]\r\nDesc=Easy\r\n[1]\r\nOnDuty=1\r\n[3]\r\nDesc=Never listed\r\n");
    EXPECT_EQ(FatigueModels(paths), (std::vector<std::string>{"Easy", "Error!"}));
    std::filesystem::remove(paths.Prog("Cfg\\Crew fatigue models.cfg"));
    EXPECT_TRUE(FatigueModels(paths).empty());
}

TEST_F(Options, TimeCompressionReadsDefaultsAndWritesOnce) {
    const auto mainCfg = paths.Save("main.cfg");
    ProfileFile(mainCfg).DeleteKey(kTimeCompressionSection, "Particles");
    TimeCompression values = ReadTimeCompression(paths);
    EXPECT_EQ(values[1], "512");  // the demo's own limit
    EXPECT_EQ(values[14], "8");   // missing: the game's default
    EXPECT_EQ(values[10], "16");

    // The missing key is written with its value; then unchanged values leave main.cfg as it is.
    WriteTimeCompression(paths, values);
    EXPECT_EQ(ProfileFile(mainCfg).ReadString(kTimeCompressionSection, "Particles", ""), "8");
    const std::string written = ReadText(mainCfg);
    WriteTimeCompression(paths, values);
    EXPECT_EQ(ReadText(mainCfg), written);

    values[1] = "4096";
    WriteTimeCompression(paths, values);
    EXPECT_EQ(ProfileFile(mainCfg).ReadString(kTimeCompressionSection, "Maximum", ""), "4096");
    EXPECT_EQ(ReadTimeCompression(paths), values);
    EXPECT_FALSE(ProfileFile(mainCfg).ReadString("PLAYER", "Name", "").empty());
}

TEST_F(Options, GameFolderChooserAndPendingBackups) {
    // A folder without sh3.exe asks again; cancelling then gives nothing.
    prompter.folderAnswers = {paths.DocsFolder};
    EXPECT_TRUE(BrowseGameFolder(prompter, paths.GameFolder).empty());
    ASSERT_EQ(prompter.browses.size(), 2u);
    EXPECT_EQ(prompter.browses[0].title, "Please tell me where Silent Hunter III is installed");
    EXPECT_EQ(prompter.browses[0].initial, paths.GameFolder);
    EXPECT_EQ(prompter.browses[1].title,
              "Cannot find \"sh3.exe\" in this folder! Please tell me where Silent Hunter III is installed");
    prompter.folderAnswers = {paths.DocsFolder, platform::WithoutTrailingSeparator(paths.GameFolder)};
    EXPECT_EQ(BrowseGameFolder(prompter, paths.GameFolder), paths.GameFolder);

    // Nothing pending: no question.
    prompter.messages.clear();
    EXPECT_TRUE(ReadyForAnotherGameFolder(paths, prompter));
    EXPECT_TRUE(prompter.messages.empty());

    // Pending backups: declined, nothing changes; accepted, the old folder is rolled back first.
    const auto basic = paths.Game("data\\Cfg\\Basic.cfg");
    const std::string original = ReadText(basic);
    BackUpGameFile(paths, "data\\Cfg\\Basic.cfg");
    WriteText(basic, "changed by a launch");
    prompter.answers = {Button::No};
    EXPECT_FALSE(ReadyForAnotherGameFolder(paths, prompter));
    EXPECT_EQ(ReadText(basic), "changed by a launch");
    EXPECT_TRUE(BackupHoldsFiles(paths));
    ASSERT_EQ(prompter.messages.size(), 2u);
    EXPECT_EQ(prompter.messages[1].text.rfind("Nothing was saved", 0), 0u);
    prompter.answers = {Button::Yes};
    EXPECT_TRUE(ReadyForAnotherGameFolder(paths, prompter));
    EXPECT_EQ(ReadText(basic), original);
    EXPECT_FALSE(BackupHoldsFiles(paths));
}

}  // namespace
}  // namespace seewolf
