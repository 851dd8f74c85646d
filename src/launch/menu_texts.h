#pragma once

// The menu texts of a launch: strings of the game's menu text table rewritten for one patrol.

#include <string_view>

namespace seewolf {

struct Paths;
struct Language;
class Prompter;

// Rewrites strings of the game's menu text table (data\Menu\<MenuTextFile>, backed up first):
// - string 13 from [TEXTSETTINGS] <LangCode>_13 of Cfg\SH3 options.cfg, when given;
// - string 589 from [TEXTSETTINGS] <LangCode>_589 when `hullIntegrityText` is set (and given),
//   else emptied;
// - the menu variables of Cfg\Menu variable_<LangCode>.txt: the string numbers listed in [KEYS]
//   (Key0 to Key<NbKeys - 1>) take their texts from the latest section named by a date
//   ("yyyymmdd") on or before `date`; a variable no such section names is emptied, one whose
//   text is "^" keeps the game's text;
// - string 201 gets " (<year of date>)" appended, string 202 " (<string flotillaId + 198>)".
// A missing table is left alone (never created), and a missing option file sets nothing; each
// is reported through the prompter. A missing NbKeys counts as 0. Throws Error, before the table
// changes, for an NbKeys that is not a whole number, a Key<i> that is missing or not a string
// number, and for a flotilla id that is not a number.
void ApplyMenuTexts(const Paths& paths, const Language& language, bool hullIntegrityText,
                    std::string_view date, std::string_view flotillaId, Prompter& prompter);

}  // namespace seewolf
