#include "launch/new_career_settings.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>

#include "app/error.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/random.h"
#include "launch/backup.h"
#include "launch/launch.h"
#include "platform/encoding.h"
#include "support/scripted_prompter.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;
using testing::WriteText;

class NewCareerSettings : public ::testing::Test {
  protected:
    testing::TempWorld world;
    const Paths& paths = world.GetPaths();
    testing::ScriptedPrompter prompter;

    fs::path Game(std::string_view relative) const { return paths.Game(relative); }
    static std::string Error(const std::function<void()>& run) {
        try {
            run();
        } catch (const seewolf::Error& error) {
            return error.what();
        }
        return "(no error)";
    }
    // The names in a folder, in UTF-8.
    std::set<std::string> Names(const fs::path& folder) const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.insert(platform::Utf8FromPath(entry.path().filename()));
        }
        return names;
    }
};

constexpr std::string_view kCampaign = "data\\Campaigns\\Campaign\\Campaign_LND.mis";

TEST_F(NewCareerSettings, StartAtSeaMovesListedGermanUnitsOnlyAndRollsBack) {
    WriteText(paths.Prog("Cfg\\Start at sea.cfg"),
              "[Kiel Group]\r\nLong=100.5\r\nLat=200\r\nHeading=90\r\n"
              "[Brest Group]\r\nLong=1\r\nLat=2\r\nHeading=3\r\n"
              "[Lorient Group]\r\nLong=1\r\nLat=2\r\nHeading=3\r\n");
    const std::string before =
        "[Unit 1]\r\nName= Kiel Group \r\nOrigin=German\r\nLong=5\r\nlat=6\r\nHeading=7\r\nSpeed=0\r\n"
        "[Unit 2]\r\nName=Brest Group\r\nOrigin=British\r\nLong=5\r\nLat=6\r\nHeading=7\r\n"
        "[Unit 3]\r\nName=Scapa Group\r\nOrigin=German\r\nLong=5\r\nLat=6\r\nHeading=7\r\n"
        "[Unit 4]\r\nLong=5\r\nName=Lorient Group\r\nOrigin= GERMAN\r\nLat=6\r\nHeading=7";
    WriteText(Game(kCampaign), before);
    EXPECT_TRUE(ApplyStartAtSea(paths).empty());
    EXPECT_EQ(
        ReadText(Game(kCampaign)),
        "[Unit 1]\r\nName= Kiel Group \r\nOrigin=German\r\nLong=100.5\r\nLat=200\r\nHeading=90\r\nSpeed=0\r\n"
        "[Unit 2]\r\nName=Brest Group\r\nOrigin=British\r\nLong=5\r\nLat=6\r\nHeading=7\r\n"
        "[Unit 3]\r\nName=Scapa Group\r\nOrigin=German\r\nLong=5\r\nLat=6\r\nHeading=7\r\n"
        "[Unit 4]\r\nLong=5\r\nName=Lorient Group\r\nOrigin= GERMAN\r\nLat=2\r\nHeading=3\r\n");
    RollBackGameFiles(paths, prompter);
    EXPECT_EQ(ReadText(Game(kCampaign)), before);

    // A position that is no number is named, and the campaign file stays as it was.
    WriteText(paths.Prog("Cfg\\Start at sea.cfg"), "[Kiel Group]\r\nLong=north\r\nLat=1\r\nHeading=1\r\n");
    EXPECT_NE(Error([&] { ApplyStartAtSea(paths); }).find("[Kiel Group] Long"), std::string::npos);
    EXPECT_EQ(ReadText(Game(kCampaign)), before);
    WriteText(paths.Prog("Cfg\\Start at sea.cfg"), "[Kiel Group]\r\nLong=1\r\nHeading=1\r\n");
    const std::string missing = Error([&] { ApplyStartAtSea(paths); });
    EXPECT_NE(missing.find("key Lat is missing from section [Kiel Group]"), std::string::npos) << missing;

    // A missing campaign file is said, not created.
    fs::remove(Game(kCampaign));
    EXPECT_EQ(ApplyStartAtSea(paths).size(), 1u);
    EXPECT_FALSE(fs::exists(Game(kCampaign)));
}

TEST_F(NewCareerSettings, StartEntryGridAndBoatNumberAreSetAndRolledBack) {
    WriteText(Game("data\\Cfg\\Basic.cfg"),
              "[SUBMARINE0]\r\nNbVersion=1 ;one\r\nName0=Type IIA\r\nVersion0=0\r\n"
              "[SUBMARINE1]\r\nNbVersion=2\r\nName0=Type VIIB/C\r\nVersion0=1\r\nName1=Type "
              "VIIC\r\nVersion1=2\r\n"
              // Beyond NbVersion: not a version of the type, though its name matches.
              "Name2=Type VIIB/C\r\nVersion2=9\r\n");
    const std::string flotilla =
        "[FLOTILLA]\r\nNbFlotilla=2\r\nFlotilla0=1\r\nNbStartingDate0=1\r\nDate00=1940\r\nStarting00=yes\r\n"
        "Flotilla1=7\r\nNbStartingDate1=2\r\nDate10=1940\r\nStarting10=no\r\nDate11=1940\r\nStarting11="
        "YES\r\n"
        "Month11=1\r\nTypeSub11=0\r\nVersionSub11=0\r\n";
    const std::string roster =
        "[Unit 1]\r\nName=U-47\r\nDOC=19381217\r\nDOD=19410307\r\n[Unit 2]\r\nName=U-48\r\n[Unit "
        "3]\r\nName=U-49\r\n"
        "[Unit 5]\r\nName=U-51\r\n";
    WriteText(Game("data\\Cfg\\Flotilla.cfg"), flotilla);
    WriteText(Game("data\\Roster\\German\\Submarine\\SSTypeType VIIB.cfg"), roster);

    LaunchRequest request;
    request.year = 1940;
    request.month = 9;
    request.flotillaId = "7";
    request.boatTypeName = "Type VIIB/C";
    request.patrolGrid = "AN15";
    request.boatNumber = "99";
    EXPECT_TRUE(ApplyNewCareerSettings(paths, request, "19400901").empty());
    const ProfileFile file(Game("data\\Cfg\\Flotilla.cfg"));
    EXPECT_EQ(file.ReadString("FLOTILLA", "Month11", ""), "9");
    EXPECT_EQ(file.ReadString("FLOTILLA", "TypeSub11", ""), "1");
    EXPECT_EQ(file.ReadString("FLOTILLA", "VersionSub11", ""), "1");
    EXPECT_EQ(file.ReadString("FLOTILLA", "Sept1100", ""), "AN15");
    EXPECT_EQ(file.ReadString("FLOTILLA", "Sept1124", ""), "AN15");
    EXPECT_FALSE(file.ValueExists("FLOTILLA", "Month10"));
    EXPECT_EQ(ReadText(Game("data\\Roster\\German\\Submarine\\SSTypeType VIIB.cfg")),
              "[Unit 1]\r\nName=U-99\r\nDOC=19390101\r\nDOD=19450531\r\n[Unit 5]\r\nName=U-51\r\n");
    RollBackGameFiles(paths, prompter);
    EXPECT_EQ(ReadText(Game("data\\Cfg\\Flotilla.cfg")), flotilla);
    EXPECT_EQ(ReadText(Game("data\\Roster\\German\\Submarine\\SSTypeType VIIB.cfg")), roster);

    // Without a grid only the month, type and version; February's keys begin "Febr".
    request.patrolGrid.clear();
    request.boatNumber.clear();
    request.month = 2;
    ApplyNewCareerSettings(paths, request, "19400901");
    EXPECT_EQ(file.ReadString("FLOTILLA", "Month11", ""), "2");
    EXPECT_EQ(ReadText(Game("data\\Cfg\\Flotilla.cfg")).find("Febr"), std::string::npos);
    request.patrolGrid = "BF";
    ApplyNewCareerSettings(paths, request, "19400901");
    EXPECT_EQ(file.ReadString("FLOTILLA", "Febr1112", ""), "BF");
    RollBackGameFiles(paths, prompter);

    // A continued career hands its crew file to the class's three crew configurations and its
    // equipment to the ammunition section of the start year (missing keys stay missing).
    const fs::path career = world.Root() / "Old";
    WriteText(career / "Crew_Career_120.cfg", "crew of twelve patrols");
    WriteText(career / "Careers_0.cfg", "[CAREER 012]\r\nZ01=3\r\nSnorkelUpg=1\r\n");
    // This test's own ammunition sections and crew files, not the demo's.
    for (int i = 0; i <= 10; ++i) {
        ProfileFile(Game("data\\Cfg\\Basic.cfg")).EraseSection("SUBMARINE_AMMO" + std::to_string(i));
    }
    fs::remove(Game("data\\Cfg\\crew_config_VII_3.cfg"));
    const std::string basic = ReadText(Game("data\\Cfg\\Basic.cfg")) +
                              "[SUBMARINE_AMMO0]\r\nType=0\r\nVersion=0\r\nNbYears=1\r\nZ01_00=9\r\n"
                              "[SUBMARINE_AMMO1]\r\nType=1\r\nVersion=1\r\nNbYears=2\r\nYear0=1939\r\n"
                              "Year1=1940\r\nZ01_10=9\r\nM01_10=9\r\nSnorkel_10=0\r\nZ01_00=9\r\n";
    WriteText(Game("data\\Cfg\\Basic.cfg"), basic);
    for (const char* c : {"1", "2"}) {
        WriteText(Game(std::string("data\\Cfg\\crew_config_VII_") + c + ".cfg"), "stock");
    }
    request.career.ContinueCareer = true;
    request.career.CareerFolder = career;
    request.career.PatrolCount = 12;
    request.career.SubTypeNb = 1;
    const LaunchNotes handed = ApplyNewCareerSettings(paths, request, "19400901");
    ASSERT_EQ(handed.size(), 1u);  // crew_config_VII_3.cfg is missing and is not created
    EXPECT_NE(handed[0].find("crew_config_VII_3.cfg"), std::string::npos);
    EXPECT_FALSE(fs::exists(Game("data\\Cfg\\crew_config_VII_3.cfg")));
    EXPECT_EQ(ReadText(Game("data\\Cfg\\crew_config_VII_2.cfg")), "crew of twelve patrols");
    const ProfileFile ammo(Game("data\\Cfg\\Basic.cfg"));
    EXPECT_EQ(ammo.ReadString("SUBMARINE_AMMO1", "Z01_10", ""), "3");
    EXPECT_EQ(ammo.ReadString("SUBMARINE_AMMO1", "M01_10", ""), "-100");
    EXPECT_EQ(ammo.ReadString("SUBMARINE_AMMO1", "Snorkel_10", ""), "1");
    EXPECT_EQ(ammo.ReadString("SUBMARINE_AMMO1", "Z01_00", ""), "9");
    EXPECT_FALSE(ammo.ValueExists("SUBMARINE_AMMO1", "Radar_10"));
    RollBackGameFiles(paths, prompter);
    EXPECT_EQ(ReadText(Game("data\\Cfg\\Basic.cfg")), basic);
    EXPECT_EQ(ReadText(Game("data\\Cfg\\crew_config_VII_1.cfg")), "stock");
    // A continued career without its folder is refused before any game file changes.
    request.career.CareerFolder.clear();
    EXPECT_NE(
        Error([&] { ApplyNewCareerSettings(paths, request, "19400901"); }).find("names no career folder"),
        std::string::npos);
    EXPECT_EQ(ReadText(Game("data\\Cfg\\Basic.cfg")), basic);
    EXPECT_EQ(ReadText(Game("data\\Cfg\\crew_config_VII_1.cfg")), "stock");
    request.career.ContinueCareer = false;

    // A boat type the game does not list, a roster name leading elsewhere: said, nothing written.
    request.boatTypeName = "Type XB";
    request.boatNumber = "116";
    EXPECT_EQ(ApplyNewCareerSettings(paths, request, "19400901").size(), 2u);
    request.boatTypeName = "..\\..\\x";
    EXPECT_EQ(ApplyNewCareerSettings(paths, request, "19400901").size(), 2u);
    EXPECT_EQ(ReadText(Game("data\\Cfg\\Flotilla.cfg")), flotilla);

    // A count that is no number, or one beyond any real file, is named.
    request.boatTypeName = "Type VIIC";
    WriteText(Game("data\\Cfg\\Flotilla.cfg"), "[FLOTILLA]\r\nNbFlotilla=many\r\n");
    EXPECT_NE(
        Error([&] { ApplyNewCareerSettings(paths, request, "19400901"); }).find("[FLOTILLA] NbFlotilla"),
        std::string::npos);
    WriteText(Game("data\\Cfg\\Flotilla.cfg"), "[FLOTILLA]\r\nNbFlotilla=2000000000\r\n");
    EXPECT_NE(
        Error([&] { ApplyNewCareerSettings(paths, request, "19400901"); }).find("[FLOTILLA] NbFlotilla"),
        std::string::npos);
}

TEST_F(NewCareerSettings, GramophoneShuffleRenamesLogsAndRollsBackEveryName) {
    const fs::path folder = Game("data\\Sound\\Gramophone\\");
    fs::remove_all(folder);
    // A name the log cannot hold keeps its place. Windows allows no "|" in a name; a character
    // outside Windows-1252 is one there (UTF-8 of "x\u03A9y.ogg", shown with a "?").
#ifdef _WIN32
    const std::string odd = "x\xCE\xA9y.ogg";
    const std::string oddShown = "x?y.ogg";
#else
    const std::string odd = "x|y.ogg";
    const std::string oddShown = odd;
#endif
    const std::set<std::string> before = {"001 Lili Marleen.ogg", "Erika.ogg", "12.ogg", odd,
                                          "042  Wir fahren.ogg"};
    const auto file = [&folder](const std::string& name) { return folder / platform::PathFromUtf8(name); };
    for (const std::string& name : before) {
        WriteText(file(name), name);
    }
    Random random(1939);
    const LaunchNotes notes = ShuffleGramophone(paths, random);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find(oddShown), std::string::npos);
    const std::set<std::string> after = Names(folder);
    EXPECT_EQ(after.size(), before.size());
    EXPECT_TRUE(after.count(odd));
    for (const std::string& title : {std::string("Lili Marleen.ogg"), std::string("Erika.ogg"),
                                     std::string("12.ogg"), std::string("Wir fahren.ogg")}) {
        EXPECT_EQ(std::count_if(after.begin(), after.end(),
                                [&](const std::string& name) {
                                    return name.size() == 4 + title.size() && name[3] == ' ' &&
                                           name.substr(4) == title &&
                                           std::all_of(name.begin(), name.begin() + 3, ::isdigit);
                                }),
                  1)
            << title;
    }
    RollBackGameFiles(paths, prompter);
    EXPECT_EQ(Names(folder), before);
    for (const std::string& name : before) {
        EXPECT_EQ(ReadText(file(name)), name);
    }

    // A new name that is taken (here by a link, or a folder on Windows: no tracks) is never replaced.
    fs::remove_all(folder);
    WriteText(folder / "A.ogg", "a");
    Random probe(7);
    const std::string taken = std::to_string(1000 + probe.Next(1000)).substr(1) + " A.ogg";
    WriteText(world.Root() / "elsewhere.ogg", "taken");
#ifdef _WIN32
    fs::create_directory(folder / taken);
#else
    fs::create_symlink(world.Root() / "elsewhere.ogg", folder / taken);
#endif
    Random seeded(7);
    EXPECT_EQ(ShuffleGramophone(paths, seeded).size(), 1u);
    EXPECT_EQ(ReadText(folder / "A.ogg"), "a");
#ifdef _WIN32
    EXPECT_TRUE(fs::is_empty(folder / taken));
#else
    EXPECT_TRUE(fs::is_symlink(folder / taken));
#endif
}

}  // namespace
}  // namespace seewolf
