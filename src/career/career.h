#pragma once

// Career records: the careers the game keeps under the save folder, read into SelectedCareer,
// and the program's own record of each career (CareerHistory) in Seewolf.ini.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/dates.h"

namespace seewolf {

struct Paths;
struct Language;
class Random;

// What the tree's selection is: one of the two fixed entries, or a career in one of its states.
// The numbers are the ones the behaviour has always used for them.
enum class CareerStatus : int {
    NewCareer = -2,
    SingleMission = -1,
    InBase = 0,
    LostAtSea = 1,
    Retired = 2,
    AtSea = 3,
    Surrendered = 4,
};

// A date with a time of day (local time), as the game stamps its saves.
struct DateTime {
    Date date = 0;
    int secondOfDay = 0;
    auto operator<=>(const DateTime&) const = default;
};

// The career selected in the tree. For the two fixed entries only CareerStatus is set; the other
// fields keep the values of the last career shown.
struct SelectedCareer {
    seewolf::CareerStatus CareerStatus = seewolf::CareerStatus::NewCareer;
    std::string Name;                    // the career's folder name (Windows-1252)
    std::filesystem::path CareerFolder;  // SaveFolder + Careers/<name>/
    int PatrolCount = -1;                // N
    std::string CmdrName;
    std::string CmdrRank;    // rank name, cut at ";" and trimmed
    std::string FlotillaNb;  // raw Flotilla value
    int SubTypeNb = 0;
    std::string SubTypeName;
    std::string SubName;
    std::string StartDateText;  // start of the current patrol, "yyyymmdd"
    Date LastPatrolEnd = -1;    // -1 when N < 1
    bool InOtherBase = false;
    bool ContinueCareer = false;

    // What the record sheet shows besides.
    Date StartDate = 0;        // start of the current patrol
    std::string FlotillaName;  // game menu text of the flotilla, "Error!" when missing
    std::string PortName;      // game menu text of StartLocation
    int CrtPort = -1;
    std::string PatrolArea;            // [PATROL N] PatrolArea, "Error!" when missing
    std::string SaveGrid;              // at sea: PatrolArea of the newest save's .psc, else "NULL"
    std::filesystem::path NewestSave;  // at sea: the newest .sav (empty when none reached the maximum)
    DateTime Saved;                    // when the game last saved the career
};

// The most patrols a career can have: the game numbers them with three digits. LoadCareer
// refuses a larger count as damaged.
inline constexpr int kMaxPatrolCount = 999;

// "PATROL 000": the prefix and the number with at least three digits ("PATROL -001" for -1).
std::string SectionName(std::string_view prefix, int n);

// The careers to show: career folders with completed patrols or a first-patrol save, sorted
// without regard to letter case.
std::vector<std::string> ListCareers(const Paths& paths);

// The careers to show, and the career folders that cannot be shown because Windows-1252 cannot
// hold their names (nor can the game's files). Front ends list `names` and tell the user about
// `unlisted` (full paths in the system's own form, in listing order) so that they can rename
// them.
struct CareerListing {
    std::vector<std::string> names;
    std::vector<std::filesystem::path> unlisted;
};
CareerListing ListCareerFolders(const Paths& paths);

// Reads a career. Throws Error (naming the file and key) for a date that does not exist, for a
// PlayerRank or SubType that is not a whole number and for a patrol count over kMaxPatrolCount. Does not
// touch the career's CareerHistory.
SelectedCareer LoadCareer(const Paths& paths, const Language& language, std::string_view name);

// The CareerHistory items as stored (empty when there is none); nothing is generated.
std::vector<std::string> ReadCareerHistory(const Paths& paths, std::string_view name);
// Stores the items as the career's CareerHistory.
void WriteCareerHistory(const Paths& paths, std::string_view name, const std::vector<std::string>& items);
// The CareerHistory items, generated and stored first when the career has none. Throws Error
// when the birthplace list is missing.
std::vector<std::string> EnsureCareerHistory(const Paths& paths, std::string_view name, Random& random);

// Index of the CareerHistory item holding the portrait number ("07" for Images/07.jpg).
inline constexpr std::size_t kHistoryPortrait = 2;
inline constexpr std::size_t kHistorySurrendered = 11;

// The labels of the record sheet as the main window shows them, and which of them act as links.
struct RecordSheet {
    std::string name;           // lblNm and lblSig
    std::string rank;           // lblRnk
    std::string status;         // lblCarSts
    std::string date;           // lblCarDt
    std::string lastPatrolEnd;  // lblLstPatEnd
    std::string boat;           // lblUBoatNb: SubName + ","
    std::string type;           // lblUBoatTyp: "Type " + SubTypeName
    std::string flotilla;       // lblFlot: flotilla name + ", " + port name
    std::string grid;           // lblPatGrd
    std::string saved;          // lblCarSvdDt: date + " at " + time
    bool statusLink = false;
    bool boatLinks = false;  // lblUBoatNb and lblUBoatTyp
    bool gridLink = false;
    bool launchVisible = false;
};

// The status text of an in-base career for the status toggle.
std::string InBaseStatusText(const SelectedCareer& career);

// Whether the window shows a freshly loaded career in another base (its status toggled once):
// a career in base whose CrtPort is -1. LoadCareer leaves InOtherBase false either way.
bool StartsInOtherBase(const SelectedCareer& career);

RecordSheet MakeRecordSheet(const SelectedCareer& career, const DateTexts& dates);

// "[LATEST CAREER] CAREER" of Seewolf.ini (empty when missing).
std::string LatestCareer(const Paths& paths);

}  // namespace seewolf
