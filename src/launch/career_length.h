#pragma once

// The realistic career length: before a launch of a career in its home base, high command may
// end the commander's career, the more likely the longer the career has been at sea.

#include <string>

namespace seewolf {

struct Paths;
struct SelectedCareer;
class Prompter;
class Random;

struct CareerLengthResult {
    bool ended = false;   // the career is over: the launch stops, the window shows it again
    std::string message;  // the communique shown (Windows-1252), empty when the career goes on
};

// For a career in its home base. Experience E = N x days at sea of the N finished patrols
// (Patrols.cfg; a start date that does not exist falls back to the first patrol's start in
// Patrols_0.cfg). One draw r from 0 to [REALISTICLENGTH] RANGE - 1 of Cfg/SH3 options.cfg; the
// last threshold line whose key is at most E ends the career when its comma list holds r. A
// career below every threshold goes on.
//
// When the career ends, Careers.cfg [CAREER N-1] gets WarOver and Finished "true" (before anything
// is shown), `career` becomes Retired, and the communique is shown as the plain message
// "Career over".
//
// Throws Error naming file, section and key for a bad option value (RANGE missing or below 1, a
// threshold or a listed draw that is not a whole number) and for an end date that does not exist.
CareerLengthResult CheckCareerLength(const Paths& paths, SelectedCareer& career, Prompter& prompter,
                                     Random& random);

}  // namespace seewolf
