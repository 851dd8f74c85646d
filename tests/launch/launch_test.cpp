#include "launch/launch.h"

#include <gtest/gtest.h>
#include <map>

#include "app/error.h"
#include "app/language.h"
#include "app/profile_file.h"
#include "app/random.h"
#include "app/settings.h"
#include "career/new_career.h"
#include "crew/crewman.h"
#include "demo/demo.h"
#include "launch/backup.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "support/scripted_prompter.h"
#include "support/stand_in.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;
using testing::ScriptedPrompter;
using testing::WriteText;

// Every file of a folder by relative path, with its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        files[fs::relative(entry.path(), root).generic_string() + (entry.is_directory() ? "/" : "")] =
            entry.is_directory() ? "" : ReadText(entry.path());
    }
    return files;
}

class Launch : public ::testing::Test {
  protected:
    testing::TempWorld world;
    const Paths& paths = world.GetPaths();
    ScriptedPrompter prompter;
    Random random{11};
    const Language language = ChooseLanguage(paths);

    LaunchRequest Fresh(CareerStatus status, int year, int month) {
        LaunchRequest r;
        r.career.CareerStatus = status;
        r.treeEntry = status == CareerStatus::NewCareer ? "New career" : "Single mission";
        r.year = year;
        r.month = month;
        const auto flotillas = OfferedFlotillas(paths, language, status, year, month);
        if (!flotillas.empty()) {
            r.flotillaId = flotillas[0].id;
            r.flotillaName = flotillas[0].name;
            const auto types = OfferedBoatTypes(paths, status, r.flotillaId, year, month, false);
            if (!types.empty()) {
                r.boatTypeName = types[0].name;
            }
        }
        r.noLaunch = true;
        return r;
    }
    void Settings(std::string_view key, std::string_view value) {
        ProfileFile(paths.SettingsFile()).WriteString(kSettingsSection, key, value);
    }
};

TEST_F(Launch, PatrolStartFollowsTheLastPatrolAndTheDaysInBase) {
    LaunchRequest r;
    r.career.CareerStatus = CareerStatus::InBase;
    r.career.LastPatrolEnd = EncodeDate(1941, 3, 10);
    LaunchSettings s;
    s.SetDaysInBase = true;
    s.DaysInBaseValue = 28;
    PatrolStart start = ComputePatrolStart(paths, r, "19410301", s, random);
    EXPECT_EQ(start.date, "19410407");
    EXPECT_TRUE(start.writeDays);
    EXPECT_EQ(ComputePatrolStart(paths, r, "19410501", s, random).date, "19410501");

    r.career.InOtherBase = true;  // the other base forces one day, written
    start = ComputePatrolStart(paths, r, "19410301", s, random);
    EXPECT_EQ(start.date, "19410311");
    EXPECT_EQ(start.daysInBase, 1);
    EXPECT_TRUE(start.writeDays);

    r.career.InOtherBase = false;  // no adjustment: the game's own days shift the date, unwritten
    start = ComputePatrolStart(paths, r, "19410301", LaunchSettings{}, random);
    EXPECT_FALSE(start.writeDays);
    EXPECT_EQ(start.date, FormatDate("yyyymmdd", EncodeDate(1941, 3, 10) + start.daysInBase, DateTexts{}));

    r.career.LastPatrolEnd = -1;  // no patrol yet
    EXPECT_EQ(ComputePatrolStart(paths, r, "19410301", s, random).date, "19410301");
    r.career.CareerStatus = CareerStatus::AtSea;
    r.career.LastPatrolEnd = EncodeDate(1941, 3, 10);
    EXPECT_EQ(ComputePatrolStart(paths, r, "19410301", s, random).date, "19410301");
}

TEST_F(Launch, SettingsOffBecomeNone) {
    Settings("AdjWaterDensity", "0");
    Settings("WaterDensityValue", "21");
    Settings("AdjWaveHeight", "1");
    Settings("WaveHeight", "3");
    Settings("UseFatigueModel", "0");
    Settings("FatigueModel", "2");
    const LaunchSettings s = ReadLaunchSettings(paths);
    EXPECT_EQ(s.WaterDensityValue, -1.0F);
    EXPECT_EQ(s.WaveHeight, 3);
    EXPECT_EQ(s.FatigueModel, -1);
    EXPECT_EQ(s.ReloadTime88, -1.0F);
    EXPECT_EQ(s.Effects, -1);

    // A value patched into the game must be one the options dialog offers.
    for (const char* value : {"1e39", "-0.5", "121"}) {
        Settings("Adj88ReloadTime", "1");
        Settings("88ReloadTime", value);
        try {
            ReadLaunchSettings(paths);
            ADD_FAILURE() << value;
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find("[SETTINGS] 88ReloadTime: "), std::string::npos) << e.what();
        }
    }
}

TEST_F(Launch, NoFlotillaRefusesAndLeavesTheGameAsTheRollBackLeftIt) {
    const auto before = Snapshot(paths.GameFolder);
    LaunchRequest r = Fresh(CareerStatus::NewCareer, 1941, 3);
    r.flotillaName.clear();
    EXPECT_EQ(RunLaunch(paths, language, r, prompter, random), LaunchOutcome::Refused);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, kNoFlotillaOrType);
    EXPECT_EQ(prompter.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(Snapshot(paths.GameFolder), before);
    EXPECT_FALSE(BackupHoldsFiles(paths));
}

TEST_F(Launch, AFailedLaunchRollsBackWhatItChangedAndSaysSo) {
    const auto before = Snapshot(paths.GameFolder);
    const fs::path mainCfg = paths.SaveFolder / "main.cfg";
    fs::permissions(mainCfg, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);  // the player name cannot be written
    LaunchRequest r = Fresh(CareerStatus::NewCareer, 1941, 3);
    r.commanderName = "Karl Probst";
    try {
        RunLaunch(paths, language, r, prompter, random);
        ADD_FAILURE() << "launched without main.cfg";
    } catch (const Error& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("Unable to write to " + mainCfg.string() + "."), std::string::npos) << text;
        EXPECT_NE(text.find("were rolled back"), std::string::npos) << text;
    }
    EXPECT_TRUE(Snapshot(paths.GameFolder) == before);
    EXPECT_FALSE(BackupHoldsFiles(paths));
    EXPECT_EQ(prompter.statuses.back(), ScriptedPrompter::kHidden);
}

TEST_F(Launch, DateSetsInDateOrderFixedBeforeRandom) {
    const fs::path prog = paths.ProgFolder;
    fs::remove_all(prog / "Date");
    fs::remove_all(prog / "Random");
    WriteText(prog / "Date" / "19390901" / "data" / "order.txt", "fixed 19390901");
    WriteText(prog / "Date" / "19400101" / "data" / "order.txt", "fixed 19400101");
    WriteText(prog / "Date" / "19390801" / "data" / "early.txt", "fixed 19390801");
    WriteText(prog / "Random" / "0" / "Date" / "19390901" / "data" / "order.txt", "random 19390901");
    LaunchRequest r = Fresh(CareerStatus::SingleMission, 1939, 12);
    ASSERT_FALSE(r.flotillaName.empty());
    ASSERT_EQ(RunLaunch(paths, language, r, prompter, random), LaunchOutcome::Launched);
    EXPECT_EQ(ReadText(paths.GameFolder / "data" / "order.txt"), "random 19390901");
    EXPECT_EQ(ReadText(paths.GameFolder / "data" / "early.txt"), "fixed 19390801");
    EXPECT_EQ(ProfileFile(paths.SettingsFile()).ReadString(kLatestCareerSection, "CAREER", ""),
              "Single mission");
    RollBackGameFiles(paths, prompter);
    EXPECT_FALSE(fs::exists(paths.GameFolder / "data" / "order.txt"));
}

TEST_F(Launch, BoatTypeSetWithoutSlashAndPlayerName) {
    LaunchRequest r = Fresh(CareerStatus::NewCareer, 1942, 6);
    ASSERT_FALSE(r.flotillaName.empty());
    r.boatTypeName = "VIIC/41";
    r.commanderName = "  Jörg Brandes ";
    WriteText(paths.ProgFolder / "U-boat" / "VIIC41" / "data" / "type.txt", "VIIC/41 set");
    ASSERT_EQ(RunLaunch(paths, language, r, prompter, random), LaunchOutcome::Launched);
    EXPECT_EQ(ReadText(paths.GameFolder / "data" / "type.txt"), "VIIC/41 set");
    EXPECT_EQ(ProfileFile(paths.SaveFolder / "main.cfg").ReadString("PLAYER", "Name", ""), "Jörg Brandes");
}

TEST_F(Launch, DaysInBaseWrittenOnlyWhenAdjusted) {
    const fs::path basic = paths.Game("data\\Cfg\\Basic.cfg");
    const std::string before = ReadText(basic);
    const std::string days = ProfileFile(basic).ReadString("TIME", "NbDaysInBase", "?");
    LaunchRequest r = Fresh(CareerStatus::NewCareer, 1941, 3);
    ASSERT_EQ(RunLaunch(paths, language, r, prompter, random), LaunchOutcome::Launched);
    EXPECT_EQ(ProfileFile(basic).ReadString("TIME", "NbDaysInBase", "!"), days);  // no adjustment: untouched

    Settings("SetDaysInBase", "1");
    Settings("DaysInBaseValue", "17");
    ASSERT_EQ(RunLaunch(paths, language, r, prompter, random), LaunchOutcome::Launched);
    EXPECT_EQ(ProfileFile(basic).ReadString("TIME", "NbDaysInBase", ""), "17");
    RollBackGameFiles(paths, prompter);
    EXPECT_EQ(ReadText(basic), before);
}

// With every option on, the modifications change the game in their order, draw from the one
// generator in a fixed order (so a seeded launch is repeatable), and the roll-back takes every
// change back.
TEST_F(Launch, ModificationsAreRepeatableWithTheSameSeedAndRollBackExactly) {
    for (const char* option :
         {"ModelEffects", "RndTonnage", "RndCrushDepth", "Adj88ReloadTime", "Adj105ReloadTime",
          "AdjWaterDensity", "AdjWaveHeight", "StartAtSea", "RndGramophone", "SkipIntros",
          "HullIntegrityText", "UseFatigueModel", "UseSubDts", "SetDaysInBase"}) {
        Settings(option, "1");
    }
    Settings("Effects", "1");
    Settings("88ReloadTime", "6.5");
    Settings("WaveHeight", "4");
    const auto before = Snapshot(paths.GameFolder);
    auto launched = [&](std::uint64_t seed) {
        Random seeded{seed};
        LaunchRequest r = Fresh(CareerStatus::NewCareer, 1941, 3);
        r.randomCrewDetails = true;
        EXPECT_EQ(RunLaunch(paths, language, r, prompter, seeded), LaunchOutcome::Launched);
        auto after = Snapshot(paths.GameFolder);
        RollBackGameFiles(paths, prompter);
        EXPECT_EQ(Snapshot(paths.GameFolder), before);
        return after;
    };
    const auto first = launched(5);
    EXPECT_NE(first, before);
    for (const auto& shown : prompter.messages) {
        ADD_FAILURE() << "the demo leaves nothing out, but: " << shown.text;
    }
    // Every option changed its files: a few of them, one per kind of change.
    for (const char* file : {"data/scene.dat", "data/Library/GUNS_SUB.sim",
                             "data/Campaigns/Campaign/Campaign_LND.mis", "data/Cfg/Basic.cfg"}) {
        EXPECT_NE(first.at(file), before.at(file)) << file;
    }
    const std::string menu = "data/Menu/" + language.MenuTextFile;
    EXPECT_NE(first.at(menu).find("(1941)"), std::string::npos) << "the career's year in the menu table";
    EXPECT_EQ(launched(5), first);
    EXPECT_NE(launched(6), first) << "another seed draws other events";
}

TEST_F(Launch, WeatherToolRunsForHomeBaseAndNewCareerOnly) {
    testing::StandIns standIns(world.Root(), "0.2");
    testing::StandIns::Place(paths.GameFolder / "Wetterglas.exe");
    int disabled = 0;
    LaunchHooks hooks;
    hooks.setWindowEnabled = [&](bool enabled) { disabled += enabled ? -1 : 1; };
    LaunchRequest r = Fresh(CareerStatus::NewCareer, 1941, 3);
    ASSERT_EQ(RunLaunch(paths, language, r, prompter, random, hooks), LaunchOutcome::Launched);
    EXPECT_EQ(disabled, 0);  // disabled while it ran, enabled again after
    const auto starts = standIns.Starts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].end, std::optional<int>(0)) << "waited for";
    EXPECT_EQ(starts[0].folder, platform::Utf8FromPath(platform::WithoutTrailingSeparator(paths.GameFolder)));
    const std::string tool = platform::Utf8FromPath(paths.GameFolder / "Wetterglas.exe");
#ifdef _WIN32
    EXPECT_EQ(starts[0].program, tool);
    EXPECT_TRUE(starts[0].command.ends_with("Wetterglas.exe\" 19410301 " + r.flotillaId))
        << starts[0].command;
#else
    EXPECT_EQ(starts[0].arguments, (std::vector<std::string>{tool, "19410301", r.flotillaId}));
#endif

    ASSERT_EQ(
        RunLaunch(paths, language, Fresh(CareerStatus::SingleMission, 1941, 3), prompter, random, hooks),
        LaunchOutcome::Launched);
    EXPECT_EQ(standIns.Starts().size(), 1u);  // not for a single mission
}

TEST_F(Launch, CompanionGetsBothFoldersQuotedAndTheSwitch) {
    testing::StandIns standIns(world.Root(), "0");
    testing::StandIns::Place(platform::ProgramFile(paths.ProgFolder, "Wachgang.exe"));
    const std::string game = platform::Utf8FromPath(paths.GameFolder);
    const std::string program = platform::Utf8FromPath(paths.ProgFolder);
    for (const bool autoRollback : {true, false}) {
        SCOPED_TRACE(autoRollback);
        Settings("AutoRollback", autoRollback ? "1" : "0");
        LaunchRequest r = Fresh(CareerStatus::NewCareer, 1941, 3);
        r.noLaunch = false;
        ASSERT_EQ(RunLaunch(paths, language, r, prompter, random), LaunchOutcome::Launched);
        const auto starts = standIns.WaitForEnded(autoRollback ? 1 : 2);
        ASSERT_EQ(starts.size(), autoRollback ? 1u : 2u);
        const testing::StandInStart& start = starts.back();
        EXPECT_EQ(start.folder, platform::Utf8FromPath(platform::WithoutTrailingSeparator(paths.ProgFolder)));
#ifdef _WIN32
        // Each folder ends in its backslash inside the quotes; without the switch a blank ends the text.
        EXPECT_EQ(start.program, program + "Wachgang.exe");
        EXPECT_TRUE(start.command.ends_with("Wachgang.exe\" \"" + game + "\" \"" + program + "\" " +
                                            (autoRollback ? "/autorollbackandclose" : "")))
            << start.command;
#else
        EXPECT_EQ(start.program, program + "wachgang");
        std::vector<std::string> arguments{game, program};
        if (autoRollback) {
            arguments.emplace_back("/autorollbackandclose");
        }
        EXPECT_EQ(start.arguments, arguments);
#endif
        RollBackGameFiles(paths, prompter);
    }
}

TEST_F(Launch, SkippedIntrosAreRenamedAndRolledBack) {
    WriteText(paths.Game("data\\Movies\\Intro\\Logo.wmv"), "logo");
    WriteText(paths.Game("data\\Movies\\Intro\\Intro.wmv"), "intro");
    Settings("SkipIntros", "1");
    ASSERT_EQ(RunLaunch(paths, language, Fresh(CareerStatus::NewCareer, 1941, 3), prompter, random),
              LaunchOutcome::Launched);
    EXPECT_FALSE(fs::exists(paths.Game("data\\Movies\\Intro\\Logo.wmv")));
    EXPECT_EQ(ReadText(paths.Game("data\\Movies\\Intro\\Intro.wmv.Seewolf")), "intro");
    RollBackGameFiles(paths, prompter);
    EXPECT_EQ(ReadText(paths.Game("data\\Movies\\Intro\\Logo.wmv")), "logo");
    EXPECT_FALSE(fs::exists(paths.Game("data\\Movies\\Intro\\Intro.wmv.Seewolf")));
}

}  // namespace
}  // namespace seewolf

namespace seewolf {
namespace {

class LaunchTransfers : public Launch {
  protected:
    // The demo career with a roster of three officers, whom every draw makes leave.
    LaunchRequest WithRoster(const char* name) {
        LaunchRequest r;
        r.career = LoadCareer(paths, language, name);
        r.treeEntry = name;
        r.noLaunch = true;
        std::string roster;
        for (int slot = 0; slot < 3; ++slot) {
            roster += "[CREW_MEMBER_" + std::to_string(slot) + "]\r\nName=Man " + std::to_string(slot) +
                      "\r\nGrad=8\r\nNrComp=2\r\n";
        }
        WriteText(crew::CrewFile(r.career), roster);
        const ProfileFile options(paths.Prog("Cfg\\SH3 options.cfg"));
        options.WriteString("REALISTICCREWXFR", "RANGE", "1");
        options.WriteString("REALISTICCREWXFR", "Officer", "0");
        return r;
    }
};

TEST_F(LaunchTransfers, RunForAnInBaseCareerWhenSetAndAreTakenBackWhenTheLaunchFails) {
    LaunchRequest r = WithRoster(demo::DemoCareers::InHomeBase);
    const fs::path roster = crew::CrewFile(r.career);
    const std::string before = ReadText(roster);
    ASSERT_EQ(RunLaunch(paths, language, r, prompter, random), LaunchOutcome::Launched);
    EXPECT_EQ(ReadText(roster), before);  // the setting is off
    EXPECT_TRUE(prompter.plainMessages.empty());

    Settings("RealisticCrewXfr", "1");
    ASSERT_EQ(RunLaunch(paths, language, r, prompter, random), LaunchOutcome::Launched);
    const std::string after = ReadText(roster);
    EXPECT_NE(after, before);
    ASSERT_EQ(prompter.plainMessages.size(), 1u);
    EXPECT_EQ(prompter.plainMessages[0].rfind("Crewman transfer summary\nTRANSFERS OUT\r\n\r\n", 0), 0u);

    // A launch that fails after the transfers takes them back with the game files.
    const fs::path mainCfg = paths.SaveFolder / "main.cfg";
    fs::permissions(mainCfg, fs::perms::owner_write, fs::perm_options::remove);
    try {
        RunLaunch(paths, language, r, prompter, random);
        ADD_FAILURE() << "launched without main.cfg";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("The crew transfers of this launch were taken back"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_EQ(prompter.plainMessages.size(), 2u);
    EXPECT_EQ(ReadText(roster), after);
    fs::permissions(mainCfg, fs::perms::owner_write, fs::perm_options::add);

    // No rules: nobody leaves and nothing is said.
    ProfileFile(paths.Prog("Cfg\\SH3 options.cfg")).EraseSection("REALISTICCREWXFR");
    ASSERT_EQ(RunLaunch(paths, language, r, prompter, random), LaunchOutcome::Launched);
    EXPECT_EQ(ReadText(roster), after);
    EXPECT_EQ(prompter.plainMessages.size(), 2u);
}

TEST_F(LaunchTransfers, NeverRunAtSea) {
    LaunchRequest r = WithRoster(demo::DemoCareers::AtSea);
    Settings("RealisticCrewXfr", "1");
    const std::string before = ReadText(crew::CrewFile(r.career));
    ASSERT_EQ(RunLaunch(paths, language, r, prompter, random), LaunchOutcome::Launched);
    EXPECT_EQ(ReadText(crew::CrewFile(r.career)), before);
    EXPECT_TRUE(prompter.plainMessages.empty());
}

}  // namespace
}  // namespace seewolf
