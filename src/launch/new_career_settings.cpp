#include "launch/new_career_settings.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "app/error.h"
#include "app/numbers.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/random.h"
#include "app/text.h"
#include "career/career.h"
#include "launch/backup.h"
#include "launch/game_bounds.h"
#include "launch/launch.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace seewolf {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kCampaignFile = "data\\Campaigns\\Campaign\\Campaign_LND.mis";
constexpr std::string_view kStartAtSeaFile = "Cfg\\Start at sea.cfg";
constexpr std::string_view kBasicFile = "data\\Cfg\\Basic.cfg";
constexpr std::string_view kFlotillaFile = "data\\Cfg\\Flotilla.cfg";
constexpr std::string_view kGramophoneFolder = "data\\Sound\\Gramophone\\";

// Counts read from game files drive loops of file look-ups; a count beyond any real file is a
// damaged file, not a reason to look up keys for hours.
constexpr int kMaxCount = 10000;

constexpr const char* kGridMonths[12] = {"Jan",  "Febr", "March", "April", "May", "June",
                                         "July", "Aug",  "Sept",  "Oct",   "Nov", "Dec"};

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (LowerCp1252(text[i]) != LowerCp1252(prefix[i])) {
            return false;
        }
    }
    return true;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = LowerCp1252(c);
    }
    return lower;
}

std::string FileText(const ProfileFile& file) {
    return platform::TextFromPath(file.Path());
}

[[noreturn]] void ThrowBadValue(const ProfileFile& file, std::string_view section, std::string_view key,
                                std::string_view value, std::string_view expected) {
    throw Error("Invalid value in " + FileText(file) + " [" + std::string(section) + "] " + std::string(key) +
                ": \"" + std::string(value) + "\" is not " + std::string(expected) + ".");
}

// A count such as NbFlotilla: a whole number (a ";" starts a comment), at most kMaxCount.
int ReadCount(const ProfileFile& file, std::string_view section, std::string_view key) {
    const std::string text = ReadRequiredString(file, section, key);
    const std::optional<int> value = ParseInteger(Trim(CutAt(text, ';')));
    if (!value) {
        ThrowBadValue(file, section, key, text, "a whole number");
    }
    if (*value > kMaxCount) {
        ThrowBadValue(file, section, key, text, "a count of at most " + std::to_string(kMaxCount));
    }
    return *value;
}

// A coordinate of Cfg/Start at sea.cfg: copied as written, once it is known to be a number.
std::string ReadPosition(const ProfileFile& file, const std::string& section, std::string_view key) {
    const std::string text = ReadRequiredString(file, section, key);
    if (!ParseFloat(Trim(text))) {
        ThrowBadValue(file, section, key, text, "a number");
    }
    return text;
}

bool Occupied(const fs::path& path) {
    std::error_code error;
    return fs::symlink_status(path, error).type() != fs::file_type::not_found;
}

// Whether a full path survives the trip to log text and back (the logs hold Windows-1252 text).
bool Loggable(const fs::path& path) {
    const std::string text = platform::TextFromPath(path);
    return text.find_first_of("|\r\n") == std::string::npos && platform::PathFromText(text) == path;
}

}  // namespace

LaunchNotes ApplyStartAtSea(const Paths& paths) {
    const fs::path campaign = paths.Game(kCampaignFile);
    if (!platform::FileExists(campaign)) {
        return {"Start at sea was left out: " + platform::TextFromPath(campaign) +
                " is missing. Check the game installation."};
    }
    const std::optional<std::string> text = platform::ReadFile(campaign);
    if (!text) {
        throw Error("Unable to read " + platform::TextFromPath(campaign));
    }
    const ProfileFile options(paths.Prog(kStartAtSeaFile));
    if (!platform::FileExists(options.Path())) {
        throw Error("The file " + FileText(options) + " is missing; it lists the units that start at sea.");
    }

    std::string out;
    out.reserve(text->size() + 256);
    std::string unit;
    bool german = false;
    bool matched = false;
    for (const std::string& line : SplitLines(*text)) {
        std::string kept = line;
        if (!line.empty() && line.front() == '[') {
            unit.clear();
            german = false;
            matched = false;
        } else if (StartsWithNoCase(line, "name=")) {
            const std::string name(TrimBlanks(std::string_view(line).substr(5)));
            if (!name.empty() && options.SectionExists(name)) {
                unit = name;
                matched = true;
            }
        } else if (StartsWithNoCase(line, "origin=")) {
            if (Lower(TrimBlanks(std::string_view(line).substr(7))) == "german") {
                german = true;
            }
        } else if (matched && german) {
            if (StartsWithNoCase(line, "long=")) {
                kept = "Long=" + ReadPosition(options, unit, "Long");
            } else if (StartsWithNoCase(line, "lat=")) {
                kept = "Lat=" + ReadPosition(options, unit, "Lat");
            } else if (StartsWithNoCase(line, "heading=")) {
                kept = "Heading=" + ReadPosition(options, unit, "Heading");
            }
        }
        out += kept;
        out += "\r\n";
    }
    if (out != *text) {
        BackUpGameFile(paths, kCampaignFile);
        // One rename over the old file: a cut leaves the old campaign or the new one, never none.
        platform::WriteFileAtomic(campaign, out);
    }
    return {};
}

namespace {

// Keys to write into one section of a game file, in their order.
struct KeyWrites {
    std::string section;
    std::vector<std::pair<std::string, std::string>> keys;

    void Write(const fs::path& file) const {
        ProfileEdit edit{ProfileFile(file)};  // one write for all the keys
        for (const auto& [key, value] : keys) {
            edit.WriteString(section, key, value);
        }
        edit.Commit();
    }
};

// What a retired career continued with a new commander hands on: the crew file becomes the crew
// configuration of the boat class, the equipment levels go into the ammunition section of
// Basic.cfg for the year of the patrol start date.
struct HandOver {
    std::vector<std::string> crewFiles;  // game files to copy the old crew file over
    fs::path crew;                       // the old career's crew file
    KeyWrites equipment;                 // into Basic.cfg
};

HandOver PlanHandOver(const Paths& paths, const LaunchRequest& request, std::string_view date,
                      const std::optional<int>& typeNumber, const std::string& version, LaunchNotes& notes) {
    HandOver plan;
    const SelectedCareer& career = request.career;
    const std::string patrols = std::to_string(career.PatrolCount);
    static constexpr const char* kClassPrefixes[4] = {"II_", "VII_", "IX_", "XXI_"};
    if (career.SubTypeNb >= 0 && career.SubTypeNb <= 3) {
        plan.crew = career.CareerFolder / platform::PathFromText("Crew_Career_" + patrols + "0.cfg");
        for (int c = 1; c <= 3; ++c) {
            const std::string relative = "data\\Cfg\\crew_config_" +
                                         std::string(kClassPrefixes[career.SubTypeNb]) + std::to_string(c) +
                                         ".cfg";
            if (!platform::FileExists(plan.crew)) {
                notes.push_back("The old career's crew was not handed on: " +
                                platform::TextFromPath(plan.crew) + " is missing.");
                break;
            }
            if (!platform::FileExists(paths.Game(relative))) {
                notes.push_back("The old career's crew was not copied to " +
                                platform::TextFromPath(paths.Game(relative)) +
                                ": that file is missing. Check the game installation.");
                continue;
            }
            plan.crewFiles.push_back(relative);
        }
    }

    const ProfileFile careers(career.CareerFolder / "Careers_0.cfg");
    const std::string section = SectionName("CAREER ", career.PatrolCount);
    struct Carried {
        const char* read;
        const char* write;
        const char* def;
    };
    static constexpr Carried kCarried[18] = {
        {"Z01", "Z01_", "-100"},
        {"M01", "M01_", "-100"},
        {"A01", "A01_", "-100"},
        {"A02", "A02_", "-100"},
        {"S01", "S01_", "-100"},
        {"S02", "S02_", "-100"},
        {"S03", "S03_", "-100"},
        {"SuperChargerUpg", "SuperCharger_", "-1"},
        {"SnorkelUpg", "Snorkel_", "-1"},
        {"BatteriesUpg", "Batteries_", "-1"},
        {"AftBatteriesUpg", "AftBatteries_", "-1"},
        {"HydrophoneUpg", "Hydrophone_", "-1"},
        {"SonarUpg", "Sonar_", "-1"},
        {"RadarUpg", "Radar_", "-1"},
        {"RadarWarningReceiverUpg", "RadarWarningReceiver_", "-1"},
        {"Decoy_LauncherUpg", "Decoy_Launcher_", "-1"},
        {"SonarCoatingsUpg", "SonarCoatings_", "-1"},
        {"RadarCoatingsUpg", "RadarCoatings_", "-1"},
    };
    std::vector<std::string> values;
    for (const Carried& carried : kCarried) {
        values.push_back(careers.ReadString(section, carried.read, carried.def));
    }

    const ProfileFile basic(paths.Game(kBasicFile));
    if (!typeNumber || !platform::FileExists(basic.Path())) {
        notes.push_back("The old career's boat equipment was not handed on: the boat type \"" +
                        request.boatTypeName + "\" is not listed in " + FileText(basic) + ".");
        return plan;
    }
    const std::string type = std::to_string(*typeNumber);
    std::string ammo;
    for (int i = 0; i <= 10; ++i) {
        ammo = "SUBMARINE_AMMO" + std::to_string(i);
        const std::string ammoType = basic.ReadString(ammo, "Type", "");
        const std::string ammoVersion = basic.ReadString(ammo, "Version", "");
        if (!ammoType.empty() && ammoType[0] == type[0] && !ammoVersion.empty() && !version.empty() &&
            ammoVersion[0] == version[0]) {
            break;
        }
    }
    if (!basic.FindString(ammo, "NbYears")) {
        return plan;
    }
    const int years = ReadCount(basic, ammo, "NbYears");
    const std::string year(date.substr(0, 4));
    int y = 0;
    while (y <= years && basic.ReadString(ammo, "Year" + std::to_string(y), "") != year) {
        ++y;
    }
    if (y > years) {
        y = years + 1;
    }
    const std::string suffix = std::to_string(y) + "0";
    plan.equipment.section = ammo;
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::string key = kCarried[i].write + suffix;
        if (basic.ValueExists(ammo, key)) {
            plan.equipment.keys.emplace_back(std::move(key), values[i]);
        }
    }
    return plan;
}

}  // namespace

LaunchNotes ApplyNewCareerSettings(const Paths& paths, const LaunchRequest& request, std::string_view date) {
    LaunchNotes notes;

    // The boat type's number and version; when several entries match, the last one counts.
    const ProfileFile basic(paths.Game(kBasicFile));
    std::optional<int> typeNumber;
    std::string version;
    for (int n = 0; n <= kMaxCount; ++n) {
        const std::string section = "SUBMARINE" + std::to_string(n);
        if (!basic.SectionExists(section)) {
            break;
        }
        const int versions = ReadCount(basic, section, "NbVersion");
        for (int v = 0; v < versions; ++v) {
            if (basic.ReadString(section, "Name" + std::to_string(v), "") == request.boatTypeName) {
                typeNumber = n;
                version = basic.ReadString(section, "Version" + std::to_string(v), "");
            }
        }
    }

    // Everything is worked out first; the files are backed up together and then each is written
    // once. (The keys written are never among those read to find them.)
    const ProfileFile flotillas(paths.Game(kFlotillaFile));
    KeyWrites start{"FLOTILLA", {}};
    if (!platform::FileExists(flotillas.Path())) {
        notes.push_back("The new career's start month, boat type and patrol grid were not set: " +
                        FileText(flotillas) + " is missing. Check the game installation.");
    } else if (!typeNumber) {
        notes.push_back(
            "The new career's start month, boat type and patrol grid were not set: the boat type \"" +
            request.boatTypeName + "\" is not listed in " + FileText(basic) + ".");
    } else if (request.month < 1 || request.month > 12) {
        throw Error("The new career's month " + std::to_string(request.month) + " is not a month.");
    } else {
        const std::string& s = start.section;
        const int count = ReadCount(flotillas, s, "NbFlotilla");
        const std::string year = std::to_string(request.year);
        for (int k = 0; k < count; ++k) {
            const std::string ks = std::to_string(k);
            if (flotillas.ReadString(s, "Flotilla" + ks, "") != request.flotillaId) {
                continue;
            }
            const int starts = ReadCount(flotillas, s, "NbStartingDate" + ks);
            for (int p = 0; p < starts; ++p) {
                const std::string kp = ks + std::to_string(p);
                if (Trim(flotillas.ReadString(s, "Date" + kp, "")) != year ||
                    Lower(Trim(flotillas.ReadString(s, "Starting" + kp, ""))) != "yes") {
                    continue;
                }
                start.keys.emplace_back("Month" + kp, std::to_string(request.month));
                start.keys.emplace_back("TypeSub" + kp, std::to_string(*typeNumber));
                start.keys.emplace_back("VersionSub" + kp, version);
                if (!request.patrolGrid.empty()) {
                    const std::string month = kGridMonths[request.month - 1];
                    for (int i = 0; i < 3; ++i) {
                        for (int j = 0; j < 5; ++j) {
                            start.keys.emplace_back(month + kp + std::to_string(i) + std::to_string(j),
                                                    request.patrolGrid);
                        }
                    }
                }
                break;
            }
        }
    }

    HandOver handOver;
    if (request.career.ContinueCareer) {
        // The old career's files are found through its folder; without one they would be looked
        // for in whatever the current folder is.
        if (request.career.CareerFolder.empty()) {
            throw Error(
                "The career to continue with a new commander names no career folder, so its crew and "
                "equipment cannot be handed on. Nothing was changed; select the retired career and choose "
                "\"Continue career with new Commander\" again.");
        }
        handOver = PlanHandOver(paths, request, date, typeNumber, version, notes);
    }

    // The roster file of the boat type: the type key names a file, so it must be a plain name.
    std::string roster;
    fs::path rosterPath;
    std::string unitName;
    int units = 1;
    if (!request.boatNumber.empty()) {
        const std::string typeKey = CutAt(request.boatTypeName, '/');
        roster = "data\\Roster\\German\\Submarine\\SSType" + typeKey + ".cfg";
        rosterPath = paths.Game(roster);
        backup::GameBounds bounds(paths);
        if (typeKey.find_first_of("\\:*?\"<>|") != std::string::npos || typeKey == "." || typeKey == ".." ||
            !platform::FileExists(rosterPath) || !bounds.Holds(rosterPath)) {
            notes.push_back("The boat number " + request.boatNumber + " was not set: the roster file " +
                            platform::TextFromPath(rosterPath) + " of the boat type is missing.");
            roster.clear();
        } else {
            const ProfileFile file(rosterPath);
            unitName = file.ReadString("Unit 1", "Name", "U-");
            while (file.SectionExists("Unit " + std::to_string(units + 1))) {
                ++units;
            }
        }
    }

    std::vector<std::string> edited;
    if (!start.keys.empty()) {
        edited.emplace_back(kFlotillaFile);
    }
    edited.insert(edited.end(), handOver.crewFiles.begin(), handOver.crewFiles.end());
    if (!handOver.equipment.keys.empty()) {
        edited.emplace_back(kBasicFile);
    }
    if (!roster.empty()) {
        edited.push_back(roster);
    }
    BackUpGameFiles(paths, edited);

    if (!start.keys.empty()) {
        start.Write(flotillas.Path());
    }
    for (const std::string& relative : handOver.crewFiles) {
        platform::CopyFileAtomic(handOver.crew, paths.Game(relative));
    }
    if (!handOver.equipment.keys.empty()) {
        handOver.equipment.Write(basic.Path());
    }
    if (!roster.empty()) {
        ProfileEdit file{ProfileFile(rosterPath)};
        file.WriteString("Unit 1", "Name", unitName.substr(0, 2) + request.boatNumber);
        file.WriteString("Unit 1", "DOC", "19390101");
        file.WriteString("Unit 1", "DOD", "19450531");
        for (int m = 2; m <= units; ++m) {
            file.EraseSection("Unit " + std::to_string(m));
        }
        file.Commit();
    }
    return notes;
}

LaunchNotes ShuffleGramophone(const Paths& paths, Random& random) {
    LaunchNotes notes;
    const fs::path folder = paths.Game(kGramophoneFolder);
    backup::GameBounds bounds(paths);
    if (!platform::FolderExists(folder) || !bounds.HoldsFolder(folder)) {
        return {"The gramophone was not shuffled: " + platform::TextFromPath(folder) +
                " is missing. Check the game installation."};
    }
    // The list is taken before the first rename, so that no file is renamed twice; name order
    // makes a seeded shuffle the same on every system.
    std::vector<fs::path> files;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        std::error_code typeError;
        if (entry.is_regular_file(typeError) && !entry.is_symlink(typeError)) {
            files.push_back(entry.path());
        }
    }
    if (error) {
        return {"The gramophone was not shuffled: " + platform::TextFromPath(folder) + " cannot be listed (" +
                error.message() + ")."};
    }
    std::sort(files.begin(), files.end());

    for (const fs::path& original : files) {
        const std::string name = platform::TextFromPath(original.filename());
        if (!Loggable(original)) {
            notes.push_back("The gramophone track \"" + name +
                            "\" keeps its place: its name holds a \"|\", a line break or a character "
                            "outside Windows-1252. Rename it to shuffle it.");
            continue;
        }
        std::string_view base = name;
        if (name.size() >= 3 && ParseInteger(base.substr(0, 3))) {
            std::size_t start = 3;
            while (start < name.size() && (name[start] == ' ' || name[start] == '\t')) {
                ++start;
            }
            base = base.substr(start);
        }
        const std::string renamedName = ZeroPad(random.Next(1000), 3) + " " + std::string(base);
        if (renamedName == name) {
            continue;
        }
        const fs::path renamed = platform::Resolve(folder, renamedName);
        if (Occupied(renamed) || !Loggable(renamed)) {
            notes.push_back("The gramophone track \"" + name + "\" keeps its place: \"" + renamedName +
                            "\" is already taken.");
            continue;
        }
        RecordGramophoneRename(paths, renamed, original);
        if (!platform::TryRenamePath(original, renamed)) {
            notes.push_back("The gramophone track \"" + name + "\" could not be renamed to \"" + renamedName +
                            "\"; it keeps its place.");
        }
    }
    return notes;
}

}  // namespace seewolf
