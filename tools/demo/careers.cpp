#include "demo/careers.h"

#include <array>
#include <utility>

#include "demo/crews.h"
#include "demo/demo.h"
#include "demo/patrol_logs.h"
#include "demo/vocabulary.h"

namespace seewolf::demo {

namespace {

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
    int markedLog = -1;                // the patrol whose log has an entry marked by the log editor
    int longLog = -1;                  // the patrol whose log has more than 256 entries
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
         .lastSaved = {{2024, 5, 14}, 21, 47},
         .markedLog = 1},
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
         .lastSaved = {{2024, 2, 11}, 20, 33},
         .longLog = 5},
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
        {.name = DemoCareers::EarlyWar,
         .patrols = {{{{1939, 9, 4}, "AN17", First, harbour::Kiel, "U-21", TypeII, 1},
                      {16, 1, 1620, 0, 0, 0, 100.0, 10, 0, 0, 0, 0}}},
         // Out again before the war badge is given.
         .current = {{1939, 10, 9}, "AN26", First, harbour::Kiel, "U-21", TypeII, 1},
         .crtPort = harbour::Kiel,
         .deckGun = -1,
         .lastSaved = {{2024, 11, 3}, 20, 5}},
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

// The game's log of each completed patrol. The last one of a boat that was lost ends without a
// return; one log has an entry marked by the patrol-log editor, one more than 256 entries.
void WritePatrolLogs(Output& out, const fs::path& folder, const CareerData& career) {
    const std::size_t count = career.patrols.size();
    for (std::size_t n = 0; n < count; ++n) {
        const CompletedPatrol& p = career.patrols[n];
        const Voyage& next = n + 1 < count ? career.patrols[n + 1].voyage : career.current;
        PatrolLogInput log;
        log.start = p.voyage.start;
        log.days = p.outcome.days;
        log.area = p.voyage.area;
        log.port = PortName(p.voyage.port).en;
        log.returnPort = PortName(next.port).en;
        log.merchants = p.outcome.merchants;
        log.merchantTonnage = p.outcome.merchantTonnage;
        log.warships = p.outcome.warships;
        log.warshipTonnage = p.outcome.warshipTonnage;
        log.planes = p.outcome.planes;
        const bool lostBoat = n + 1 == count && SameText(career.ending.finished, "true") &&
                              SameText(career.ending.warOver, "false");
        if (lostBoat) {
            log.end = career.surrendered ? LogEnd::Surrender : LogEnd::BoatLost;
        }
        log.marked = career.markedLog == static_cast<int>(n);
        log.longLog = career.longLog == static_cast<int>(n);
        WritePatrolLog(out, folder / ("Log_" + Num(static_cast<long long>(n)) + ".cfg"), log,
                       std::string(career.name) + " " + Num(static_cast<long long>(n)));
    }
}

void WriteCareer(Output& out, const fs::path& careers, const CareerData& career) {
    const fs::path folder = careers / PathFromUtf8(career.name);
    Output::CreateFolder(folder);
    WritePatrolFiles(out, folder, career);
    WritePatrolLogs(out, folder, career);
    WriteCareerFiles(out, folder, career);
    WriteSaves(out, folder, career);
    WriteCrewRoster(
        out, folder,
        {career.name, static_cast<int>(career.patrols.size()), career.current.subType, career.current.start});
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

}  // namespace

void WriteDocuments(Output& out, const fs::path& documents) {
    const fs::path saveFolder = documents / "SH3" / "data" / "Cfg";
    WriteMainCfg(out, saveFolder);
    const fs::path careers = saveFolder / "Careers";
    Output::CreateFolder(careers);
    for (const CareerData& career : Careers()) {
        WriteCareer(out, careers, career);
    }
}

std::vector<HistoryEntry> HistoryRecords() {
    std::vector<HistoryEntry> records;
    for (const CareerData& career : Careers()) {
        if (career.history) {
            records.push_back({career.name, HistoryRecord(career)});
        }
    }
    return records;
}

}  // namespace seewolf::demo
