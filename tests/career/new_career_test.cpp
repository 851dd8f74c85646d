#include "career/new_career.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

#include "app/error.h"
#include "app/language.h"
#include "app/paths.h"
#include "career/career.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

// Three flotillas:
//  700 "First Flotilla": Kiel 09/39-06/40, then Lorient 07/40-08/44; may start in 1939 and (at
//      the starting date one past its count) 1941; 1940 is a "no", 1943 lies beyond the count.
//  701 "Second Flotilla": one base 03/41-12/42, may start in 1941, 1942 and 1943.
//  703 (no menu name): a base (without a name) over the whole war but no starting dates.
constexpr std::string_view kFlotillaCfg =
    "[FLOTILLA]\r\n"
    "NbFlotilla=3\r\n"
    "Flotilla0=700\r\n"
    "NbBases0=2\r\n"
    "Base0_0=800 ; Kiel\r\n"
    "Date0_0_0=1939\r\nMonth0_0_0=9\r\nDate0_0_1=1940\r\nMonth0_0_1=6\r\n"
    "Base0_1=801 ; Lorient\r\n"
    "Date0_1_0=1940\r\nMonth0_1_0=7\r\nDate0_1_1=1944\r\nMonth0_1_1=8\r\n"
    "NbStartingDate0=2\r\n"
    "Date00=1939\r\nMonth00=9\r\nStarting00=yes\r\n"
    "Date01=1940\r\nMonth01=1\r\nStarting01=no\r\n"
    "Date02=1941\r\nMonth02=1\r\nStarting02=YES\r\n"
    "Date03=1943\r\nMonth03=1\r\nStarting03=yes\r\n"
    "NbUboats0=2\r\n"
    "Uboat0_0=1 ; Type VII\r\n"
    "Uboat0_1=2\r\n"
    "Flotilla1=701\r\n"
    "NbBases1=1\r\n"
    "Base1_0=801\r\n"
    "Date1_0_0=1941\r\nMonth1_0_0=3\r\nDate1_0_1=1942\r\nMonth1_0_1=12\r\n"
    "NbStartingDate1=2\r\n"
    "Date10=1941\r\nMonth10=3\r\nStarting10=Yes\r\n"
    "Date11=1942\r\nMonth11=1\r\nStarting11=yes\r\n"
    "Date12=1943\r\nMonth12=1\r\nStarting12=yes\r\n"
    "NbUboats1=1\r\n"
    "Uboat1_0=1\r\n"
    "Flotilla2=703\r\n"
    "NbBases2=1\r\n"
    "Base2_0=802\r\n"
    "Date2_0_0=1939\r\nMonth2_0_0=1\r\nDate2_0_1=1945\r\nMonth2_0_1=5\r\n"
    "Date20=1940\r\nMonth20=1\r\nStarting20=yes\r\n";

// Type 0 for single missions only; "IX" is part of the longer "IXB"; SUBMARINE4 lies after a gap.
constexpr std::string_view kBasicCfg =
    "[SUBMARINE0]\r\nNbVersion=1\r\nName0=IIA\r\nYear0=1939\r\nMonth0=1\r\n"
    "[SUBMARINE1]\r\nNbVersion=3 ; the type VII boats\r\n"
    "Name0=VIIB\r\nYear0=1939\r\nMonth0=1\r\n"
    "Name1=VIIC\r\nYear1=1940\r\nMonth1=10\r\n"
    "Name2=VIIC/41\r\nYear2=1943\r\nMonth2=6\r\n"
    "[SUBMARINE2]\r\nNbVersion=2\r\n"
    "Name0=IXB\r\nYear0=1939\r\nMonth0=1\r\n"
    "Name1=IX\r\nYear1=1941\r\nMonth1=1\r\n"
    "[SUBMARINE4]\r\nNbVersion=1\r\nName0=Gap\r\nYear0=1939\r\nMonth0=1\r\n";

constexpr std::string_view kMenu =
    "[STRINGS]\r\n"
    "68=The first flotilla of the war.\r\n"
    "700=First Flotilla\r\n"
    "701=Second Flotilla\r\n"
    "800=Kiel\r\n"
    "801=Lorient ; on the Biscay coast\r\n";

class NewCareer : public ::testing::Test {
  protected:
    NewCareer() {
        testing::WriteText(FlotillaFile(), kFlotillaCfg);
        testing::WriteText(paths().Game("data\\Cfg\\Basic.cfg"), kBasicCfg);
        testing::WriteText(paths().Game("data\\Menu\\en_menu.txt"), kMenu);
    }
    const Paths& paths() const { return m_world.GetPaths(); }
    std::filesystem::path FlotillaFile() const { return paths().Game("data\\Cfg\\Flotilla.cfg"); }

    std::vector<std::string> FlotillaIds(CareerStatus status, int year, int month) const {
        std::vector<std::string> ids;
        for (const FlotillaChoice& choice : OfferedFlotillas(paths(), m_language, status, year, month)) {
            ids.push_back(choice.id);
        }
        return ids;
    }
    std::vector<std::string> BoatNames(CareerStatus status, std::string_view flotilla, int year, int month,
                                       bool useSubDts = false) const {
        std::vector<std::string> names;
        for (const BoatTypeChoice& choice :
             OfferedBoatTypes(paths(), status, flotilla, year, month, useSubDts)) {
            names.push_back(choice.name + "/" + choice.number);
        }
        return names;
    }

    testing::TempWorld m_world;
    Language m_language;
};

using Strings = std::vector<std::string>;

TEST_F(NewCareer, MonthRangeFollowsTheYear) {
    const MonthRange y1939 = MonthsOf(paths(), 1939);
    EXPECT_EQ(y1939.first, 9);
    EXPECT_EQ(y1939.last, 12);
    EXPECT_EQ(y1939.Fit(3), 9);
    EXPECT_EQ(y1939.Fit(11), 11);

    const MonthRange y1945 = MonthsOf(paths(), 1945);
    EXPECT_EQ(y1945.first, 1);
    EXPECT_EQ(y1945.last, 5);
    EXPECT_EQ(y1945.Fit(6), 5);

    const MonthRange y1942 = MonthsOf(paths(), 1942);
    EXPECT_EQ(y1942.first, 1);
    EXPECT_EQ(y1942.last, 12);
    EXPECT_EQ(y1942.Fit(7), 7);
}

TEST_F(NewCareer, FirstMonthOf1939TakesTheEarliestStartingFlotilla) {
    std::string text(kFlotillaCfg);
    auto rewrite = [&](std::string_view from, std::string_view to) {
        text.replace(text.find(from), from.size(), to);
        testing::WriteText(FlotillaFile(), text);
    };
    // 701 may now start in July 1939.
    rewrite("Date10=1941\r\nMonth10=3\r\n", "Date10=1939\r\nMonth10=7\r\n");
    EXPECT_EQ(FirstMonth1939(paths()), 7);
    EXPECT_EQ(MonthsOf(paths(), 1939).Fit(3), 7);

    // A "no" does not count, and neither does a 1939 start at a later index.
    rewrite("Starting10=Yes", "Starting10=no");
    rewrite("Starting20=yes", "Starting20=yes\r\nDate21=1939\r\nMonth21=2\r\nStarting21=yes");
    EXPECT_EQ(FirstMonth1939(paths()), 9);
}

TEST_F(NewCareer, FlotillasOfferedByDateAndStartingDates) {
    EXPECT_EQ(FlotillaIds(CareerStatus::NewCareer, 1939, 8), Strings{});  // before 700's first base
    EXPECT_EQ(FlotillaIds(CareerStatus::NewCareer, 1939, 9), Strings{"700"});
    EXPECT_EQ(FlotillaIds(CareerStatus::NewCareer, 1940, 3), Strings{});  // 700 says "no"; 703 has no dates
    EXPECT_EQ(FlotillaIds(CareerStatus::NewCareer, 1941, 2),
              Strings{"700"});  // index 2 = the count still counts
    EXPECT_EQ(FlotillaIds(CareerStatus::NewCareer, 1941, 3), (Strings{"700", "701"}));
    EXPECT_EQ(FlotillaIds(CareerStatus::NewCareer, 1942, 12), Strings{"701"});
    EXPECT_EQ(FlotillaIds(CareerStatus::NewCareer, 1943, 1), Strings{});  // 701 after its last base; 700's
                                                                          // 1943 lies past the count + 1

    const std::vector<FlotillaChoice> offered =
        OfferedFlotillas(paths(), m_language, CareerStatus::NewCareer, 1941, 3);
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(offered[0].name, "First Flotilla");
    EXPECT_EQ(offered[1].name, "Second Flotilla");
}

TEST_F(NewCareer, SingleMissionOffersEveryFlotilla) {
    const std::vector<FlotillaChoice> offered =
        OfferedFlotillas(paths(), m_language, CareerStatus::SingleMission, 1939, 1);
    ASSERT_EQ(offered.size(), 3u);
    EXPECT_EQ(offered[0].id, "700");
    EXPECT_EQ(offered[1].id, "701");
    EXPECT_EQ(offered[2].id, "703");
    EXPECT_EQ(offered[2].name, "Error!");

    EXPECT_EQ(BoatNames(CareerStatus::SingleMission, "", 1939, 1),
              (Strings{"IIA/0", "VIIB/1", "VIIC/1", "VIIC/41/1", "IXB/2", "IX/2"}));
}

TEST_F(NewCareer, ABaseDateThatDoesNotExistIsAnError) {
    std::string text(kFlotillaCfg);
    text.replace(text.find("Month0_1_1=8"), 12, "Month0_1_1=13");
    testing::WriteText(FlotillaFile(), text);
    EXPECT_THROW(OfferedFlotillas(paths(), m_language, CareerStatus::NewCareer, 1941, 3), Error);

    // A missing date key is named as missing.
    text.replace(text.find("Month0_1_1=13"), 15, "");
    testing::WriteText(FlotillaFile(), text);
    try {
        OfferedFlotillas(paths(), m_language, CareerStatus::NewCareer, 1941, 3);
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("The key Month0_1_1 is missing from section [FLOTILLA]"),
                  std::string::npos)
            << e.what();
    }
}

TEST_F(NewCareer, BoatTypesByAvailabilityDate) {
    EXPECT_EQ(BoatNames(CareerStatus::NewCareer, "700", 1940, 9), (Strings{"VIIB/1", "IXB/2"}));
    EXPECT_EQ(BoatNames(CareerStatus::NewCareer, "700", 1940, 10), (Strings{"VIIB/1", "VIIC/1", "IXB/2"}));
    // "IX" (from 1941) is part of "IXB" and so never listed beside it; "VIIC/41" is longer than
    // the listed "VIIC" and is listed.
    EXPECT_EQ(BoatNames(CareerStatus::NewCareer, "700", 1943, 6),
              (Strings{"VIIB/1", "VIIC/1", "VIIC/41/1", "IXB/2"}));
    EXPECT_EQ(BoatNames(CareerStatus::NewCareer, "701", 1943, 6), (Strings{"VIIB/1", "VIIC/1", "VIIC/41/1"}));
    EXPECT_EQ(BoatNames(CareerStatus::NewCareer, "703", 1943, 6), Strings{});  // no boat types
    EXPECT_EQ(BoatNames(CareerStatus::NewCareer, "999", 1943, 6), Strings{});  // no such flotilla
}

TEST_F(NewCareer, AvailabilityOverridesApplyToTheirFlotillaOnly) {
    // 700 gets the VIIC from February 1940 and calls it differently. The plain keys of the
    // availability file are not read: without an override the game's Basic.cfg decides.
    testing::WriteText(paths().Prog("Cfg\\U-boat availability.cfg"),
                       "[SUBMARINE1]\r\nNbVersion=3\r\nYear1=1939\r\nMonth1=1\r\n"
                       "700_Year1=1940\r\n700_Month1=2\r\n700_Name1=VIIC early\r\n");
    EXPECT_EQ(BoatNames(CareerStatus::NewCareer, "700", 1940, 2, true),
              (Strings{"VIIB/1", "VIIC early/1", "IXB/2"}));
    EXPECT_EQ(BoatNames(CareerStatus::NewCareer, "700", 1940, 1, true), (Strings{"VIIB/1", "IXB/2"}));
    EXPECT_EQ(BoatNames(CareerStatus::NewCareer, "701", 1940, 2, true), Strings{"VIIB/1"});
    // Without UseSubDts the program's file is not read at all.
    EXPECT_EQ(BoatNames(CareerStatus::NewCareer, "700", 1940, 2, false), (Strings{"VIIB/1", "IXB/2"}));

    // A version count cut down for one flotilla.
    testing::WriteText(paths().Prog("Cfg\\U-boat availability.cfg"),
                       "[SUBMARINE1]\r\n701_NbVersion=1 ; only the B\r\n");
    EXPECT_EQ(BoatNames(CareerStatus::NewCareer, "701", 1943, 6, true), Strings{"VIIB/1"});
    EXPECT_EQ(BoatNames(CareerStatus::NewCareer, "700", 1943, 6, true),
              (Strings{"VIIB/1", "VIIC/1", "VIIC/41/1", "IXB/2"}));
}

TEST_F(NewCareer, AnAvailabilityDateThatDoesNotExistIsAnError) {
    std::string text(kBasicCfg);
    text.replace(text.find("Month1=10"), 9, "Month1=0");
    testing::WriteText(paths().Game("data\\Cfg\\Basic.cfg"), text);
    EXPECT_THROW(OfferedBoatTypes(paths(), CareerStatus::NewCareer, "700", 1941, 3, false), Error);
}

TEST_F(NewCareer, BoatNumbersAndKeptChoice) {
    testing::WriteText(paths().Prog("Cfg\\U-boat numbers.cfg"),
                       "[VIIC]\r\n700= 101 , 102,103\r\nALL=1,2\r\n");
    EXPECT_EQ(OfferedBoatNumbers(paths(), "VIIC", "700"), (Strings{"101", "102", "103"}));
    EXPECT_EQ(OfferedBoatNumbers(paths(), "VIIC", "701"), Strings{});
    EXPECT_EQ(OfferedBoatNumbers(paths(), "IXB", "700"), Strings{});

    EXPECT_EQ(KeptChoice({"VIIB", "VIIC", "VIIC"}, "VIIC"), 1);
    EXPECT_EQ(KeptChoice({"VIIB", "VIIC"}, "IXB"), 0);
    EXPECT_EQ(KeptChoice({}, "VIIC"), -1);
}

TEST_F(NewCareer, FlotillaDescriptionListsItsBases) {
    const FlotillaInfo info = DescribeFlotilla(paths(), m_language, "700", "First Flotilla");
    EXPECT_EQ(info.title, "First Flotilla");
    EXPECT_EQ(info.text,
              "The first flotilla of the war.\n\nBases:\n"
              "09/39 to 06/40 - Kiel\n"
              "07/40 to 08/44 - Lorient");

    // No description text, and a base whose port has no name.
    const FlotillaInfo other = DescribeFlotilla(paths(), m_language, "703", "Error!");
    EXPECT_EQ(other.text, "\n\nBases:\n01/39 to 05/45 - Error!");
}

TEST_F(NewCareer, YearHintIsWrapped) {
    const std::string sentence = "A war year with a long note that goes on and on about the boats. ";
    testing::WriteText(paths().Game("data\\Menu\\en_menu.txt"),
                       std::string(kMenu) + "262=" + sentence + sentence + sentence + "\r\n");
    const std::string hint = YearHint(paths(), m_language, 1941);
    EXPECT_GT(hint.size(), 180u);
    std::size_t start = 0;
    for (std::size_t end = hint.find('\n');; end = hint.find('\n', start)) {
        EXPECT_LE((end == std::string::npos ? hint.size() : end) - start, 90u);
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    EXPECT_EQ(YearHint(paths(), m_language, 1942), "");
}

TEST_F(NewCareer, CrewSetsAreTheCrewSubfolders) {
    const std::filesystem::path crew = paths().ProgFolder / "Crew";
    std::filesystem::remove_all(crew);
    EXPECT_EQ(CrewSets(paths()), Strings{});

    std::filesystem::create_directories(crew / "Veterans");
    std::filesystem::create_directories(crew / "Rookies");
    testing::WriteText(crew / "notes.txt", "not a set");
    Strings sets = CrewSets(paths());
    std::sort(sets.begin(), sets.end());
    EXPECT_EQ(sets, (Strings{"Rookies", "Veterans"}));
}

}  // namespace
}  // namespace seewolf
