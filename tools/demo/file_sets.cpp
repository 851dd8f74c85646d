#include "demo/file_sets.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace seewolf::demo {

namespace {

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

}  // namespace

void WriteLaunchGameFiles(Output& out, const fs::path& game) {
    for (const LaunchFile& file : LaunchFiles()) {
        if (file.set.empty() && out.WriteNew(game / PathFromUtf8(file.path), file.bytes) && file.readOnly) {
            MakeReadOnly(game / PathFromUtf8(file.path));
        }
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

}  // namespace seewolf::demo
