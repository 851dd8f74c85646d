#pragma once

// The crew roster of a career as the crew code reads it: its crewmen, read in one pass over one
// parsed copy of the file; the names the game's menu table gives grades, awards, qualifications,
// compartments and health states; and the clean-up of the officer slots.

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "crew/crewman.h"

namespace seewolf {

class ProfileEdit;
class TextTable;

namespace crew {

// One crewman section as read, each missing key (or one that is no number) taking the readers'
// default. The flags Medal0 to Medal7 and Qual0 to Qual8 and SpecialAbility are never read.
struct Crewman {
    int slot = -1;  // the digits of CREW_MEMBER_<slot>: the crewman's identity
    std::string name = "Error!";
    int index = -1;  // body and face (FaceOfIndex)
    int grade = 0;   // Grad
    double renown = 0.0;
    int patrols = 0;
    double morale = 0.0;
    double fatigue = 0.0;
    int healthStatus = 0;
    bool wasWounded = false;
    double hitPoints = 0.0;
    double experience = 0.0;
    int nrQual = -1;  // a missing NrQual: no qualifications
    std::array<int, kMaxQualificationsHeld> qualification = {-1, -1, -1};
    std::array<int, kAwardCount> medalsInx = {-1, -1, -1, -1, -1, -1, -1, -1, -1};
    int type = 0;
    int headIdx = 0;
    bool hasHelmet = false;
    int voiceIdx = 0;
    bool prom = false;
    int nrComp = -1;

    // Award 0 to 8 is held when its MedalsInx key is 0 or more; any other number is not held.
    bool Holds(int award) const;
    // The qualifications that count: the first NrQual (at most three) keys, each value as stored
    // (a value outside 0 to 8 names no qualification).
    std::vector<int> Qualifications() const;
};

// Reads the crewman of one slot from a parsed roster (occupied or not).
Crewman ReadCrewman(const ProfileEdit& roster, int slot);

// A slot is occupied when its NrComp is 0 or more; a missing section or key is an empty slot.
bool IsOccupied(const ProfileEdit& roster, int slot);

// The crewmen of the occupied slots in ascending slot order, without those in compartment 8 on a
// boat type that has none (their slots stay occupied in the file).
std::vector<Crewman> ListCrewmen(const ProfileEdit& roster, int subTypeNb);

// The same from the roster file, parsed once. A missing file has no crewmen; a file that is there
// but cannot be read throws Error.
std::vector<Crewman> ReadRoster(const std::filesystem::path& rosterFile, int subTypeNb);

// The names of the game's menu table for the crew. A number the table has no name for gives
// "Unknown" (qualifications: nothing), so that no number read from a file picks another text.
std::string RankText(const TextTable& menu, int grade);  // 160 + grade, full text, "Error!" missing
// The rank name as put into a sentence: cut before its first ";" and trimmed.
std::string ShortRankText(const TextTable& menu, int grade);
std::string AwardText(const TextTable& menu, int award);                                 // 330 + award
std::optional<std::string> QualificationText(const TextTable& menu, int qualification);  // 365 + q
std::string CompartmentText(const TextTable& menu, int nrComp);   // 636 + NrComp, 0 to 8
std::string HealthText(const TextTable& menu, int healthStatus);  // 360 + HealthStatus, 0 to 2

inline constexpr const char* kUnknownText = "Unknown";

// What CleanseOfficerComps did.
struct OfficerCleanup {
    int compartmentsSet = 0;         // officer slots given their own compartment in place
    std::vector<int> moved;          // the slots whose officer moved to a free officer slot
    std::vector<int> leftMisplaced;  // officers left where they are: no free officer slot
};

// Puts the officers back into the officer slots the game expects (slots 0 to 11, by NrComp only):
// an officer slot holding a wrong compartment gets its own; the officers of slot 1, of slot 10 on
// a boat without compartment 8 and of slot 11 move, in that order, to the free officer slots in
// ascending order, each moved section replacing the whole target section and leaving its own slot empty.
// One batched edit, written once. A missing roster is left alone (nothing is read, nothing is
// written); a roster that cannot be read or written throws Error.
OfficerCleanup CleanseOfficerComps(const std::filesystem::path& rosterFile, int subTypeNb);

// Throws Error when the roster file is missing: a roster is never created.
void RequireRoster(const std::filesystem::path& rosterFile);

}  // namespace crew
}  // namespace seewolf
