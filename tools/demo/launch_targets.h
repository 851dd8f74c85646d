#pragma once

// The game files that the launch options change: the binary scene, gun and boat-zone files whose
// values are overwritten in place, the ships' own files and museum texts, the campaign layer with
// the harbour positions of the German units, the boat rosters, the crews a new boat starts with
// and the gramophone's music. Each file is a few hundred bytes; the values are invented but of
// the kind the game holds.

#include <string>
#include <vector>

#include "demo/writing.h"

namespace seewolf::demo {

// A boat's folder under data/Submarine/ and its nominal crush depth in metres.
struct BoatZone {
    const char* folder;
    int depth;
};
const std::vector<BoatZone>& BoatZones();

// A ship class under data/Sea/: its folder, displacement in tons and renown for sinking it.
struct ShipClass {
    const char* folder;
    int displacement;
    int renown;
};
const std::vector<ShipClass>& ShipClasses();

// The 4 bytes of a single-precision float, little-endian, as the game's binary files hold it.
std::string FloatBytes(float value);

void WriteModificationTargets(Output& out, const fs::path& game);

}  // namespace seewolf::demo
