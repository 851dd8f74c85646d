#pragma once

// What every part of the crew code shares about a career's crew roster: the file, its slots, the
// grade classes, the award dates and the faces of officers.

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace seewolf {

struct SelectedCareer;

namespace crew {

// Slots CREW_MEMBER_0 to CREW_MEMBER_120; slots 0 to 11 are the officer slots.
inline constexpr int kSlotCount = 121;
inline constexpr int kOfficerSlotCount = 12;
inline constexpr int kGradeCount = 9;
inline constexpr int kAwardCount = 9;
inline constexpr int kQualificationCount = 9;
inline constexpr int kMaxQualificationsHeld = 3;

// The roster of the career as it stands now: career folder + "Crew_Career_" + PatrolCount + "0.cfg"
// (the name resolved without regard to case, as the game's files are on Wine).
std::filesystem::path CrewFile(const SelectedCareer& career);

// "CREW_MEMBER_" + slot.
std::string SlotSection(int slot);

enum class GradeClass { Seaman, PettyOfficer, Officer, None };

// Grades 0 to 2 are seamen, 3 to 5 petty officers, 6 to 8 officers; any other grade has no class.
GradeClass ClassOfGrade(int grade);

// The lowest grade of a class (0, 3 or 6); the class must not be None.
int LowestGrade(GradeClass gradeClass);

// Compartment 8 exists only on boat types 1 (Type VII) and 2 (Type IX); a crewman assigned to it
// on another type is left out of the crew list and the transfers.
bool HasCompartment8(int subTypeNb);

// The days from which awards can be held, compared as "yyyymmdd" texts with the career's date.
inline constexpr std::string_view kWarBadgeDate = "19391013";     // award 7
inline constexpr std::string_view kGermanCrossDate = "19410928";  // award 2
inline constexpr std::string_view kFrontClaspDate = "19440515";   // award 6

// An officer's face as the roster stores it.
struct FaceKeys {
    int index = 0;
    int headIdx = 0;
    bool hasHelmet = false;
};

// The twelve face numbers: tens digit = HeadIdx + 1, units digit = variant 1 to 4.
inline constexpr std::array<int, 12> kFaceNumbers = {11, 12, 13, 14, 21, 22, 23, 24, 31, 32, 33, 34};

// The keys of a face number; any number that is no face gives Index 0, HeadIdx 0, no helmet.
FaceKeys FaceKeysOf(int faceNumber);

// The face number that an Index shows: n and n + 12 (n from 0 to 11) are one face. Nothing for an
// Index outside 0 to 23.
std::optional<int> FaceOfIndex(int index);

}  // namespace crew
}  // namespace seewolf
