#include "app/language.h"

#include "app/paths.h"
#include "app/profile_file.h"
#include "app/text.h"

namespace seewolf {

Language ChooseLanguage(const Paths& paths) {
    const int n = ProfileFile(paths.Save("main.cfg")).ReadInteger("SETTINGS", "TextsLanguage", 0);
    Language language;
    language.LangCode = n == 1 ? "de" : n == 2 ? "fr" : "en";
    language.MenuTextFile = language.LangCode + "_menu.txt";
    language.ProgTextFile = "Seewolf_" + language.LangCode + ".txt";
    return language;
}

void LoadDateTexts(const Paths& paths, Language& language) {
    const DateTexts defaults;
    DateTexts& texts = language.dates;
    const TextTable menu = MenuTable(paths, language);
    for (int i = 0; i < 7; ++i) {
        const auto at = static_cast<std::size_t>(i);
        texts.dayNames[at] = menu.Text(1400 + i, defaults.dayNames[at]);
    }
    const TextTable prog = ProgTable(paths, language);
    for (int i = 0; i < 12; ++i) {
        const auto at = static_cast<std::size_t>(i);
        texts.monthNames[at] = prog.Text(251 + i, defaults.monthNames[at]);
    }
    texts.shortDateFormat = prog.Text(250, defaults.shortDateFormat);
}

std::string TextTable::Text(int key, std::string_view def) const {
    return ProfileFile(m_file).ReadString("STRINGS", std::to_string(key), def);
}

TextTable MenuTable(const Paths& paths, const Language& language) {
    return TextTable(paths.Game("data\\Menu\\" + language.MenuTextFile));
}

TextTable ProgTable(const Paths& paths, const Language& language) {
    return TextTable(paths.Prog(language.ProgTextFile));
}

std::string RankName(std::string_view tableText) {
    return CutAt(tableText, ';');
}

}  // namespace seewolf
