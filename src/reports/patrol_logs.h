#pragma once

// The captain's log pages: one page per completed patrol, made from the game's patrol log file
// of that patrol (Log_<n>.cfg in the career folder). A page shows the first and the last entry
// (leaving port, returning), every ship sunk, every aircraft destroyed and every entry an outside
// tool marked, under date headings, and links back to the personnel file.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace seewolf {
struct Paths;
struct Language;
struct SelectedCareer;
class ProfileFile;
class ProfileSnapshot;
}  // namespace seewolf

namespace seewolf::reports {

// Writes folder + "Log_<n>.html" for n = 0 .. PatrolCount-1 from the career's Log_<n>.cfg. A log
// file that is missing gives a page with the caption row only. Throws Error naming the file,
// section and key for a Date that is not a "yyyymmdd" date.
void GeneratePatrolLogs(const Paths& paths, const Language& language, const SelectedCareer& career,
                        const std::filesystem::path& folder, std::string_view personnelFileName);

// The career's patrol log file of patrol n ("Log_3.cfg").
std::filesystem::path PatrolLogFile(const SelectedCareer& career, int patrol);

// The sections of a patrol log in file order: every entry. The profile layer lists section names
// only as far as a 16384-byte buffer reaches (about 1000 entries); for a longer log the entries
// after the cut are found by the game's own naming ("Log Entry " + k), so that the last entry,
// the return to port, is never lost.
std::vector<std::string> LogEntrySections(const ProfileFile& log);
// The same from a snapshot of the log.
std::vector<std::string> LogEntrySections(const ProfileSnapshot& log);

// The parts of a text between separators, in order ("a|b||c" gives a, b, "", c). A separator at
// the end adds no empty part, and an empty text has no parts.
std::vector<std::string_view> SplitText(std::string_view text, char separator);

}  // namespace seewolf::reports
