#pragma once

// The demo world's vocabulary: ports, boat types, flotillas and awards with their texts in the
// game's three languages. The game folder's configuration and menu tables and the careers are
// all written from these tables, so they agree with each other.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace seewolf::demo {

// ---------------------------------------------------------------------------------------------
// The world's vocabulary: ports, flotillas, boat types and awards, with their menu texts.

// A text in the game's three languages (UTF-8 here).
struct Text3 {
    std::string en;
    std::string de;
    std::string fr;
};

enum Language : std::size_t { English, German, French };
constexpr std::array<std::string_view, 3> kLanguageCodes = {"en", "de", "fr"};

inline const std::string& In(const Text3& text, std::size_t language) {
    return language == German ? text.de : language == French ? text.fr : text.en;
}

// Menu text numbers of the harbours.
namespace harbour {
constexpr int Kiel = 700;
constexpr int Wilhelmshaven = 701;
constexpr int Lorient = 702;
constexpr int Brest = 703;
constexpr int SaintNazaire = 704;
constexpr int LaPallice = 705;
constexpr int Bordeaux = 706;
constexpr int Bergen = 707;
constexpr int Trondheim = 708;
constexpr int Flensburg = 709;
constexpr int LaSpezia = 710;
constexpr int Toulon = 711;
}  // namespace harbour

struct PortData {
    int id;
    Text3 name;
};

const std::vector<PortData>& Ports();
const Text3& PortName(int id);

// Boat types: the numbers of the [SUBMARINE<n>] sections of Basic.cfg.
namespace boattype {
constexpr int TypeII = 0;
constexpr int TypeVII = 1;
constexpr int TypeIX = 2;
constexpr int TypeXXI = 3;
}  // namespace boattype

struct BoatVersion {
    const char* name;  // as the game names it; the main window puts "Type " in front
    int year;          // first month in which it is available
    int month;
};

struct BoatTypeData {
    int type;
    const char* versionComment;  // a remark after NbVersion, as the game's own file has
    std::vector<BoatVersion> versions;
};

const std::vector<BoatTypeData>& BoatTypes();
const char* TypeName(int type);  // "Type VII", as the game's Flotilla.cfg remarks it

// Flotilla identifiers: menu text numbers of their names. Their descriptions are the texts
// 632 below them, their short names the texts 198 above them.
namespace flotilla {
constexpr int First = 660;
constexpr int Second = 661;
constexpr int Third = 662;
constexpr int Seventh = 663;
constexpr int Ninth = 664;
constexpr int Tenth = 665;
constexpr int Eleventh = 666;
constexpr int Twelfth = 667;
constexpr int TwentyNinth = 668;
constexpr int ThirtyThird = 669;
constexpr int DescriptionOffset = -632;
constexpr int ShortNameOffset = 198;
}  // namespace flotilla

struct YearMonth {
    int year;
    int month;
};

struct BaseSpan {
    int port;
    YearMonth from;
    YearMonth until;
};

struct StartingDate {
    YearMonth date;
    const char* starting;  // "yes" or "no", in the letter case the game happens to use
};

struct FlotillaData {
    int id;
    int number;  // the flotilla's ordinal number, for its names
    Text3 description;
    std::vector<BaseSpan> bases;
    std::vector<StartingDate> starts;
    std::vector<int> boatTypes;
    std::vector<const char*> waters;  // grid squares' letters of the flotilla's patrol areas
};

const std::vector<FlotillaData>& Flotillas();
Text3 FlotillaName(const FlotillaData& f);
Text3 FlotillaShortName(const FlotillaData& f);

// Awards of the commander, by the number of their key Medal0 .. Medal9 in the career files, and
// the menu text numbers of their names.
struct CommanderMedal {
    int key;
    int menuText;
    Text3 name;
};

const std::vector<CommanderMedal>& CommanderMedals();

// Bits of the commander's awards in the career tables below (bit i = key Medal<i>).
namespace medal {
constexpr unsigned IronCross2 = 1U << 0;
constexpr unsigned IronCross1 = 1U << 1;
constexpr unsigned KnightsCross = 1U << 2;
constexpr unsigned WarBadge = 1U << 7;
constexpr unsigned FrontClasp = 1U << 8;
constexpr unsigned GermanCross = 1U << 9;
}  // namespace medal

// Crew grades 0 to 8 as Basic.cfg describes them ([CREW_<g>]): the experience a grade needs, the
// morale and the hit points of a crewman of that grade. The rosters follow the same values.
namespace crewgrade {
inline constexpr std::array<int, 9> kExperience = {0, 20, 50, 100, 150, 200, 300, 400, 500};
inline constexpr std::array<double, 9> kMorale = {0.6, 0.65, 0.7, 0.72, 0.75, 0.8, 0.85, 0.9, 0.95};
inline constexpr std::array<int, 9> kHitPoints = {100, 100, 110, 110, 120, 120, 130, 130, 140};
}  // namespace crewgrade

}  // namespace seewolf::demo
