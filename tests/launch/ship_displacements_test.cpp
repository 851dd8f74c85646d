#include "launch/ship_displacements.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>

#include "app/error.h"
#include "app/profile_file.h"
#include "app/random.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;
using testing::WriteText;

class ShipDisplacements : public ::testing::Test {
  protected:
    testing::TempWorld world;
    const Paths& paths = world.GetPaths();
    Random random{19390901};

    void Rules(std::string_view text) const { WriteText(paths.Prog("Cfg\\Ship displacements.cfg"), text); }
    fs::path ShipFile(std::string_view ship, std::string_view suffix = ".cfg") const {
        return paths.GameFolder / "data" / "Sea" / ship / (std::string(ship) + std::string(suffix));
    }
    void Ship(std::string_view ship, int displacement = 1000, int renown = 700) const {
        WriteText(ShipFile(ship), "[Unit]\r\nDisplacement=" + std::to_string(displacement) +
                                      "\r\nRenownAwarded=" + std::to_string(renown) + "\r\nMaxSpeed=20\r\n");
    }
    int Value(std::string_view ship, std::string_view key) const {
        return ProfileFile(ShipFile(ship)).ReadInteger("Unit", key, -99);
    }
    // Every value that `ship`'s displacement takes in `runs` launches.
    std::set<int> Displacements(std::string_view ship, std::string_view date, int runs) {
        std::set<int> seen;
        for (int i = 0; i < runs; ++i) {
            (void)RandomiseTonnage(paths, date, random);
            seen.insert(Value(ship, "Displacement"));
        }
        return seen;
    }
};

TEST_F(ShipDisplacements, DrawsMultiplesOfThePrecisionInTheBandScaledByTheYear) {
    // The shipped rules: a large tanker of 10500 tons in 1939, 0.9 to 1.2, in steps of 50.
    Ship("Large_Tanker");
    for (const int d : Displacements("Large_Tanker", "19390901", 20)) {
        EXPECT_TRUE(d >= 9450 && d <= 12600 && d % 50 == 0) << d;
    }

    Ship("Freighter");
    Rules(
        "[SETTINGS]\r\nDispPrecision=100\r\nRenownAwardedEqualsRandomTonnage=1\r\n"
        "[DEFAULTS]\r\nUpperDisp=1.1\r\nLowerDisp=0.9\r\nYearlyDispAdjust=1.02\r\n"
        "[Freighter]\r\nDisplacement=5000\r\n");
    // 1939: the factor is 1 whatever the yearly adjustment.
    std::set<int> hundreds;
    for (int d = 4500; d <= 5500; d += 100) {
        hundreds.insert(d);
    }
    EXPECT_EQ(Displacements("Freighter", "19391215", 120), hundreds);
    EXPECT_EQ(Value("Freighter", "RenownAwarded"), Value("Freighter", "Displacement"));
    EXPECT_EQ(ProfileFile(ShipFile("Freighter")).ReadString("Unit", "MaxSpeed", ""), "20");

    // Precision 1 gives every whole number; 1.02^3 in 1942 scales 5000 to 5306.04.
    Rules(
        "[DEFAULTS]\r\nUpperDisp=1.001\r\nLowerDisp=0.999\r\nYearlyDispAdjust=1.02\r\n"
        "[Freighter]\r\nDisplacement=5000\r\nRenownAwarded=1000\r\n");
    std::set<int> all;
    for (int d = 5301; d <= 5311; ++d) {
        all.insert(d);
    }
    EXPECT_EQ(Displacements("Freighter", "19420301", 120), all);
    EXPECT_EQ(Value("Freighter", "RenownAwarded"), 1061);

    // Single precision: 30 x 1.05 is 31.499998 there (31), exactly 31.5 in double (32).
    Rules("[Freighter]\r\nDisplacement=30\r\nUpperDisp=1.05\r\nLowerDisp=1.05\r\n");
    EXPECT_EQ(Displacements("Freighter", "19400101", 5), std::set<int>{31});
}

TEST_F(ShipDisplacements, WritesOnlyExistingFilesOfListedShipsAndBacksThemUp) {
    Ship("Tanker", 8000, 900);
    Ship("Trawler", 300, 50);
    Ship("Collier", 2000, 400);
    WriteText(ShipFile("Tanker", "_ge.log"), "[MUSEUM]\r\nText=Alt\r\n");
    WriteText(ShipFile("Tanker", "_fr.log"), "[MUSEUM]\r\nText=Vieux\r\n");
    WriteText(ShipFile("Trawler", "_en.log"), "[MUSEUM]\r\nText=Old\r\n");
    const std::string collier = ReadText(ShipFile("Collier"));
    const std::string trawlerText = ReadText(ShipFile("Trawler", "_en.log"));
    const std::string tankerFr = ReadText(ShipFile("Tanker", "_fr.log"));
    Rules(
        "[Tanker]\r\nDisplacement=9000\r\nen_Text=Tanker\r\nge_Text=Tankschiff \"Typ T\"\r\nfr_Text=\r\n"
        "[Trawler]\r\nDisplacement=310\r\n"
        "[Gone]\r\nDisplacement=10\r\n[..\\Cfg]\r\nDisplacement=1\r\n"
        "[Collier]\r\nen_Text=Kohlenschiff\r\n");
    const TonnageResult result = RandomiseTonnage(paths, "19410101", random);

    EXPECT_EQ(result.shipsChanged, 2);
    EXPECT_EQ(Value("Tanker", "Displacement"), 9000);
    EXPECT_EQ(Value("Tanker", "RenownAwarded"), 900);  // no renown of its own: the game's stays
    EXPECT_EQ(ProfileFile(ShipFile("Tanker", "_ge.log")).ReadString("MUSEUM", "Text", ""),
              "Tankschiff \"Typ T\"");
    EXPECT_EQ(ReadText(ShipFile("Tanker", "_fr.log")), tankerFr);  // empty text: left alone
    EXPECT_FALSE(fs::exists(ShipFile("Tanker", "_en.log")));       // never created
    EXPECT_EQ(Value("Trawler", "Displacement"), 310);
    EXPECT_EQ(ReadText(ShipFile("Trawler", "_en.log")), trawlerText);  // a ship without texts: its .cfg only
    // Without a displacement of its own a ship keeps the game's; it has no museum file to write.
    EXPECT_EQ(ReadText(ShipFile("Collier")), collier);

    const fs::path backup = paths.BackupFolder / "data" / "Sea";
    EXPECT_TRUE(fs::exists(backup / "Tanker" / "Tanker.cfg"));
    EXPECT_TRUE(fs::exists(backup / "Tanker" / "Tanker_ge.log"));
    EXPECT_FALSE(fs::exists(backup / "Tanker" / "Tanker_fr.log"));
    EXPECT_FALSE(fs::exists(backup / "Collier"));
    ASSERT_EQ(result.notes.size(), 2u);
    EXPECT_NE(result.notes[0].find("[Gone]"), std::string::npos) << result.notes[0];
    EXPECT_NE(result.notes[1].find("not the name of one folder"), std::string::npos) << result.notes[1];
}

TEST_F(ShipDisplacements, RuleFileValuesNeverDivideByZeroOverflowOrDamageTheShip) {
    Ship("Liner", 40000, 2000);
    const std::string liner = ReadText(ShipFile("Liner"));
    const auto failsNaming = [&](std::string_view rules, std::string_view named) {
        Rules(rules);
        try {
            (void)RandomiseTonnage(paths, "19420101", random);
            ADD_FAILURE() << "no error for " << rules;
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(named), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("Ship displacements.cfg"), std::string::npos) << e.what();
        }
        EXPECT_EQ(ReadText(ShipFile("Liner")), liner);
    };
    failsNaming("[SETTINGS]\r\nDispPrecision=0\r\n[Liner]\r\nDisplacement=1\r\n", "[SETTINGS] DispPrecision");
    failsNaming("[Liner]\r\nDisplacement=4e4\r\n", "[Liner] Displacement");
    failsNaming("[SETTINGS]\r\nRenownAwardedEqualsRandomTonnage=true\r\n",
                "RenownAwardedEqualsRandomTonnage");
    failsNaming("[DEFAULTS]\r\nUpperDisp=1,1\r\n[Liner]\r\nDisplacement=1\r\n", "[DEFAULTS] UpperDisp");
    failsNaming("[Liner]\r\nDisplacement=2000000000\r\nUpperDisp=2\r\n", "[Liner]");
    failsNaming("[Liner]\r\nDisplacement=1000\r\nRenownAwarded=1000\r\nYearlyDispAdjust=1e30\r\n", "[Liner]");

    // Bounds the wrong way round (44500 and 44400): the lower one, brought down to the precision.
    Rules(
        "[SETTINGS]\r\nDispPrecision=1000\r\n"
        "[Liner]\r\nDisplacement=40000\r\nUpperDisp=1.11\r\nLowerDisp=1.1125\r\n");
    EXPECT_EQ(Displacements("Liner", "19390901", 10), std::set<int>{44000});

    // A span wider than int is drawn whole, in both halves.
    Rules("[Liner]\r\nDisplacement=2000000000\r\nLowerDisp=-1\r\n");
    const std::set<int> wide = Displacements("Liner", "19390901", 40);
    EXPECT_LT(*wide.begin(), 0);
    EXPECT_GT(*wide.rbegin(), 0);

    // A yearly factor below 1 does not turn a missing renown into -1 or 0.
    Rules("[Liner]\r\nDisplacement=40000\r\nYearlyDispAdjust=0.9\r\n");
    (void)RandomiseTonnage(paths, "19430101", random);
    EXPECT_EQ(Value("Liner", "RenownAwarded"), 2000);
    EXPECT_EQ(Value("Liner", "Displacement"), 26244);  // 40000 x 0.9^4
}

}  // namespace
}  // namespace seewolf
