#pragma once

// Days in base and the Basic.cfg settings of a launch.

#include <string_view>

namespace seewolf {

struct Paths;
class Random;

// Random mode: a whole number from the range [RNDDAYSINBASE] <year> ("min|max", default "28|28")
// of Cfg/SH3 options.cfg for the year of `careerDate` ("yyyymmdd"). Game-default mode: [TIME]
// NbDaysInBase of the game's Basic.cfg (default 28).
int GetDaysInBase(const Paths& paths, bool randomMode, std::string_view careerDate, Random& random);

// Writes into the game's Basic.cfg (backed up first): NbDaysInBase when days >= 0, the lines of
// fatigue model `model` from Cfg/Crew fatigue models.cfg when model >= 0, and the flotilla's
// availability lines from Cfg/U-boat availability.cfg when useDates is set. Nothing is opened
// or backed up when none applies.
void ApplyBasicCfgSettings(const Paths& paths, int days, int model, bool useDates,
                           std::string_view flotillaId);

}  // namespace seewolf
