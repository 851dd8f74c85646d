#pragma once

#include <filesystem>
#include <string>

namespace seewolf::platform {

// How a Windows program that Seewolf starts (under Wine on Linux) names a file or folder, as
// UTF-8 text with backslashes; a trailing separator is kept. On Windows the path itself. On
// Linux the drive of the Wine prefix whose dosdevices link leads to the longest part of the
// path (the prefix holding the path, then $WINEPREFIX, then ~/.wine); drive C: for a path
// inside a prefix's drive_c without such links; else Wine's drive Z:, the root folder.
std::string WindowsPathOf(const std::filesystem::path& path);

}  // namespace seewolf::platform
