#include "launch/crew_details.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>

#include "app/error.h"
#include "app/numbers.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/prompter.h"
#include "app/random.h"
#include "app/text.h"
#include "crew/random_name.h"
#include "crew/service_history.h"
#include "launch/backup.h"
#include "launch/folder_walk.h"
#include "launch/game_bounds.h"
#include "platform/files.h"

namespace seewolf {

namespace {

constexpr std::string_view kOptionsFile = "Cfg\\SH3 options.cfg";
constexpr std::string_view kCrewSetup = "CREW SETUP";
constexpr std::string_view kBasicCfg = "data\\Cfg\\Basic.cfg";
constexpr std::string_view kCfgFolder = "data\\Cfg\\";
constexpr std::string_view kCrewFileStart = "crew_config_";
constexpr std::string_view kCrewFileEnd = ".cfg";
constexpr int kLastMember = 120;
constexpr int kGrades = 9;

// A whole number from `low` to `high`, or `def` when the key (or the file) is missing.
int WholeNumber(const ProfileFile& file, std::string_view section, std::string_view key, int def,
                int low = std::numeric_limits<int>::min(), int high = std::numeric_limits<int>::max()) {
    const std::optional<std::string> text = file.FindString(section, key);
    if (!text) {
        return def;
    }
    const std::optional<int> value = ParseInteger(*text);
    if (!value) {
        throw Error("Invalid number in " + KeyPlace(file, section, key) + ": \"" + *text +
                    "\" is not a whole number.");
    }
    if (*value < low || *value > high) {
        throw Error("Invalid number in " + KeyPlace(file, section, key) + ": \"" + *text + "\" is not " +
                    (high == std::numeric_limits<int>::max()
                         ? std::to_string(low) + " or more"
                         : "from " + std::to_string(low) + " to " + std::to_string(high)) +
                    ".");
    }
    return *value;
}

// A real that single precision holds, or `def` when the key (or the file) is missing.
float Real(const ProfileFile& file, std::string_view section, std::string_view key, float def) {
    const std::optional<std::string> text = file.FindString(section, key);
    if (!text) {
        return def;
    }
    const std::optional<double> value = ParseFloat(*text);
    if (!value || !(std::abs(*value) <= std::numeric_limits<float>::max())) {
        throw Error("Invalid number in " + KeyPlace(file, section, key) + ": \"" + *text +
                    "\" is not a number.");
    }
    return static_cast<float>(*value);
}

struct CrewRules {
    int chance = 0;  // percent chance of a service history
    bool chanceGiven = false;
    int ironCross = 0;   // percent chance of medal 0 for a crewman with a history
    int maxPatrols = 0;  // 0 gives one patrol, as 1 does
    std::array<float, kGrades> baseExperience{};
    float medalFactor = 1.0f;
    bool basicFound = false;
};

CrewRules ReadRules(const Paths& paths, std::string_view year) {
    CrewRules rules;
    const ProfileFile options(paths.Prog(kOptionsFile));
    rules.chanceGiven = options.FindString(kCrewSetup, year).has_value();
    rules.chance = WholeNumber(options, kCrewSetup, year, 0, 0, 100);
    rules.ironCross = WholeNumber(options, kCrewSetup, "EKIIChance", 0, 0, 100);
    rules.maxPatrols = WholeNumber(options, kCrewSetup, "MaxPatrols", 0, 0);

    const ProfileFile basic(paths.Game(kBasicCfg));
    rules.basicFound = platform::FileExists(basic.Path());
    for (int grade = 0; grade < kGrades; ++grade) {
        rules.baseExperience[static_cast<std::size_t>(grade)] =
            static_cast<float>(WholeNumber(basic, "CREW_" + std::to_string(grade), "Experience", 0));
    }
    rules.medalFactor = Real(basic, "MEDALS_CREW", "Experience", 1.0f);
    return rules;
}

std::string_view ClassPrefix(int subTypeNb) {
    switch (subTypeNb) {
        case 0:
            return "II_";
        case 1:
            return "VII_";
        case 2:
            return "IX_";
        case 3:
            return "XXI_";
        default:
            return "";  // every crew file
    }
}

// Whether a file name has the form crew_config_<prefix>*.cfg, ignoring case.
bool IsCrewFileName(std::string_view name, std::string_view prefix) {
    const std::size_t start = kCrewFileStart.size() + prefix.size();
    return name.size() >= start + kCrewFileEnd.size() &&
           SameText(name.substr(0, kCrewFileStart.size()), kCrewFileStart) &&
           SameText(name.substr(kCrewFileStart.size(), prefix.size()), prefix) &&
           SameText(name.substr(name.size() - kCrewFileEnd.size()), kCrewFileEnd);
}

// The names of the crew files of the class in the game's data\Cfg, in name order ignoring case;
// what looks like one but cannot be used is noted.
std::vector<std::string> ListCrewFiles(const Paths& paths, std::string_view prefix,
                                       std::vector<std::string>& notes) {
    const std::filesystem::path folder = paths.Game(kCfgFolder);
    backup::GameBounds bounds(paths);
    std::vector<std::string> names;
    for (const backup::Entry& entry : backup::ListEntries(folder)) {
        std::string name;
        if (!backup::TextOfName(entry.name, name)) {
            // Such a name cannot be written as the game's text; say so when it would have counted.
            const std::string utf8 = platform::Utf8FromPath(entry.name);
            if (IsCrewFileName(utf8, prefix)) {
                notes.push_back("The crew file " + Cp1252FromUtf8(utf8) +
                                " was left out: its name holds characters outside Windows-1252.");
            }
            continue;
        }
        if (!IsCrewFileName(name, prefix)) {
            continue;
        }
        const std::filesystem::path path = folder / entry.name;
        if (!platform::FileExists(path)) {
            continue;  // a folder (or a link to nothing) of that name is no crew file
        }
        if (!bounds.Holds(path)) {
            notes.push_back("The crew file " + std::string(kCfgFolder) + name +
                            " was left out: " + PathText(path) + " leads outside the game folder.");
            continue;
        }
        names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string foldedA = UpperCase(a);
        const std::string foldedB = UpperCase(b);
        return foldedA != foldedB ? foldedA < foldedB : a < b;
    });
    return names;
}

struct Edit {
    std::string section;
    std::string_view key;
    std::string value;
};

// The writes of one crew file; draws for its crewmen in section order.
std::vector<Edit> CrewFileEdits(const Paths& paths, const ProfileFile& crew, const CrewRules& rules,
                                std::string_view careerDate, Random& random, CrewDetailsResult& result,
                                int& ungraded) {
    std::vector<Edit> edits;
    for (int n = 0; n <= kLastMember; ++n) {
        const std::string section = "CREW_MEMBER_" + std::to_string(n);
        if (WholeNumber(crew, section, "NrComp", -1) < 0) {
            continue;
        }
        edits.push_back({section, "Name", RandomName(paths, random, false)});
        ++result.crewmenRenamed;
        if (random.Next(100) >= rules.chance) {
            continue;
        }
        const int grade = WholeNumber(crew, section, "Grad", -1);
        float base = 0.0f;
        if (grade >= 0 && grade < kGrades) {
            base = rules.baseExperience[static_cast<std::size_t>(grade)];
        } else {
            ++ungraded;
        }
        const crew::ServiceHistory history = crew::DrawServiceHistory(
            {rules.maxPatrols, rules.ironCross, rules.medalFactor}, careerDate, base, random);
        if (!std::isfinite(history.experience)) {
            throw Error("The experience of " + KeyPlace(crew, section, "Experience") +
                        " comes to more than the game can hold; check [MEDALS_CREW] Experience and [CREW_" +
                        std::to_string(grade) + "] Experience of " + PathText(paths.Game(kBasicCfg)) + ".");
        }
        edits.push_back({section, "Patrols", std::to_string(history.patrols)});
        edits.push_back({section, "MedalsInx0", std::to_string(history.medal0)});
        edits.push_back({section, "MedalsInx6", std::to_string(history.medal6)});
        edits.push_back({section, "MedalsInx7", std::to_string(history.medal7)});
        edits.push_back({section, "Experience", FormatFloat6(history.experience)});
        ++result.crewmenWithPast;
    }
    return edits;
}

}  // namespace

CrewDetailsResult RandomiseCrewDetails(const Paths& paths, std::string_view careerDate, int subTypeNb,
                                       Random& random, Prompter& prompter) {
    const BusyScope busy(prompter);
    if (careerDate.size() != 8 ||
        !std::all_of(careerDate.begin(), careerDate.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        throw Error("The career date \"" + std::string(careerDate) + "\" is not a date yyyymmdd.");
    }
    const std::string_view year = careerDate.substr(0, 4);
    const CrewRules rules = ReadRules(paths, year);

    CrewDetailsResult result;
    const std::string_view prefix = ClassPrefix(subTypeNb);
    const std::vector<std::string> files = ListCrewFiles(paths, prefix, result.notes);
    const std::string pattern = std::string(kCfgFolder) + std::string(kCrewFileStart) + std::string(prefix) +
                                "*" + std::string(kCrewFileEnd);
    if (files.empty()) {
        result.notes.push_back("The game folder " + FolderText(paths.GameFolder) + " has no crew file " +
                               pattern + ": the crew keeps the names and experience the game gives it.");
    }
    std::vector<std::string> changed;
    std::vector<ProfileEdit> batches;
    for (const std::string& name : files) {
        const std::string relative = std::string(kCfgFolder) + name;
        const ProfileFile crew(paths.Game(relative));
        if (!platform::ReadFile(crew.Path())) {
            result.notes.push_back("The crew file " + relative + " was left out: it cannot be read.");
            continue;
        }
        int ungraded = 0;
        const std::vector<Edit> edits =
            CrewFileEdits(paths, crew, rules, careerDate, random, result, ungraded);
        if (ungraded > 0) {
            result.notes.push_back(
                std::to_string(ungraded) + " crewm" + (ungraded == 1 ? "an" : "en") + " of " + relative +
                " without a grade (Grad) from 0 to 8 got the experience of their patrols only.");
        }
        if (edits.empty()) {
            continue;
        }
        ProfileEdit batch(crew);  // the crew file is written once
        for (const Edit& edit : edits) {
            batch.WriteString(edit.section, edit.key, edit.value);
        }
        changed.push_back(relative);
        batches.push_back(std::move(batch));
    }
    // Every crew file is backed up (in one batch) before the first is written.
    BackUpGameFiles(paths, changed);
    for (ProfileEdit& batch : batches) {
        batch.Commit();
        ++result.filesChanged;
    }

    if (result.crewmenRenamed > 0 && !rules.chanceGiven) {
        result.notes.push_back(PathText(paths.Prog(kOptionsFile)) + " [" + std::string(kCrewSetup) +
                               "] has no line for " + std::string(year) +
                               ": the crewmen got new names only, no earlier patrols, medals or experience.");
    }
    if (result.crewmenWithPast > 0 && !rules.basicFound) {
        result.notes.push_back(
            "The game has no " + std::string(kBasicCfg) +
            ": the crewmen's experience was counted without the experience of their grades "
            "and without the medal factor.");
    }
    return result;
}

}  // namespace seewolf
