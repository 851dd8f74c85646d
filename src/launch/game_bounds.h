#pragma once

// The game-folder bounds: no path taken from a log or a file set may lead outside the game
// folder (by "..", a link or a case-folded name) or into the backup folder.

#include <filesystem>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "launch/folder_walk.h"

namespace seewolf {
struct Paths;
}

namespace seewolf::backup {

// `path` relative to `root` (held with a trailing separator), when it lies below it.
std::optional<NativeString> Below(const std::filesystem::path& root, const std::filesystem::path& path);

// Whether a component of the path is "." or "..".
bool HasDotComponents(const std::filesystem::path& path);

// Decides whether a path lies inside the game folder once "..", links and case are resolved, and
// outside the backup folder. Folders are looked up once. Threads may share one.
class GameBounds {
  public:
    explicit GameBounds(const Paths& paths);

    // The game folder itself or a folder in it.
    bool HoldsFolder(const std::filesystem::path& folder);

    // A file or folder strictly inside the game folder; a link as its last part must lead there too.
    bool Holds(const std::filesystem::path& path) { return TypeIfHeld(path).has_value(); }

    // The type of the entry (links not followed) when Holds, else nothing.
    std::optional<std::filesystem::file_type> TypeIfHeld(const std::filesystem::path& path);

  private:
    bool Resolves(const std::filesystem::path& path, bool orRoot) const;

    std::filesystem::path m_game;
    std::filesystem::path m_backup;
    std::mutex m_mutex;  // guards m_folders
    std::unordered_map<NativeString, bool> m_folders;
};

}  // namespace seewolf::backup
