#pragma once

// Three launch steps that change the game's campaign, new-career and sound files:
// - ApplyStartAtSea moves the German units listed in Cfg/Start at sea.cfg from their harbour
//   positions in data\Campaigns\Campaign\Campaign_LND.mis to positions at sea.
// - ApplyNewCareerSettings makes the game's new-career screen start with the month, boat type,
//   patrol grid and boat number chosen in Seewolf.
// - ShuffleGramophone gives the gramophone's music files new random three-digit prefixes, so the
//   game plays them in a new order.
// Each game file is backed up before its first change; a game file that is missing is never
// created (the step says so in a note instead); each gramophone rename is logged durably first.

#include <string>
#include <string_view>
#include <vector>

namespace seewolf {

struct Paths;
struct LaunchRequest;
class Random;

// Sentences saying what a step left out, and why, for the launch to show.
using LaunchNotes = std::vector<std::string>;

// In the campaign file, each group (from a line starting with "[") whose "name=" has a section in
// Cfg/Start at sea.cfg and whose "origin=" is German gets that section's Long, Lat and Heading on
// its "long=", "lat=" and "heading=" lines that follow both. The file is replaced atomically.
// A value that is missing or not a number throws Error naming the file, section and key.
LaunchNotes ApplyStartAtSea(const Paths& paths);

// The start entry of the chosen flotilla and year in data\Cfg\Flotilla.cfg gets the chosen month,
// the boat type's number and version from data\Cfg\Basic.cfg and, when one is chosen, the patrol
// grid; with a chosen boat number the boat type's roster file keeps one unit of that number.
// A retired career continued with a new commander (request.career.ContinueCareer) hands its crew
// file to the crew configurations of its boat class and its equipment to the ammunition section
// of Basic.cfg for the year of `date` (the patrol start date, "yyyymmdd").
// Counts that are not whole numbers throw Error naming the file, section and key.
LaunchNotes ApplyNewCareerSettings(const Paths& paths, const LaunchRequest& request, std::string_view date);

// Each file of data\Sound\Gramophone\ (listed before the first rename, in name order) gets a new
// prefix drawn from 0 to 999. A file whose name cannot be logged (a "|", a line break, a character
// outside Windows-1252) or whose new name is taken is left as it is, with a note.
LaunchNotes ShuffleGramophone(const Paths& paths, Random& random);

}  // namespace seewolf
