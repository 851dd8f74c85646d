#include "demo/vocabulary.h"

#include "demo/writing.h"

namespace seewolf::demo {

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

namespace {

std::string EnglishOrdinal(int n) {
    const int lastTwo = n % 100;
    const int last = n % 10;
    const char* suffix = "th";
    if (lastTwo < 11 || lastTwo > 13) {
        suffix = last == 1 ? "st" : last == 2 ? "nd" : last == 3 ? "rd" : "th";
    }
    return Num(n) + suffix;
}

}  // namespace

Text3 FlotillaName(const FlotillaData& f) {
    const std::string fr = Num(f.number) + (f.number == 1 ? "re" : "e");
    return {EnglishOrdinal(f.number) + " U-boat Flotilla", Num(f.number) + ". Unterseebootsflottille",
            fr + " flottille de sous-marins"};
}

Text3 FlotillaShortName(const FlotillaData& f) {
    const std::string fr = Num(f.number) + (f.number == 1 ? "re" : "e");
    return {EnglishOrdinal(f.number) + " Flotilla", Num(f.number) + ". U-Flottille", fr + " flottille"};
}
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

}  // namespace seewolf::demo
