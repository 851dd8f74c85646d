#include "demo/launch_targets.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <utility>

namespace seewolf::demo {

std::string FloatBytes(float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    std::string bytes(4, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>((bits >> (8 * i)) & 0xFFU);
    }
    return bytes;
}

const std::vector<BoatZone>& BoatZones() {
    static const std::vector<BoatZone> zones = {
        {"TypeIIA", 150},  {"TypeIIB", 150},    {"TypeIIC", 150},    {"TypeIID", 150}, {"TypeVIIB", 220},
        {"TypeVIIC", 220}, {"TypeVIIC41", 250}, {"TypeVIIC42", 270}, {"TypeIXA", 200}, {"TypeIXB", 200},
        {"TypeIXC", 200},  {"TypeIXC40", 200},  {"TypeIXD2", 200},   {"TypeXXI", 240},
    };
    return zones;
}

const std::vector<ShipClass>& ShipClasses() {
    static const std::vector<ShipClass> ships = {
        {"Tramp_Steamer", 4200, 350},     {"Coastal_Freighter", 1600, 150}, {"Medium_Cargo", 6500, 500},
        {"Large_Tanker", 10500, 900},     {"Ore_Carrier", 7800, 600},       {"Passenger_Liner", 18000, 1500},
        {"Troop_Transport", 12000, 1200}, {"Liberty_Ship", 7200, 550},      {"Fishing_Trawler", 400, 40},
        {"Flower_Corvette", 950, 400},    {"Fleet_Destroyer", 1850, 800},
    };
    return ships;
}

namespace {

// A property of a binary game file: its name, a zero byte, then its values as floats.
std::string Property(std::string_view name, std::initializer_list<float> values) {
    std::string bytes(name);
    bytes += '\0';
    for (const float value : values) {
        bytes += FloatBytes(value);
    }
    return bytes;
}

// A text value of a binary file, padded with zero bytes to a fixed width.
std::string Padded(std::string_view text, std::size_t width) {
    std::string bytes(text);
    bytes.resize(std::max(width, text.size() + 1), '\0');
    return bytes;
}

// The scene: the fog above the water first, then the fog under it, whose second value is the
// water's clarity (0 murky to 20 clear); then the highest waves the sea draws.
void WriteScene(Output& out, const fs::path& game) {
    std::string bytes = "SEEWOLF DEMO SCENE\r\n";
    bytes += Property("sky_color", {0.42F, 0.55F, 0.71F});
    bytes += Property("fog", {2500.0F, 0.35F});
    bytes += Property("sun_height", {45.0F});
    bytes += Property("fog", {12.0F, 9.0F});
    bytes += Property("maxwaveheight", {256.0F});
    bytes += Property("wind_speed", {8.0F});
    out.WriteNew(game / "data" / "scene.dat", bytes);
}

// The boats' guns: the 105 mm deck gun first, the 88 mm deck gun eleventh, the flak between.
void WriteGuns(Output& out, const fs::path& game) {
    struct Gun {
        const char* name;
        float calibre;
        float reload;
        float range;
    };
    static constexpr std::array<Gun, 11> kGuns = {{
        {"SK C/32 105 mm", 105.0F, 7.5F, 12000.0F},
        {"Flak 30 20 mm", 20.0F, 2.0F, 2200.0F},
        {"Flak 30 20 mm twin", 20.0F, 2.0F, 2200.0F},
        {"Flak 38 20 mm", 20.0F, 1.5F, 2200.0F},
        {"Flak 38 20 mm twin", 20.0F, 1.5F, 2200.0F},
        {"Flakvierling 38 20 mm", 20.0F, 1.5F, 2200.0F},
        {"Flak C/30 37 mm", 37.0F, 2.5F, 4000.0F},
        {"Flak M42 37 mm", 37.0F, 2.2F, 4800.0F},
        {"Flak M42 37 mm twin", 37.0F, 2.2F, 4800.0F},
        {"MG 34 7.92 mm", 7.92F, 1.0F, 1200.0F},
        {"SK C/35 88 mm", 88.0F, 6.0F, 11000.0F},
    }};
    std::string bytes = "SEEWOLF DEMO GUNS\r\n";
    for (const Gun& gun : kGuns) {
        bytes += "gun";
        bytes += '\0';
        bytes += Padded(gun.name, 24);
        bytes += Property("calibre", {gun.calibre});
        bytes += Property("reload_time", {gun.reload});
        bytes += Property("max_range", {gun.range});
    }
    out.WriteNew(game / "data" / "Library" / "GUNS_SUB.sim", bytes);
}

// Each boat's damage zones: the hull gives way at 1.4 times its nominal depth.
void WriteBoatZones(Output& out, const fs::path& game) {
    for (const BoatZone& zone : BoatZones()) {
        std::string bytes = "SEEWOLF DEMO ZONES " + std::string(zone.folder) + "\r\n";
        bytes += Property("hull_armour", {20.0F});
        bytes += Property("crashdepth", {std::round(static_cast<float>(zone.depth) * 1.4F)});
        bytes += Property("flood_rate", {0.8F});
        out.WriteNew(game / "data" / "Submarine" / zone.folder / (std::string(zone.folder) + ".zon"), bytes);
    }
}

// Each ship class: its unit file and the ship museum's texts in three languages.
void WriteShips(Output& out, const fs::path& game) {
    static constexpr std::array<std::pair<const char*, const char*>, 3> kMuseum = {{
        {"_en.log", "Seen from the periscope: a %s of about %d tons."},
        {"_ge.log", "Durch das Sehrohr gesehen: ein %s von etwa %d BRT."},
        {"_fr.log", "Vu au périscope : un %s d'environ %d tonnes."},
    }};
    for (const ShipClass& ship : ShipClasses()) {
        std::string title = ship.folder;
        std::replace(title.begin(), title.end(), '_', ' ');
        const fs::path folder = game / "data" / "Sea" / ship.folder;
        ProfileText unit;
        unit.Section("Unit").Key("ClassName", title).Key("Displacement", ship.displacement);
        unit.Key("RenownAwarded", ship.renown).Key("MaxSpeed", ship.displacement > 5000 ? 11 : 16);
        out.WriteNewText(folder / (std::string(ship.folder) + ".cfg"), unit);
        for (const auto& [suffix, pattern] : kMuseum) {
            std::string text = pattern;
            text.replace(text.find("%s"), 2, title);
            text.replace(text.find("%d"), 2, Num(ship.displacement));
            ProfileText museum;
            museum.Section("MUSEUM").Key("Text", text);
            out.WriteNewText(folder / (std::string(ship.folder) + suffix), museum);
        }
    }
}

// The campaign's land layer: the U-boat pens lie in their harbours, with a German minesweeper
// group and the British Home Fleet among them, which a start at sea leaves where they are.
void WriteCampaign(Output& out, const fs::path& game) {
    struct Unit {
        const char* name;
        const char* origin;
        double longitude;
        double latitude;
        int heading;
    };
    static constexpr std::array<Unit, 11> kUnits = {{
        {"Kiel U-boat pen", "German", 10.15, 54.32, 0},
        {"Wilhelmshaven U-boat pen", "German", 8.13, 53.52, 350},
        {"Kiel minesweepers", "German", 10.17, 54.36, 10},
        {"Lorient U-boat pen", "German", -3.37, 47.73, 180},
        {"Brest U-boat pen", "German", -4.49, 48.38, 270},
        {"Saint-Nazaire U-boat pen", "German", -2.2, 47.27, 225},
        {"La Pallice U-boat pen", "German", -1.22, 46.16, 260},
        {"Bordeaux U-boat pen", "German", -0.55, 44.87, 320},
        {"Bergen U-boat pen", "German", 5.32, 60.39, 270},
        {"Trondheim U-boat pen", "German", 10.39, 63.43, 300},
        {"Scapa Flow Home Fleet", "British", -3.07, 58.9, 90},
    }};
    std::string text = "[Mission]\r\nTitle=Campaign land units (Seewolf demo)\r\nNbUnits=" +
                       Num(static_cast<long long>(kUnits.size())) + "\r\n";
    int n = 0;
    for (const Unit& unit : kUnits) {
        // The game's map positions are metres east and north of its origin.
        text += "\r\n[Unit " + Num(++n) + "]\r\nName=" + unit.name + "\r\nOrigin=" + unit.origin +
                "\r\nClass=Harbour\r\nLong=" + Float(unit.longitude * 68000.0) +
                "\r\nLat=" + Float(unit.latitude * 111000.0) + "\r\nHeading=" + Num(unit.heading) + "\r\n";
    }
    out.WriteNew(game / "data" / "Campaigns" / "Campaign" / "Campaign_LND.mis", Cp1252Exact(text));
}

// The boats the game gives a new career, per boat type ("VIIC/41" boats are in SSTypeVIIC.cfg).
void WriteRosters(Output& out, const fs::path& game) {
    struct Roster {
        const char* type;
        const char* built;  // commissioning date of the first boat, yyyymmdd
        std::array<int, 3> boats;
    };
    static constexpr std::array<Roster, 11> kRosters = {{
        {"IIA", "19350629", {1, 2, 3}},
        {"IIB", "19350810", {7, 9, 12}},
        {"IIC", "19380601", {56, 57, 58}},
        {"IID", "19400615", {137, 138, 139}},
        {"VIIB", "19381217", {47, 48, 99}},
        {"VIIC", "19401015", {69, 96, 201}},
        {"IXA", "19380815", {37, 38, 43}},
        {"IXB", "19400410", {103, 107, 123}},
        {"IXC", "19410520", {66, 67, 68}},
        {"IXD2", "19430210", {177, 178, 181}},
        {"XXI", "19441120", {2501, 2511, 3008}},
    }};
    for (const Roster& roster : kRosters) {
        ProfileText text;
        for (std::size_t i = 0; i < roster.boats.size(); ++i) {
            text.Section("Unit " + Num(static_cast<long long>(i + 1)));
            text.Key("Name", "U-" + Num(roster.boats[i])).Key("Class", std::string(roster.type));
            text.Key("DOC", roster.built).Key("DOD", "19450508").Blank();
        }
        out.WriteNewText(game / "data" / "Roster" / "German" / "Submarine" /
                             ("SSType" + std::string(roster.type) + ".cfg"),
                         text);
    }
}

// The crews a new boat of each class starts with, three per class; the last section is a bunk
// left empty (no compartment), as the game's files have them.
void WriteCrewConfigs(Output& out, const fs::path& game) {
    static constexpr std::array<const char*, 4> kClasses = {"II_", "VII_", "IX_", "XXI_"};
    static constexpr std::array<const char*, 12> kNames = {
        "Otto Brandt",   "Willi Sander", "Paul Kröger", "Ernst Möller",  "Karl Vogt",   "Hermann Lenz",
        "Josef Brenner", "Ludwig Haake", "Werner Timm", "August Reiter", "Heinz Wolff", "Gustav Rode"};
    static constexpr std::array<std::pair<int, int>, 6> kMembers = {
        {{0, 7}, {2, 6}, {2, 4}, {4, 3}, {5, 1}, {6, 0}}};  // compartment, grade
    static constexpr std::array<int, 9> kExperience = {0, 20, 50, 100, 150, 200, 300, 400, 500};
    int person = 0;
    for (const char* prefix : kClasses) {
        for (int c = 1; c <= 3; ++c) {
            ProfileText text;
            for (std::size_t m = 0; m <= kMembers.size(); ++m) {
                text.Section("CREW_MEMBER_" + Num(static_cast<long long>(m)));
                if (m == kMembers.size()) {
                    text.Key("NrComp", -1).Blank();
                    break;
                }
                const auto [compartment, grade] = kMembers[m];
                text.Key("NrComp", compartment).Key("Grad", grade);
                text.Key("Name", kNames[static_cast<std::size_t>(person++) % kNames.size()]);
                text.Key("Patrols", 0).Key("MedalsInx0", -1).Key("MedalsInx6", -1).Key("MedalsInx7", -1);
                text.Key("Experience", static_cast<double>(kExperience[static_cast<std::size_t>(grade)]))
                    .Blank();
            }
            out.WriteNewText(game / "data" / "Cfg" / ("crew_config_" + std::string(prefix) + Num(c) + ".cfg"),
                             text);
        }
    }
}

// The gramophone's records: the game plays them in the order of their number prefixes; one
// has none.
void WriteGramophone(Output& out, const fs::path& game) {
    static constexpr std::array<const char*, 5> kTracks = {
        "001 Hafenkonzert.ogg", "002 Abschied von Kiel.ogg", "003 Nordseewellen.ogg", "017 Auf hoher See.ogg",
        "Heimkehr.ogg"};
    for (const char* track : kTracks) {
        std::string bytes = "OggS SEEWOLF DEMO RECORD " + std::string(track) + "\r\n";
        Draws draws(track);
        for (int i = 0; i < 192; ++i) {
            bytes += static_cast<char>(draws.Next(256));
        }
        out.WriteNew(game / "data" / "Sound" / "Gramophone" / PathFromUtf8(track), bytes);
    }
}

}  // namespace

void WriteModificationTargets(Output& out, const fs::path& game) {
    WriteScene(out, game);
    WriteGuns(out, game);
    WriteBoatZones(out, game);
    WriteShips(out, game);
    WriteCampaign(out, game);
    WriteRosters(out, game);
    WriteCrewConfigs(out, game);
    WriteGramophone(out, game);
}

}  // namespace seewolf::demo
