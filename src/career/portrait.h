#pragma once

#include <filesystem>

namespace seewolf {

struct Paths;

// Whether a chosen picture may be a commander's portrait: extension exactly ".jpg" and folder
// exactly the program's Images folder (letter case counts in both; no subfolders).
bool IsPortraitFile(const Paths& paths, const std::filesystem::path& chosen);

}  // namespace seewolf
