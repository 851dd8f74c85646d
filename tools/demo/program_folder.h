#pragma once

// The program folder of the demo world: a copy of the program files, Seewolf.ini pointing at the
// demo's game and documents folders, and the stand-in game script (demo.h says how it is used).
// The file sets of the program folder are written by file_sets.h.

#include <cstddef>

#include "demo/demo.h"
#include "demo/writing.h"

namespace seewolf::demo {

// Seewolf.ini, unless it exists: the folders, the latest career and the careers' history records.
void WriteSettings(Output& out, const DemoWorld& world);

// Copies the program files of `source` (not its Seewolf.ini, !BACKUP or logs) into `program`,
// replacing what is there. Returns the number of files copied.
std::size_t CopyProgram(const fs::path& source, const fs::path& program);

void WriteStandInGameScript(const fs::path& script);

// The patrol-log editor's stand-in, program/Kladde.exe (demo.h says how its start is recorded).
void WriteStandInKladde(const fs::path& program);

}  // namespace seewolf::demo
