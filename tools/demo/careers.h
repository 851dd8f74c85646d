#pragma once

// The documents folder of the demo world: the game's save folder SH3/data/Cfg with main.cfg and
// one career in every state (demo.h names them), and the history records that Seewolf keeps of
// them in Seewolf.ini.

#include <string>
#include <vector>

#include "demo/writing.h"

namespace seewolf::demo {

void WriteDocuments(Output& out, const fs::path& documents);

// The [CAREER DETAILS] record of each career that Seewolf has shown before (UTF-8).
struct HistoryEntry {
    std::string career;
    std::string record;
};
std::vector<HistoryEntry> HistoryRecords();

}  // namespace seewolf::demo
