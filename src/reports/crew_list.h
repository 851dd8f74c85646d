#pragma once

// The crew list page: the commander and every crewman of the selected career in one table (rank
// insignia and name, patrols, experience, health, medals, badges, qualifications), written into
// the career's report folder under the boat's name, so that the personnel file can link to it.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "crew/crewman.h"
#include "reports/report_page.h"

namespace seewolf {
struct Paths;
struct Language;
struct SelectedCareer;
namespace crew {
struct Crewman;
}
}  // namespace seewolf

namespace seewolf::reports {

// One crewman as the crew manager lists him: the values its row holds.
struct CrewListRow {
    int grade = 0;
    std::string name;  // without surrounding blanks
    int patrols = 0;
    double experience = 0.0;
    std::array<int, crew::kAwardCount> medalsInx = {-1, -1, -1, -1, -1, -1, -1, -1, -1};
    // All three -1 when the crewman holds no qualification (NrQual missing or 0 or less).
    std::array<int, crew::kMaxQualificationsHeld> qualification = {-1, -1, -1};
    int healthStatus = 0;

    bool operator==(const CrewListRow&) const = default;
};

CrewListRow CrewListRowOf(const crew::Crewman& crewman);

// The crew manager's order: the highest grade first, grades compared as the decimal texts they
// are listed by; crewmen of equal grade keep their order.
bool ListedBefore(int grade, int otherGrade);

// The rows of the crew manager when it opens on this career now: the roster as it lists it (the
// officers put into their slots first, as the window does when the career is not at sea), in its
// order. The roster itself is not changed: the officers are put in place on a copy. A missing
// roster gives no rows and a line in `notes`; one that cannot be read throws Error.
std::vector<CrewListRow> ReadCrewListRows(const SelectedCareer& career, std::vector<std::string>& notes);

// SubName + "_" + program text 120 as a page name ("U-96_Crew_List.html"): the page this report
// writes and the personnel file links to.
std::string CrewListPageName(const Paths& paths, const Language& language, std::string_view subName);

// Writes the crew list of `career` with `rows` (in the order given) into the career's report
// folder, with the pictures and the background beside it. Throws Error when the page or a
// picture cannot be written, and for a StartDateText that is no "yyyymmdd" date.
ReportResult GenerateCrewList(const Paths& paths, const Language& language, const SelectedCareer& career,
                              const std::vector<CrewListRow>& rows);

}  // namespace seewolf::reports
