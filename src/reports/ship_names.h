#pragma once

// Real ship names in the patrol logs. The game logs a ship it met by its class ("...|Tanker|...");
// with the setting RealShipNames on, each such entry of the career's patrol logs gets a ship name
// of that class from the program's Cfg/Ship names.cfg ("...|Esso Bolivar (Tanker)|..."), and,
// when the file asks for it, invented cargo and crew figures. This changes the game's own log
// files for good; Used ship names.log in the career folder remembers every name handed out, so
// that no name is given twice.

#include <string>
#include <vector>

namespace seewolf {
struct Paths;
struct Language;
struct SelectedCareer;
class Random;
}  // namespace seewolf

namespace seewolf::reports {

// Rewrites the career's patrol logs with real ship names (run before GeneratePatrolLogs when the
// setting RealShipNames is on). Each log file is written once, and only when an entry changed;
// the names it used are added to the used-names log just before. An entry that already has its
// name keeps it, so a second run changes nothing. `notes` get what the user should know: a
// missing Ship names.cfg, a class without names, figures that could not be made.
void ApplyRealShipNames(const Paths& paths, const Language& language, const SelectedCareer& career,
                        Random& random, std::vector<std::string>& notes);

}  // namespace seewolf::reports
