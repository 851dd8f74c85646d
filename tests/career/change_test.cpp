#include "career/change.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>

#include "app/error.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/random.h"
#include "career/career.h"
#include "platform/files.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

namespace fs = std::filesystem;

TEST(BoatNumber, IsTheTextAfterTheFirstDash) {
    EXPECT_EQ(BoatNumberOf("U-47"), "47");
    EXPECT_EQ(BoatNumberOf("47"), "47");
    EXPECT_EQ(BoatNumberOf("U-A-5"), "A-5");
    EXPECT_EQ(BoatNumberOf("U-"), "");
}

// A career of our own in a temporary folder: patrol 2 is the current one; its saves go to 2/.
class ChangeApply : public ::testing::Test {
  protected:
    ChangeApply() {
        m_career.CareerFolder = platform::WithTrailingSeparator(m_temp.Path() / "Careers" / "Test");
        m_career.PatrolCount = 2;
        m_career.CareerStatus = CareerStatus::InBase;
        testing::WriteText(PatrolsFile(),
                           "[INIT]\r\nPatrols=2\r\n[PATROL 000]\r\nSubName=U-99\r\n"
                           "[PATROL 002]\r\nSubName=U-47\r\nPatrolArea=AN12\r\n");
    }
    fs::path PatrolsFile() const { return m_career.CareerFolder / "Patrols_0.cfg"; }
    fs::path SaveFolder() const { return m_career.CareerFolder / "2"; }
    std::string Read(const std::string& key) const {
        return ProfileFile(PatrolsFile()).ReadString("PATROL 002", key, "missing");
    }
    // A save and its companion, stamped `age` seconds into the past.
    void WriteSave(const std::string& sav, const std::string& psc, int age) const {
        testing::WriteText(SaveFolder() / sav, "save");
        testing::WriteText(SaveFolder() / psc, "[PLAYER_SUBMARINE]\r\nSubName=U-47\r\nPatrolArea=AN12\r\n");
        fs::last_write_time(SaveFolder() / sav, m_now - std::chrono::seconds(age));
    }
    std::string Area(const std::string& psc) const {
        return ProfileFile(SaveFolder() / psc).ReadString("PLAYER_SUBMARINE", "PatrolArea", "missing");
    }

    testing::TempFolder m_temp;
    Paths m_paths;
    SelectedCareer m_career;
    fs::file_time_type m_now = fs::file_time_type::clock::now();
};

TEST_F(ChangeApply, InBaseWritesTheCurrentPatrolOnly) {
    WriteSave("Auto.sav", "Auto.psc", 10);
    const std::string pscBefore = testing::ReadText(SaveFolder() / "Auto.psc");

    ApplyChange(m_paths, m_career, "552", "BF45");
    EXPECT_EQ(Read("SubName"), "U-552");
    EXPECT_EQ(Read("PatrolArea"), "BF45");
    EXPECT_EQ(ProfileFile(PatrolsFile()).ReadString("PATROL 000", "SubName", ""), "U-99");
    EXPECT_EQ(testing::ReadText(SaveFolder() / "Auto.psc"), pscBefore);
}

TEST_F(ChangeApply, BoatNameKeepsItsPrefix) {
    ProfileFile(PatrolsFile()).WriteString("PATROL 002", "SubName", "47");
    ApplyChange(m_paths, m_career, "552", "AN12");
    EXPECT_EQ(Read("SubName"), "552");

    ProfileFile(PatrolsFile()).WriteString("PATROL 002", "SubName", "UA-1-2");
    ApplyChange(m_paths, m_career, "7", "AN12");
    EXPECT_EQ(Read("SubName"), "UA-7");

    ProfileFile(PatrolsFile()).DeleteKey("PATROL 002", "SubName");
    ApplyChange(m_paths, m_career, "8", "AN12");
    EXPECT_EQ(Read("SubName"), "U-8");
}

TEST_F(ChangeApply, EmptyNumberOrGridWritesNothing) {
    WriteSave("Auto.sav", "Auto.psc", 10);
    m_career.CareerStatus = CareerStatus::AtSea;
    const std::string before = testing::ReadText(PatrolsFile());
    const std::string pscBefore = testing::ReadText(SaveFolder() / "Auto.psc");
    for (const auto& [number, grid] : {std::pair{"", "BF45"}, std::pair{"552", ""}}) {
        try {
            ApplyChange(m_paths, m_career, number, grid);
            ADD_FAILURE() << "no error for '" << number << "', '" << grid << "'";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), kInvalidDetails);
        }
    }
    EXPECT_EQ(testing::ReadText(PatrolsFile()), before);
    EXPECT_EQ(testing::ReadText(SaveFolder() / "Auto.psc"), pscBefore);
}

TEST_F(ChangeApply, AtSeaAlsoWritesTheNewestSave) {
    m_career.CareerStatus = CareerStatus::AtSea;
    WriteSave("Early.sav", "Early.psc", 300);
    WriteSave("Late.SAV", "LATE.PSC", 5);  // the extensions in any letter case
    WriteSave("Middle.sav", "Middle.psc", 100);
    // Neither a folder nor a file of another kind counts, however new.
    fs::create_directories(SaveFolder() / "Folder.sav");
    testing::WriteText(SaveFolder() / "Other.sav.bak", "x");
    testing::WriteText(SaveFolder() / "Other.psc", "[PLAYER_SUBMARINE]\r\nPatrolArea=AN12\r\n");
    const std::string earlyBefore = testing::ReadText(SaveFolder() / "Early.psc");

    ApplyChange(m_paths, m_career, "552", "CA33");
    EXPECT_EQ(Read("PatrolArea"), "CA33");
    EXPECT_EQ(Area("LATE.PSC"), "CA33");
    EXPECT_EQ(Area("Middle.psc"), "AN12");
    EXPECT_EQ(Area("Other.psc"), "AN12");
    EXPECT_EQ(testing::ReadText(SaveFolder() / "Early.psc"), earlyBefore);
}

TEST_F(ChangeApply, OfSavesWithEqualTimesTheOneListedLastIsTaken) {
    m_career.CareerStatus = CareerStatus::AtSea;
    WriteSave("One.sav", "One.psc", 50);
    WriteSave("Two.sav", "Two.psc", 50);
    WriteSave("Three.sav", "Three.psc", 50);
    std::string last;
    for (const platform::FolderEntry& entry : platform::ListFolder(SaveFolder())) {
        if (entry.name.ends_with(".sav")) {
            last = entry.name.substr(0, entry.name.size() - 4);
        }
    }
    ApplyChange(m_paths, m_career, "552", "CA33");
    for (const std::string name : {"One", "Two", "Three"}) {
        EXPECT_EQ(Area(name + ".psc"), name == last ? "CA33" : "AN12") << name;
    }
}

// Flotilla.cfg with the career's flotilla 701 at index 1 (and once more at index 2, which is
// never reached). Its dates: 1941 at j = 0 and j = 2, 1940 at j = 1.
constexpr std::string_view kGridFlotillas =
    "[FLOTILLA]\r\nNbFlotilla=3\r\n"
    "Flotilla0=700\r\nNbDate0=1\r\nDate00=1941\r\n"
    "Flotilla1=701\r\nNbDate1=3\r\nDate10=1941\r\nDate11=1940\r\nDate12=1941\r\n"
    "Flotilla2=701\r\nNbDate2=1\r\nDate20=1941\r\n";

std::string GridKeys(std::string_view month, std::string_view ij, std::string_view valuePrefix) {
    std::string text;
    for (int a = 0; a < 5; ++a) {
        for (int b = 0; b < 7; ++b) {
            const std::string ab = std::to_string(a) + std::to_string(b);
            text += std::string(month) + std::string(ij) + ab + "=" + std::string(valuePrefix) +
                    std::string(ij) + ab + "\r\n";
        }
    }
    return text;
}

class RandomGrid : public ::testing::Test {
  protected:
    RandomGrid() {
        m_career.FlotillaNb = "701";
        m_career.StartDateText = "19410315";
        // Keys beyond the drawn ranges (a up to 4, b up to 6) would show up if the ranges were wrong.
        WriteFlotillas(std::string(kGridFlotillas) + GridKeys("March", "10", "K") +
                       GridKeys("March", "12", "M") + GridKeys("March", "20", "X") +
                       GridKeys("Mar", "12", "Y") + GridKeys("Jan", "12", "J"));
    }
    void WriteFlotillas(const std::string& text) const {
        const fs::path file = m_world.GetPaths().Game("data\\Cfg\\Flotilla.cfg");
        testing::WriteText(file, text);
        // The writer reports no failure: a table left as the demo wrote it would draw other grids.
        EXPECT_EQ(testing::ReadText(file), text) << "could not write " << file;
    }
    std::optional<std::string> Draw(Random& random) const {
        return RandomPatrolGrid(m_world.GetPaths(), m_career, random);
    }

    testing::TempWorld m_world;
    SelectedCareer m_career;
};

TEST_F(RandomGrid, LastMatchingDateDecidesAndDigitsStayInRange) {
    Random random(7);
    std::set<std::string> seen;
    for (int n = 0; n < 400; ++n) {
        const auto grid = Draw(random);
        ASSERT_TRUE(grid);
        seen.insert(*grid);
    }
    std::set<std::string> expected;
    for (int a = 0; a < 3; ++a) {
        for (int b = 0; b < 5; ++b) {
            expected.insert("M12" + std::to_string(a) + std::to_string(b));
        }
    }
    EXPECT_EQ(seen, expected);

    // January, the first month of the table, draws from its own keys.
    m_career.StartDateText = "19410115";
    EXPECT_TRUE(Draw(random).value_or("").starts_with("J12"));
}

TEST_F(RandomGrid, EveryMatchingDateDraws) {
    // Both 1941 dates draw a pair; the grid is the second pair's.
    Random random(11);
    Random twin(11);
    for (int n = 0; n < 20; ++n) {
        twin.Next(3);
        twin.Next(5);
        const int a = twin.Next(3);
        const int b = twin.Next(5);
        EXPECT_EQ(Draw(random), "M12" + std::to_string(a) + std::to_string(b));
    }
}

TEST_F(RandomGrid, NothingWithoutFlotillaOrYear) {
    Random random(1);
    m_career.FlotillaNb = "702";
    EXPECT_EQ(Draw(random), std::nullopt);

    m_career.FlotillaNb = "701";
    m_career.StartDateText = "19390901";
    EXPECT_EQ(Draw(random), std::nullopt);

    // A month without keys gives the game files' missing-value text.
    m_career.StartDateText = "19410410";
    EXPECT_EQ(Draw(random), "Error!");

    WriteFlotillas(
        "[FLOTILLA]\r\nNbFlotilla=2\r\nFlotilla0=700\r\nFlotilla1=701\r\nNbDate1=0\r\nDate10=1941\r\n"
        "March1000=AN11\r\n");
    m_career.StartDateText = "19410315";
    EXPECT_EQ(Draw(random), std::nullopt);
}

TEST(BoatNumbers, FilterChoosesTheFlotillaOrAll) {
    testing::TempWorld world;
    testing::WriteText(world.GetPaths().Prog("Cfg\\U-boat numbers.cfg"),
                       "[VIIC]\r\n701=552, 553 ,554\r\nALL=1,2,552\r\n[IXB]\r\nALL=100\r\n");
    SelectedCareer career;
    career.SubTypeName = "VIIC";
    career.FlotillaNb = "701";
    using Strings = std::vector<std::string>;
    EXPECT_EQ(BoatNumberList(world.GetPaths(), career, true), (Strings{"552", "553", "554"}));
    EXPECT_EQ(BoatNumberList(world.GetPaths(), career, false), (Strings{"1", "2", "552"}));
    career.SubTypeName = "IXB";
    EXPECT_EQ(BoatNumberList(world.GetPaths(), career, true), Strings{});
    EXPECT_EQ(BoatNumberList(world.GetPaths(), career, false), Strings{"100"});
}

}  // namespace
}  // namespace seewolf
