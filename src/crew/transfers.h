#pragma once

// Crewmen who leave the boat between patrols, and the newcomers who take their places.

#include <string>
#include <string_view>

namespace seewolf {

struct Paths;
struct Language;
struct SelectedCareer;
class ProfileEdit;
class Prompter;
class Random;

namespace crew {

inline constexpr const char* kTransferSummaryTitle = "Crewman transfer summary";

// Puts a newcomer into `section` of the roster being edited, in the class of `oldGrade` (the
// lower two grades of it; a grade outside 0 to 8 counts as a seaman's): grade, a name, a service
// history drawn with the chances of [CREW SETUP] of Cfg\SH3 options.cfg for the year of
// `careerDate` ("yyyymmdd"), the values of his grade from the game's Basic.cfg, an officer's face,
// at most one qualification, a voice. NrComp, Type and the Medal and Qual flags stay as they are.
// Nothing is written until the caller commits the edit. Returns his summary line: short rank,
// name, qualification in brackets and where he comes from. Throws Error for a number in those
// files that is none, and when the name lists cannot give a name.
std::string GenerateCrewMan(const Paths& paths, const Language& language, ProfileEdit& roster,
                            std::string_view section, int oldGrade, std::string_view careerDate,
                            Random& random);

// One or two passes in which a crewman may leave the career's roster (the draws and lists of
// [REALISTICCREWXFR] of Cfg\SH3 options.cfg): transferred ones are replaced by a newcomer in the
// same slot, the others leave their slot empty. Each pass that changed the roster is written at
// its end, so that the summary shown tells exactly what the file holds: when a pass fails, the
// summary of the passes written is shown before the error is thrown. Shows the plain message
// "Crewman transfer summary" when anyone left and returns its text (empty when nobody left).
std::string TransferCrewmen(const Paths& paths, const Language& language, const SelectedCareer& career,
                            Prompter& prompter, Random& random);

}  // namespace crew
}  // namespace seewolf
