#pragma once

// The usage tips of the program folder's Tips.txt and the setting that shows them at start.

#include <string>
#include <vector>

namespace seewolf {

struct Paths;

// The tips file, ProgFolder + "Tips.txt".
inline constexpr const char* kTipsFile = "Tips.txt";

// Every line of Tips.txt that holds more than blanks, in file order and exactly as written
// (Windows-1252, surrounding blanks kept). No file gives no tips; a file that is there but
// cannot be read throws Error saying so.
std::vector<std::string> ReadTips(const Paths& paths);

// Stores [SETTINGS] ShowTips, but only when the value differs from the one in effect now (a
// missing key counts as on), so that closing the tips never writes a read-only program folder
// for nothing. True when the file was written; Error with the user's text when it could not be.
bool StoreShowTips(const Paths& paths, bool show);

}  // namespace seewolf
