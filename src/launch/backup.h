#pragma once

// Keeping the game installation restorable. Before a launch first changes a game file, its
// pre-launch copy goes to the backup folder under the same relative path; a file that a file set
// adds is recorded in Seewolf.log; renames are recorded in Gramophone.log or are the two fixed
// intro-movie renames. The roll-back puts everything back and empties the backup folder.
//
// Crash safety: a backup copy is made under a temporary name and renamed into place, and a log
// line reaches the disk before the file it records is created or renamed, so a launch or
// roll-back cut at any moment loses nothing; the next roll-back restores the folder exactly.
// Paths from the logs or file sets that lead outside the game folder are never touched.
//
// Logs are Windows-1252 text, one full path per line, each line ending in CR LF; a last line
// without its line end is one that was being written when a launch was cut, and is ignored.
// Seewolf.log also lists the folders a file set created, with a trailing separator, so that
// the roll-back removes them again (when empty).

#include <filesystem>
#include <string_view>
#include <vector>

namespace seewolf {

struct Paths;
class Prompter;

// Keeps the pre-launch copy of a game file that is about to be edited in place ("data\Cfg\Basic.cfg"),
// unless a copy is already kept; then clears the file's read-only attribute (the copy keeps it,
// so the roll-back gives the file back as it was). A missing game file is not reported; a copy
// of an existing one that fails throws Error, since the edit could not be undone.
void BackUpGameFile(const Paths& paths, std::string_view relative);

// Mirrors the files of a file set folder into the game folder (matching names without regard to
// case), keeping the pre-launch copies and logging the files and folders it adds. A missing folder
// installs nothing; a copy that fails is not reported, and a game file that cannot be moved aside
// is left as it is. Throws Error when Seewolf.log cannot be written (before anything changes).
void InstallFileSet(const Paths& paths, const std::filesystem::path& source, Prompter& prompter);

struct RollbackResult {
    int notRestored = 0;  // pre-launch copies that could not be moved back (they stay in the backup)
    int notDeleted = 0;   // files a launch added that could not be deleted (they stay in Seewolf.log)
};

// Restores the game folder: the intro-movie renames, the gramophone renames, the pre-launch
// copies, the added files; then empties the backup folder (keeping copies that could not be
// restored). Shows progress through the prompter and hides the status line at the end, or says
// how many files could not be restored.
RollbackResult RollBackGameFiles(const Paths& paths, Prompter& prompter);

// Whether the Roll back button is to be shown: the backup folder holds a "data" folder, or a
// launch log is left (files that a roll-back could not delete, or a launch that was cut).
bool BackupHoldsFiles(const Paths& paths);

// Records in Gramophone.log, durably, that `original` is about to be renamed to `renamed` (both
// full paths in the game folder). Call it before the rename. The roll-back undoes the lines in
// their order and never renames onto an existing file.
void RecordGramophoneRename(const Paths& paths, const std::filesystem::path& renamed,
                            const std::filesystem::path& original);

// The folders below `root` (root first), depth first, the sub-folders of each folder sorted by
// name without regard to case, each right after its parent.
std::vector<std::filesystem::path> WalkFolders(const std::filesystem::path& root);

}  // namespace seewolf
