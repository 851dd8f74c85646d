#include "reports/ship_names.h"

#include <gtest/gtest.h>
#include <set>

#include "app/language.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/random.h"
#include "app/text.h"
#include "career/career.h"
#include "platform/files.h"
#include "support/temp_world.h"

namespace seewolf::reports {
namespace {

class ShipWorld {
  public:
    ShipWorld() {
        paths.ProgFolder = m_folder.Path() / "Seewolf" / "";
        paths.GameFolder = m_folder.Path() / "SH3" / "";
        career.CareerFolder = m_folder.Path() / "Careers" / "Otto" / "";
        career.PatrolCount = 2;
        testing::WriteText(paths.GameFolder / "data" / "Sea" / "EnglishNames.cfg",
                           "[Names]\r\nNLTanker=Tanker\r\nNCargo=Cargo ship\r\nNLargeT=Large Tanker\r\n"
                           "NTrawl=Trawler\r\nNCollier=Collier\r\nNLiner=Liner\r\n");
        // The submarine file renames a class in place and takes one away.
        testing::WriteText(paths.GameFolder / "data" / "Submarine" / "EnglishNames.cfg",
                           "[Names]\r\nNCargo=Freighter\r\nNLiner=\r\n");
        testing::WriteText(paths.ProgFolder / "Cfg" / "Ship names.cfg",
                           "[SETTINGS]\r\nRepeatWhenAllUsed=0\r\nAddText=1\r\n"
                           "[CLASSMAP]\r\nNLargeT=NLTanker\r\n"
                           "[TEXT]\r\nCargoTxt_en=Cargo:\r\nCrewTxt_en=Crew:\r\nCrewLostTxt_en=Lost:\r\n"
                           "CargoTyps_en=Oil, General cargo,Coal\r\n"
                           "[NLTanker]\r\nCargoTyp=1\r\nCrewRange=40|40\r\n0001=Esso Bolivar\r\n"
                           "[NCargo]\r\n0001=Alpha\r\n0002=Beta\r\n0003=Gamma\r\n"
                           "[NTrawl]\r\nCargoTyp=1\r\n"
                           "[NCollier]\r\nCargoTyp=7\r\n0001=Zeta\r\n"
                           "[NLiner]\r\n0001=Titanic\r\n");
    }

    std::filesystem::path LogFile(int n) const {
        return career.CareerFolder / ("Log_" + std::to_string(n) + ".cfg");
    }
    void Log(int n, const std::vector<std::string>& texts) const {
        std::string log;
        for (std::size_t k = 0; k < texts.size(); ++k) {
            log += "[Log Entry " + std::to_string(k) + "]\r\nDate=19410312\r\nEntryText=" + texts[k] + "\r\n";
        }
        testing::WriteText(LogFile(n), log);
    }
    std::string Text(int n, int k) const {
        return ProfileFile(LogFile(n)).ReadString("Log Entry " + std::to_string(k), "EntryText", "?");
    }
    std::vector<std::string> Run() {
        std::vector<std::string> notes;
        ApplyRealShipNames(paths, language, career, random, notes);
        return notes;
    }
    std::string UsedNames() const { return testing::ReadText(career.CareerFolder / "Used ship names.log"); }

    Paths paths;
    Language language;
    SelectedCareer career;
    Random random{7};

  private:
    testing::TempFolder m_folder;
};

bool Contains(const std::vector<std::string>& notes, std::string_view part) {
    for (const std::string& note : notes) {
        if (note.find(part) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// "<prefix>Crew: 40. Lost: <n>" with n from 0 to 40.
void ExpectCrew(const std::string& text, const std::string& prefix) {
    ASSERT_EQ(text.substr(0, prefix.size()), prefix) << text;
    const std::string lost = text.substr(prefix.size());
    ASSERT_FALSE(lost.empty()) << text;
    EXPECT_LE(std::stoi(lost), 40) << text;
}

TEST(RealShipNames, EachNameOnceAndASecondRunChangesNothing) {
    ShipWorld world;
    world.Log(0, {"Leaving port|Lorient", "Ship sunk! Tanker down|BF 42|Tanker", "Ship sunk!|BF 43|Freighter",
                  "Ship sunk!|BF 44|Large Tanker 9000 GRT", "Ship sunk!|BF 45|Trawler",
                  "Ship sunk!|BF 46|Collier", "Ship sunk!|BF 47|Liner", "Ship sunk!|BF 48|Cargo ship"});
    world.Log(1, {"Ship sunk!|CA 11|Tanker", "Ship sunk!|CA 12|Freighter", "Ship sunk!|CA 13|Freighter",
                  "Ship sunk!|CA 14|Freighter", "Ship sunk!|CA 15|Tanker. Cargo: Coal"});
    const std::vector<std::string> notes = world.Run();

    EXPECT_EQ(world.Text(0, 0), "Leaving port|Lorient");
    // The occurrence after the "|" is replaced, not the first one in the text.
    ExpectCrew(world.Text(0, 1),
               "Ship sunk! Tanker down|BF 42|Esso Bolivar (Tanker). Cargo: Oil. Crew: 40. Lost: ");
    // A class without a section of its own borrows the mapped one.
    ExpectCrew(world.Text(0, 3),
               "Ship sunk!|BF 44|Esso Bolivar (Large Tanker) 9000 GRT. Cargo: Oil. Crew: 40. Lost: ");
    // A class without names keeps its name and gets no figures.
    EXPECT_EQ(world.Text(0, 4), "Ship sunk!|BF 45|Trawler");
    EXPECT_TRUE(Contains(notes, "NTrawl has no ship names")) << notes.size();
    // A cargo type outside the list adds nothing.
    EXPECT_EQ(world.Text(0, 5), "Ship sunk!|BF 46|Zeta (Collier)");
    EXPECT_TRUE(Contains(notes, "cargo type \"7\""));
    // The class the submarine file took away, and the name it replaced, are no classes now.
    EXPECT_EQ(world.Text(0, 6), "Ship sunk!|BF 47|Liner");
    EXPECT_EQ(world.Text(0, 7), "Ship sunk!|BF 48|Cargo ship");

    // The one tanker name is used: the class name stays, with its figures.
    ExpectCrew(world.Text(1, 0), "Ship sunk!|CA 11|Tanker. Cargo: Oil. Crew: 40. Lost: ");
    // Three freighter names for four freighters, each given once; the fourth stays a freighter.
    std::set<std::string> freighters;
    for (int k = 1; k <= 3; ++k) {
        freighters.insert(world.Text(1, k).substr(std::string("Ship sunk!|CA 1x|").size()));
    }
    freighters.insert(world.Text(0, 2).substr(std::string("Ship sunk!|BF 43|").size()));
    EXPECT_EQ(freighters, (std::set<std::string>{"Alpha (Freighter)", "Beta (Freighter)", "Gamma (Freighter)",
                                                 "Freighter"}));
    // Figures already there are not added again.
    EXPECT_EQ(world.Text(1, 4), "Ship sunk!|CA 15|Tanker. Cargo: Coal");

    const std::vector<std::string> used = SplitLines(world.UsedNames());
    EXPECT_EQ(std::set<std::string>(used.begin(), used.end()),
              (std::set<std::string>{"Esso Bolivar (Tanker)", "Esso Bolivar (Large Tanker)", "Zeta (Collier)",
                                     "Alpha (Freighter)", "Beta (Freighter)", "Gamma (Freighter)"}));
    EXPECT_EQ(used.size(), 6u);

    // A second run finds every name in place: no file is written again.
    const std::string log0 = testing::ReadText(world.LogFile(0));
    const std::string log1 = testing::ReadText(world.LogFile(1));
    const std::string usedNames = world.UsedNames();
    const auto stamp = platform::StampOf(world.LogFile(0));
    world.Run();
    EXPECT_EQ(testing::ReadText(world.LogFile(0)), log0);
    EXPECT_EQ(testing::ReadText(world.LogFile(1)), log1);
    EXPECT_EQ(world.UsedNames(), usedNames);
    EXPECT_EQ(platform::StampOf(world.LogFile(0))->identity, stamp->identity);
}

TEST(RealShipNames, RepeatedNamesMissingFilesAndLabels) {
    ShipWorld world;
    world.career.PatrolCount = 1;
    const std::filesystem::path config = world.paths.ProgFolder / "Cfg" / "Ship names.cfg";
    // All names used, and the file allows them again: the name is given, but not logged twice.
    testing::WriteText(world.career.CareerFolder / "Used ship names.log", "Esso Bolivar (Tanker)");
    testing::WriteText(config,
                       "[SETTINGS]\r\nRepeatWhenAllUsed=1\r\nAddText=1\r\n"
                       "[TEXT]\r\nCrewTxt_en=Crew:\r\n[NLTanker]\r\nCargoTyp=1\r\n0001=Esso Bolivar\r\n"
                       "[NCargo]\r\nCrewRange=30\r\n0001=Alpha\r\n");
    world.Log(0, {"Ship sunk!|BF 42|Tanker", "Ship sunk!|BF 43|Freighter"});
    std::vector<std::string> notes = world.Run();
    EXPECT_EQ(world.Text(0, 0), "Ship sunk!|BF 42|Esso Bolivar (Tanker)");
    EXPECT_EQ(world.Text(0, 1), "Ship sunk!|BF 43|Alpha (Freighter)");
    // A log without a final line end gets one before the new name.
    EXPECT_EQ(world.UsedNames(), "Esso Bolivar (Tanker)\r\nAlpha (Freighter)\r\n");
    // Without labels, figures could not be recognised on the next run: none are added.
    EXPECT_TRUE(Contains(notes, "[TEXT] CargoTxt_en is missing"));
    EXPECT_TRUE(Contains(notes, "[NCargo] CrewRange holds \"30\""));

    // Without Ship names.cfg nothing changes, and the user is told.
    std::filesystem::remove(config);
    world.Log(0, {"Ship sunk!|BF 42|Tanker"});
    notes = world.Run();
    EXPECT_EQ(world.Text(0, 0), "Ship sunk!|BF 42|Tanker");
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("Ship names.cfg was not found"), std::string::npos) << notes[0];
}

}  // namespace
}  // namespace seewolf::reports
