#pragma once

// The crews of the demo careers and the officers' faces.
//
// Every listed career gets its roster Crew_Career_<N>0.cfg (N: the career's completed patrols).
// Between them the rosters hold what the crew manager has to cope with: a full roster of 121
// sections and sparse ones, officers in the slots 1, 10 and 11 that must not hold them, wrong
// compartments in officer slots, compartment 8 on boat types that have none, empty slots with
// NrComp -1 and without the key, NrQual 0 with a stale Qualification0, a name over 20
// characters, keys and a section the game does not know, values out of range, and award sets
// that raise each of the crew manager's eight suggestions (crews.cpp names them per career).
//
// The faces are the game's data/Menu/Data/ofaces/Off0<F>.tga for the face numbers 11 to 34,
// drawn here; kAbsentFace is left out on purpose, so the crew manager's fallback shows.

#include <string_view>

#include "demo/writing.h"

namespace seewolf::demo {

// The career's situation as its roster depends on it.
struct CrewContext {
    std::string_view career;  // the name of demo.h's DemoCareers (UTF-8)
    int patrolCount = 0;      // completed patrols: the roster is Crew_Career_<patrolCount>0.cfg
    int subType = 0;          // boat type of the current patrol
    Day date;                 // start of the current patrol
};

void WriteCrewRoster(Output& out, const fs::path& careerFolder, const CrewContext& context);

inline constexpr int kAbsentFace = 23;

// Writes the face pictures into the game folder.
void WriteFaces(Output& out, const fs::path& game);

}  // namespace seewolf::demo
