#pragma once

// What the new-career controls offer: months, flotillas, boat types and numbers by date, from the
// game's Flotilla.cfg and Basic.cfg and the program's option files.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace seewolf {

struct Paths;
struct Language;
enum class CareerStatus : int;

inline constexpr int kFirstYear = 1939;
inline constexpr int kLastYear = 1945;

// What the new-career boxes take: the commander's name, the boat number (digits only) and the
// patrol grid (upper case).
inline constexpr std::size_t kCommanderNameLength = 16;
inline constexpr std::size_t kBoatNumberLength = 4;
inline constexpr std::size_t kPatrolGridLength = 8;

// The earliest month a career can start in 1939 (9 unless a flotilla starts earlier).
int FirstMonth1939(const Paths& paths);

struct MonthRange {
    int first = 1;
    int last = 12;
    // The month moved into the range: raised to `first` or lowered to `last`.
    int Fit(int month) const;
};
// 1939: FirstMonth1939 to 12; 1945: 1 to 5; other years 1 to 12.
MonthRange MonthsOf(const Paths& paths, int year);

// The hint of the year field: the game's note on that war year, wrapped at 90 characters.
std::string YearHint(const Paths& paths, const Language& language, int year);

struct FlotillaChoice {
    std::string id;    // cmbFlotNb
    std::string name;  // cmbFlotNm
};

// Flotillas offered for a new career (status -2) at that year and month, or every flotilla for a
// single mission (status -1). Throws Error for a base date that does not exist.
std::vector<FlotillaChoice> OfferedFlotillas(const Paths& paths, const Language& language,
                                             CareerStatus careerStatus, int year, int month);

struct BoatTypeChoice {
    std::string name;    // cmbSubType
    std::string number;  // cmbSubTypeNb: the boat type number as text
};

// Boat types of the flotilla available at that date (new career; availability from the program's
// Cfg/U-boat availability.cfg when useSubDts is on), or every version of every type (single
// mission). Throws Error for an availability date that does not exist.
std::vector<BoatTypeChoice> OfferedBoatTypes(const Paths& paths, CareerStatus careerStatus,
                                             std::string_view flotillaId, int year, int month,
                                             bool useSubDts);

// Boat numbers offered for a type and flotilla (Cfg/U-boat numbers.cfg).
std::vector<std::string> OfferedBoatNumbers(const Paths& paths, std::string_view boatTypeName,
                                            std::string_view key);

// Index of the entry to select after a list was rebuilt: the first entry equal to the remembered
// text, else 0; -1 for an empty list.
int KeptChoice(const std::vector<std::string>& names, std::string_view remembered);

struct FlotillaInfo {
    std::string title;  // the flotilla's name
    std::string text;   // description, then "Bases:" and one line per base
};
FlotillaInfo DescribeFlotilla(const Paths& paths, const Language& language, std::string_view flotillaId,
                              std::string_view flotillaName);

// The crew sets: subfolders of the program's Crew folder in listing order.
std::vector<std::string> CrewSets(const Paths& paths);

}  // namespace seewolf
