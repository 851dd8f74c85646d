#pragma once

// Values in the game's binary data files: the deck guns' reload times, the water's clarity, the
// highest waves and the boat's crush depth. In these files a property is stored as its name, a
// zero byte, and its value; a patch overwrites the 4 bytes behind the n-th occurrence of the
// name with a single-precision float, little-endian.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace seewolf {

struct Paths;
struct Settings;
class Random;

struct BinaryPatch {
    std::string_view property;    // found without regard to letter case (Windows-1252)
    int occurrence = 1;           // 1 for the first
    float value = 0;              // written as 4 bytes, little-endian
    std::size_t extraOffset = 0;  // bytes skipped after the name's zero byte
};

enum class PatchResult {
    Written,
    TooFewOccurrences,  // the file holds fewer occurrences of the name: nothing written
    PastEnd,            // the value would reach past the end of the file: nothing written
};

// Applies the patches, in their order, to the game file `relative` ("data\scene.dat"): backs it
// up, reads it once and writes it once (atomically), and only when a patch was written. Each
// occurrence is searched from one byte after the start of the one before, in the file as the
// earlier patches left it. A file never grows. Throws Error when the file is missing, lies
// outside the game folder, or cannot be read or written.
std::vector<PatchResult> PatchBinaryValues(const Paths& paths, std::string_view relative,
                                           std::span<const BinaryPatch> patches);

// One patch, as above.
PatchResult PatchBinaryValue(const Paths& paths, std::string_view relative, std::string_view property,
                             int occurrence, float value, std::size_t extraOffset);

// The highest waves for wave height `index` (0 plain, 1 x1.25, 2 x1.5, 3 x1.875, 4 the factor of
// the month of `date`, "yyyymmdd") from [WAVE HEIGHT] of Cfg\SH3 options.cfg: the base `1x`
// (default 256) times the factor in single precision, rounded half to even. Throws Error for an
// index outside 0 to 4 and for a value in the file that is not a number.
float GetWaveHeight(const Paths& paths, int index, std::string_view date);

// Draws the crush depth of the boat type from its entry in [CRUSH DEPTH] of Cfg\SH3 options.cfg
// ("<folder>|<nominal depth>", scaled by Lower and Upper), and patches
// data\Submarine\<folder>\<folder>.zon with 1.4 times the draw. Returns "" when written, else the
// sentence that says why the crush depth stayed as it was (no entry for the boat type, a folder
// name that is not one folder in the game, or the file holds no "crashdepth"). Throws Error for a
// depth or factor that is not a number (or is negative), and like PatchBinaryValues.
std::string RandomiseCrushDepth(const Paths& paths, std::string_view boatTypeName, Random& random);

// The launch's binary patches, in this order, each when its setting asks for it (a value of -1
// is none): 88 mm reload time, 105 mm reload time, water density, wave height for
// `patrolStartDate`, crush depth of `boatTypeName`. Each file is read and written once. Returns a
// sentence for each patch that was asked for but left the game as it was.
std::vector<std::string> ApplyBinaryPatches(const Paths& paths, const Settings& settings,
                                            std::string_view patrolStartDate, std::string_view boatTypeName,
                                            Random& random);

}  // namespace seewolf
