#include "crew/crewman.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "career/career.h"
#include "support/temp_world.h"

namespace seewolf::crew {
namespace {

TEST(Crewman, RosterFileNameTakesTheCountAndAFixedZero) {
    testing::TempFolder temp;
    SelectedCareer career;
    career.CareerFolder = temp.Path() / "";
    career.PatrolCount = 0;
    EXPECT_EQ(CrewFile(career).filename(), "Crew_Career_00.cfg");
    career.PatrolCount = 10;
    EXPECT_EQ(CrewFile(career).filename(), "Crew_Career_100.cfg");
    // A file in the game's own spelling is the one used (Linux matches the letter case; Windows
    // ignores it itself).
    testing::WriteText(temp.Path() / "CREW_CAREER_100.CFG", "");
    EXPECT_TRUE(std::filesystem::equivalent(CrewFile(career), temp.Path() / "CREW_CAREER_100.CFG"));
}

TEST(Crewman, FacesReadBackFromTheirIndexInBothHalves) {
    for (const int face : kFaceNumbers) {
        const FaceKeys keys = FaceKeysOf(face);
        EXPECT_EQ(FaceOfIndex(keys.index), face) << face;
        EXPECT_EQ(FaceOfIndex((keys.index + 12) % 24), face) << face;
        EXPECT_EQ(keys.headIdx, face / 10 - 1) << face;
    }
    EXPECT_EQ(FaceKeysOf(14).index, 3);
    EXPECT_TRUE(FaceKeysOf(14).hasHelmet);
    EXPECT_EQ(FaceKeysOf(15).index, 0);
    EXPECT_FALSE(FaceOfIndex(24));
    EXPECT_FALSE(FaceOfIndex(-1));
    EXPECT_EQ(ClassOfGrade(2), GradeClass::Seaman);
    EXPECT_EQ(ClassOfGrade(3), GradeClass::PettyOfficer);
    EXPECT_EQ(ClassOfGrade(5), GradeClass::PettyOfficer);
    EXPECT_EQ(ClassOfGrade(6), GradeClass::Officer);
    EXPECT_EQ(ClassOfGrade(8), GradeClass::Officer);
    EXPECT_EQ(ClassOfGrade(9), GradeClass::None);
    EXPECT_EQ(ClassOfGrade(-1), GradeClass::None);
}

}  // namespace
}  // namespace seewolf::crew
