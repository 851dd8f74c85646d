#pragma once

// What the reports read besides the career records: the game's patrol logs in the career folders
// (Log_<n>.cfg, one per completed patrol), the names files that give the ship classes of those
// logs their display names (data/Sea and data/Submarine, EnglishNames.cfg and GermanNames.cfg)
// and the game's table of historical aces (data/Cfg/UboatAces.cfg), with invented aces.
//
// The ship classes are those of the game's data/Sea folders (launch_targets.cpp) and of the
// program's Cfg/Ship names.cfg, which gives them real-looking names; one class of the
// submarine names file has no names there, and one game class borrows the names of another.

#include <string>
#include <string_view>
#include <vector>

#include "demo/vocabulary.h"
#include "demo/writing.h"

namespace seewolf::demo {

struct ShipClassName {
    const char* id;  // the class identifier of the names files
    Text3 name;      // the display name (the English one in the logs, as main.cfg is English)
    bool warship;
    int largest;  // sinkings up to this tonnage (GRT) are put down to this class
};

// Merchant classes first, by size, then the warships by size.
const std::vector<ShipClassName>& ShipClassNames();

// How a patrol's log ends.
enum class LogEnd { ReturnToPort, BoatLost, Surrender };

struct PatrolLogInput {
    Day start;
    int days = 0;  // the first and the last day included
    std::string area;
    std::string port;        // sailed from (English name)
    std::string returnPort;  // returned to
    int merchants = 0;
    int merchantTonnage = 0;
    int warships = 0;
    int warshipTonnage = 0;
    int planes = 0;
    LogEnd end = LogEnd::ReturnToPort;
    bool marked = false;   // one entry marked by the patrol-log editor (key Seewolf)
    bool longLog = false;  // several entries a day, more than 256 in all
};

// Log entries: sections "Log Entry <k>" with EntryText (parts separated by "|"), Date
// ("yyyymmdd") and Time (hhmm as a number, 930 for 09:30), in the order of their times. The
// first entry leaves port, the last one returns (or tells how the boat was lost); sunk ships
// read "Ship sunk!|<grid>|<class display name> <GRT> GRT[|more]", aircraft
// "Aircraft destroyed!|<grid>|<aircraft>". `seed` makes each log differ and stay the same in
// every run.
void WritePatrolLog(Output& out, const fs::path& file, const PatrolLogInput& patrol, std::string_view seed);

void WriteShipNameFiles(Output& out, const fs::path& game);
void WriteUboatAces(Output& out, const fs::path& game);

}  // namespace seewolf::demo
