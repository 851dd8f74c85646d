#include "launch/menu_texts.h"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "app/error.h"
#include "app/language.h"
#include "app/numbers.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/prompter.h"
#include "app/text.h"
#include "launch/backup.h"
#include "launch/game_bounds.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace seewolf {

namespace {

constexpr std::string_view kStrings = "STRINGS";
constexpr std::string_view kOptionsFile = "Cfg\\SH3 options.cfg";
constexpr std::string_view kTextSettings = "TEXTSETTINGS";
constexpr std::string_view kKeys = "KEYS";
constexpr std::string_view kKeepGameText = "^";
constexpr long long kFlotillaShortNameOffset = 198;

// The strings to write, in the order they are first set. A string set again keeps its place and
// takes the later text: that writes the same bytes as writing each text in turn, with fewer
// rewrites of a table that holds thousands of strings.
class Edits {
  public:
    explicit Edits(const ProfileFile& table) : m_table(table) {}

    void Set(const std::string& key, std::string text) {
        const auto [at, added] = m_index.emplace(key, m_edits.size());
        if (added) {
            m_edits.emplace_back(key, std::move(text));
        } else {
            m_edits[at->second].second = std::move(text);
        }
    }

    // The string's text as the edits so far leave it.
    std::string Current(const std::string& key) const {
        const auto at = m_index.find(key);
        return at != m_index.end() ? m_edits[at->second].second : m_table.ReadString(kStrings, key, "");
    }

    void WriteAll() const {
        ProfileEdit batch(m_table);  // the table is written once
        for (const auto& [key, text] : m_edits) {
            batch.WriteString(kStrings, key, text);
        }
        batch.Commit();
    }

  private:
    const ProfileFile& m_table;
    std::vector<std::pair<std::string, std::string>> m_edits;
    std::unordered_map<std::string, std::size_t> m_index;
};

std::string Where(const ProfileFile& file, std::string_view key) {
    return PathText(file.Path()) + " [" + std::string(kKeys) + "] " + std::string(key);
}

// The string numbers of the menu variables, as the table's keys write them. A missing Key<i> is
// an error at once, so an NbKeys in the billions ends at the first gap instead of reading on.
std::vector<std::string> VariableKeys(const ProfileFile& variables) {
    int count = 0;
    if (const std::optional<std::string> text = variables.FindString(kKeys, "NbKeys")) {
        const std::optional<int> value = ParseInteger(*text);
        if (!value) {
            throw Error("Invalid number in " + Where(variables, "NbKeys") + ": \"" + *text +
                        "\" is not a whole number.");
        }
        count = *value;
    }
    std::vector<std::string> keys;
    for (int i = 0; i < count; ++i) {
        const std::string name = "Key" + std::to_string(i);
        const std::optional<std::string> text = variables.FindString(kKeys, name);
        if (!text) {
            throw Error("The key " + name + " is missing from section [" + std::string(kKeys) + "] of " +
                        PathText(variables.Path()) + ", whose NbKeys gives " + std::to_string(count) +
                        " menu variables.");
        }
        const std::optional<int> number = ParseInteger(*text);
        if (!number || *number < 0) {
            throw Error("Invalid menu string number in " + Where(variables, name) + ": \"" + *text +
                        "\" is not a whole number of 0 or more.");
        }
        keys.push_back(std::to_string(*number));
    }
    return keys;
}

// The menu variables' texts for the date: each from the latest dated section on or before it
// that names the variable, else empty. Sections are taken in the order of their names; the first
// name after the date (at the latest [KEYS], which sorts after every date) ends the scan.
void SetMenuVariables(const ProfileFile& variables, std::string_view date, Edits& edits) {
    const std::vector<std::string> keys = VariableKeys(variables);
    std::vector<std::string> texts(keys.size());
    std::vector<std::string> sections = variables.ReadSections();
    std::stable_sort(sections.begin(), sections.end(),
                     [](const std::string& a, const std::string& b) { return LowerCase(a) < LowerCase(b); });
    for (const std::string& section : sections) {
        if (section > date) {
            break;
        }
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (std::optional<std::string> text = variables.FindString(section, keys[i])) {
                texts[i] = std::move(*text);
            }
        }
    }
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (texts[i] != kKeepGameText) {
            edits.Set(keys[i], texts[i]);
        }
    }
}

std::string MissingOptionFile(const ProfileFile& file, std::string_view consequence) {
    return "The program's option file " + PathText(file.Path()) + " was not found, so " +
           std::string(consequence) + ". Reinstalling Seewolf brings the file back.";
}

}  // namespace

void ApplyMenuTexts(const Paths& paths, const Language& language, bool hullIntegrityText,
                    std::string_view date, std::string_view flotillaId, Prompter& prompter) {
    const std::string relative = "data\\Menu\\" + language.MenuTextFile;
    const ProfileFile table(paths.Game(relative));
    if (!platform::FileExists(table.Path())) {
        prompter.ShowMessage("The game's menu text table " + PathText(table.Path()) +
                                 " was not found, so the launch left the game's menu texts as they are. "
                                 "Repairing the game installation brings the file back.",
                             MessageKind::Warning, Button::Ok);
        return;
    }
    if (!backup::GameBounds(paths).Holds(table.Path())) {
        prompter.ShowMessage("The game's menu text table " + PathText(table.Path()) +
                                 " leads outside the game folder, so the launch left it as it is.",
                             MessageKind::Warning, Button::Ok);
        return;
    }

    // Everything is worked out before the table changes, so a bad option file stops the launch
    // with the table untouched.
    const std::optional<int> flotilla = ParseInteger(TrimBlanks(flotillaId));
    if (!flotilla) {
        throw Error("The flotilla number \"" + std::string(flotillaId) +
                    "\" of the career is not a whole number, so the game's menu cannot name the flotilla.");
    }
    std::vector<std::string> notes;
    Edits edits(table);

    const ProfileFile options(paths.Prog(kOptionsFile));
    if (!platform::FileExists(options.Path())) {
        notes.push_back(MissingOptionFile(
            options, "the menu texts of its section [" + std::string(kTextSettings) + "] were not set"));
    }
    if (auto title = options.FindString(kTextSettings, language.LangCode + "_13")) {
        edits.Set("13", std::move(*title));
    }
    if (!hullIntegrityText) {
        edits.Set("589", "");
    } else if (auto hull = options.FindString(kTextSettings, language.LangCode + "_589")) {
        edits.Set("589", std::move(*hull));
    }

    const ProfileFile variables(paths.Prog("Cfg\\Menu variable_" + language.LangCode + ".txt"));
    if (!platform::FileExists(variables.Path())) {
        notes.push_back(MissingOptionFile(variables, "the game's menu variables keep their texts"));
    }
    SetMenuVariables(variables, date, edits);

    edits.Set("201", edits.Current("201") + " (" + std::string(date.substr(0, 4)) + ")");
    const std::string flotillaName = edits.Current(std::to_string(*flotilla + kFlotillaShortNameOffset));
    edits.Set("202", edits.Current("202") + " (" + flotillaName + ")");

    BackUpGameFile(paths, relative);
    edits.WriteAll();

    if (!notes.empty()) {
        std::string text;
        for (const std::string& note : notes) {
            text += (text.empty() ? "" : "\n\n") + note;
        }
        prompter.ShowMessage(text, MessageKind::Warning, Button::Ok);
    }
}

}  // namespace seewolf
