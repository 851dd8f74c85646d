#pragma once

// The two launch logs in the program folder. Seewolf.log lists, one full path per line, the files
// (and, with a trailing separator, the folders) a launch added; Gramophone.log lists the
// gramophone renames as "new path|old path". Both are Windows-1252 text with CR LF line ends; a
// last line without its line end was being written when a launch was cut, and is ignored.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "launch/folder_walk.h"

namespace seewolf {
struct Paths;
}

namespace seewolf::backup {

std::filesystem::path NewFilesLog(const Paths& paths);
std::filesystem::path GramophoneLog(const Paths& paths);

// The text of a log; empty when it does not exist. Throws Error when it exists but cannot be
// read: what it lists would otherwise be lost.
std::string ReadLog(const std::filesystem::path& log);

// The game folder of the record (with a trailing separator), or nothing when there is no record.
// Throws Error when the record exists but cannot be read.
std::optional<std::filesystem::path> RecordedGameFolder(const Paths& paths);

// Whether two folder paths name the same folder.
bool SameFolder(const std::filesystem::path& a, const std::filesystem::path& b);

// The complete lines of a log (CR LF or LF ends a line), without empty lines.
std::vector<std::string> CompleteLines(std::string_view text);

// The log line of a full path, with its line end.
std::string LogLine(const std::filesystem::path& path);

// The files listed in Seewolf.log.
class NewFiles {
  public:
    void Add(const std::filesystem::path& path);

    // Whether `game` is one of them: the same spelling, or (where the system ignores case) a
    // spelling that differs in case only and names the very same file.
    bool Contains(const std::filesystem::path& game) const;

  private:
    std::unordered_set<NativeString> m_exact;
    std::unordered_multimap<std::string, std::filesystem::path> m_folded;
};

}  // namespace seewolf::backup
