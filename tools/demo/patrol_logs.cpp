#include "demo/patrol_logs.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <tuple>

namespace seewolf::demo {

const std::vector<ShipClassName>& ShipClassNames() {
    static const std::vector<ShipClassName> classes = {
        {"Coastal_Freighter", {"Coastal Freighter", "Küstenfrachter", "Caboteur"}, false, 2499},
        {"Tramp_Steamer", {"Tramp Steamer", "Trampdampfer", "Cargo vagabond"}, false, 4999},
        {"Medium_Cargo", {"Medium Cargo Ship", "Mittlerer Frachter", "Cargo moyen"}, false, 6999},
        {"Liberty_Ship", {"Liberty Ship", "Liberty-Frachter", "Liberty ship"}, false, 7499},
        {"Ore_Carrier", {"Ore Carrier", "Erzfrachter", "Minéralier"}, false, 8999},
        {"Large_Tanker", {"Large Tanker", "Großer Tanker", "Grand pétrolier"}, false, 14999},
        {"Troop_Transport", {"Troop Transport", "Truppentransporter", "Transport de troupes"}, false, 17999},
        {"Passenger_Liner", {"Passenger Liner", "Passagierdampfer", "Paquebot"}, false, 99999},
        {"Fishing_Trawler", {"Armed Trawler", "Bewaffneter Fischdampfer", "Chalutier armé"}, true, 899},
        {"Flower_Corvette", {"Corvette", "Korvette", "Corvette"}, true, 1299},
        {"Patrol_Submarine", {"Patrol Submarine", "Unterseeboot", "Sous-marin de patrouille"}, true, 1399},
        {"Fleet_Destroyer", {"Fleet Destroyer", "Flottenzerstörer", "Destroyer d'escadre"}, true, 99999},
    };
    return classes;
}

namespace {

// The names file of data/Submarine holds the submarine classes; the others are ships of data/Sea.
bool IsSubmarine(const ShipClassName& c) {
    return std::string_view(c.id).find("Submarine") != std::string_view::npos;
}

const ShipClassName& ClassOf(int tonnage, bool warship) {
    for (const ShipClassName& c : ShipClassNames()) {
        if (c.warship == warship && tonnage <= c.largest) {
            return c;
        }
    }
    return ShipClassNames().back();
}

std::string DateKey(const Day& d) {
    return Num(d.year) + TwoDigits(d.month) + TwoDigits(d.day);
}

// A grid square next to the patrol area ("AN33" gives "AN32", "AN34" or itself).
std::string NearGrid(const std::string& area, Draws& draws) {
    if (area.size() != 4) {
        return area;
    }
    std::string grid = area;
    const int units = grid[3] - '0' + draws.Next(3) - 1;
    grid[3] = static_cast<char>('0' + std::clamp(units, 1, 9));
    return grid;
}

// `count` shares of `total` GRT, none below a tenth of an even share.
std::vector<int> Shares(int total, int count, Draws& draws) {
    std::vector<int> weights;
    int sum = 0;
    for (int i = 0; i < count; ++i) {
        weights.push_back(10 + draws.Next(30));
        sum += weights.back();
    }
    std::vector<int> shares;
    int given = 0;
    for (int i = 0; i < count; ++i) {
        const int share = i + 1 == count ? total - given
                                         : static_cast<int>(static_cast<long long>(total) *
                                                            weights[static_cast<std::size_t>(i)] / sum);
        shares.push_back(share);
        given += share;
    }
    return shares;
}

struct Entry {
    int day = 0;   // from the start of the patrol
    int time = 0;  // hhmm
    std::string text;
    bool marked = false;
};

constexpr std::array<const char*, 16> kRoutine = {
    "Position report sent to U-boat command",
    "Weather: wind NW 5, sea 4, visibility good",
    "Weather: wind SW 7, heavy seas, boat rolling badly",
    "Fog, visibility under one mile",
    "Trim dive, all in order",
    "Crash dive: aircraft sighted|Surfaced again after 40 minutes",
    "Smoke on the horizon|Ran on it at full speed, lost it at dusk",
    "Radio message received from U-boat command",
    "Convoy report from another boat|Course 250, speed 9 knots|Closing in",
    "Destroyer in sight|Dived and let it pass",
    "Depth charges, no damage",
    "Neutral steamer stopped and let go",
    "Diesel trouble, port engine stopped for repairs|Running again after three hours",
    "Night surface run to recharge the batteries",
    "Man overboard, recovered",
    "Submerged for the day, listening watch",
};

constexpr std::array<const char*, 5> kAftermath = {
    "Sank within minutes", "Broke in two and went down", "Survivors took to the boats",
    "Escort counter-attacked, no damage", "Second torpedo needed"};

constexpr std::array<const char*, 4> kAircraft = {"Flying boat", "Long-range bomber", "Patrol aircraft",
                                                  "Carrier aircraft"};

// A time of day not yet used on that day.
int FreeTime(const std::vector<Entry>& entries, int day, Draws& draws, int fromHour, int toHour) {
    for (;;) {
        const int time = (fromHour + draws.Next(toHour - fromHour)) * 100 + draws.Next(12) * 5;
        const bool used = std::any_of(entries.begin(), entries.end(),
                                      [&](const Entry& e) { return e.day == day && e.time == time; });
        if (!used) {
            return time;
        }
    }
}

}  // namespace

void WritePatrolLog(Output& out, const fs::path& file, const PatrolLogInput& patrol, std::string_view seed) {
    Draws draws(seed);
    const int lastDay = patrol.days - 1;
    std::vector<Entry> entries;
    entries.push_back({0, 700 + draws.Next(6) * 50, "Put to sea from " + patrol.port});

    // The routine of every day at sea.
    for (int day = 0; day <= lastDay; ++day) {
        const int count = patrol.longLog ? 5 : 1 + draws.Next(2);
        for (int i = 0; i < count; ++i) {
            const std::string text =
                kRoutine[static_cast<std::size_t>(draws.Next(static_cast<int>(kRoutine.size())))];
            entries.push_back({day, FreeTime(entries, day, draws, 1, 23), text});
        }
    }
    entries.push_back({2, FreeTime(entries, 2, draws, 8, 18), "Arrived in patrol grid " + patrol.area});

    // Sinkings and aircraft fall between the third day and the third before the last.
    const auto someDay = [&] { return 2 + draws.Next(std::max(1, patrol.days - 4)); };
    const auto addSinkings = [&](int ships, int tonnage, bool warship) {
        for (const int share : Shares(tonnage, ships, draws)) {
            const int day = someDay();
            std::string text = "Ship sunk!|" + NearGrid(patrol.area, draws) + "|" +
                               ClassOf(share, warship).name.en + " " + Num(share) + " GRT";
            if (draws.Next(3) == 0) {
                text += std::string("|") +
                        kAftermath[static_cast<std::size_t>(draws.Next(static_cast<int>(kAftermath.size())))];
            }
            entries.push_back({day, FreeTime(entries, day, draws, 0, 24), text});
        }
    };
    addSinkings(patrol.merchants, patrol.merchantTonnage, false);
    addSinkings(patrol.warships, patrol.warshipTonnage, true);
    for (int i = 0; i < patrol.planes; ++i) {
        const int day = someDay();
        entries.push_back(
            {day, FreeTime(entries, day, draws, 6, 20),
             "Aircraft destroyed!|" + NearGrid(patrol.area, draws) + "|" +
                 kAircraft[static_cast<std::size_t>(draws.Next(static_cast<int>(kAircraft.size())))]});
    }
    if (patrol.marked) {
        const int day = someDay();
        entries.push_back({day, FreeTime(entries, day, draws, 8, 20),
                           NearGrid(patrol.area, draws) + "|Met a supply boat|Took on fuel and two torpedoes",
                           true});
    }

    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return std::tie(a.day, a.time) < std::tie(b.day, b.time);
    });
    switch (patrol.end) {
        case LogEnd::ReturnToPort:
            entries.push_back({lastDay, 2355, "Returned to " + patrol.returnPort + "|Patrol completed"});
            break;
        case LogEnd::BoatLost:
            entries.push_back({lastDay, 2355, "Depth charges, heavy damage|Boat going deep"});
            break;
        case LogEnd::Surrender:
            entries.push_back({lastDay, 2355, "Surfaced and surrendered the boat as ordered"});
            break;
    }

    ProfileText text;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const Entry& e = entries[k];
        if (k > 0) {
            text.Blank();
        }
        text.Section("Log Entry " + Num(static_cast<long long>(k)));
        text.Key("EntryText", e.text).Key("Date", DateKey(AddDays(patrol.start, e.day))).Key("Time", e.time);
        if (e.marked) {
            text.Key("Seewolf", 1);
        }
    }
    out.WriteNewText(file, text);
}

void WriteShipNameFiles(Output& out, const fs::path& game) {
    for (const bool submarines : {false, true}) {
        for (const std::size_t language : {English, German}) {
            ProfileText text;
            text.Section("Names");
            for (const ShipClassName& c : ShipClassNames()) {
                if (IsSubmarine(c) == submarines) {
                    text.Key(c.id, In(c.name, language));
                }
            }
            if (submarines) {
                text.Key("Midget_Submarine", "");  // a class without a display name
            }
            out.WriteNewText(game / "data" / (submarines ? "Submarine" : "Sea") /
                                 (language == German ? "GermanNames.cfg" : "EnglishNames.cfg"),
                             text);
        }
    }
}

void WriteUboatAces(Output& out, const fs::path& game) {
    static constexpr std::array<const char*, 14> kAces = {
        "Albrecht Marwede",   "Konrad Wehling",   "Egon Thalmayr",    "Bernhard Quast",   "Siegfried Harbeck",
        "Ulrich Brockdorf",   "Walter Reimsfeld", "Hermann Seliger",  "Johannes Kalbfuß", "Max Oberdieck",
        "Friedrich Ahlgrimm", "Gustav Pfannkuch", "Ernst Wollenberg", "Otto Hesselbarth"};
    ProfileText text;
    text.Section("INIT").Key("Nb", static_cast<int>(kAces.size()));
    for (std::size_t i = 0; i < kAces.size(); ++i) {
        Draws draws(kAces[i]);
        text.Blank().Section("ITEM" + Num(static_cast<long long>(i))).Key("Name", kAces[i]);
        // Successes from a first patrol between September 1939 and the summer of 1941 until at
        // most the end of 1944, in date order.
        Day day = AddDays({1939, 9, 10}, draws.Next(640));
        std::vector<std::pair<Day, int>> values;
        const int count = 4 + draws.Next(13);
        for (int j = 0; j < count && day.year < 1945; ++j) {
            values.push_back({day, 3000 + draws.Next(23) * 1000 + draws.Next(10) * 100});
            day = AddDays(day, 25 + draws.Next(70));
        }
        text.Key("NbVal", static_cast<int>(values.size()));
        for (std::size_t j = 0; j < values.size(); ++j) {
            const std::string n = Num(static_cast<long long>(j));
            const auto& [when, tonnage] = values[j];
            text.Key("Day" + n, when.day).Key("Month" + n, when.month).Key("Date" + n, when.year);
            text.Key("Tonnage" + n, tonnage);
        }
    }
    out.WriteNewText(game / "data" / "Cfg" / "UboatAces.cfg", text);
}

}  // namespace seewolf::demo
