#pragma once

// The personnel file: the commander of a career on one page, with his photograph, service record,
// decorations, flotilla and boat history, one row per completed patrol with the totals, and a
// closing paragraph that depends on how the career ended.

#include <filesystem>
#include <string>
#include <vector>

#include "reports/report_page.h"

namespace seewolf {
struct Paths;
struct Language;
struct SelectedCareer;
class Random;
}  // namespace seewolf

namespace seewolf::reports {

struct PersonnelPage {
    std::filesystem::path file;  // the page written
    long long tonnage = 0;       // the commander's career tonnage (whole tons), for the aces page
};

// Writes the personnel file page of `career` into `folder` (a PersonnelFolder) with its photograph
// and the background copied beside it; notes get what the user should know (a missing picture).
// Throws Error for a date of the career files that does not exist (naming file, section and keys),
// a number key that holds no number, and a sentence template of the tables that does not fit its
// values; pages written until then stay.
PersonnelPage WritePersonnelPage(const Paths& paths, const Language& language, const SelectedCareer& career,
                                 const std::filesystem::path& folder, std::vector<std::string>& notes);

// The personnel file's page name: program text 180 as a file name, with ".html".
std::string PersonnelFileName(const Paths& paths, const Language& language);

// The whole personnel file of a career, as the career menu and `seewolf-cli report` write it: the
// career's PersonnelFolder, the personnel file page, real ship names in the patrol logs when the
// setting RealShipNames is on, one captain's log page per patrol, and the aces page. The result
// names the personnel file page and carries the closing message and the notes of every step.
ReportResult GeneratePersonnelFile(const Paths& paths, const Language& language, const SelectedCareer& career,
                                   Random& random);

}  // namespace seewolf::reports
