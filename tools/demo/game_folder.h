#pragma once

// The game folder of the demo world: the stand-in sh3.exe, FileManager.dll with the save-folder
// name, data/Cfg/Basic.cfg and Flotilla.cfg, the menu text tables of three languages, the
// officers' faces (crews.h) and the game's own files that the file sets replace (file_sets.h).

#include "demo/writing.h"

namespace seewolf::demo {

void WriteGame(Output& out, const fs::path& game);

}  // namespace seewolf::demo
