#pragma once

// Ship displacements: each launch gives the ship classes listed in Cfg/Ship displacements.cfg a
// random displacement in a band around their nominal one, scaled by a yearly factor, and may set
// the renown for sinking them and their ship-museum texts.

#include <string>
#include <string_view>
#include <vector>

namespace seewolf {

struct Paths;
class Random;

struct TonnageResult {
    int shipsChanged = 0;  // ships whose .cfg or museum texts were written
    // One sentence per listed ship that was left alone for a reason the user can act on: a name
    // that is no single folder name, a ship file outside the game folder, a ship that the game
    // does not have. The caller shows them.
    std::vector<std::string> notes;
};

// For every ship section S of Cfg/Ship displacements.cfg (file order) whose game file
// data/Sea/S/S.cfg exists: draws [Unit] Displacement between round(m * LowerDisp) and
// round(m * UpperDisp) in steps of [SETTINGS] DispPrecision, where m is the ship's Displacement
// times YearlyDispAdjust to the power (year of `date` - 1939), all in single precision; writes
// it with [Unit] RenownAwarded (the new displacement, or the ship's scaled RenownAwarded when
// it gives one); then writes the English, German and French museum texts into the ship's
// existing _en, _ge and _fr .log files. Every file is backed up before its first change; no
// game file is created. One draw per ship with a displacement, in file order. A ship section
// without Displacement keeps the game's displacement and renown (only its texts are written).
// Throws Error naming the file, section and key for a value that is not a number, a precision
// below 1, or a displacement or renown that no whole number of the game can hold.
[[nodiscard]] TonnageResult RandomiseTonnage(const Paths& paths, std::string_view date, Random& random);

}  // namespace seewolf
