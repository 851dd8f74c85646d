#include "demo/game_folder.h"

#include <fstream>
#include <initializer_list>
#include <map>
#include <sstream>
#include <utility>
#include <vector>

#include "demo/crews.h"
#include "demo/file_sets.h"
#include "demo/launch_targets.h"
#include "demo/patrol_logs.h"
#include "demo/vocabulary.h"

namespace seewolf::demo {

namespace {

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

    // Notes on the course of the war that the program's menu variables replace by date.
    AddNumbered(table, 2100,
                {{"U-boat command", "U-Boot-Führung", "Commandement des sous-marins"},
                 {"Commander of the U-boats", "Befehlshaber der U-Boote", "Commandant des sous-marins"},
                 {"The war at sea", "Der Seekrieg", "La guerre sur mer"},
                 {"No radar warning receiver", "Kein Radarwarngerät", "Pas de détecteur de radar"},
                 {"Torpedoes ready", "Torpedos klar", "Torpilles parées"},
                 {"Convoy escorts", "Geleitsicherung", "Escortes des convois"},
                 {"No snorkel yet", "Noch kein Schnorchel", "Pas encore de schnorchel"}});
    return table;
}

void WriteStandInGame(Output& out, const fs::path& game) {
    const fs::path exe = game / "sh3.exe";
#ifdef SEEWOLF_STAND_IN_GAME
    // On Windows the game is started as the program it is, so the stand-in is a real program:
    // seewolf-stand-in of this build (it says that it runs, waits and ends).
    const fs::path standIn = PathFromUtf8(SEEWOLF_STAND_IN_GAME);
    std::ifstream in(standIn, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in || bytes.str().empty()) {
        Fail("cannot read the stand-in game program", standIn);
    }
    out.WriteNew(exe, bytes.str());
#else
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
#endif
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

// The ammunition and equipment a boat sails with, per type and version and year of the war
// (key suffix: the year's index and "0"). Eleven sections at most, as the game reads them; the
// versions left out (IIC, IID, IXD2) sail with what the game decides.
void WriteAmmunition(ProfileText& text) {
    struct Loadout {
        int type;
        int version;
        int torpedoes;
        int mines;
        int deckShells;
        int flakShells;
    };
    static constexpr std::array<Loadout, 11> kLoadouts = {{
        {boattype::TypeII, 0, 5, 9, 0, 1000},
        {boattype::TypeII, 1, 5, 9, 0, 1000},
        {boattype::TypeVII, 0, 14, 26, 220, 1500},
        {boattype::TypeVII, 1, 14, 26, 220, 2000},
        {boattype::TypeVII, 2, 14, 26, 220, 3000},
        {boattype::TypeVII, 3, 14, 26, 0, 4000},
        {boattype::TypeIX, 0, 22, 44, 180, 1500},
        {boattype::TypeIX, 1, 22, 44, 180, 1500},
        {boattype::TypeIX, 2, 22, 44, 180, 2000},
        {boattype::TypeIX, 3, 22, 44, 180, 3000},
        {boattype::TypeXXI, 0, 23, 0, 0, 4000},
    }};
    for (std::size_t i = 0; i < kLoadouts.size(); ++i) {
        const Loadout& l = kLoadouts[i];
        const BoatVersion& version =
            BoatTypes()[static_cast<std::size_t>(l.type)].versions[static_cast<std::size_t>(l.version)];
        const int years = 1945 - version.year + 1;
        text.Section("SUBMARINE_AMMO" + Num(static_cast<long long>(i)))
            .Key("Type", l.type)
            .Key("Version", l.version)
            .Key("NbYears", years);
        for (int y = 0; y < years; ++y) {
            text.Key("Year" + Num(y), version.year + y);
        }
        for (int y = 0; y < years; ++y) {
            const std::string suffix = "_" + Num(y) + "0";
            const int year = version.year + y;
            text.Key("Z01" + suffix, l.torpedoes).Key("M01" + suffix, l.mines);
            text.Key("A01" + suffix, l.deckShells).Key("S01" + suffix, l.flakShells);
            text.Key("Snorkel" + suffix, year >= 1944 ? 1 : 0).Key("Radar" + suffix, year >= 1943 ? 1 : 0);
        }
        text.Blank();
    }
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
    using crewgrade::kExperience;
    using crewgrade::kHitPoints;
    using crewgrade::kMorale;
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
    WriteAmmunition(text);

    // What the randomised events draw anew at each launch.
    text.Section("MALFUNCTIONS")
        .Key("TorpedoDudPercent", 10)
        .Key("DepthKeepingPercent", 10)
        .Key("DieselHours", 600)
        .Key("BatteryCells", 0)
        .Blank();
    text.Section("SABOTAGE").Key("Chance", 0).Key("Damage", 0.0).Blank();
    text.Section("WEATHER").Key("FairDays", 10).Key("FogDays", 4).Blank();
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

}  // namespace

void WriteGame(Output& out, const fs::path& game) {
    WriteStandInGame(out, game);
    WriteFileManager(out, game);
    WriteBasicCfg(out, game);
    WriteFlotillaCfg(out, game);
    WriteMenuTables(out, game);
    WriteLaunchGameFiles(out, game);
    WriteModificationTargets(out, game);
    WriteFaces(out, game);
    WriteShipNameFiles(out, game);
    WriteUboatAces(out, game);
}

}  // namespace seewolf::demo
