#pragma once

// What a launch works on: game files that the program's file sets replace (some read-only, as
// installations copied from a disc have them), files that the sets add, and the intro movies.
// A file set is a folder of the program folder that mirrors the game folder: Flotilla/<id>/,
// U-boat/<type name without "/">/, Crew/<set>/, Date/<yyyymmdd>/ and Random/<n>/Date/<yyyymmdd>/.
// Some sets spell a folder or file in another letter case than the game ("data/cfg/"), as
// hand-made sets do; the game under Wine does not mind, so a launch must not either.

#include <cstddef>

#include "demo/writing.h"

namespace seewolf::demo {

// The game folder's side: the files that the sets replace and the intro movies (kept when they
// exist, like every game file).
void WriteLaunchGameFiles(Output& out, const fs::path& game);

// The program folder's side: every file set, written on every run like the copied program files.
// Returns the number of files written.
std::size_t WriteFileSets(const fs::path& program);

}  // namespace seewolf::demo
