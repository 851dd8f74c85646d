#include "launch/crew_details.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

#include "app/error.h"
#include "app/numbers.h"
#include "app/profile_file.h"
#include "app/random.h"
#include "crew/random_name.h"
#include "launch/backup.h"
#include "support/scripted_prompter.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;
using testing::WriteText;

struct Member {
    int n;
    std::string nrComp;  // empty: no NrComp line
    std::string grad;    // empty: no Grad line
};

class CrewDetails : public ::testing::Test {
  protected:
    testing::TempWorld world;
    const Paths& paths = world.GetPaths();
    testing::ScriptedPrompter prompter;

    // Each test writes the crew files it needs: the demo's own ones go.
    void SetUp() override {
        for (const auto& entry : fs::directory_iterator(paths.GameFolder / "data" / "Cfg")) {
            if (entry.path().filename().string().rfind("crew_config_", 0) == 0) {
                fs::remove(entry.path());
            }
        }
    }

    fs::path CrewFile(std::string_view name) const { return paths.GameFolder / "data" / "Cfg" / name; }
    void Crew(std::string_view name, const std::vector<Member>& members) const {
        std::string text = "; crew of a new boat\r\n";
        for (const Member& m : members) {
            text += "[CREW_MEMBER_" + std::to_string(m.n) + "]\r\nName=Hans Original\r\n";
            text += m.nrComp.empty() ? "" : "NrComp=" + m.nrComp + "\r\n";
            text += m.grad.empty() ? "" : "Grad=" + m.grad + "\r\n";
            text += "Patrols=0\r\nExperience=0.000000\r\nHp=100\r\n";
        }
        WriteText(CrewFile(name), text);
    }
    // Replaces the [CREW SETUP] section of the program's options.
    void Setup(std::string_view keys) const {
        const fs::path options = paths.Prog("Cfg\\SH3 options.cfg");
        ProfileFile(options).EraseSection("CREW SETUP");
        WriteText(options, ReadText(options) + "[CREW SETUP]\r\n" + std::string(keys));
    }
    void Basic(std::string_view section, std::string_view value) const {
        ProfileFile(paths.Game("data\\Cfg\\Basic.cfg")).WriteString(section, "Experience", value);
    }
    std::string Key(std::string_view file, int n, std::string_view key) const {
        return ProfileFile(CrewFile(file)).ReadString("CREW_MEMBER_" + std::to_string(n), key, "(none)");
    }
    CrewDetailsResult Run(std::string_view date, int subTypeNb, Random& random) {
        return RandomiseCrewDetails(paths, date, subTypeNb, random, prompter);
    }
    std::string ErrorOf(std::string_view date) {
        Random random(1);
        try {
            (void)Run(date, 1, random);
        } catch (const Error& error) {
            return error.what();
        }
        return "(no error)";
    }
};

TEST_F(CrewDetails, RenamesTheCrewOfTheBoatClassOnlyAndRollsBackExactly) {
    Setup("EKIIChance=50\r\nMaxPatrols=4\r\n");  // no line for 1941: names only
    Crew("crew_config_VII_1.cfg",
         {{0, "0", "3"}, {1, "-1", "2"}, {2, "", "2"}, {120, "2", "1"}, {121, "3", "1"}});
    Crew("CREW_CONFIG_vii_2.CFG", {{0, "5", "4"}});
    Crew("crew_config_IX_1.cfg", {{0, "0", "3"}});
    Crew("crew_config_VIIC.cfg", {{0, "0", "3"}});  // class VII files begin "crew_config_VII_"
    std::map<std::string, std::string> before;
    for (const char* name :
         {"crew_config_VII_1.cfg", "CREW_CONFIG_vii_2.CFG", "crew_config_IX_1.cfg", "crew_config_VIIC.cfg"}) {
        before[name] = ReadText(CrewFile(name));
    }

    Random random(1941);
    const CrewDetailsResult result = Run("19410301", 1, random);
    EXPECT_EQ(result.filesChanged, 2);
    EXPECT_EQ(result.crewmenRenamed, 3);
    EXPECT_EQ(result.crewmenWithPast, 0);
    ASSERT_EQ(result.notes.size(), 1u);
    EXPECT_NE(result.notes[0].find("[CREW SETUP] has no line for 1941"), std::string::npos)
        << result.notes[0];

    for (const auto& [file, n] : std::vector<std::pair<std::string, int>>{
             {"crew_config_VII_1.cfg", 0}, {"crew_config_VII_1.cfg", 120}, {"CREW_CONFIG_vii_2.CFG", 0}}) {
        const std::string name = Key(file, n, "Name");
        EXPECT_TRUE(name != "Hans Original" && name.size() <= kLongNameLimit &&
                    name.find(' ') != std::string::npos)
            << name;
        EXPECT_EQ(Key(file, n, "Patrols"), "0");  // only the name changes
        EXPECT_EQ(Key(file, n, "MedalsInx0"), "(none)");
    }
    for (const int n : {1, 2, 121}) {
        EXPECT_EQ(Key("crew_config_VII_1.cfg", n, "Name"), "Hans Original") << n;
    }
    EXPECT_EQ(ReadText(CrewFile("crew_config_IX_1.cfg")), before["crew_config_IX_1.cfg"]);
    EXPECT_EQ(ReadText(CrewFile("crew_config_VIIC.cfg")), before["crew_config_VIIC.cfg"]);

    RollBackGameFiles(paths, prompter);
    for (const auto& [name, bytes] : before) {
        EXPECT_EQ(ReadText(CrewFile(name)), bytes) << name;
    }

    // Any other class takes every crew file.
    EXPECT_EQ(Run("19410301", 4, random).filesChanged, 4);
}

TEST_F(CrewDetails, HistoryFollowsTheDrawsAndTheDatesInSinglePrecision) {
    // 22 x 1.1 is 24.200001 in single precision (24.200000 in double).
    Basic("CREW_3", "21");
    Basic("MEDALS_CREW", "1.1");
    Setup("1944=100\r\nEKIIChance=100\r\nMaxPatrols=1\r\n");
    Crew("crew_config_VII_1.cfg", {{0, "0", "3"}});
    Random random(7);
    EXPECT_EQ(Run("19440515", 1, random).crewmenWithPast, 1);
    std::vector<std::string> keys;
    for (const char* key : {"Patrols", "MedalsInx0", "MedalsInx6", "MedalsInx7", "Experience"}) {
        keys.push_back(Key("crew_config_VII_1.cfg", 0, key));
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"1", "0", "6", "-1", "24.200001"}));
    (void)Run("19440514", 1, random);  // the front clasp comes a day later
    EXPECT_EQ(Key("crew_config_VII_1.cfg", 0, "MedalsInx6"), "-1");

    // Every draw in its place: a twin generator replays name, chance, patrols, medal and the
    // patrols before the medal, crewman after crewman. Grades 0 to 8 have the experience 0, 20,
    // 50, ... of the game's Basic.cfg, grade 3 the 21 set above.
    const float base[9] = {0, 20, 50, 21, 150, 200, 300, 400, 500};
    Basic("MEDALS_CREW", "1.5");
    Setup("1939=60\r\nEKIIChance=50\r\nMaxPatrols=5\r\n");
    std::vector<Member> crew;
    for (int n = 0; n < 40; ++n) {
        crew.push_back({n, "0", std::to_string(n % 9)});
    }
    for (const std::string_view date : {"19391012", "19391013"}) {
        Crew("crew_config_VII_1.cfg", crew);
        Random run(1939);
        Random twin(1939);
        const CrewDetailsResult result = Run(date, 1, run);
        int medals = 0;
        int veterans = 0;
        for (int n = 0; n < 40; ++n) {
            SCOPED_TRACE(std::string(date) + " crewman " + std::to_string(n));
            EXPECT_EQ(Key("crew_config_VII_1.cfg", n, "Name"), RandomName(paths, twin, false));
            if (twin.Next(100) >= 60) {
                EXPECT_EQ(Key("crew_config_VII_1.cfg", n, "Patrols"), "0");
                continue;
            }
            ++veterans;
            const int patrols = 1 + twin.Next(5);
            const bool medal = twin.Next(100) < 50;
            const int before = medal ? 1 + twin.Next(patrols) : 0;
            const float grade = base[n % 9];
            const float experience =
                medal ? static_cast<float>(patrols - before) + (static_cast<float>(before) + grade) * 1.5f
                      : static_cast<float>(patrols) + grade;
            medals += medal ? 1 : 0;
            EXPECT_EQ(Key("crew_config_VII_1.cfg", n, "Patrols"), std::to_string(patrols));
            EXPECT_EQ(Key("crew_config_VII_1.cfg", n, "MedalsInx0"), medal ? "0" : "-1");
            EXPECT_EQ(Key("crew_config_VII_1.cfg", n, "MedalsInx6"), "-1");
            EXPECT_EQ(Key("crew_config_VII_1.cfg", n, "MedalsInx7"),
                      patrols >= 2 && date == "19391013" ? "7" : "-1");
            EXPECT_EQ(Key("crew_config_VII_1.cfg", n, "Experience"), FormatFloat6(experience));
        }
        EXPECT_EQ(result.crewmenWithPast, veterans);
        EXPECT_TRUE(medals > 0 && medals < veterans) << medals << " of " << veterans;
    }
}

TEST_F(CrewDetails, SaysWhatItLeavesOutAndNamesBadValues) {
    Setup("EKIIChance=0\r\nMaxPatrols=0\r\n");
    // No crew file of type XXI: nothing changes, and the player is told (of that only: with no
    // crewman renamed, the missing line for the year does not matter).
    Crew("crew_config_VII_1.cfg", {{0, "0", "12"}, {1, "0", ""}, {2, "0", "8"}});
    Random random(42);
    CrewDetailsResult result = Run("19420601", 3, random);
    EXPECT_EQ(result.filesChanged, 0);
    ASSERT_EQ(result.notes.size(), 1u);
    EXPECT_NE(result.notes[0].find("crew_config_XXI_*.cfg"), std::string::npos) << result.notes[0];

    // Crewmen without a grade of 0 to 8 count their patrols only; a crew file that leads out of the
    // game folder is left alone; a game without Basic.cfg is said, and Basic.cfg is not created.
    const fs::path outside = world.Root() / "elsewhere.cfg";
    WriteText(outside, "[CREW_MEMBER_0]\r\nNrComp=0\r\n");
#ifndef _WIN32  // links need privileges on Windows
    fs::create_symlink(outside, CrewFile("crew_config_VII_link.cfg"));
#endif
    fs::remove(paths.Game("data\\Cfg\\Basic.cfg"));
    Setup("1942=100\r\nEKIIChance=0\r\nMaxPatrols=0\r\n");
    result = Run("19420601", 1, random);
    EXPECT_EQ(result.filesChanged, 1);
    EXPECT_EQ(Key("crew_config_VII_1.cfg", 0, "Experience"), "1.000000");
    EXPECT_EQ(Key("crew_config_VII_1.cfg", 1, "Experience"), "1.000000");
    EXPECT_EQ(ReadText(outside), "[CREW_MEMBER_0]\r\nNrComp=0\r\n");
    EXPECT_FALSE(fs::exists(paths.Game("data\\Cfg\\Basic.cfg")));
    std::string notes;
    for (const std::string& note : result.notes) {
        notes += note + "\n";
    }
#ifndef _WIN32
    EXPECT_NE(notes.find("crew_config_VII_link.cfg was left out"), std::string::npos) << notes;
#endif
    EXPECT_NE(notes.find("2 crewmen of data\\Cfg\\crew_config_VII_1.cfg without a grade"), std::string::npos)
        << notes;
    EXPECT_NE(notes.find("The game has no data\\Cfg\\Basic.cfg"), std::string::npos) << notes;

    // Bad values name the file, section and key; the crew file is not touched.
    const std::string crewBytes = ReadText(CrewFile("crew_config_VII_1.cfg"));
    const auto names = [](const std::string& error, std::string_view where) {
        return error.find(where) != std::string::npos;
    };
    Setup("1942=150\r\n");
    EXPECT_PRED2(names, ErrorOf("19420601"),
                 "SH3 options.cfg [CREW SETUP] 1942: \"150\" is not from 0 to 100");
    Setup("EKIIChance=some\r\n");
    EXPECT_PRED2(names, ErrorOf("19420601"),
                 "SH3 options.cfg [CREW SETUP] EKIIChance: \"some\" is not a whole");
    Setup("1942=100\r\n");
    WriteText(paths.Game("data\\Cfg\\Basic.cfg"), "[MEDALS_CREW]\r\nExperience=1e39\r\n");
    EXPECT_PRED2(names, ErrorOf("19420601"), "Basic.cfg [MEDALS_CREW] Experience: \"1e39\" is not a number");
    // A factor that single precision holds, but not the experience it gives.
    WriteText(paths.Game("data\\Cfg\\Basic.cfg"),
              "[CREW_8]\r\nExperience=1000\r\n[MEDALS_CREW]\r\nExperience=3e38\r\n");
    Setup("1942=100\r\nEKIIChance=100\r\n");
    EXPECT_PRED2(names, ErrorOf("19420601"),
                 "[CREW_MEMBER_2] Experience comes to more than the game can hold");
    EXPECT_EQ(ReadText(CrewFile("crew_config_VII_1.cfg")), crewBytes);
    EXPECT_PRED2(names, ErrorOf("1942"), "The career date \"1942\" is not a date yyyymmdd");
    Crew("crew_config_VII_1.cfg", {{0, "0", "3"}, {1, "first", "3"}});
    EXPECT_PRED2(names, ErrorOf("19420601"), "crew_config_VII_1.cfg [CREW_MEMBER_1] NrComp: \"first\"");
}

}  // namespace
}  // namespace seewolf
