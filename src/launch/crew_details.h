#pragma once

// Fresh crew details for a new career or single mission: the crewmen of the game's crew
// configuration files get random names and, some of them, a service history (earlier patrols,
// medals and the experience they bring).

#include <string>
#include <string_view>
#include <vector>

namespace seewolf {

struct Paths;
class Prompter;
class Random;

struct CrewDetailsResult {
    int filesChanged = 0;     // crew configuration files written
    int crewmenRenamed = 0;   // crewmen given a new name
    int crewmenWithPast = 0;  // of them, those given earlier patrols and experience
    // One sentence per thing left out or counted in a way the player may not expect (no crew
    // file for the boat type, a file outside the game folder, a crewman without a grade of 0 to
    // 8, no Basic.cfg to take the experience from). The caller shows them.
    std::vector<std::string> notes;
};

// Rewrites the crewmen of the game's files data\Cfg\crew_config_<class prefix>*.cfg (names
// matched without regard to case, in name order; prefix "II_", "VII_", "IX_", "XXI_" for boat
// type class 0 to 3, none for any other class, which takes every crew file). Every section
// CREW_MEMBER_0 to CREW_MEMBER_120 whose NrComp is 0 or more gets a random Name; with the
// chance [CREW SETUP] <year of careerDate> (percent) of Cfg\SH3 options.cfg it also gets 1 to
// MaxPatrols Patrols, medals MedalsInx7 (two patrols or more, from 19391013), MedalsInx0 (the
// chance EKIIChance) with MedalsInx6 (from 19440515), and the Experience of its Grad in the
// game's Basic.cfg ([CREW_<grade>] Experience) plus one per patrol, the patrols with the medal
// multiplied by [MEDALS_CREW] Experience, in single precision. Draws per crewman, in file and
// section order: the name, the chance, then (with a history) the patrols, the medal chance and
// (with the medal) the patrols before it.
//
// Each file is backed up before it is written; no game file is created. Shows the busy cursor.
// Throws Error naming the file, section and key for a value that is not a number or out of its
// range (a chance outside 0 to 100, MaxPatrols below 0, an experience beyond single precision),
// and for a career date that does not begin with a year.
[[nodiscard]] CrewDetailsResult RandomiseCrewDetails(const Paths& paths, std::string_view careerDate,
                                                     int subTypeNb, Random& random, Prompter& prompter);

}  // namespace seewolf
