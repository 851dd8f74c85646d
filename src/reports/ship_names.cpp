#include "reports/ship_names.h"

#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <unordered_set>

#include "app/language.h"
#include "app/numbers.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/random.h"
#include "app/text.h"
#include "career/career.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "reports/patrol_logs.h"

namespace seewolf::reports {

namespace {

// Values longer than this are cut when read; writing such an entry back would lose its end.
constexpr std::size_t kValueLimit = 2047;

// A class the game names in its logs: identifier (as the ship's files name it) and display name.
struct ClassName {
    std::string id;
    std::string display;
};

// The [Names] sections of the game's names files, sea units first, then submarines: a later
// identifier replaces the earlier's name in place, and an empty name removes the pair.
std::vector<ClassName> ClassNameTable(const Paths& paths, const Language& language) {
    const std::string file = language.LangCode == "de" ? "GermanNames.cfg" : "EnglishNames.cfg";
    std::vector<ClassName> table;
    std::map<std::string, std::size_t> index;  // lower-case identifier -> position in table
    for (const char* folder : {"data\\Sea\\", "data\\Submarine\\"}) {
        for (ProfileLine& line : SectionLines(ProfileFile(paths.Game(folder + file)), "Names")) {
            const std::string key = LowerCase(line.key);
            const auto found = index.find(key);
            if (found == index.end()) {
                if (!line.value.empty()) {
                    index.emplace(key, table.size());
                    table.push_back({std::move(line.key), std::move(line.value)});
                }
            } else if (!line.value.empty()) {
                table[found->second].display = std::move(line.value);
            } else {
                const std::size_t gone = found->second;
                table.erase(table.begin() + static_cast<std::ptrdiff_t>(gone));
                index.erase(found);
                for (auto& [name, at] : index) {
                    at -= at > gone ? 1 : 0;
                }
            }
        }
    }
    return table;
}

// The first class, in table order, whose display name follows a "|" in the text, and where.
struct Match {
    const ClassName* name = nullptr;
    std::size_t at = 0;  // where the display name begins
};
Match FindClass(const std::vector<ClassName>& table, std::string_view text) {
    std::vector<std::size_t> starts;
    for (std::size_t bar = text.find('|'); bar != std::string_view::npos; bar = text.find('|', bar + 1)) {
        starts.push_back(bar + 1);
    }
    if (starts.empty()) {
        return {};
    }
    for (const ClassName& name : table) {
        for (std::size_t at : starts) {
            if (text.compare(at, name.display.size(), name.display) == 0) {
                return {&name, at};
            }
        }
    }
    return {};
}

// One class section of Ship names.cfg.
struct ShipClass {
    std::string section;
    std::vector<std::string> names;  // the values of the numbered keys, the last keys of the section
    std::optional<std::string> cargoTypes;
    std::optional<std::string> crewRange;
};

class ShipNamesFile {
  public:
    ShipNamesFile(const ProfileFile& file, std::string_view langCode) : m_file(file) {
        repeatWhenAllUsed = file.ReadBool("SETTINGS", "RepeatWhenAllUsed", false);
        addText = file.ReadBool("SETTINGS", "AddText", false);
        const std::string lang(langCode);
        cargoLabelKey = "CargoTxt_" + lang;
        crewLabelKey = "CrewTxt_" + lang;
        cargoKindsKey = "CargoTyps_" + lang;
        cargoLabel = file.ReadString("TEXT", cargoLabelKey, "");
        crewLabel = file.ReadString("TEXT", crewLabelKey, "");
        lostLabel = file.ReadString("TEXT", "CrewLostTxt_" + lang, "");
        const std::string kinds = file.ReadString("TEXT", cargoKindsKey, "");
        for (std::string_view kind : SplitText(kinds, ',')) {
            cargoKinds.emplace_back(TrimBlanks(kind));
        }
        addAsNewLine = file.ReadBool("TEXT", "AddAsNewLine", false);
    }

    // The section of a class, its own or the one [CLASSMAP] lends it; nullptr for neither.
    const ShipClass* Find(const std::string& id) {
        const std::string key = LowerCase(id);
        if (const auto found = m_classes.find(key); found != m_classes.end()) {
            return found->second ? &*found->second : nullptr;
        }
        std::optional<ShipClass>& entry = m_classes[key];
        std::string section = id;
        if (!m_file.SectionExists(section)) {
            const auto mapped = m_file.FindString("CLASSMAP", id);
            if (!mapped || !m_file.SectionExists(*mapped)) {
                return nullptr;
            }
            section = *mapped;
        }
        ShipClass& shipClass = entry.emplace();
        shipClass.section = section;
        bool inNames = false;
        for (ProfileLine& line : SectionLines(m_file, section)) {
            inNames = inNames || (!line.key.empty() && line.key.front() >= '0' && line.key.front() <= '9');
            if (inNames) {
                if (!line.value.empty()) {
                    shipClass.names.push_back(std::move(line.value));
                }
            } else if (SameText(line.key, "CargoTyp") && !shipClass.cargoTypes) {
                shipClass.cargoTypes = std::move(line.value);
            } else if (SameText(line.key, "CrewRange") && !shipClass.crewRange) {
                shipClass.crewRange = std::move(line.value);
            }
        }
        return &shipClass;
    }

    std::string Where(const ShipClass& shipClass, std::string_view key) const {
        return KeyPlace(m_file, shipClass.section, key);
    }
    std::string Where(std::string_view section, std::string_view key) const {
        return KeyPlace(m_file, section, key);
    }

    bool repeatWhenAllUsed = false;
    bool addText = false;
    bool addAsNewLine = false;
    std::string cargoLabel;
    std::string crewLabel;
    std::string lostLabel;
    std::string cargoLabelKey;
    std::string crewLabelKey;
    std::string cargoKindsKey;
    std::vector<std::string> cargoKinds;

  private:
    const ProfileFile& m_file;
    std::map<std::string, std::optional<ShipClass>> m_classes;  // by lower-case identifier
};

// Notes for the user, each said once.
class Notes {
  public:
    explicit Notes(std::vector<std::string>& notes) : m_notes(notes) {}
    void Add(std::string text) {
        if (m_said.insert(text).second) {
            m_notes.push_back(std::move(text));
        }
    }

  private:
    std::vector<std::string>& m_notes;
    std::set<std::string> m_said;
};

std::optional<int> Whole(std::string_view text) {
    return ParseInteger(TrimBlanks(text));
}

// The invented figures put after the name (with their separator), or "" when the entry has them
// already or the class has none to give.
std::string Addition(ShipNamesFile& config, const ShipClass& shipClass, std::string_view text, Random& random,
                     Notes& notes) {
    const auto has = [&](const std::string& label) {
        return !label.empty() && text.find(label) != std::string_view::npos;
    };
    if (!config.addText || has(config.cargoLabel) || has(config.crewLabel)) {
        return {};
    }
    std::string addition;
    if (shipClass.cargoTypes && !shipClass.cargoTypes->empty()) {
        const std::vector<std::string_view> types = SplitText(*shipClass.cargoTypes, ',');
        const std::string_view type =
            types.empty() ? std::string_view() : types[random.Next(int(types.size()))];
        const std::optional<int> number = Whole(type);
        if (config.cargoLabel.empty()) {
            notes.Add("No cargo is added to the patrol log entries: " +
                      config.Where("TEXT", config.cargoLabelKey) + " is missing.");
        } else if (!number || *number < 1 || static_cast<std::size_t>(*number) > config.cargoKinds.size()) {
            notes.Add("No cargo is added for the class " + shipClass.section + ": its cargo type \"" +
                      std::string(type) + "\" (" + config.Where(shipClass, "CargoTyp") +
                      ") is not one of the " + std::to_string(config.cargoKinds.size()) + " kinds of " +
                      config.Where("TEXT", config.cargoKindsKey) + ".");
        } else {
            addition = config.cargoLabel + " " + config.cargoKinds[static_cast<std::size_t>(*number - 1)];
        }
    }
    if (shipClass.crewRange && !shipClass.crewRange->empty()) {
        const std::vector<std::string_view> range = SplitText(*shipClass.crewRange, '|');
        // -1 for a part that is missing or no whole number.
        const int low = range.size() == 2 ? Whole(range[0]).value_or(-1) : -1;
        const int high = range.size() == 2 ? Whole(range[1]).value_or(-1) : -1;
        if (config.crewLabel.empty()) {
            notes.Add("No crew figures are added to the patrol log entries: " +
                      config.Where("TEXT", config.crewLabelKey) + " is missing.");
        } else if (low < 0 || high < low) {
            notes.Add("No crew figures are added for the class " + shipClass.section + ": " +
                      config.Where(shipClass, "CrewRange") + " holds \"" + *shipClass.crewRange +
                      "\", not the smallest and the largest crew separated by \"|\".");
        } else {
            const long long crew = low + random.Next(high - low + 1);
            const long long lost = crew * (1 + random.Next(100)) / 100;
            if (!addition.empty()) {
                addition += ". ";
            }
            addition += config.crewLabel + " " + std::to_string(crew) + ". " + config.lostLabel + " " +
                        std::to_string(lost);
        }
    }
    if (!addition.empty()) {
        addition.insert(0, config.addAsNewLine ? "|" : ". ");
    }
    return addition;
}

}  // namespace

void ApplyRealShipNames(const Paths& paths, const Language& language, const SelectedCareer& career,
                        Random& random, std::vector<std::string>& notes) {
    Notes said(notes);
    const ProfileFile shipNamesFile(paths.Prog("Cfg\\Ship names.cfg"));
    if (!platform::FileExists(shipNamesFile.Path())) {
        said.Add("Real ship names are on, but " + PathText(shipNamesFile.Path()) +
                 " was not found, so the patrol logs keep the ship classes the game wrote.");
        return;
    }
    const std::vector<ClassName> table = ClassNameTable(paths, language);
    if (table.empty()) {
        said.Add("Real ship names are on, but the game's class names (" +
                 PathText(paths.Game("data\\Sea\\" +
                                     std::string(language.LangCode == "de" ? "German" : "English") +
                                     "Names.cfg")) +
                 ") were not found, so the patrol logs keep the ship classes the game wrote.");
        return;
    }
    ShipNamesFile config(shipNamesFile, language.LangCode);

    const std::filesystem::path usedLog = platform::Resolve(career.CareerFolder, "Used ship names.log");
    const std::string usedText = platform::ReadFile(usedLog).value_or("");
    std::unordered_set<std::string> used;
    for (std::string& line : SplitLines(usedText)) {
        used.insert(std::move(line));
    }
    // A log whose last line has no line end gets one before the first name added.
    bool needsLineEnd = !usedText.empty() && usedText.back() != '\n' && usedText.back() != '\r';

    for (int n = 0; n < career.PatrolCount; ++n) {
        const ProfileFile file(PatrolLogFile(career, n));
        if (!platform::FileExists(file.Path())) {
            continue;
        }
        const std::vector<std::string> sections = LogEntrySections(file);
        ProfileEdit log(file);
        std::string newNames;
        bool changed = false;
        for (const std::string& section : sections) {
            const std::optional<std::string> text = log.FindString(section, "EntryText");
            if (!text) {
                continue;
            }
            const Match match = FindClass(table, *text);
            if (match.name == nullptr) {
                continue;
            }
            const ShipClass* shipClass = config.Find(match.name->id);
            if (shipClass == nullptr) {
                continue;
            }
            if (shipClass->names.empty()) {
                said.Add("The class " + shipClass->section + " has no ship names in " +
                         PathText(shipNamesFile.Path()) + ", so its ships keep the class name.");
                continue;
            }
            if (text->size() >= kValueLimit) {
                said.Add("The patrol log entry " + KeyPlace(file, section, "EntryText") +
                         " is too long to be read whole, so it keeps its class name.");
                continue;
            }

            // A name not handed out yet; when every one is, the class name stays unless the file
            // allows names to come again.
            const std::string suffix = " (" + match.name->display + ")";
            std::vector<const std::string*> unused;
            for (const std::string& name : shipClass->names) {
                if (used.count(name + suffix) == 0) {
                    unused.push_back(&name);
                }
            }
            std::string replacement = match.name->display;
            bool accepted = false;
            if (!unused.empty()) {
                replacement = *unused[static_cast<std::size_t>(random.Next(int(unused.size())))] + suffix;
                accepted = true;
            } else if (config.repeatWhenAllUsed) {
                replacement =
                    shipClass->names[static_cast<std::size_t>(random.Next(int(shipClass->names.size())))] +
                    suffix;
            }

            std::string newText = text->substr(0, match.at) + replacement +
                                  text->substr(match.at + match.name->display.size()) +
                                  Addition(config, *shipClass, *text, random, said);
            if (newText != *text) {
                log.WriteString(section, "EntryText", newText);
                changed = true;
            }
            if (accepted) {
                used.insert(replacement);
                if (needsLineEnd) {
                    newNames += "\r\n";
                    needsLineEnd = false;
                }
                newNames += replacement + "\r\n";
            }
        }
        // The names go into the used-names log before the entries that show them: cut in
        // between, a name may go unused, but none is ever given twice.
        if (!newNames.empty()) {
            platform::AppendToFile(usedLog, newNames);
        }
        if (changed) {
            log.Commit();
        }
    }
}

}  // namespace seewolf::reports
