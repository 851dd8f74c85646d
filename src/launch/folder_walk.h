#pragma once

// Entries of the game, backup and file-set folders as the backup code sees them: each entry's own
// type (links are not followed), names as core text, the depth-first folder walk, and the two
// small changes made to single files on the way.

#include <filesystem>
#include <string>
#include <vector>

namespace seewolf::backup {

using NativeString = std::filesystem::path::string_type;

// The type of the entry itself (a link is not followed); `none` when it cannot be read.
std::filesystem::file_type OwnType(const std::filesystem::path& path);

// Something stands at `path` (a file, folder or link, even a dangling one).
bool Occupied(const std::filesystem::path& path);

// A folder, following links.
bool IsFolder(const std::filesystem::path& path);

// The core text of a file name, when that text names the same file again (a name the code page
// cannot hold, or one holding a backslash, cannot be a game file's name).
bool TextOfName(const std::filesystem::path& name, std::string& text);

// The name in upper case, for comparing and sorting without regard to case.
std::string FoldedName(const std::filesystem::path& name);

struct Entry {
    std::filesystem::path name;       // native file name
    std::filesystem::file_type type;  // of the entry itself
};

// The entries of a folder; empty when it cannot be listed.
std::vector<Entry> ListEntries(const std::filesystem::path& folder);

// `root` and the folders below it, depth first, the sub-folders of each folder sorted by name
// without regard to case, each right after its parent; with trailing separators. Links to folders
// are followed (each real folder listed once) only with `followLinks`.
std::vector<std::filesystem::path> Walk(const std::filesystem::path& root, bool followLinks);

// Clears the read-only attribute where it is set. A failure is no matter here: the operation
// that needed it fails and says so.
void ClearReadOnly(const std::filesystem::path& path);

// Removes a file (clearing its read-only attribute when that is in the way); true when it is gone.
bool RemoveFile(const std::filesystem::path& path);

}  // namespace seewolf::backup
