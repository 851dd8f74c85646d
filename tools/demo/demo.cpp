#include "demo/demo.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <fstream>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/encoding.h"
#include "platform/error.h"

// Everything here is invented for Seewolf: names, numbers, grids and texts only have to look
// plausible and hang together (dates, ports and boat types agree between the game's
// configuration and the careers). The demo does its own date arithmetic with std::chrono, so a
// fault in the core's date code cannot hide behind a fixture built with the same code.

namespace seewolf::demo {

namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------------------------
// Small helpers

std::string Utf8Of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

fs::path PathFromUtf8(std::string_view utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

[[noreturn]] void Fail(std::string_view what, const fs::path& path, const std::error_code& ec = {}) {
    std::string text = "Cannot write the demo installation: " + std::string(what) + " \"" +
                       Cp1252FromUtf8(Utf8Of(path)) + "\"";
    if (ec) {
        text += " (" + Cp1252FromUtf8(ec.message()) + ")";
    }
    throw Error(text + ".");
}

std::string Num(long long value) {
    std::array<char, 24> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

// Floats as the game writes them: six decimals, "." as separator.
std::string Float(double value) {
    std::array<char, 48> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, 6);
    return std::string(buffer.data(), result.ptr);
}

std::string TwoDigits(int value) {
    return (value < 10 ? "0" : "") + Num(value);
}

// A deterministic stream of draws, seeded from a text, so every run writes the same world.
class Draws {
  public:
    explicit Draws(std::string_view seed) {
        for (const char c : seed) {
            m_state = (m_state ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
        }
    }
    // A whole number from 0 to n - 1.
    int Next(int n) {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return static_cast<int>(m_state % static_cast<std::uint64_t>(n));
    }

  private:
    std::uint64_t m_state = 14695981039346656037ULL;
};

// ---------------------------------------------------------------------------------------------
// Calendar

struct Day {
    int year = 0;
    int month = 0;
    int day = 0;
};

std::chrono::sys_days ToDays(const Day& d) {
    return std::chrono::year{d.year} / std::chrono::month{static_cast<unsigned>(d.month)} /
           std::chrono::day{static_cast<unsigned>(d.day)};
}

Day FromDays(std::chrono::sys_days days) {
    const std::chrono::year_month_day ymd{days};
    return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
            static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

Day AddDays(const Day& d, int days) {
    return FromDays(ToDays(d) + std::chrono::days{days});
}

// The first of the nearest month: a day after the 15th rounds up to the next month.
Day RoundToMonthStart(const Day& d) {
    if (d.day <= 15) {
        return {d.year, d.month, 1};
    }
    return d.month == 12 ? Day{d.year + 1, 1, 1} : Day{d.year, d.month + 1, 1};
}

// "05SEP39", the form of the dates of the program's career history records.
std::string ShortDate(const Day& d) {
    static constexpr std::array<std::string_view, 12> kMonths = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    return TwoDigits(d.day) + std::string(kMonths[static_cast<std::size_t>(d.month - 1)]) +
           TwoDigits(d.year % 100);
}

// A wall-clock time of the computer (local time), as the game notes when it saves.
struct LocalTime {
    Day day;
    int hour = 0;
    int minute = 0;
};

fs::file_time_type FileTimeOf(const LocalTime& t) {
    std::tm tm{};
    tm.tm_year = t.day.year - 1900;
    tm.tm_mon = t.day.month - 1;
    tm.tm_mday = t.day.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&tm);
    const auto system =
        std::chrono::time_point_cast<std::chrono::seconds>(std::chrono::system_clock::from_time_t(seconds));
    return std::chrono::file_clock::from_sys(system);
}

// ---------------------------------------------------------------------------------------------
// Profile text: sections of key=value lines with CR LF line ends. Built from UTF-8 source
// text and written as Windows-1252, like every text file of the game.

class ProfileText {
  public:
    ProfileText& Section(std::string_view name) {
        m_text += "[" + std::string(name) + "]\r\n";
        return *this;
    }
    ProfileText& Key(std::string_view key, std::string_view value) {
        m_text += std::string(key) + "=" + std::string(value) + "\r\n";
        return *this;
    }
    ProfileText& Key(std::string_view key, const char* value) { return Key(key, std::string_view(value)); }
    ProfileText& Key(std::string_view key, const std::string& value) {
        return Key(key, std::string_view(value));
    }
    ProfileText& Key(std::string_view key, int value) { return Key(key, Num(value)); }
    ProfileText& Key(std::string_view key, double value) { return Key(key, Float(value)); }
    ProfileText& Blank() {
        m_text += "\r\n";
        return *this;
    }
    ProfileText& Comment(std::string_view comment) {
        m_text += "; " + std::string(comment) + "\r\n";
        return *this;
    }
    const std::string& Utf8() const { return m_text; }

  private:
    std::string m_text;
};

// Converts invented UTF-8 text to Windows-1252. A character the code page cannot hold would
// silently become "?", so it is refused instead: the demo data must survive the conversion.
std::string Cp1252Exact(std::string_view utf8) {
    std::string bytes = Cp1252FromUtf8(utf8);
    if (Utf8FromCp1252(bytes) != utf8) {
        throw Error("The demo installation holds a text that Windows-1252 cannot represent: " + bytes);
    }
    return bytes;
}

// ---------------------------------------------------------------------------------------------
// Output: files are written with their exact bytes. Files that already exist are kept, so a
// user's changes to the world survive a second run (a fresh run has removed them before).

class Output {
  public:
    // Writes the file unless it exists; returns whether it was written.
    bool WriteNew(const fs::path& path, std::string_view bytes) {
        std::error_code ec;
        if (fs::exists(path, ec)) {
            ++m_kept;
            return false;
        }
        CreateFolder(path.parent_path());
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (!out) {
            Fail("cannot create", path);
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            Fail("cannot write", path);
        }
        ++m_written;
        return true;
    }

    bool WriteNewText(const fs::path& path, const ProfileText& text) {
        return WriteNew(path, Cp1252Exact(text.Utf8()));
    }

    static void CreateFolder(const fs::path& folder) {
        std::error_code ec;
        fs::create_directories(folder, ec);
        if (ec) {
            Fail("cannot create the folder", folder, ec);
        }
    }

    static void SetModified(const fs::path& path, const LocalTime& time) {
        std::error_code ec;
        fs::last_write_time(path, FileTimeOf(time), ec);
        if (ec) {
            Fail("cannot set the time of", path, ec);
        }
    }

    std::size_t Written() const { return m_written; }
    std::size_t Kept() const { return m_kept; }

  private:
    std::size_t m_written = 0;
    std::size_t m_kept = 0;
};

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

const std::string& In(const Text3& text, std::size_t language) {
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

const std::vector<PortData>& Ports() {
    static const std::vector<PortData> ports = {
        {harbour::Kiel, {"Kiel", "Kiel", "Kiel"}},
        {harbour::Wilhelmshaven, {"Wilhelmshaven", "Wilhelmshaven", "Wilhelmshaven"}},
        {harbour::Lorient, {"Lorient", "Lorient", "Lorient"}},
        {harbour::Brest, {"Brest", "Brest", "Brest"}},
        {harbour::SaintNazaire, {"Saint-Nazaire", "St. Nazaire", "Saint-Nazaire"}},
        {harbour::LaPallice, {"La Pallice", "La Pallice", "La Pallice"}},
        {harbour::Bordeaux, {"Bordeaux", "Bordeaux", "Bordeaux"}},
        {harbour::Bergen, {"Bergen", "Bergen", "Bergen"}},
        {harbour::Trondheim, {"Trondheim", "Drontheim", "Trondheim"}},
        {harbour::Flensburg, {"Flensburg-Mürwik", "Flensburg-Mürwik", "Flensbourg-Mürwik"}},
        {harbour::LaSpezia, {"La Spezia", "La Spezia", "La Spezia"}},
        {harbour::Toulon, {"Toulon", "Toulon", "Toulon"}},
    };
    return ports;
}

const Text3& PortName(int id) {
    for (const PortData& p : Ports()) {
        if (p.id == id) {
            return p.name;
        }
    }
    throw Error("The demo port " + Num(id) + " has no name.");
}

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

const std::vector<BoatTypeData>& BoatTypes() {
    static const std::vector<BoatTypeData> types = {
        {boattype::TypeII,
         "coastal boats",
         {{"IIA", 1939, 1}, {"IIB", 1939, 1}, {"IIC", 1939, 9}, {"IID", 1940, 6}}},
        {boattype::TypeVII,
         "",
         {{"VIIB", 1939, 1}, {"VIIC", 1940, 10}, {"VIIC/41", 1943, 6}, {"VIIC/42", 1944, 10}}},
        {boattype::TypeIX,
         "ocean-going boats",
         {{"IXA", 1939, 1}, {"IXB", 1940, 4}, {"IXC", 1941, 5}, {"IXC/40", 1942, 11}, {"IXD2", 1943, 2}}},
        {boattype::TypeXXI, "", {{"XXI", 1944, 11}}},
    };
    return types;
}

const char* TypeName(int type) {
    static constexpr std::array<const char*, 4> kNames = {"Type II", "Type VII", "Type IX", "Type XXI"};
    return kNames[static_cast<std::size_t>(type)];
}

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

const std::vector<FlotillaData>& Flotillas() {
    static const std::vector<FlotillaData> flotillas = {
        {flotilla::First,
         1,
         {"The oldest front flotilla. It sails from Kiel at the start of the war and moves to Brest in the "
          "summer of 1941.",
          "Die älteste Frontflottille. Sie läuft bei Kriegsbeginn von Kiel aus und verlegt im Sommer 1941 "
          "nach Brest.",
          "La plus ancienne flottille de combat. Elle opère depuis Kiel au début de la guerre et s'installe "
          "à "
          "Brest à l'été 1941."},
         {{harbour::Kiel, {1939, 9}, {1941, 6}}, {harbour::Brest, {1941, 7}, {1944, 9}}},
         {{{1939, 9}, "yes"},
          {{1940, 1}, "yes"},
          {{1941, 1}, "yes"},
          {{1942, 1}, "Yes"},
          {{1943, 1}, "yes"},
          {{1944, 1}, "no"}},
         {boattype::TypeII, boattype::TypeVII},
         {"AN", "AM", "AF", "AL", "BE"}},
        {flotilla::Second,
         2,
         {"A flotilla of ocean-going boats. From Wilhelmshaven it moves to Lorient in 1940, the first base "
          "on "
          "the Atlantic coast.",
          "Eine Flottille hochseefähiger Boote. Von Wilhelmshaven verlegt sie 1940 nach Lorient, dem ersten "
          "Stützpunkt an der Atlantikküste.",
          "Une flottille de sous-marins océaniques. De Wilhelmshaven, elle passe à Lorient en 1940, première "
          "base sur la côte atlantique."},
         {{harbour::Wilhelmshaven, {1939, 9}, {1940, 8}}, {harbour::Lorient, {1940, 9}, {1944, 8}}},
         {{{1939, 9}, "yes"}, {{1940, 1}, "yes"}, {{1941, 1}, "yes"}, {{1942, 1}, "yes"}, {{1943, 1}, "no"}},
         {boattype::TypeVII, boattype::TypeIX},
         {"AM", "AL", "BE", "CA", "CB"}},
        {flotilla::Third,
         3,
         {"Formed again in Kiel in 1941, it soon moves to La Pallice on the Bay of Biscay.",
          "1941 in Kiel neu aufgestellt, verlegt sie bald nach La Pallice an der Biskaya.",
          "Reconstituée à Kiel en 1941, elle rejoint bientôt La Pallice, dans le golfe de Gascogne."},
         {{harbour::Kiel, {1941, 3}, {1941, 9}}, {harbour::LaPallice, {1941, 10}, {1944, 10}}},
         {{{1941, 3}, "yes"}, {{1942, 1}, "yes"}, {{1943, 1}, "yes"}, {{1944, 1}, "yes"}},
         {boattype::TypeVII},
         {"AL", "AK", "BE", "BD"}},
        {flotilla::Seventh,
         7,
         {"Type VII boats from Kiel; from the summer of 1940 based at Saint-Nazaire.",
          "Boote des Typs VII aus Kiel; ab Sommer 1940 in St. Nazaire stationiert.",
          "Des sous-marins de type VII partis de Kiel ; basée à Saint-Nazaire à partir de l'été 1940."},
         {{harbour::Kiel, {1939, 9}, {1940, 6}}, {harbour::SaintNazaire, {1940, 7}, {1944, 8}}},
         {{{1939, 9}, "yes"},
          {{1940, 1}, "yes"},
          {{1941, 1}, "yes"},
          {{1942, 1}, "yes"},
          {{1943, 1}, "yes"},
          {{1944, 1}, "NO"}},
         {boattype::TypeVII},
         {"AN", "AM", "AL", "AK", "BE"}},
        {flotilla::Ninth,
         9,
         {"Formed at Brest late in 1941 for the convoy battles of the North Atlantic.",
          "Ende 1941 in Brest für die Geleitzugschlachten im Nordatlantik aufgestellt.",
          "Créée à Brest fin 1941 pour les batailles de convois de l'Atlantique Nord."},
         {{harbour::Brest, {1941, 11}, {1944, 8}}},
         {{{1941, 11}, "no"}, {{1942, 1}, "yes"}, {{1943, 1}, "yes"}, {{1944, 1}, "no"}},
         {boattype::TypeVII},
         {"AK", "AJ", "BC", "BD"}},
        {flotilla::Tenth,
         10,
         {"Long-range Type IX boats at Lorient, sent to the far waters of the Caribbean, Africa and the "
          "South "
          "Atlantic.",
          "Langstreckenboote des Typs IX in Lorient, eingesetzt in fernen Gewässern: Karibik, Afrika und "
          "Südatlantik.",
          "Des sous-marins de type IX à long rayon d'action basés à Lorient, envoyés dans les eaux "
          "lointaines "
          "des Caraïbes, de l'Afrique et de l'Atlantique Sud."},
         {{harbour::Lorient, {1942, 1}, {1944, 8}}},
         {{{1942, 1}, "yes"}, {{1943, 1}, "yes"}, {{1944, 1}, "yes"}},
         {boattype::TypeIX},
         {"CB", "CA", "DC", "ED", "EE"}},
        {flotilla::Eleventh,
         11,
         {"Boats in Norway, hunting the Arctic convoys from Bergen and, in the last months, from Trondheim.",
          "Boote in Norwegen, die von Bergen und in den letzten Monaten von Drontheim aus die "
          "Eismeergeleitzüge jagen.",
          "Des sous-marins en Norvège qui traquent les convois de l'Arctique depuis Bergen puis, dans les "
          "derniers mois, depuis Trondheim."},
         {{harbour::Bergen, {1942, 5}, {1944, 12}}, {harbour::Trondheim, {1945, 1}, {1945, 5}}},
         {{{1942, 5}, "yes"}, {{1943, 1}, "yes"}, {{1944, 1}, "yes"}, {{1945, 1}, "yes"}},
         {boattype::TypeVII, boattype::TypeXXI},
         {"AF", "AB", "AC", "AN", "AM"}},
        {flotilla::Twelfth,
         12,
         {"Large Type IX boats and supply boats at Bordeaux.",
          "Große Boote des Typs IX und Versorgungsboote in Bordeaux.",
          "De grands sous-marins de type IX et des ravitailleurs basés à Bordeaux."},
         {{harbour::Bordeaux, {1942, 10}, {1944, 8}}},
         {{{1942, 10}, "yes"}, {{1943, 1}, "yes"}, {{1944, 1}, "no"}},
         {boattype::TypeIX},
         {"DF", "DG", "EJ", "FJ"}},
        {flotilla::TwentyNinth,
         29,
         {"The Mediterranean flotilla, first at La Spezia, later at Toulon.",
          "Die Mittelmeerflottille, zuerst in La Spezia, später in Toulon.",
          "La flottille de Méditerranée, d'abord à La Spezia, puis à Toulon."},
         {{harbour::LaSpezia, {1941, 12}, {1943, 8}}, {harbour::Toulon, {1943, 9}, {1944, 8}}},
         {{{1941, 12}, "no"}, {{1942, 1}, "yes"}, {{1943, 1}, "yes"}, {{1944, 1}, "no"}},
         {boattype::TypeVII},
         {"CH", "CN", "CO", "CP"}},
        {flotilla::ThirtyThird,
         33,
         {"Formed at Flensburg in the last autumn of the war, with the new electro-boats of Type XXI.",
          "Im letzten Kriegsherbst in Flensburg aufgestellt, mit den neuen Elektrobooten des Typs XXI.",
          "Créée à Flensbourg au dernier automne de la guerre, avec les nouveaux sous-marins électriques de "
          "type XXI."},
         {{harbour::Flensburg, {1944, 10}, {1945, 5}}},
         {{{1944, 10}, "yes"}, {{1945, 1}, "yes"}},
         {boattype::TypeVII, boattype::TypeXXI},
         {"AN", "AO", "AM"}},
    };
    return flotillas;
}

std::string EnglishOrdinal(int n) {
    const int lastTwo = n % 100;
    const int last = n % 10;
    const char* suffix = "th";
    if (lastTwo < 11 || lastTwo > 13) {
        suffix = last == 1 ? "st" : last == 2 ? "nd" : last == 3 ? "rd" : "th";
    }
    return Num(n) + suffix;
}

Text3 FlotillaName(const FlotillaData& f) {
    const std::string fr = Num(f.number) + (f.number == 1 ? "re" : "e");
    return {EnglishOrdinal(f.number) + " U-boat Flotilla", Num(f.number) + ". Unterseebootsflottille",
            fr + " flottille de sous-marins"};
}

Text3 FlotillaShortName(const FlotillaData& f) {
    const std::string fr = Num(f.number) + (f.number == 1 ? "re" : "e");
    return {EnglishOrdinal(f.number) + " Flotilla", Num(f.number) + ". U-Flottille", fr + " flottille"};
}

// Awards of the commander, by the number of their key Medal0 .. Medal9 in the career files, and
// the menu text numbers of their names.
struct CommanderMedal {
    int key;
    int menuText;
    Text3 name;
};

const std::vector<CommanderMedal>& CommanderMedals() {
    static const std::vector<CommanderMedal> medals = {
        {0, 1991, {"Iron Cross 2nd Class", "Eisernes Kreuz 2. Klasse", "Croix de fer de 2e classe"}},
        {1, 1992, {"Iron Cross 1st Class", "Eisernes Kreuz 1. Klasse", "Croix de fer de 1re classe"}},
        {2, 1993, {"Knight's Cross", "Ritterkreuz", "Croix de chevalier"}},
        {3,
         1994,
         {"Knight's Cross with Oak Leaves", "Ritterkreuz mit Eichenlaub",
          "Croix de chevalier avec feuilles de chêne"}},
        {4,
         1995,
         {"Knight's Cross with Oak Leaves and Swords", "Ritterkreuz mit Eichenlaub und Schwertern",
          "Croix de chevalier avec feuilles de chêne et glaives"}},
        {5,
         1996,
         {"Knight's Cross with Oak Leaves, Swords and Diamonds",
          "Ritterkreuz mit Eichenlaub, Schwertern und Brillanten",
          "Croix de chevalier avec feuilles de chêne, glaives et diamants"}},
        {6,
         1997,
         {"Knight's Cross with Golden Oak Leaves, Swords and Diamonds",
          "Ritterkreuz mit goldenem Eichenlaub, Schwertern und Brillanten",
          "Croix de chevalier avec feuilles de chêne en or, glaives et diamants"}},
        {7, 1988, {"U-Boat War Badge", "U-Boot-Kriegsabzeichen", "Insigne de guerre des sous-marins"}},
        {8, 1989, {"U-Boat Front Clasp", "U-Boot-Frontspange", "Agrafe de front des sous-marins"}},
        {9, 1990, {"German Cross in Gold", "Deutsches Kreuz in Gold", "Croix allemande en or"}},
    };
    return medals;
}

// Bits of the commander's awards in the career tables below (bit i = key Medal<i>).
namespace medal {
constexpr unsigned IronCross2 = 1U << 0;
constexpr unsigned IronCross1 = 1U << 1;
constexpr unsigned KnightsCross = 1U << 2;
constexpr unsigned WarBadge = 1U << 7;
constexpr unsigned FrontClasp = 1U << 8;
constexpr unsigned GermanCross = 1U << 9;
}  // namespace medal

// ---------------------------------------------------------------------------------------------
// The game's menu text tables

// Texts by number, written in ascending order. A number given twice is a slip in the tables
// below (two categories would share a text), so it is refused.
class MenuTable {
  public:
    void Add(int id, Text3 text) {
        if (!m_entries.emplace(id, std::move(text)).second) {
            throw Error("The demo menu text " + Num(id) + " is defined twice.");
        }
    }
    // The same text in every language.
    void AddPlain(int id, const std::string& text) { Add(id, {text, text, text}); }

    ProfileText Render(std::size_t language) const {
        ProfileText text;
        text.Section("STRINGS");
        for (const auto& [id, entry] : m_entries) {
            text.Key(Num(id), In(entry, language));
        }
        return text;
    }

  private:
    std::map<int, Text3> m_entries;
};

void AddNumbered(MenuTable& table, int first, std::initializer_list<Text3> texts) {
    int id = first;
    for (const Text3& text : texts) {
        table.Add(id++, text);
    }
}

MenuTable BuildMenuTable() {
    MenuTable table;

    // Labels of the game's own screens that launch changes and the reports read.
    table.AddPlain(13, "Silent Hunter III");
    table.Add(22, {"U-BOAT ACES", "U-BOOT-ASSE", "AS DES SOUS-MARINS"});
    table.Add(201, {"Career", "Karriere", "Carrière"});
    table.Add(202, {"Flotilla", "Flottille", "Flottille"});
    table.Add(589, {"Hull integrity", "Rumpfzustand", "Intégrité de la coque"});
    table.Add(3744, {"CAPTAIN'S LOG", "KRIEGSTAGEBUCH", "JOURNAL DE BORD"});
    table.Add(4180, {"Ship sunk!|%s|%s GRT", "Schiff versenkt!|%s|%s BRT", "Navire coulé !|%s|%s tjb"});
    table.Add(4181, {"Aircraft destroyed!|%s", "Flugzeug abgeschossen!|%s", "Avion abattu !|%s"});

    // Crew grades 0 to 8; some names carry a remark after ";", as the game's tables do.
    AddNumbered(table, 160,
                {{"Matrose ; Ordinary Seaman", "Matrose", "Matrose ; matelot"},
                 {"Matrosengefreiter ; Able Seaman", "Matrosengefreiter ; MtrGfr",
                  "Matrosengefreiter ; matelot breveté"},
                 {"Matrosenobergefreiter ; Leading Seaman", "Matrosenobergefreiter ; MtrOGfr",
                  "Matrosenobergefreiter ; quartier-maître"},
                 {"Maat ; Petty Officer", "Maat ; Mt", "Maat ; second maître"},
                 {"Obermaat ; Chief Petty Officer", "Obermaat ; OMt", "Obermaat ; maître"},
                 {"Bootsmann ; Boatswain", "Bootsmann", "Bootsmann ; premier maître"},
                 {"Leutnant zur See ; Sub-Lieutenant", "Leutnant zur See ; LtzS",
                  "Leutnant zur See ; enseigne de vaisseau"},
                 {"Oberleutnant zur See ; Lieutenant", "Oberleutnant zur See ; OLtzS",
                  "Oberleutnant zur See ; lieutenant de vaisseau"},
                 {"Kapitänleutnant ; Lieutenant Commander", "Kapitänleutnant ; KptLt",
                  "Kapitänleutnant ; capitaine de corvette"}});

    // Commander ranks: the career files hold 10 to 19.
    AddNumbered(
        table, 170,
        {{"Oberleutnant zur See ; Lieutenant", "Oberleutnant zur See ; OLtzS",
          "Oberleutnant zur See ; lieutenant de vaisseau"},
         {"Kapitänleutnant ; Lieutenant Commander", "Kapitänleutnant ; KptLt",
          "Kapitänleutnant ; capitaine de corvette"},
         {"Korvettenkapitän ; Commander", "Korvettenkapitän ; KKpt",
          "Korvettenkapitän ; capitaine de frégate"},
         {"Fregattenkapitän ; Senior Commander", "Fregattenkapitän ; FKpt",
          "Fregattenkapitän ; capitaine de vaisseau"},
         {"Kapitän zur See ; Captain", "Kapitän zur See ; KptzS", "Kapitän zur See ; capitaine de vaisseau"},
         {"Kommodore ; Commodore", "Kommodore", "Kommodore ; chef de division"},
         {"Konteradmiral ; Rear Admiral", "Konteradmiral ; KAdm", "Konteradmiral ; contre-amiral"},
         {"Vizeadmiral ; Vice Admiral", "Vizeadmiral ; VAdm", "Vizeadmiral ; vice-amiral"},
         {"Admiral", "Admiral", "Admiral ; amiral"},
         {"Generaladmiral ; General Admiral", "Generaladmiral", "Generaladmiral ; amiral de la flotte"}});

    // Notes on the war years 1939 to 1945.
    AddNumbered(
        table, 260,
        {{"September 1939: war breaks out. Only a few dozen boats are ready for sea; patrols lead into the "
          "North "
          "Sea and the approaches to the British Isles. Enemy convoys are still rare and escorts are thin.",
          "September 1939: Der Krieg beginnt. Nur wenige Dutzend Boote sind einsatzbereit; die Feindfahrten "
          "führen in die Nordsee und vor die britischen Inseln. Geleitzüge sind noch selten, ihre Sicherung "
          "ist "
          "schwach.",
          "Septembre 1939 : la guerre éclate. Seules quelques dizaines de sous-marins sont prêts à prendre "
          "la "
          "mer ; les patrouilles mènent en mer du Nord et aux abords des îles Britanniques. Les convois sont "
          "encore rares et faiblement escortés."},
         {"The fall of France opens the Biscay ports. From late summer the boats sail from Lorient and Brest "
          "straight into the Atlantic: the first \"happy time\" of the commanders.",
          "Mit dem Fall Frankreichs stehen die Biskayahäfen offen. Ab dem Spätsommer laufen die Boote von "
          "Lorient und Brest direkt in den Atlantik aus: die erste „glückliche Zeit“ der Kommandanten.",
          "La chute de la France ouvre les ports du golfe de Gascogne. Dès la fin de l'été, les sous-marins "
          "partent de Lorient et de Brest directement vers l'Atlantique : c'est le premier « temps heureux » "
          "des commandants."},
         {"Convoys grow larger and their escorts stronger. The wolf packs gather in the mid-Atlantic, far "
          "from "
          "the enemy's aircraft. In December the United States enter the war.",
          "Die Geleitzüge werden größer, ihre Sicherung stärker. Die Rudel sammeln sich im mittleren "
          "Atlantik, "
          "fern der feindlichen Flugzeuge. Im Dezember treten die Vereinigten Staaten in den Krieg ein.",
          "Les convois grossissent et leurs escortes se renforcent. Les meutes se rassemblent au milieu de "
          "l'Atlantique, loin de l'aviation ennemie. En décembre, les États-Unis entrent en guerre."},
         {"The long-range boats hunt off the American coast and in the Caribbean, where ships still sail "
          "alone "
          "and lit. Later in the year the battle returns to the convoy routes.",
          "Die Langstreckenboote jagen vor der amerikanischen Küste und in der Karibik, wo Schiffe noch "
          "einzeln "
          "und beleuchtet fahren. Später im Jahr kehrt die Schlacht auf die Geleitzugrouten zurück.",
          "Les sous-marins à long rayon d'action chassent au large des côtes américaines et dans les "
          "Caraïbes, "
          "où les navires naviguent encore seuls et éclairés. Plus tard dans l'année, la bataille revient "
          "sur "
          "les routes des convois."},
         {"Spring brings the great convoy battles, then the turn: radar, escort carriers and long-range "
          "aircraft close the air gap. In May the losses become too heavy and the packs are withdrawn.",
          "Das Frühjahr bringt die großen Geleitzugschlachten, dann die Wende: Radar, Geleitträger und "
          "Langstreckenflugzeuge schließen die Luftlücke. Im Mai werden die Verluste zu hoch, die Rudel "
          "werden "
          "zurückgezogen.",
          "Le printemps apporte les grandes batailles de convois, puis le tournant : radar, porte-avions "
          "d'escorte et avions à long rayon d'action comblent le trou aérien. En mai, les pertes deviennent "
          "trop lourdes et les meutes sont retirées."},
         {"The snorkel lets the boats stay submerged, but every patrol is a gamble. After the landings in "
          "Normandy the Biscay bases are lost and the flotillas move to Norway.",
          "Der Schnorchel lässt die Boote getaucht fahren, doch jede Feindfahrt ist ein Wagnis. Nach der "
          "Landung in der Normandie gehen die Biskayastützpunkte verloren, die Flottillen verlegen nach "
          "Norwegen.",
          "Le schnorchel permet aux sous-marins de rester en plongée, mais chaque patrouille est un pari. "
          "Après "
          "le débarquement en Normandie, les bases du golfe de Gascogne sont perdues et les flottilles se "
          "replient en Norvège."},
         {"The new electro-boats come too late. Patrols lead from Norway into British coastal waters until "
          "the "
          "order to cease fire reaches the boats in May.",
          "Die neuen Elektroboote kommen zu spät. Die Feindfahrten führen von Norwegen in die britischen "
          "Küstengewässer, bis im Mai der Befehl zur Feuereinstellung die Boote erreicht.",
          "Les nouveaux sous-marins électriques arrivent trop tard. Les patrouilles partent de Norvège vers "
          "les "
          "eaux côtières britanniques jusqu'à ce que l'ordre de cessez-le-feu atteigne les sous-marins en "
          "mai."}});

    // Crew awards 0 to 8: six decorations in a chain, then three badges.
    AddNumbered(table, 330,
                {{"Iron Cross 2nd Class", "Eisernes Kreuz 2. Klasse", "Croix de fer de 2e classe"},
                 {"Iron Cross 1st Class", "Eisernes Kreuz 1. Klasse", "Croix de fer de 1re classe"},
                 {"German Cross in Gold", "Deutsches Kreuz in Gold", "Croix allemande en or"},
                 {"Knight's Cross", "Ritterkreuz", "Croix de chevalier"},
                 {"Knight's Cross with Oak Leaves", "Ritterkreuz mit Eichenlaub",
                  "Croix de chevalier avec feuilles de chêne"},
                 {"Knight's Cross with Oak Leaves and Swords", "Ritterkreuz mit Eichenlaub und Schwertern",
                  "Croix de chevalier avec feuilles de chêne et glaives"},
                 {"U-Boat Front Clasp", "U-Boot-Frontspange", "Agrafe de front des sous-marins"},
                 {"U-Boat War Badge", "U-Boot-Kriegsabzeichen", "Insigne de guerre des sous-marins"},
                 {"Wound Badge", "Verwundetenabzeichen", "Insigne des blessés"}});

    // Health states, then the nine qualifications.
    AddNumbered(table, 360,
                {{"Fit for duty", "Einsatzfähig", "Apte au service"},
                 {"Wounded", "Verwundet", "Blessé"},
                 {"Killed in action", "Gefallen", "Mort au combat"},
                 {"Seriously wounded", "Schwer verwundet", "Grièvement blessé"},
                 {"Sick", "Krank", "Malade"}});
    AddNumbered(table, 365,
                {{"Watch keeping", "Wachdienst", "Quart"},
                 {"Diesel engines", "Dieselmaschinen", "Moteurs diesel"},
                 {"Electric motors", "E-Maschinen", "Moteurs électriques"},
                 {"Torpedoes", "Torpedos", "Torpilles"},
                 {"Gunnery", "Artillerie", "Artillerie"},
                 {"Radio", "Funk", "Radio"},
                 {"Sound gear", "Horchgerät", "Écoute"},
                 {"Damage control", "Leckabwehr", "Lutte contre les avaries"},
                 {"Medical care", "Sanitätsdienst", "Soins médicaux"}});

    // Compartments 0 to 8 of a boat.
    AddNumbered(table, 636,
                {{"Bridge", "Brücke", "Passerelle"},
                 {"Crew quarters", "Mannschaftsraum", "Poste d'équipage"},
                 {"Control room", "Zentrale", "Central"},
                 {"Radio and sound room", "Funk- und Horchraum", "Local radio et écoute"},
                 {"Bow torpedo room", "Bugtorpedoraum", "Torpilles avant"},
                 {"Diesel engine room", "Dieselmotorenraum", "Salle des diesels"},
                 {"Electric motor room", "E-Maschinenraum", "Salle des moteurs électriques"},
                 {"Deck guns", "Geschütze", "Canons de pont"},
                 {"Stern torpedo room", "Hecktorpedoraum", "Torpilles arrière"}});

    for (const FlotillaData& f : Flotillas()) {
        table.Add(f.id, FlotillaName(f));
        table.Add(f.id + flotilla::DescriptionOffset, f.description);
        table.Add(f.id + flotilla::ShortNameOffset, FlotillaShortName(f));
    }
    for (const PortData& p : Ports()) {
        table.Add(p.id, p.name);
    }

    AddNumbered(table, 1400,
                {{"Sunday", "Sonntag", "dimanche"},
                 {"Monday", "Montag", "lundi"},
                 {"Tuesday", "Dienstag", "mardi"},
                 {"Wednesday", "Mittwoch", "mercredi"},
                 {"Thursday", "Donnerstag", "jeudi"},
                 {"Friday", "Freitag", "vendredi"},
                 {"Saturday", "Samstag", "samedi"}});

    for (const CommanderMedal& m : CommanderMedals()) {
        table.Add(m.menuText, m.name);
    }
    return table;
}

// ---------------------------------------------------------------------------------------------
// The game folder

void WriteStandInGame(Output& out, const fs::path& game) {
    const fs::path exe = game / "sh3.exe";
    const bool written =
        out.WriteNew(exe,
                     "#!/bin/sh\n"
                     "# Seewolf demo: a stand-in for the game's sh3.exe. It is not the game;\n"
                     "# it only marks this folder as a game installation.\n"
                     "echo \"Silent Hunter III stand-in (Seewolf demo): nothing to play here.\"\n"
                     "exit 0\n");
    if (written) {
        std::error_code ec;
        fs::permissions(exe, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                        fs::perm_options::add, ec);
        if (ec) {
            Fail("cannot make executable", exe, ec);
        }
    }
}

// The game's FileManager.dll names the save folder at a fixed place; the rest is filler.
constexpr std::size_t kFileManagerSize = 48 * 1024;
constexpr std::size_t kSaveNameOffset = 38520;

void WriteFileManager(Output& out, const fs::path& game) {
    std::string bytes(kFileManagerSize, '\0');
    std::uint32_t state = 0x5EE301F;
    for (char& byte : bytes) {
        state = state * 1103515245U + 12345U;
        byte = static_cast<char>((state >> 16) & 0xFF);
    }
    const std::string_view header = "MZ";
    bytes.replace(0, header.size(), header);
    const std::string_view note = "Seewolf demo stand-in, not a program.";
    bytes.replace(0x40, note.size(), note);
    const std::string_view saveName("SH3\0", 4);
    bytes.replace(kSaveNameOffset, saveName.size(), saveName);
    out.WriteNew(game / "FileManager.dll", bytes);
}

void WriteBasicCfg(Output& out, const fs::path& game) {
    ProfileText text;
    text.Section("TIME").Key("NbDaysInBase", 28).Blank();

    // Crew fatigue per hour of game time; the fatigue models of the program folder replace them.
    text.Section("FATIGUE")
        .Key("OnDuty", 0.015)
        .Key("OffDuty", 0.03)
        .Key("BattleStations", 0.04)
        .Key("Exhausted", 0.9)
        .Blank();

    // Crew grades: experience needed, morale, fatigue and hit points.
    static constexpr std::array<int, 9> kExperience = {0, 20, 50, 100, 150, 200, 300, 400, 500};
    static constexpr std::array<double, 9> kMorale = {0.6, 0.65, 0.7, 0.72, 0.75, 0.8, 0.85, 0.9, 0.95};
    static constexpr std::array<int, 9> kHitPoints = {100, 100, 110, 110, 120, 120, 130, 130, 140};
    for (std::size_t g = 0; g < kExperience.size(); ++g) {
        text.Section("CREW_" + Num(static_cast<int>(g)))
            .Key("Experience", kExperience[g])
            .Key("MoraleMax", kMorale[g])
            .Key("FatigueMin", 0.05 * static_cast<double>(g % 3))
            .Key("Hp", kHitPoints[g])
            .Blank();
    }
    text.Section("MEDALS_CREW").Key("Experience", 1.25).Blank();

    for (const BoatTypeData& type : BoatTypes()) {
        text.Section("SUBMARINE" + Num(type.type));
        const std::string count = Num(static_cast<int>(type.versions.size()));
        text.Key("NbVersion", *type.versionComment ? count + " ; " + type.versionComment : count);
        for (std::size_t i = 0; i < type.versions.size(); ++i) {
            const std::string n = Num(static_cast<int>(i));
            const BoatVersion& v = type.versions[i];
            text.Key("Name" + n, v.name).Key("Version" + n, static_cast<int>(i)).Key("Year" + n, v.year);
            text.Key("Month" + n, v.month);
        }
        text.Blank();
    }
    out.WriteNewText(game / "data" / "Cfg" / "Basic.cfg", text);
}

// The latest version of a boat type available in a month (the first one when none is yet).
int VersionAvailable(int type, YearMonth date) {
    const BoatTypeData& data = BoatTypes()[static_cast<std::size_t>(type)];
    int version = 0;
    for (std::size_t i = 0; i < data.versions.size(); ++i) {
        const BoatVersion& v = data.versions[i];
        if (v.year * 12 + v.month <= date.year * 12 + date.month) {
            version = static_cast<int>(i);
        }
    }
    return version;
}

// Names of the months in the keys of the flotillas' patrol grids.
constexpr std::array<std::string_view, 12> kGridMonths = {"Jan",  "Febr", "March", "April", "May", "June",
                                                          "July", "Aug",  "Sept",  "Oct",   "Nov", "Dec"};

// A grid square of a flotilla's waters ("AL57"); the choice varies with year, month and slot.
std::string GridSquare(const FlotillaData& f, int year, int month, int a, int b) {
    // Early in the war the patrols lead to the nearer waters, which each list names first.
    const std::size_t region = static_cast<std::size_t>(a + year - 1939) % f.waters.size();
    const int tens = 1 + (month + 2 * b + f.number) % 9;
    const int units = 1 + (3 * month + a + b + year) % 9;
    return std::string(f.waters[region]) + Num(tens) + Num(units);
}

void WriteFlotillaCfg(Output& out, const fs::path& game) {
    const std::vector<FlotillaData>& flotillas = Flotillas();
    ProfileText text;
    text.Section("FLOTILLA").Key("NbFlotilla", static_cast<int>(flotillas.size()));
    for (std::size_t index = 0; index < flotillas.size(); ++index) {
        const FlotillaData& f = flotillas[index];
        const std::string i = Num(static_cast<int>(index));
        text.Blank().Key("Flotilla" + i, f.id);

        text.Key("NbBases" + i, static_cast<int>(f.bases.size()));
        for (std::size_t b = 0; b < f.bases.size(); ++b) {
            const BaseSpan& base = f.bases[b];
            const std::string ib = i + "_" + Num(static_cast<int>(b));
            text.Key("Base" + ib, Num(base.port) + " ; " + PortName(base.port).en);
            text.Key("Date" + ib + "_0", base.from.year).Key("Month" + ib + "_0", base.from.month);
            text.Key("Date" + ib + "_1", base.until.year).Key("Month" + ib + "_1", base.until.month);
        }

        const int starts = static_cast<int>(f.starts.size());
        text.Key("NbStartingDate" + i, starts).Key("NbDate" + i, starts);
        for (int k = 0; k < starts; ++k) {
            const StartingDate& start = f.starts[static_cast<std::size_t>(k)];
            const std::string ik = i + Num(k);
            const int type = f.boatTypes.front();
            text.Key("Date" + ik, start.date.year).Key("Month" + ik, start.date.month);
            text.Key("Starting" + ik, start.starting);
            text.Key("TypeSub" + ik, type).Key("VersionSub" + ik, VersionAvailable(type, start.date));
            for (int month = 1; month <= 12; ++month) {
                for (int a = 0; a < 3; ++a) {
                    for (int b = 0; b < 5; ++b) {
                        text.Key(std::string(kGridMonths[static_cast<std::size_t>(month - 1)]) + ik + Num(a) +
                                     Num(b),
                                 GridSquare(f, start.date.year, month, a, b));
                    }
                }
            }
        }

        text.Key("NbUboats" + i, static_cast<int>(f.boatTypes.size()));
        for (std::size_t j = 0; j < f.boatTypes.size(); ++j) {
            const int type = f.boatTypes[j];
            text.Key("Uboat" + i + "_" + Num(static_cast<int>(j)), Num(type) + " ; " + TypeName(type));
        }
    }
    out.WriteNewText(game / "data" / "Cfg" / "Flotilla.cfg", text);
}

void WriteMenuTables(Output& out, const fs::path& game) {
    const MenuTable table = BuildMenuTable();
    for (std::size_t language = English; language <= French; ++language) {
        out.WriteNewText(game / "data" / "Menu" / (std::string(kLanguageCodes[language]) + "_menu.txt"),
                         table.Render(language));
    }
}

// ---------------------------------------------------------------------------------------------
// What a launch works on: game files that the program's file sets replace (some read-only, as
// installations copied from a disc have them), files that the sets add, and the intro movies.
// A file set is a folder of the program folder that mirrors the game folder: Flotilla/<id>/,
// U-boat/<type name without "/">/, Crew/<set>/, Date/<yyyymmdd>/ and Random/<n>/Date/<yyyymmdd>/.
// Some sets spell a folder or file in another letter case than the game ("data/cfg/"), as
// hand-made sets do; the game under Wine does not mind, so a launch must not either.

// One file of that content: `set` is the file set's folder below the program folder, or empty
// for a file of the game folder.
struct LaunchFile {
    std::string set;
    std::string path;   // "/"-separated, in the letter case it is written with
    std::string bytes;  // the exact bytes
    bool readOnly = false;
};

// The first line of every text file says where it comes from, so that a look into the game
// folder after a launch shows which set was installed.
ProfileText StartText(std::string_view set, std::string_view what) {
    std::string folder(set);
    std::replace(folder.begin(), folder.end(), '/', '\\');  // as Windows users know the folders
    ProfileText text;
    text.Comment(std::string(what) + (set.empty() ? ": the game's own file (Seewolf demo)"
                                                  : ": Seewolf demo file set " + folder));
    return text;
}

// Invented binary data: a readable header, then a pattern drawn from it.
std::string FillerBytes(std::string_view header, std::size_t size) {
    Draws draws(header);
    std::string bytes(header);
    bytes.resize(std::max(size, header.size()));
    for (std::size_t i = header.size(); i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(draws.Next(256));
    }
    return bytes;
}

// Flotilla emblems of the game's menus: the game's general one and the flotillas' own.
struct Emblem {
    const char* set;
    const char* path;
    const char* motif;
};

constexpr std::array<Emblem, 4> kEmblems = {{
    {"", "data/Menu/Gui/Emblem.dat", "U-boat arm: anchor and oak leaves"},
    {"Flotilla/660", "data/Menu/Gui/Emblem.dat", "1st Flotilla: compass rose"},
    {"Flotilla/661", "data/menu/gui/emblem.dat", "2nd Flotilla: sea serpent"},
    {"Flotilla/665", "data/Menu/Gui/Emblem.dat", "10th Flotilla: flying fish"},
}};

// Crew stations of a boat type.
struct Stations {
    const char* set;
    const char* path;
    const char* boat;
    int compartments;
    int bunks;
    int watch;  // men on the bridge watch
};

constexpr std::array<Stations, 6> kStations = {{
    {"", "data/Submarine/Stations.cfg", "VIIC", 8, 35, 4},
    {"U-boat/IIB", "data/Submarine/Stations.cfg", "IIB", 5, 14, 3},
    {"U-boat/VIIB", "data/Submarine/Stations.cfg", "VIIB", 8, 33, 4},
    {"U-boat/VIIC41", "data/SUBMARINE/stations.cfg", "VIIC/41", 8, 36, 4},
    {"U-boat/IXC40", "data/Submarine/Stations.cfg", "IXC/40", 9, 44, 5},
    {"U-boat/XXI", "data/Submarine/Stations.cfg", "XXI", 6, 52, 4},
}};

// Convoy traffic: the game's own file and the date sets that change it as the war goes on.
// A random set of the same date is installed right after the fixed one and overrides it.
struct ConvoyTraffic {
    const char* set;
    const char* path;
    int convoysPerMonth;
    int escorts;
    const char* airCover;
};

constexpr std::array<ConvoyTraffic, 9> kConvoys = {{
    {"", "data/Cfg/Convoys.cfg", 4, 2, "coastal"},
    {"Date/19390901", "data/Cfg/Convoys.cfg", 2, 1, "none"},
    {"Date/19400701", "data/Cfg/Convoys.cfg", 4, 2, "coastal"},
    {"Random/0/Date/19400701", "data/Cfg/Convoys.cfg", 5, 1, "coastal"},
    {"Date/19410601", "data/Cfg/Convoys.cfg", 6, 4, "coastal"},
    {"Random/1/Date/19410601", "data/CFG/convoys.cfg", 7, 3, "coastal"},
    {"Date/19420201", "data/Cfg/Convoys.cfg", 7, 5, "coastal"},
    {"Date/19430601", "data/Cfg/Convoys.cfg", 8, 8, "full"},
    {"Date/19440601", "data/Cfg/Convoys.cfg", 8, 10, "full"},
}};

// The crew a new career starts with: the game's own and the program's crew sets.
struct CrewMember {
    const char* name;
    int grade;
    int patrols;
    int experience;
    int qualification;  // -1: none
};

struct CrewSet {
    const char* set;
    const char* path;
    const char* title;
    std::vector<CrewMember> members;
};

const std::vector<CrewSet>& CrewSets() {
    static const std::vector<CrewSet> sets = {
        {"",
         "data/Cfg/Crew.cfg",
         "Crew of a new boat",
         {{"Heinz Albers", 7, 0, 300, 0},
          {"Rudolf Kämpf", 6, 0, 200, 3},
          {"Walter Stein", 4, 1, 150, 1},
          {"Franz Olbrich", 3, 0, 100, 7},
          {"Kurt Wendt", 1, 0, 20, -1},
          {"Erwin Pahl", 0, 0, 0, -1}}},
        {"Crew/Veteran crew",
         "data/cfg/crew.cfg",
         "Veteran crew",
         {{"Gerhard Lüders", 8, 9, 500, 0},
          {"Helmut Brückner", 7, 7, 400, 3},
          {"Alfred Timm", 5, 8, 200, 1},
          {"Johann Reese", 5, 6, 200, 7},
          {"Max Sörensen", 4, 5, 150, 2},
          {"Bruno Haas", 2, 4, 50, 5}}},
        {"Crew/Green crew",
         "data/Cfg/Crew.cfg",
         "Green crew",
         {{"Peter Jansen", 6, 0, 200, 0},
          {"Klaus Meyer", 6, 0, 200, -1},
          {"Georg Fink", 3, 0, 100, 1},
          {"Hans-Dieter Kühl", 1, 0, 20, -1},
          {"Emil Rath", 0, 0, 0, -1},
          {"Fritz Bode", 0, 0, 0, -1}}},
    };
    return sets;
}

// Files that only the sets have: the game has no counterpart, so a launch adds them.
struct AddedFile {
    const char* set;
    const char* path;
    const char* section;
    std::vector<std::pair<const char*, const char*>> keys;
};

const std::vector<AddedFile>& AddedFiles() {
    static const std::vector<AddedFile> files = {
        {"Flotilla/661",
         "data/Cfg/Standing orders.cfg",
         "ORDERS",
         {{"Area", "Western Approaches"},
          {"Report", "every 24 hours"},
          {"Return", "with a quarter of the fuel"}}},
        {"U-boat/XXI", "data/Submarine/Snorkel.cfg", "SNORKEL", {{"Depth", "12"}, {"MaxKnots", "6"}}},
        {"Date/19430601",
         "data/Cfg/Air cover.cfg",
         "AIR COVER",
         {{"Biscay", "heavy"}, {"MidAtlantic", "escort carriers"}}},
        {"Random/1/Date/19430601",
         "data/Cfg/Air cover.cfg",
         "AIR COVER",
         {{"Biscay", "very heavy"}, {"MidAtlantic", "long-range patrols"}}},
        {"Random/0/Date/19420201", "data/Cfg/Sea state.cfg", "SEA STATE", {{"Winter", "4"}, {"Summer", "2"}}},
    };
    return files;
}

// Intro movies the game plays at its start; a launch can rename them away.
constexpr std::array<std::pair<const char*, std::size_t>, 2> kIntroMovies = {{
    {"data/Movies/Intro/Logo.wmv", 1536},
    {"data/Movies/Intro/Intro.wmv", 4096},
}};

std::vector<LaunchFile> LaunchFiles() {
    std::vector<LaunchFile> files;
    // The game's own files that a set replaces are read-only, except the convoy traffic.
    const auto add = [&files](std::string_view set, std::string_view path, std::string bytes) {
        files.push_back({std::string(set), std::string(path), std::move(bytes), set.empty()});
    };
    for (const Emblem& e : kEmblems) {
        add(e.set, e.path, FillerBytes("SEEWOLF DEMO EMBLEM " + std::string(e.motif) + "\r\n", 768));
    }
    for (const Stations& s : kStations) {
        ProfileText text = StartText(s.set, "Crew stations");
        text.Section("STATIONS").Key("Boat", s.boat).Key("Compartments", s.compartments);
        text.Key("Bunks", s.bunks).Key("Watch", s.watch);
        add(s.set, s.path, Cp1252Exact(text.Utf8()));
    }
    for (const CrewSet& c : CrewSets()) {
        ProfileText text = StartText(c.set, "Crew of a new career");
        text.Section("CREW").Key("Desc", c.title).Key("Members", static_cast<int>(c.members.size()));
        for (std::size_t i = 0; i < c.members.size(); ++i) {
            const CrewMember& m = c.members[i];
            text.Blank().Section("CREW_MEMBER_" + Num(static_cast<int>(i)));
            text.Key("Name", m.name).Key("Grad", m.grade).Key("Patrols", m.patrols);
            text.Key("Experience", static_cast<double>(m.experience))
                .Key("NrQual", m.qualification < 0 ? 0 : 1);
            if (m.qualification >= 0) {
                text.Key("Qualification0", m.qualification);
            }
        }
        add(c.set, c.path, Cp1252Exact(text.Utf8()));
    }
    for (const ConvoyTraffic& c : kConvoys) {
        ProfileText text = StartText(c.set, "Convoy traffic");
        text.Section("CONVOYS").Key("PerMonth", c.convoysPerMonth).Key("Escorts", c.escorts);
        text.Key("AirCover", c.airCover);
        files.push_back({c.set, c.path, Cp1252Exact(text.Utf8()), false});
    }
    for (const AddedFile& a : AddedFiles()) {
        ProfileText text = StartText(a.set, a.section);
        text.Section(a.section);
        for (const auto& [key, value] : a.keys) {
            text.Key(key, value);
        }
        add(a.set, a.path, Cp1252Exact(text.Utf8()));
    }
    for (const auto& [path, size] : kIntroMovies) {
        files.push_back(
            {"", path, FillerBytes("SEEWOLF DEMO MOVIE " + std::string(path) + "\r\n", size), false});
    }
    return files;
}

void MakeReadOnly(const fs::path& path) {
    std::error_code ec;
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove, ec);
    if (ec) {
        Fail("cannot make read-only", path, ec);
    }
}

void WriteLaunchGameFiles(Output& out, const fs::path& game) {
    for (const LaunchFile& file : LaunchFiles()) {
        if (file.set.empty() && out.WriteNew(game / PathFromUtf8(file.path), file.bytes) && file.readOnly) {
            MakeReadOnly(game / PathFromUtf8(file.path));
        }
    }
}

void WriteGame(Output& out, const fs::path& game) {
    WriteStandInGame(out, game);
    WriteFileManager(out, game);
    WriteBasicCfg(out, game);
    WriteFlotillaCfg(out, game);
    WriteMenuTables(out, game);
    WriteLaunchGameFiles(out, game);
}

// ---------------------------------------------------------------------------------------------
// The careers

// One patrol: where and with what it sailed.
struct Voyage {
    Day start;
    const char* area;  // the patrol grid ordered, or "NULL"
    int flotilla;
    int port;  // where it sailed from
    const char* boat;
    int subType;
    int subVersion;
};

// What a completed patrol brought.
struct Outcome {
    int days;  // at sea, the days of sailing and return included
    int merchants;
    int merchantTonnage;
    int warships;
    int warshipTonnage;
    int planes;
    double hull;      // hull integrity at the return, in percent
    int rank;         // the commander's rank at its end
    unsigned medals;  // awards received on it
    int officersLost;
    int pettyOfficersLost;
    int seamenLost;
};

struct CompletedPatrol {
    Voyage voyage;
    Outcome outcome;
};

struct SaveGame {
    const char* name;  // base name of the .sav and .psc files (UTF-8)
    const char* grid;  // patrol area in the .psc; nullptr: the .psc names none (no key at all)
    LocalTime saved;   // modification time of the .sav
};

// How the career ended: the letter case of the texts varies, as the game's files do.
struct Ending {
    const char* finished;
    const char* warOver;
};

constexpr Ending kGoingOn{"false", "false"};

struct CareerData {
    const char* name = "";  // folder and commander (UTF-8)
    std::vector<CompletedPatrol> patrols = {};
    Voyage current{};  // the patrol at sea, or the next one in base
    int crtPort = -1;  // -1: the boat lies in another base
    int deckGun = 0;   // M01: -1 none, else the gun fitted
    Ending ending = kGoingOn;
    std::vector<SaveGame> saves = {};  // in the folder of the current patrol
    const char* strayPsc = nullptr;    // a .psc without its .sav there
    LocalTime lastSaved{};             // the computer's clock when the game last saved the career
    bool history = true;               // Seewolf already keeps a history record of it
    bool surrendered = false;          // the record's surrender flag
};

// Commanders start as Oberleutnant zur See.
constexpr int kStartRank = 10;

// Each completed patrol is a voyage row
//     {start, grid, flotilla, port, boat, type, version}
// and an outcome row
//     {days, merchants, GRT, warships, GRT, aircraft, hull %, rank, awards, officers, petty officers,
//      seamen lost}.
const std::vector<CareerData>& Careers() {
    using namespace flotilla;
    using namespace boattype;
    using namespace medal;
    static const std::vector<CareerData> careers = {
        {.name = DemoCareers::InHomeBase,
         .patrols = {{{{1940, 3, 12}, "AN33", Second, harbour::Wilhelmshaven, "U-146", TypeVII, 0},
                      {37, 2, 9870, 0, 0, 0, 100.0, 10, WarBadge, 0, 0, 0}},
                     {{{1940, 5, 28}, "AM52", Second, harbour::Wilhelmshaven, "U-146", TypeVII, 0},
                      {43, 4, 21340, 1, 1350, 0, 86.5, 10, IronCross2, 0, 1, 2}},
                     {{{1940, 9, 16}, "AL68", Second, harbour::Lorient, "U-146", TypeVII, 0},
                      {40, 5, 31460, 0, 0, 0, 92.0, 11, 0, 0, 0, 0}},
                     {{{1940, 12, 2}, "AM16", Second, harbour::Lorient, "U-146", TypeVII, 0},
                      {48, 3, 18205, 0, 0, 1, 71.25, 11, IronCross1, 0, 0, 3}}},
         .current = {{1941, 2, 24}, "BE32", Second, harbour::Lorient, "U-146", TypeVII, 0},
         .crtPort = harbour::Lorient,
         .lastSaved = {{2024, 5, 14}, 21, 47}},
        {.name = DemoCareers::InOtherBase,
         .patrols = {{{{1941, 5, 3}, "AK87", Seventh, harbour::SaintNazaire, "U-406", TypeVII, 1},
                      {41, 2, 11230, 0, 0, 0, 100.0, 10, WarBadge, 0, 0, 0}},
                     {{{1941, 7, 19}, "BE61", Seventh, harbour::SaintNazaire, "U-406", TypeVII, 1},
                      {45, 3, 14870, 1, 925, 0, 88.0, 11, IronCross2, 0, 0, 1}},
                     {{{1941, 10, 6}, "AL25", Seventh, harbour::SaintNazaire, "U-406", TypeVII, 1},
                      {44, 1, 5412, 0, 0, 0, 64.5, 11, 0, 0, 1, 4}}},
         .current = {{1942, 1, 12}, "CB48", Seventh, harbour::SaintNazaire, "U-406", TypeVII, 1},
         .crtPort = -1,
         .lastSaved = {{2024, 6, 2}, 19, 5}},
        {.name = DemoCareers::AtSea,
         .patrols = {{{{1942, 2, 16}, "CB87", Tenth, harbour::Lorient, "U-174", TypeIX, 2},
                      {52, 6, 38950, 0, 0, 0, 100.0, 10, WarBadge | IronCross2, 0, 0, 0}},
                     {{{1942, 5, 21}, "ED95", Tenth, harbour::Lorient, "U-174", TypeIX, 2},
                      {67, 8, 47620, 1, 1190, 0, 79.75, 11, IronCross1, 0, 1, 2}}},
         .current = {{1942, 9, 7}, "EE53", Tenth, harbour::Lorient, "U-174", TypeIX, 2},
         .crtPort = harbour::Lorient,
         .deckGun = 1,
         // In name order the newest save comes first: a reader has to compare the times.
         .saves = {{"Outbound Biscay", "BF18", {{2024, 7, 1}, 20, 12}},
                   {"Crossing", "DF43", {{2024, 7, 3}, 22, 40}},
                   {"Convoy contact", "EE62", {{2024, 7, 6}, 23, 55}}},
         .lastSaved = {{2024, 6, 30}, 18, 30}},
        {.name = DemoCareers::Lost,
         .patrols = {{{{1939, 9, 4}, "AN16", First, harbour::Kiel, "U-59", TypeII, 1},
                      {19, 1, 2120, 0, 0, 0, 100.0, 10, 0, 0, 0, 0}},
                     {{{1939, 10, 28}, "AN18", First, harbour::Kiel, "U-59", TypeII, 1},
                      {24, 2, 3940, 0, 0, 0, 93.0, 10, WarBadge, 0, 0, 0}},
                     {{{1940, 1, 15}, "AN22", First, harbour::Kiel, "U-59", TypeII, 1},
                      {12, 0, 0, 0, 0, 0, 0.0, 10, 0, 4, 6, 14}}},
         .current = {{1940, 1, 26}, "NULL", First, harbour::Kiel, "U-59", TypeII, 1},
         .crtPort = harbour::Kiel,
         .deckGun = -1,
         .ending = {"true", "false"},
         .lastSaved = {{2024, 3, 19}, 22, 10}},
        {.name = DemoCareers::Retired,
         .patrols = {{{{1939, 11, 10}, "AM74", Second, harbour::Wilhelmshaven, "U-43", TypeIX, 0},
                      {34, 2, 10460, 0, 0, 0, 100.0, 10, WarBadge, 0, 0, 0}},
                     {{{1940, 2, 20}, "AM45", Second, harbour::Wilhelmshaven, "U-43", TypeIX, 0},
                      {38, 3, 15300, 0, 0, 0, 95.0, 10, IronCross2, 0, 0, 1}},
                     {{{1940, 5, 10}, "BE33", Second, harbour::Wilhelmshaven, "U-43", TypeIX, 0},
                      {41, 4, 24780, 1, 1870, 0, 82.0, 11, IronCross1, 0, 1, 0}},
                     {{{1940, 10, 2}, "AL57", Second, harbour::Lorient, "U-103", TypeIX, 1},
                      {47, 6, 41220, 0, 0, 1, 90.0, 11, 0, 0, 0, 2}},
                     {{{1941, 5, 6}, "BD48", Second, harbour::Lorient, "U-103", TypeIX, 1},
                      {56, 4, 22940, 0, 0, 0, 83.0, 11, 0, 0, 0, 1}},
                     {{{1942, 1, 24}, "CA79", Tenth, harbour::Lorient, "U-103", TypeIX, 1},
                      {58, 7, 52310, 1, 1540, 0, 76.5, 12, GermanCross | KnightsCross, 1, 0, 3}},
                     {{{1942, 5, 12}, "DD23", Tenth, harbour::Lorient, "U-103", TypeIX, 1},
                      {62, 5, 30870, 0, 0, 0, 88.25, 12, 0, 0, 0, 0}}},
         .current = {{1942, 8, 20}, "NULL", Tenth, harbour::Lorient, "U-103", TypeIX, 1},
         .crtPort = harbour::Lorient,
         .ending = {"TRUE", "True"},
         .lastSaved = {{2024, 2, 11}, 20, 33}},
        {.name = DemoCareers::Surrendered,
         .patrols = {{{{1944, 6, 10}, "AF77", Eleventh, harbour::Bergen, "U-994", TypeVII, 2},
                      {46, 1, 7176, 0, 0, 0, 100.0, 10, WarBadge, 0, 0, 0}},
                     {{{1944, 9, 5}, "AN14", Eleventh, harbour::Bergen, "U-994", TypeVII, 2},
                      {46, 0, 0, 1, 1370, 2, 58.5, 11, IronCross2 | FrontClasp, 0, 1, 3}},
                     {{{1945, 3, 28}, "AM53", Eleventh, harbour::Trondheim, "U-3017", TypeXXI, 0},
                      {43, 1, 4320, 0, 0, 0, 97.0, 11, 0, 0, 0, 0}}},
         .current = {{1945, 5, 9}, "NULL", Eleventh, harbour::Trondheim, "U-3017", TypeXXI, 0},
         .crtPort = harbour::Trondheim,
         .deckGun = -1,
         .ending = {"True", "FALSE"},
         .lastSaved = {{2024, 8, 21}, 23, 2},
         .surrendered = true},
        {.name = DemoCareers::FirstPatrol,
         .current = {{1943, 3, 8}, "BE59", Ninth, harbour::Brest, "U-618", TypeVII, 1},
         .crtPort = harbour::Brest,
         .saves = {{"Auslaufen Brest", "BF17", {{2024, 9, 14}, 21, 15}},
                   {"Überwasserfahrt", "BF13", {{2024, 9, 15}, 22, 2}}},
         .lastSaved = {{2024, 9, 14}, 20, 40},
         .history = false},  // Seewolf has not shown it yet
        {.name = DemoCareers::AtSeaNoGrid,
         .patrols = {{{{1943, 7, 14}, "AK55", Ninth, harbour::Brest, "U-963", TypeVII, 2},
                      {49, 1, 6320, 0, 0, 1, 84.0, 10, WarBadge, 0, 0, 1}}},
         .current = {{1943, 10, 5}, "BD47", Ninth, harbour::Brest, "U-963", TypeVII, 2},
         .crtPort = harbour::Brest,
         // The newest save was made where the game names no patrol area.
         .saves = {{"Biskaya", "BF42", {{2024, 10, 2}, 21, 10}},
                   {"Alarmtauchen", nullptr, {{2024, 10, 4}, 23, 30}}},
         .lastSaved = {{2024, 9, 30}, 20, 15}},
        {.name = DemoCareers::InBaseNoGrid,
         .patrols = {{{{1942, 12, 3}, "DF35", Twelfth, harbour::Bordeaux, "U-527", TypeIX, 3},
                      {71, 3, 19850, 0, 0, 0, 91.5, 10, WarBadge, 0, 0, 0}},
                     {{{1943, 3, 22}, "EJ14", Twelfth, harbour::Bordeaux, "U-527", TypeIX, 3},
                      {64, 2, 12440, 0, 0, 1, 77.0, 11, IronCross2, 0, 1, 2}}},
         // No patrol grid ordered yet for the next patrol.
         .current = {{1943, 6, 28}, "NULL", Twelfth, harbour::Bordeaux, "U-527", TypeIX, 3},
         .crtPort = harbour::Bordeaux,
         .lastSaved = {{2024, 10, 20}, 18, 44}},
        {.name = DemoCareers::NotListed,
         .current = {{1942, 2, 1}, "CH45", TwentyNinth, harbour::LaSpezia, "U-371", TypeVII, 1},
         .crtPort = harbour::LaSpezia,
         .strayPsc = "Leere Akte",
         .lastSaved = {{2024, 4, 3}, 19, 58},
         .history = false},
    };
    return careers;
}

std::string Section(std::string_view prefix, int n) {
    std::string digits = Num(n < 0 ? -n : n);
    while (digits.size() < 3) {
        digits.insert(digits.begin(), '0');
    }
    return std::string(prefix) + (n < 0 ? "-" : "") + digits;
}

Day EndOf(const CompletedPatrol& p) {
    return AddDays(p.voyage.start, p.outcome.days - 1);
}

// The commander's standing after some completed patrols: rank, awards and totals.
struct Standing {
    int rank = kStartRank;
    unsigned medals = 0;
    int merchants = 0;
    int merchantTonnage = 0;
    int warships = 0;
    int warshipTonnage = 0;
    int planes = 0;
    int officersLost = 0;
    int pettyOfficersLost = 0;
    int seamenLost = 0;
};

Standing StandingAfter(const CareerData& career, std::size_t patrols) {
    Standing s;
    for (std::size_t i = 0; i < patrols; ++i) {
        const Outcome& o = career.patrols[i].outcome;
        s.rank = o.rank;
        s.medals |= o.medals;
        s.merchants += o.merchants;
        s.merchantTonnage += o.merchantTonnage;
        s.warships += o.warships;
        s.warshipTonnage += o.warshipTonnage;
        s.planes += o.planes;
        s.officersLost += o.officersLost;
        s.pettyOfficersLost += o.pettyOfficersLost;
        s.seamenLost += o.seamenLost;
    }
    return s;
}

void AddVoyage(ProfileText& text, const Voyage& v) {
    text.Key("StartDay", v.start.day).Key("StartMonth", v.start.month).Key("StartYear", v.start.year);
    text.Key("PatrolArea", v.area).Key("SubName", v.boat);
    text.Key("SubType", v.subType).Key("SubVersion", v.subVersion);
    text.Key("Flotilla", v.flotilla).Key("StartLocation", v.port);
}

// A commander record as the game keeps it in Careers.cfg and Careers_0.cfg.
void AddRecord(ProfileText& text, const CareerData& career, const Standing& s, const Day& date, int port) {
    text.Key("PlayerName", career.name).Key("PlayerRank", s.rank);
    text.Key("CrtPort", port).Key("M01", career.deckGun);
    text.Key("CrtDay", date.day).Key("CrtMonth", date.month).Key("CrtYear", date.year);
    for (int m = 0; m < 10; ++m) {
        text.Key("Medal" + Num(m), (s.medals & (1U << m)) != 0 ? 1 : -1);
    }
    text.Key("ShipsSunkNb", s.merchants + s.warships).Key("PlanesDownNb", s.planes);
    text.Key("TonnageSunk", static_cast<double>(s.merchantTonnage + s.warshipTonnage));
    text.Key("MerchantTotalShipsSunk", s.merchants)
        .Key("MerchantTotalTonnage", static_cast<double>(s.merchantTonnage));
    text.Key("WarshipsTotalShipsSunk", s.warships)
        .Key("WarshipsTotalTonnage", static_cast<double>(s.warshipTonnage));
    text.Key("OffDead", s.officersLost).Key("PODead", s.pettyOfficersLost).Key("SeamenDead", s.seamenLost);
}

void WritePatrolFiles(Output& out, const fs::path& folder, const CareerData& career) {
    const int count = static_cast<int>(career.patrols.size());

    ProfileText planned;  // Patrols_0.cfg: every patrol as it set out, the current one last
    planned.Section("INIT").Key("Patrols", count);
    for (int n = 0; n <= count; ++n) {
        const bool current = n == count;
        const Voyage& v = current ? career.current : career.patrols[static_cast<std::size_t>(n)].voyage;
        planned.Blank().Section(Section("PATROL ", n));
        AddVoyage(planned, v);
        if (current) {
            const LocalTime& t = career.lastSaved;
            planned.Key("RealDay", t.day.day).Key("RealMonth", t.day.month).Key("RealYear", t.day.year);
            planned.Key("RealHour", t.hour).Key("RealMin", t.minute);
        }
    }
    out.WriteNewText(folder / "Patrols_0.cfg", planned);

    ProfileText done;  // Patrols.cfg: the completed patrols with their results
    for (int n = 0; n < count; ++n) {
        const CompletedPatrol& p = career.patrols[static_cast<std::size_t>(n)];
        const Outcome& o = p.outcome;
        const Day end = EndOf(p);
        if (n > 0) {
            done.Blank();
        }
        done.Section(Section("PATROL ", n));
        AddVoyage(done, p.voyage);
        done.Key("EndDay", end.day).Key("EndMonth", end.month).Key("EndYear", end.year);
        done.Key("ShipsSunkNb", o.merchants + o.warships)
            .Key("MerchantShipsSunkNb", o.merchants)
            .Key("WarShipsSunkNb", o.warships);
        done.Key("TonnageSunk", static_cast<double>(o.merchantTonnage + o.warshipTonnage))
            .Key("MerchantTonnageSunk", static_cast<double>(o.merchantTonnage))
            .Key("WarshipTonnageSunk", static_cast<double>(o.warshipTonnage));
        done.Key("PlanesDownNb", o.planes).Key("HullIntegrity", o.hull);
    }
    out.WriteNewText(folder / "Patrols.cfg", done);
}

void WriteCareerFiles(Output& out, const fs::path& folder, const CareerData& career) {
    const int count = static_cast<int>(career.patrols.size());

    // Careers_0.cfg: the commander as he set out on each patrol, the present one last.
    ProfileText current;
    for (int n = 0; n <= count; ++n) {
        const bool now = n == count;
        const Voyage& v = now ? career.current : career.patrols[static_cast<std::size_t>(n)].voyage;
        if (n > 0) {
            current.Blank();
        }
        current.Section(Section("CAREER ", n));
        AddRecord(current, career, StandingAfter(career, static_cast<std::size_t>(n)), v.start,
                  now ? career.crtPort : v.port);
    }
    out.WriteNewText(folder / "Careers_0.cfg", current);

    // Careers.cfg: the commander at the end of each completed patrol.
    ProfileText history;
    history.Section("INIT").Key("Careers", count);
    for (int n = 0; n < count; ++n) {
        const CompletedPatrol& p = career.patrols[static_cast<std::size_t>(n)];
        const bool last = n == count - 1;
        history.Blank().Section(Section("CAREER ", n));
        AddRecord(history, career, StandingAfter(career, static_cast<std::size_t>(n) + 1), EndOf(p),
                  p.voyage.port);
        const Ending& ending = last ? career.ending : kGoingOn;
        history.Key("Finished", ending.finished).Key("WarOver", ending.warOver);
    }
    out.WriteNewText(folder / "Careers.cfg", history);
}

// Filler bytes of a saved game: a header and an invented pattern.
std::string SaveBytes(std::string_view name) {
    Draws draws(name);
    const std::string_view header = "SEEWOLF DEMO SAVE\r\n";
    std::string bytes(header);
    bytes.resize(4096);
    for (std::size_t i = header.size(); i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(draws.Next(256));
    }
    return bytes;
}

void WriteSaves(Output& out, const fs::path& folder, const CareerData& career) {
    const fs::path saves = folder / Num(static_cast<int>(career.patrols.size()));
    for (const SaveGame& save : career.saves) {
        const fs::path sav = saves / PathFromUtf8(std::string(save.name) + ".sav");
        ProfileText psc;
        psc.Section("PLAYER_SUBMARINE").Key("SubName", career.current.boat);
        if (save.grid != nullptr) {
            psc.Key("PatrolArea", save.grid);
        }
        // The game writes both files of a save at once; their times say when the player saved.
        const fs::path companion = saves / PathFromUtf8(std::string(save.name) + ".psc");
        if (out.WriteNewText(companion, psc)) {
            Output::SetModified(companion, save.saved);
        }
        if (out.WriteNew(sav, SaveBytes(save.name))) {
            Output::SetModified(sav, save.saved);
        }
    }
    if (career.strayPsc != nullptr) {
        ProfileText psc;
        psc.Section("PLAYER_SUBMARINE").Key("SubName", career.current.boat).Key("PatrolArea", "NULL");
        out.WriteNewText(saves / PathFromUtf8(std::string(career.strayPsc) + ".psc"), psc);
    }
}

void WriteCareer(Output& out, const fs::path& careers, const CareerData& career) {
    const fs::path folder = careers / PathFromUtf8(career.name);
    Output::CreateFolder(folder);
    WritePatrolFiles(out, folder, career);
    WriteCareerFiles(out, folder, career);
    WriteSaves(out, folder, career);
}

void WriteMainCfg(Output& out, const fs::path& saveFolder) {
    ProfileText text;
    text.Section("SETTINGS").Key("TextsLanguage", 0).Blank();
    text.Section("PLAYER").Key("Name", DemoCareers::AtSea).Blank();
    text.Section("TIME COMPRESSION");
    static constexpr std::array<std::pair<const char*, int>, 15> kLimits = {{{"RealTime", 1},
                                                                             {"Maximum", 512},
                                                                             {"TimeStop", 0},
                                                                             {"LandProximity", 4},
                                                                             {"CriticalDamage", 1},
                                                                             {"CrewEfficiency", 1},
                                                                             {"AirEnemyDetected", 1},
                                                                             {"EnemyDetected", 8},
                                                                             {"RadioReport", 8},
                                                                             {"PrayState", 8},
                                                                             {"HunterState", 16},
                                                                             {"3DRender", 32},
                                                                             {"CharacterAnim", 4},
                                                                             {"SoundEffects", 2},
                                                                             {"Particles", 8}}};
    for (const auto& [key, value] : kLimits) {
        text.Key(key, value);
    }
    out.WriteNewText(saveFolder / "main.cfg", text);
}

void WriteDocuments(Output& out, const fs::path& documents) {
    const fs::path saveFolder = documents / "SH3" / "data" / "Cfg";
    WriteMainCfg(out, saveFolder);
    const fs::path careers = saveFolder / "Careers";
    Output::CreateFolder(careers);
    for (const CareerData& career : Careers()) {
        WriteCareer(out, careers, career);
    }
}

// ---------------------------------------------------------------------------------------------
// The program folder

// The record Seewolf keeps of a career's commander: invented dates that lead up to the first
// patrol, a birthplace, a portrait and the two closing sentences of the personnel file.
std::string HistoryRecord(const CareerData& career) {
    static constexpr std::array<const char*, 10> kBirthplaces = {
        "Kiel",    "Hamburg", "Lübeck",  "Königsberg", "Bad Doberan",
        "Stettin", "Bremen",  "München", "Flensburg",  "Rostock"};
    Draws draws(career.name);
    const Day first = career.patrols.empty() ? career.current.start : career.patrols.front().voyage.start;
    const Day t1 = AddDays(first, -182 - draws.Next(365));
    const Day t2 = RoundToMonthStart(AddDays(first, -547 - draws.Next(182)));
    const Day t3 = RoundToMonthStart(AddDays(t2, -91 - draws.Next(91)));
    const Day t4raw = AddDays(t3, -1095 - draws.Next(365));
    const Day t4{t4raw.year + (t4raw.month > 6 ? 1 : 0), 4, 1};
    const Day t5 = AddDays(t4, 242 + draws.Next(60));
    const Day t6 = RoundToMonthStart(AddDays(t4, 456 + draws.Next(273)));
    const Day born = AddDays(t4, -6205 - draws.Next(2190));
    const int portrait = draws.Next(78);
    const int closing1 = draws.Next(54) + 13;
    const int closing2 = draws.Next(51) + 68;
    const std::string place =
        kBirthplaces[static_cast<std::size_t>(draws.Next(static_cast<int>(kBirthplaces.size())))];

    const std::vector<std::string> items = {ShortDate(born), place,         TwoDigits(portrait),
                                            ShortDate(t4),   ShortDate(t1), ShortDate(t5),
                                            ShortDate(t6),   ShortDate(t3), ShortDate(t2),
                                            Num(closing1),   Num(closing2), career.surrendered ? "1" : "0"};
    std::string record;
    for (const std::string& item : items) {
        if (!record.empty()) {
            record += ',';
        }
        if (item.find_first_of(" ,\"") == std::string::npos) {
            record += item;
            continue;
        }
        record += '"';
        for (const char c : item) {
            record += c == '"' ? std::string("\"\"") : std::string(1, c);
        }
        record += '"';
    }
    return record;
}

void WriteSettings(Output& out, const DemoWorld& world) {
    ProfileText text;
    text.Section("SETTINGS");
    text.Key("SH3Location", Utf8Of(world.game)).Key("DocsLocation", Utf8Of(world.documents)).Blank();
    // The career the demo opens on, as if it had been launched last.
    text.Section("LATEST CAREER").Key("CAREER", DemoCareers::Latest).Blank();
    text.Section("CAREER DETAILS");
    for (const CareerData& career : Careers()) {
        if (career.history) {
            text.Key(career.name, HistoryRecord(career));
        }
    }
    // The folder names are the user's file names; Windows-1252 cannot hold every character of
    // them, and the core writes such characters as "?", so the same lossy conversion is right.
    out.WriteNew(world.program / "Seewolf.ini", Cp1252FromUtf8(text.Utf8()));
}

bool IsWithin(const fs::path& inner, const fs::path& outer) {
    const fs::path relative = inner.lexically_relative(outer);
    return !relative.empty() && *relative.begin() != "..";
}

// Program state that belongs to an installation, not to the program: never copied.
bool IsProgramState(const fs::directory_entry& entry) {
    const std::string name = Utf8Of(entry.path().filename());
    if (SameText(name, "Seewolf.ini") || SameText(name, "!BACKUP")) {
        return true;
    }
    return name.size() >= 4 && SameText(std::string_view(name).substr(name.size() - 4), ".log");
}

// Copies one file through a temporary name, so a program file that is running can be replaced.
void RefreshFile(const fs::path& from, const fs::path& to) {
    const fs::path temporary = to.parent_path() / (to.filename().native() + fs::path(".demo-new").native());
    std::error_code ec;
    fs::copy_file(from, temporary, fs::copy_options::overwrite_existing, ec);
    if (!ec) {
        fs::rename(temporary, to, ec);
    }
    if (ec) {
        fs::remove(temporary, ec);
        Fail("cannot copy the program file", to, ec);
    }
}

// Writes a program file through a temporary name, replacing what is there.
void ReplaceFile(const fs::path& to, std::string_view bytes) {
    Output::CreateFolder(to.parent_path());
    const fs::path temporary = to.parent_path() / (to.filename().native() + fs::path(".demo-new").native());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            Fail("cannot write", to);
        }
    }
    std::error_code ec;
    fs::rename(temporary, to, ec);
    if (ec) {
        fs::remove(temporary, ec);
        Fail("cannot write", to, ec);
    }
}

// The file sets are program content: written on every run, like the copied program files.
std::size_t WriteFileSets(const fs::path& program) {
    std::size_t written = 0;
    for (const LaunchFile& file : LaunchFiles()) {
        if (!file.set.empty()) {
            ReplaceFile(program / PathFromUtf8(file.set) / PathFromUtf8(file.path), file.bytes);
            ++written;
        }
    }
    return written;
}

// Stands in for Wine and the game at once, so that Launch in the demo really starts "the game".
constexpr std::string_view kStandInGame =
    "#!/bin/sh\n"
    "# Seewolf demo: stands in for Wine and Silent Hunter III. With SEEWOLF_WINE naming this\n"
    "# script, Seewolf's companion runs it in the game folder as\n"
    "#     stand-in-game.sh <game folder>/sh3.exe\n"
    "# It says that the game runs, waits SEEWOLF_STANDIN_SECONDS seconds (default 3) and ends.\n"
    "seconds=${SEEWOLF_STANDIN_SECONDS:-3}\n"
    "case $seconds in\n"
    "    '' | *[!0-9]*) seconds=3 ;;\n"
    "esac\n"
    "echo \"Silent Hunter III (stand-in) is running in $(pwd) for $seconds seconds...\"\n"
    "sleep \"$seconds\"\n"
    "echo \"Silent Hunter III (stand-in) has ended.\"\n"
    "exit 0\n";

void WriteStandInGameScript(const fs::path& script) {
    ReplaceFile(script, kStandInGame);
    std::error_code ec;
    fs::permissions(script, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add, ec);
    if (ec) {
        Fail("cannot make executable", script, ec);
    }
}

std::size_t CopyProgram(const fs::path& source, const fs::path& program) {
    std::size_t copied = 0;
    std::error_code ec;
    fs::recursive_directory_iterator it(source, ec);
    const fs::recursive_directory_iterator end;
    while (!ec && it != end) {
        const fs::directory_entry& entry = *it;
        if (it.depth() == 0 && IsProgramState(entry)) {
            if (entry.is_directory(ec)) {
                it.disable_recursion_pending();
            }
        } else if (entry.is_directory(ec)) {
            Output::CreateFolder(program / entry.path().lexically_relative(source));
        } else if (entry.is_regular_file(ec)) {
            RefreshFile(entry.path(), program / entry.path().lexically_relative(source));
            ++copied;
        }
        it.increment(ec);
    }
    if (ec) {
        Fail("cannot read the program folder", source, ec);
    }
    return copied;
}

void RemoveFolder(const fs::path& folder) {
    std::error_code ec;
    fs::remove_all(folder, ec);
    if (ec) {
        Fail("cannot remove", folder, ec);
    }
}

}  // namespace

DemoWorld WriteDemoInstallation(const DemoOptions& options) {
    if (options.root.empty()) {
        throw Error("The demo installation needs a folder to write into.");
    }
    std::error_code ec;
    fs::path root = fs::absolute(options.root, ec).lexically_normal();
    if (ec) {
        Fail("cannot resolve", options.root, ec);
    }
    if (root.has_parent_path() && !root.has_filename()) {
        root = root.parent_path();
    }

    DemoWorld world;
    world.root = root;
    world.game = root / "game" / "";
    world.documents = root / "documents" / "";
    world.program = root / "Seewolf" / "";

    fs::path source;
    if (!options.programSource.empty()) {
        source = fs::weakly_canonical(fs::absolute(options.programSource, ec), ec);
        if (ec || !fs::is_directory(source, ec)) {
            Fail("cannot find the program folder", options.programSource, ec);
        }
        // Copying a folder into itself, or removing the source with a fresh start, must not happen.
        const fs::path program = fs::weakly_canonical(root / "Seewolf", ec);
        if (IsWithin(program, source) || IsWithin(source, program)) {
            Fail("the program files would be copied into their own folder:", source);
        }
    }

    if (options.fresh) {
        RemoveFolder(world.game);
        RemoveFolder(world.documents);
        RemoveFolder(world.program);
    }

    Output out;
    Output::CreateFolder(world.game);
    Output::CreateFolder(world.documents);
    Output::CreateFolder(world.program);
    WriteGame(out, world.game);
    WriteDocuments(out, world.documents);
    if (!source.empty()) {
        world.programFilesCopied = CopyProgram(source, world.program);
    }
    world.fileSetFilesWritten = WriteFileSets(world.program);
    world.standInGame = world.program / "stand-in-game.sh";
    WriteStandInGameScript(world.standInGame);
    WriteSettings(out, world);
    world.filesWritten = out.Written();
    world.filesKept = out.Kept();
    return world;
}

}  // namespace seewolf::demo
