#pragma once

// The language tables: the game's menu text table (names the game defines) and the program's
// own text table. Both are profile files with one section [STRINGS] keyed by number.

#include <filesystem>
#include <string>
#include <string_view>

#include "app/dates.h"

namespace seewolf {

struct Paths;

struct Language {
    std::string LangCode = "en";                  // "en", "de" or "fr"
    std::string MenuTextFile = "en_menu.txt";     // in the game's data\Menu
    std::string ProgTextFile = "Seewolf_en.txt";  // in the program folder
    DateTexts dates;                              // loaded by LoadDateTexts
};

// The language the game is set to: [SETTINGS] TextsLanguage of the game's main.cfg;
// 1 gives German, 2 French, anything else English.
Language ChooseLanguage(const Paths& paths);

// Week-day names from the game table, month names and the short date format from the
// program table, each with its English default.
void LoadDateTexts(const Paths& paths, Language& language);

// A table opened for a few lookups.
class TextTable {
  public:
    explicit TextTable(std::filesystem::path file) : m_file(std::move(file)) {}
    std::string Text(int key, std::string_view def) const;
    const std::filesystem::path& File() const { return m_file; }

  private:
    std::filesystem::path m_file;
};

TextTable MenuTable(const Paths& paths, const Language& language);
TextTable ProgTable(const Paths& paths, const Language& language);

// The default of the main window's lookups of game names.
inline constexpr const char* kMissingName = "Error!";
// The default of the report texts.
inline constexpr const char* kMissingEntry = "Language entry not found!";

// A rank name as shown: cut at its first ";" and trimmed.
std::string RankName(std::string_view tableText);

}  // namespace seewolf
