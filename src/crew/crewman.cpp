#include "crew/crewman.h"

#include "career/career.h"
#include "platform/files.h"

namespace seewolf::crew {

std::filesystem::path CrewFile(const SelectedCareer& career) {
    return platform::Resolve(career.CareerFolder,
                             "Crew_Career_" + std::to_string(career.PatrolCount) + "0.cfg");
}

std::string SlotSection(int slot) {
    return "CREW_MEMBER_" + std::to_string(slot);
}

GradeClass ClassOfGrade(int grade) {
    if (grade >= 0 && grade <= 2) {
        return GradeClass::Seaman;
    }
    if (grade >= 3 && grade <= 5) {
        return GradeClass::PettyOfficer;
    }
    if (grade >= 6 && grade <= 8) {
        return GradeClass::Officer;
    }
    return GradeClass::None;
}

int LowestGrade(GradeClass gradeClass) {
    switch (gradeClass) {
        case GradeClass::PettyOfficer:
            return 3;
        case GradeClass::Officer:
            return 6;
        default:
            return 0;
    }
}

bool HasCompartment8(int subTypeNb) {
    return subTypeNb == 1 || subTypeNb == 2;
}

namespace {

// Index, HeadIdx and helmet of each face number, in the order of kFaceNumbers.
constexpr std::array<FaceKeys, 12> kFaceKeys = {{
    {12, 0, false},
    {13, 0, true},
    {14, 0, false},
    {3, 0, true},
    {16, 1, false},
    {5, 1, true},
    {18, 1, false},
    {19, 1, true},
    {8, 2, false},
    {9, 2, true},
    {22, 2, false},
    {11, 2, true},
}};

}  // namespace

FaceKeys FaceKeysOf(int faceNumber) {
    for (std::size_t i = 0; i < kFaceNumbers.size(); ++i) {
        if (kFaceNumbers[i] == faceNumber) {
            return kFaceKeys[i];
        }
    }
    return {};
}

std::optional<int> FaceOfIndex(int index) {
    if (index < 0 || index > 23) {
        return std::nullopt;
    }
    return kFaceNumbers[static_cast<std::size_t>(index % 12)];
}

}  // namespace seewolf::crew
