#include "launch/days_in_base.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <utility>

#include "app/error.h"
#include "app/profile_file.h"
#include "app/random.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;
using testing::WriteText;

using Names = std::set<std::pair<std::string, std::string>>;

// Every section and key name of a profile file.
Names KeysOf(const ProfileFile& file) {
    Names names;
    for (const std::string& section : file.ReadSections()) {
        for (const std::string& key : file.ReadSection(section)) {
            names.emplace(section, key);
        }
    }
    return names;
}

class DaysInBase : public ::testing::Test {
  protected:
    testing::TempWorld world;
    const Paths& paths = world.GetPaths();
    Random random{20240517};

    fs::path Basic() const { return paths.Game("data\\Cfg\\Basic.cfg"); }
    fs::path BackedUpBasic() const { return paths.BackupFolder / "data" / "Cfg" / "Basic.cfg"; }
    std::string BasicValue(std::string_view section, std::string_view key) const {
        return ProfileFile(Basic()).ReadString(section, key, "<missing>");
    }
};

TEST_F(DaysInBase, RandomModeDrawsEveryDayOfTheYearsRangeAndNothingElse) {
    WriteText(paths.Prog("Cfg\\SH3 options.cfg"),
              "; days in base\r\n[RNDDAYSINBASE]\r\n1941=20|30\r\n1942= 5 | 5 \r\n");
    std::set<int> seen;
    for (int i = 0; i < 2000; ++i) {
        seen.insert(GetDaysInBase(paths, true, "19410315", random));
    }
    std::set<int> all;
    for (int d = 20; d <= 30; ++d) {
        all.insert(d);
    }
    EXPECT_EQ(seen, all);

    EXPECT_EQ(GetDaysInBase(paths, true, "19420101", random), 5);
    for (int i = 0; i < 50; ++i) {
        ASSERT_EQ(GetDaysInBase(paths, true, "19400601", random), 28) << "a year without a range";
    }
}

TEST_F(DaysInBase, RandomModeRefusesARangeThatIsNotTwoNumbers) {
    const fs::path options = paths.Prog("Cfg\\SH3 options.cfg");
    WriteText(options, "[RNDDAYSINBASE]\r\n1939=ten|20\r\n1940=14\r\n1941=14|\r\n");
    for (const char* date : {"19390901", "19400101", "19410101"}) {
        SCOPED_TRACE(date);
        try {
            GetDaysInBase(paths, true, date, random);
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            const std::string text = e.what();
            EXPECT_NE(text.find("SH3 options.cfg"), std::string::npos) << text;
            EXPECT_NE(text.find(std::string(date).substr(0, 4)), std::string::npos) << text;
            EXPECT_NE(text.find("RNDDAYSINBASE"), std::string::npos) << text;
        }
    }
}

TEST_F(DaysInBase, ShippedRangesCoverTheWarAndGrowLonger) {
    int previousLow = 0;
    for (int year = 1939; year <= 1945; ++year) {
        const std::string date = std::to_string(year) + "0601";
        const std::string range = ProfileFile(paths.Prog("Cfg\\SH3 options.cfg"))
                                      .ReadString("RNDDAYSINBASE", date.substr(0, 4), "");
        ASSERT_NE(range, "") << year;
        int low = 1000;
        int high = 0;
        for (int i = 0; i < 300; ++i) {
            const int days = GetDaysInBase(paths, true, date, random);
            low = std::min(low, days);
            high = std::max(high, days);
        }
        EXPECT_GE(low, 1) << year;
        EXPECT_LT(low, high) << year << ": a range, not a fixed stay";
        EXPECT_LE(high, 90) << year;
        EXPECT_GE(low, previousLow) << year;
        previousLow = low;
    }
}

TEST_F(DaysInBase, GameDefaultModeReadsTheGamesValue) {
    EXPECT_EQ(GetDaysInBase(paths, false, "19410315", random), 28);
    ProfileFile(Basic()).WriteString("TIME", "NbDaysInBase", "35");
    EXPECT_EQ(GetDaysInBase(paths, false, "19410315", random), 35);
    ProfileFile(Basic()).DeleteKey("TIME", "NbDaysInBase");
    EXPECT_EQ(GetDaysInBase(paths, false, "19410315", random), 28);
}

TEST_F(DaysInBase, NothingToApplyLeavesBasicCfgUnopenedAndUnsaved) {
    const std::string before = ReadText(Basic());
    const auto stamp = fs::last_write_time(Basic());
    ApplyBasicCfgSettings(paths, -1, -1, false, "661");
    EXPECT_EQ(ReadText(Basic()), before);
    EXPECT_EQ(fs::last_write_time(Basic()), stamp);
    EXPECT_TRUE(fs::is_empty(paths.BackupFolder));
}

TEST_F(DaysInBase, DaysAreWrittenFromZeroUpAndBackedUpFirst) {
    const std::string before = ReadText(Basic());
    ApplyBasicCfgSettings(paths, 0, -1, false, "661");
    EXPECT_EQ(BasicValue("TIME", "NbDaysInBase"), "0");
    EXPECT_EQ(ReadText(BackedUpBasic()), before);

    ApplyBasicCfgSettings(paths, 17, -1, false, "661");
    EXPECT_EQ(BasicValue("TIME", "NbDaysInBase"), "17");
    EXPECT_EQ(ReadText(BackedUpBasic()), before) << "the first copy is the pre-launch one";

    // Only the dates apply: the days stay as they are.
    WriteText(paths.Prog("Cfg\\U-boat availability.cfg"), "[SUBMARINE1]\r\n661_Year2=1942\r\n");
    ApplyBasicCfgSettings(paths, -1, -1, true, "661");
    EXPECT_EQ(BasicValue("TIME", "NbDaysInBase"), "17");
    EXPECT_EQ(BasicValue("SUBMARINE1", "Year2"), "1942");
}

TEST_F(DaysInBase, FatigueModelWritesItsSectionKeyLinesOnly) {
    WriteText(paths.Prog("Cfg\\Crew fatigue models.cfg"),
              "; test models\r\n"
              "[0]\r\nDesc=Zero\r\nFATIGUE|OnDuty=9.000000\r\n\r\n"
              "[1]\r\nDesc=One\r\n"
              "FATIGUE|OnDuty=0.020000\r\n"
              "CREW_4|FatigueMin=0.125 ; tired from the start\r\n"
              "NEWSECTION|NewKey=abc\r\n"
              "Plain=5\r\n"
              "|Nameless=1\r\n");
    const Names before = KeysOf(ProfileFile(Basic()));
    ApplyBasicCfgSettings(paths, -1, 1, false, "661");

    EXPECT_EQ(BasicValue("FATIGUE", "OnDuty"), "0.020000");
    EXPECT_EQ(BasicValue("CREW_4", "FatigueMin"), "0.125 ; tired from the start");
    EXPECT_EQ(BasicValue("NEWSECTION", "NewKey"), "abc");
    EXPECT_EQ(BasicValue("TIME", "NbDaysInBase"), "28");
    // Nothing but the three targets is new: no Desc, no Plain, no nameless section.
    Names added;
    for (const auto& name : KeysOf(ProfileFile(Basic()))) {
        if (before.count(name) == 0) {
            added.insert(name);
        }
    }
    EXPECT_EQ(added, (Names{{"NEWSECTION", "NewKey"}}));
    EXPECT_TRUE(fs::exists(BackedUpBasic()));
}

TEST_F(DaysInBase, AvailabilityLinesOfTheFlotillaOnly) {
    WriteText(paths.Prog("Cfg\\U-boat availability.cfg"),
              "[SUBMARINE1]\r\n"
              "Year2=1950\r\n"
              "662_Year2=1941\r\n"
              "661_Year2=1943\r\n"
              "661-Month2=4\r\n"
              "6611Year3=1\r\n"
              "66_Year1=1\r\n"
              "[SUBMARINE2]\r\n"
              "661_Month3=11\r\n"
              "[TIME]\r\n"
              "661_NbDaysInBase=40\r\n");
    const std::string month2 = BasicValue("SUBMARINE1", "Month2");
    const std::string year3 = BasicValue("SUBMARINE1", "Year3");
    const std::string year1 = BasicValue("SUBMARINE1", "Year1");

    ApplyBasicCfgSettings(paths, 12, -1, true, "661");
    EXPECT_EQ(BasicValue("SUBMARINE1", "Year2"), "1943");
    EXPECT_EQ(BasicValue("SUBMARINE1", "Month2"), month2);
    EXPECT_EQ(BasicValue("SUBMARINE1", "Year3"), year3);
    EXPECT_EQ(BasicValue("SUBMARINE1", "Year1"), year1);
    EXPECT_EQ(BasicValue("SUBMARINE2", "Month3"), "11");
    // The dates come after the days, so a flotilla's own stay wins.
    EXPECT_EQ(BasicValue("TIME", "NbDaysInBase"), "40");
    const std::string text = ReadText(Basic());
    EXPECT_EQ(text.find("661_"), std::string::npos);
    EXPECT_EQ(text.find("_Year"), std::string::npos);
}

// The shipped option files fit the game's file: every target they name is a key Basic.cfg has.
TEST_F(DaysInBase, ShippedModelsAndDatesOnlySetKeysTheGameHas) {
    const ProfileFile models(paths.Prog("Cfg\\Crew fatigue models.cfg"));
    const Names keys = KeysOf(ProfileFile(Basic()));
    int count = 0;
    std::set<std::string> names;
    for (; models.SectionExists(std::to_string(count)); ++count) {
        const std::string desc = models.ReadString(std::to_string(count), "Desc", "");
        EXPECT_NE(desc, "") << count;
        EXPECT_TRUE(names.insert(desc).second) << desc;
    }
    ASSERT_GE(count, 3);
    std::set<std::string> results;
    for (int model = 0; model < count; ++model) {
        ApplyBasicCfgSettings(paths, -1, model, false, "");
        EXPECT_EQ(KeysOf(ProfileFile(Basic())), keys) << "model " << model;
        results.insert(ReadText(Basic()));
    }
    EXPECT_EQ(results.size(), static_cast<std::size_t>(count)) << "each model changes something of its own";

    for (int id = 660; id <= 669; ++id) {
        ApplyBasicCfgSettings(paths, -1, -1, true, std::to_string(id));
        EXPECT_EQ(KeysOf(ProfileFile(Basic())), keys) << "flotilla " << id;
    }
}

}  // namespace
}  // namespace seewolf
