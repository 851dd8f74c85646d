#include "crew/roster.h"

#include <algorithm>

#include "app/error.h"
#include "app/language.h"
#include "app/numbers.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/text.h"
#include "platform/files.h"

namespace seewolf::crew {

namespace {

template <typename Roster>
double ReadReal(const Roster& roster, const std::string& section, std::string_view key) {
    const std::optional<std::string> text = roster.FindString(section, key);
    if (!text) {
        return 0.0;
    }
    return ParseFloat(*text).value_or(0.0);
}

template <typename Roster>
bool ReadYes(const Roster& roster, const std::string& section, std::string_view key) {
    return SameText(roster.ReadString(section, key, "No"), "Yes");
}

// A text of the menu table for a number that has one, "Unknown" for any other.
std::string MenuText(const TextTable& menu, long long id, bool known, const char* missing) {
    return known ? menu.Text(static_cast<int>(id), missing) : std::string(kUnknownText);
}

// The readers of a roster: an edit of it, or a snapshot (ReadRoster, which only reads).

template <typename Roster>
Crewman CrewmanOf(const Roster& roster, int slot) {
    const std::string section = SlotSection(slot);
    Crewman c;
    c.slot = slot;
    c.name = roster.ReadString(section, "Name", "Error!");
    c.index = roster.ReadInteger(section, "Index", -1);
    c.grade = roster.ReadInteger(section, "Grad", 0);
    c.renown = ReadReal(roster, section, "Renown");
    c.patrols = roster.ReadInteger(section, "Patrols", 0);
    c.morale = ReadReal(roster, section, "Morale");
    c.fatigue = ReadReal(roster, section, "Fatigue");
    c.healthStatus = roster.ReadInteger(section, "HealthStatus", 0);
    c.wasWounded = ReadYes(roster, section, "WasWounded");
    c.hitPoints = ReadReal(roster, section, "HitPoints");
    c.experience = ReadReal(roster, section, "Experience");
    c.nrQual = roster.ReadInteger(section, "NrQual", -1);
    for (int q = 0; q < kMaxQualificationsHeld; ++q) {
        c.qualification[static_cast<std::size_t>(q)] =
            roster.ReadInteger(section, "Qualification" + std::to_string(q), -1);
    }
    for (int i = 0; i < kAwardCount; ++i) {
        c.medalsInx[static_cast<std::size_t>(i)] =
            roster.ReadInteger(section, "MedalsInx" + std::to_string(i), -1);
    }
    c.type = roster.ReadInteger(section, "Type", 0);
    c.headIdx = roster.ReadInteger(section, "HeadIdx", 0);
    c.hasHelmet = ReadYes(roster, section, "HasHelmet");
    c.voiceIdx = roster.ReadInteger(section, "VoiceIdx", 0);
    c.prom = ReadYes(roster, section, "Prom");
    c.nrComp = roster.ReadInteger(section, "NrComp", -1);
    return c;
}

template <typename Roster>
bool Occupied(const Roster& roster, int slot) {
    return roster.ReadInteger(SlotSection(slot), "NrComp", -1) >= 0;
}

template <typename Roster>
std::vector<Crewman> CrewmenOf(const Roster& roster, int subTypeNb) {
    std::vector<Crewman> crewmen;
    const bool compartment8 = HasCompartment8(subTypeNb);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (!Occupied(roster, slot)) {
            continue;
        }
        Crewman crewman = CrewmanOf(roster, slot);
        if (crewman.nrComp == 8 && !compartment8) {
            continue;
        }
        crewmen.push_back(std::move(crewman));
    }
    return crewmen;
}

}  // namespace

bool Crewman::Holds(int award) const {
    return award >= 0 && award < kAwardCount && medalsInx[static_cast<std::size_t>(award)] >= 0;
}

std::vector<int> Crewman::Qualifications() const {
    const int count = std::clamp(nrQual, 0, kMaxQualificationsHeld);
    return {qualification.begin(), qualification.begin() + count};
}

Crewman ReadCrewman(const ProfileEdit& roster, int slot) {
    return CrewmanOf(roster, slot);
}

bool IsOccupied(const ProfileEdit& roster, int slot) {
    return Occupied(roster, slot);
}

std::vector<Crewman> ListCrewmen(const ProfileEdit& roster, int subTypeNb) {
    return CrewmenOf(roster, subTypeNb);
}

std::vector<Crewman> ReadRoster(const std::filesystem::path& rosterFile, int subTypeNb) {
    const ProfileSnapshot roster{ProfileFile(rosterFile)};
    if (!roster.FileFound() && platform::FileExists(rosterFile)) {
        throw Error("The crew roster " + PathText(rosterFile) + " cannot be read.");
    }
    return CrewmenOf(roster, subTypeNb);
}

std::string RankText(const TextTable& menu, int grade) {
    return MenuText(menu, 160LL + grade, grade >= 0 && grade < kGradeCount, "Error!");
}

std::string ShortRankText(const TextTable& menu, int grade) {
    return RankName(RankText(menu, grade));
}

std::string AwardText(const TextTable& menu, int award) {
    return MenuText(menu, 330LL + award, award >= 0 && award < kAwardCount, "Error!");
}

std::optional<std::string> QualificationText(const TextTable& menu, int qualification) {
    if (qualification < 0 || qualification >= kQualificationCount) {
        return std::nullopt;
    }
    return menu.Text(365 + qualification, "Error!");
}

std::string CompartmentText(const TextTable& menu, int nrComp) {
    return MenuText(menu, 636LL + nrComp, nrComp >= 0 && nrComp <= 8, kUnknownText);
}

std::string HealthText(const TextTable& menu, int healthStatus) {
    return MenuText(menu, 360LL + healthStatus, healthStatus >= 0 && healthStatus <= 2, kUnknownText);
}

void RequireRoster(const std::filesystem::path& rosterFile) {
    if (!platform::FileExists(rosterFile)) {
        throw Error("The crew roster " + PathText(rosterFile) +
                    " is missing. The game writes it when the career is saved; Seewolf never creates one.");
    }
}

namespace {

// The compartment an officer slot holds, or nothing for a slot that holds no officer (1, 11, and
// 10 on a boat without compartment 8).
std::optional<int> OfficerCompartment(int slot, bool compartment8) {
    if (slot == 0) {
        return 0;
    }
    if (slot >= 2 && slot <= 4) {
        return 2;
    }
    if (slot >= 5 && slot <= 9) {
        return slot - 2;
    }
    if (slot == 10 && compartment8) {
        return 8;
    }
    return std::nullopt;
}

}  // namespace

OfficerCleanup CleanseOfficerComps(const std::filesystem::path& rosterFile, int subTypeNb) {
    OfficerCleanup result;
    ProfileEdit roster{ProfileFile(rosterFile)};
    if (!roster.FileFound()) {
        if (platform::FileExists(rosterFile)) {
            throw Error("The crew roster " + PathText(rosterFile) + " cannot be read.");
        }
        return result;  // no roster: no officers to put in place
    }
    const bool compartment8 = HasCompartment8(subTypeNb);
    std::vector<int> free;
    std::vector<int> misplaced;
    for (int slot = 0; slot < kOfficerSlotCount; ++slot) {
        const std::string section = SlotSection(slot);
        const int nrComp = roster.ReadInteger(section, "NrComp", -1);
        const std::optional<int> own = OfficerCompartment(slot, compartment8);
        if (!own) {
            if (nrComp >= 0) {
                misplaced.push_back(slot);
            }
        } else if (nrComp < 0) {
            free.push_back(slot);
        } else if (nrComp != *own) {
            roster.WriteInteger(section, "NrComp", *own);
            ++result.compartmentsSet;
        }
    }
    for (std::size_t k = 0; k < misplaced.size(); ++k) {
        const int source = misplaced[k];
        if (k >= free.size()) {
            result.leftMisplaced.push_back(source);
            continue;
        }
        const int target = free[k];
        const std::string from = SlotSection(source);
        const std::string to = SlotSection(target);
        // The whole target section gives way to the officer: no key of the old one stays.
        for (const ProfileLine& line : roster.StoredSectionLines(to)) {
            roster.DeleteKey(to, line.key);
        }
        for (const ProfileLine& line : roster.StoredSectionLines(from)) {
            roster.WriteString(to, line.key, line.value);
        }
        roster.WriteInteger(to, "NrComp", *OfficerCompartment(target, compartment8));
        roster.WriteInteger(from, "NrComp", -1);
        result.moved.push_back(source);
    }
    if (result.compartmentsSet > 0 || !result.moved.empty()) {
        RequireRoster(rosterFile);  // gone meanwhile: the edit must not create it
        roster.Commit();
    }
    return result;
}

}  // namespace seewolf::crew
