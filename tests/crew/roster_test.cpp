#include "crew/roster.h"

#include <climits>
#include <gtest/gtest.h>

#include "app/error.h"
#include "app/language.h"
#include "app/profile_file.h"
#include "support/temp_world.h"

namespace seewolf::crew {
namespace {

namespace fs = std::filesystem;

std::string Slot(int slot, std::string_view keys) {
    return "[" + SlotSection(slot) + "]\r\n" + std::string(keys);
}

// A Type II roster with officers in the wrong slots 1, 10 and 11, and only slots 3 and 7 free among
// the officer slots 0 and 2 to 9 (slot 3 with NrComp -1, slot 7 without the key).
std::string MisplacedOfficers() {
    return "; kept as it is\r\n" + Slot(0, "Name=Zero\r\nGrad=8\r\nNrComp=5\r\n") +
           Slot(1,
                "Name=One\r\nGrad=7\r\nQualification0=3\r\nNrQual=1\r\nUnknownKey = "
                "\"kept\"\r\nNrComp=3\r\n") +
           Slot(2, "Name=Two\r\nNrComp=2\r\n") +
           Slot(3, "Name=Old Three\r\nQualification2=4\r\nOnlyInTarget=1\r\nNrComp=-1\r\n") +
           Slot(4, "NrComp=2\r\n") + Slot(5, "NrComp=3\r\n") + Slot(6, "NrComp=4\r\n") +
           Slot(7, "Name=Old Seven\r\n; a remark\r\n") + Slot(8, "NrComp=6\r\n") + Slot(9, "NrComp=7\r\n") +
           Slot(10, "Name=Ten\r\nGrad=6\r\nNrComp=8\r\n") +
           Slot(11, "Name=Eleven\r\nGrad=6\r\nNrComp=1\r\n") +
           Slot(50, "Name=Aft\r\nGrad=1\r\nNrComp=8\r\n") + "[OTHER]\r\nA=1\r\n";
}

std::vector<ProfileLine> Lines(const fs::path& file, int slot) {
    return SectionLines(ProfileFile(file), SlotSection(slot));
}

TEST(Roster, OfficersMoveToTheFreeOfficerSlotsOnATypeII) {
    testing::TempFolder temp;
    const fs::path file = temp.Path() / "Crew_Career_30.cfg";
    testing::WriteText(file, MisplacedOfficers());
    const std::vector<ProfileLine> one = Lines(file, 1);

    const OfficerCleanup done = CleanseOfficerComps(file, 0);
    EXPECT_EQ(done.moved, (std::vector<int>{1, 10}));
    EXPECT_EQ(done.leftMisplaced, (std::vector<int>{11}));  // no free slot was left for him
    EXPECT_EQ(done.compartmentsSet, 1);

    const ProfileFile roster(file);
    EXPECT_EQ(roster.ReadInteger("CREW_MEMBER_0", "NrComp", -1), 0);  // compartment 5 rewritten in place
    EXPECT_EQ(roster.ReadInteger("CREW_MEMBER_5", "NrComp", -1), 3);
    // Slot 1's officer is in slot 3 with compartment 2, every key copied as stored; nothing of the
    // old slot 3 stays.
    std::vector<ProfileLine> three = Lines(file, 3);
    ASSERT_EQ(three.size(), one.size());
    for (std::size_t i = 0; i < one.size(); ++i) {
        EXPECT_EQ(three[i].key, one[i].key);
        EXPECT_EQ(three[i].value, one[i].key == "NrComp" ? "2" : one[i].value);
    }
    EXPECT_FALSE(roster.FindString("CREW_MEMBER_3", "Qualification2"));
    EXPECT_FALSE(roster.FindString("CREW_MEMBER_3", "OnlyInTarget"));
    EXPECT_NE(testing::ReadText(file).find("UnknownKey=\"kept\""), std::string::npos);
    EXPECT_EQ(roster.ReadString("CREW_MEMBER_7", "Name", ""), "Ten");
    EXPECT_EQ(roster.ReadInteger("CREW_MEMBER_7", "NrComp", -1), 5);
    // The sources are empty slots that keep their other keys; slot 11 stays as it was.
    EXPECT_EQ(roster.ReadInteger("CREW_MEMBER_1", "NrComp", 0), -1);
    EXPECT_EQ(roster.ReadString("CREW_MEMBER_1", "Name", ""), "One");
    EXPECT_EQ(roster.ReadInteger("CREW_MEMBER_10", "NrComp", 0), -1);
    EXPECT_EQ(roster.ReadInteger("CREW_MEMBER_11", "NrComp", -1), 1);
    const std::string text = testing::ReadText(file);
    EXPECT_EQ(text.rfind("; kept as it is\r\n", 0), 0u);
    EXPECT_NE(text.find("; a remark\r\n"), std::string::npos);
    EXPECT_NE(text.find("[OTHER]\r\nA=1\r\n"), std::string::npos);

    // Read back: occupied slots in ascending order; the man in compartment 8 only counts on a boat
    // that has one.
    std::vector<int> slots;
    for (const Crewman& c : ReadRoster(file, 0)) {
        slots.push_back(c.slot);
    }
    EXPECT_EQ(slots, (std::vector<int>{0, 2, 3, 4, 5, 6, 7, 8, 9, 11}));
    EXPECT_EQ(ReadRoster(file, 1).back().slot, 50);

    // Run again: nothing left to do but the officer without a place, and nothing is written.
    const auto stamp = fs::last_write_time(file);
    const OfficerCleanup again = CleanseOfficerComps(file, 0);
    EXPECT_TRUE(again.moved.empty());
    EXPECT_EQ(again.compartmentsSet, 0);
    EXPECT_EQ(fs::last_write_time(file), stamp);
}

TEST(Roster, OnATypeVIISlot10IsAnOfficerSlotAndMissingRostersAreLeftAlone) {
    testing::TempFolder temp;
    const fs::path file = temp.Path() / "Crew_Career_30.cfg";
    testing::WriteText(file, MisplacedOfficers());
    const OfficerCleanup done = CleanseOfficerComps(file, 1);
    EXPECT_EQ(done.moved, (std::vector<int>{1, 11}));
    EXPECT_EQ(ProfileFile(file).ReadInteger("CREW_MEMBER_10", "NrComp", -1), 8);
    EXPECT_EQ(ProfileFile(file).ReadString("CREW_MEMBER_7", "Name", ""), "Eleven");

    const fs::path missing = temp.Path() / "Crew_Career_40.cfg";
    EXPECT_TRUE(ReadRoster(missing, 1).empty());
    EXPECT_TRUE(CleanseOfficerComps(missing, 0).moved.empty());
    EXPECT_FALSE(fs::exists(missing));  // never created
    EXPECT_THROW(RequireRoster(missing), Error);
}

TEST(Roster, MissingKeysTakeTheReadersDefaultsAndOnlyNrQualQualificationsCount) {
    testing::TempFolder temp;
    const fs::path file = temp.Path() / "roster.cfg";
    testing::WriteText(file,
                       Slot(0, "NrComp=0\r\n") + Slot(1, "NrComp = 0\r\nNrQual=0\r\nQualification0=4\r\n") +
                           Slot(2,
                                "NrComp=3\r\nNrQual=7\r\nQualification0=1\r\nQualification1=2\r\n"
                                "Qualification2=3\r\nMedalsInx7=7\r\nMedalsInx2=-1\r\nExperience=12.5\r\n"
                                "HasHelmet=Yes\r\n") +
                           Slot(3, "Name=Gone\r\n") + Slot(4, "Name=Gone\r\nNrComp=-1\r\n"));
    const std::vector<Crewman> crew = ReadRoster(file, 1);
    ASSERT_EQ(crew.size(), 3u);
    const Crewman& bare = crew[0];
    EXPECT_EQ(bare.name, "Error!");
    EXPECT_EQ(bare.grade, 0);
    EXPECT_EQ(bare.index, -1);
    EXPECT_EQ(bare.nrQual, -1);
    EXPECT_TRUE(bare.Qualifications().empty());
    EXPECT_FALSE(bare.Holds(0));
    EXPECT_TRUE(crew[1].Qualifications().empty());  // a stale Qualification0 with NrQual 0
    EXPECT_EQ(crew[2].Qualifications(), (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(crew[2].Holds(7));
    EXPECT_FALSE(crew[2].Holds(2));
    EXPECT_FALSE(crew[2].Holds(9));
    EXPECT_DOUBLE_EQ(crew[2].experience, 12.5);
    EXPECT_TRUE(crew[2].hasHelmet);
}

TEST(Roster, NamesComeFromTheMenuTableAndNumbersOutOfRangeNameNothingElse) {
    testing::TempWorld world;
    const TextTable menu = MenuTable(world.GetPaths(), ChooseLanguage(world.GetPaths()));
    EXPECT_EQ(RankText(menu, 3), "Maat ; Petty Officer");
    EXPECT_EQ(ShortRankText(menu, 3), "Maat");
    EXPECT_EQ(QualificationText(menu, 8), "Medical care");
    EXPECT_EQ(CompartmentText(menu, 0), "Bridge");
    EXPECT_NE(CompartmentText(menu, 8), kUnknownText);  // the last compartment has its name
    EXPECT_EQ(HealthText(menu, 1), "Wounded");
    // 360 + 3 and 365 + 9 are other texts of the table; 636 - 1 and 160 + INT_MAX are no texts.
    for (const int bad : {-1, 9, INT_MAX, INT_MIN}) {
        EXPECT_EQ(RankText(menu, bad), kUnknownText) << bad;
        EXPECT_EQ(AwardText(menu, bad), kUnknownText) << bad;
        EXPECT_FALSE(QualificationText(menu, bad)) << bad;
        EXPECT_EQ(CompartmentText(menu, bad), kUnknownText) << bad;
        EXPECT_EQ(HealthText(menu, bad), kUnknownText) << bad;
    }
    EXPECT_EQ(HealthText(menu, 3), kUnknownText);
}

}  // namespace
}  // namespace seewolf::crew
