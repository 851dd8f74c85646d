#pragma once

#include <filesystem>

namespace seewolf::platform {

// Opens a document or folder with the desktop's associated program (xdg-open on Linux, the
// shell's "open" action on Windows). False when nothing could be started.
bool OpenDocument(const std::filesystem::path& path);

}  // namespace seewolf::platform
