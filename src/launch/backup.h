#pragma once

// Keeping the game installation restorable. Before a launch first changes a game file, its
// pre-launch copy goes to the backup folder under the same relative path; a file that a file set
// adds is recorded in Seewolf.log; renames are recorded in Gramophone.log or are the two fixed
// intro-movie renames. The roll-back puts everything back and empties the backup folder.
//
// How the game folder stays restorable, whatever point a launch or roll-back is cut at.
// Invariants:
//  (1) A path goes into Seewolf.log only when neither the game file nor its backup copy exists.
//      During a launch a pre-launch file leaves its place only by moving into the backup folder,
//      where it stays until the roll-back; so a logged path never held a file before the launch.
//  (2) A pre-launch file is either still in place, unchanged, or its pre-launch bytes are in the
//      backup folder: it is moved there (rename, or on another file system a flushed copy under a
//      temporary name renamed into place before the original goes), or copied there (flushed)
//      before an edit. A backup copy that already exists is never replaced, so it is always the
//      pre-launch state, with its permissions.
//  (3) The log lines of a file set are written (and flushed) in one piece before the set creates
//      its first file or folder, so every file a launch adds is listed before it exists; a
//      missing file that an edit will create is listed by BackUpGameFile.
//  (4) The record of the changed game folder (Seewolf.game) is written, atomically and flushed,
//      before the first change, and removed only by a roll-back that left nothing behind; so
//      while anything of a launch remains, every roll-back goes to that folder.
//
// The roll-back reads the log first. A backup copy whose game path is in the log is the copy of a
// file the launch added (a set file later edited, or one set's file moved aside by the next set):
// it is dropped, never restored, and the log line deletes the file. Every other copy is moved
// back. Only then are the logged files deleted, the backup folder emptied and the log removed.
// Each step can be repeated: a copy already moved back is gone from the backup, a file already
// deleted is "not found", and the log disappears only after every copy of a logged path has left
// the backup folder, so a repeated roll-back never mistakes such a copy for a pre-launch file. By
// (1), deleting a logged path never deletes a restored file. A copy that cannot be moved back
// stays where it is, with its folders.
//
// Flushing: the fault model is a process that dies between two file operations; for that, a
// completed write() is enough, as the kernel holds it. Against a power cut, the writes whose loss
// would lose a pre-launch file or leave an added file unlisted are flushed: each file set's log
// lines (once per set, not per file), backup copies made by copying, and Gramophone.log lines.
// A modification step backs up all the files it will edit at once (BackUpGameFiles) and pays for
// one flush, not one per file: the Seewolf.log lines of the files it will create go first, in
// one flushed append; the folders made for the copies are flushed into their parents as they are
// made; the copies are written under temporary names, flushed together, and only then renamed to
// their places, and those folders flushed; then the step edits. So a backup copy
// under its own name is always whole (a power cut cannot leave an empty copy that the roll-back
// would put over an untouched game file), and it is durable before the file it protects changes.
// Moves into the backup are renames: the pre-launch bytes themselves are not written again. The
// copies of set files into the game folder are not flushed, and go straight to their names where
// nothing stood: cut half-way, such a copy is deleted or replaced by the roll-back like a whole one.
// The roll-back flushes in three places, each a whole file system at once: the game folder's
// before Gramophone.log goes (the tracks have their names back); the game folder's again once the
// copies are back and the added files deleted, and only then is the backup folder emptied (a copy
// put back by copying, across file systems, leaves the backup only then); and the backup folder's
// before Seewolf.log and Seewolf.game go. So a power cut never keeps a record's removal and loses
// what the record was there to undo.
//
// Paths from the logs or file sets that lead outside the game folder are never touched
// (game_bounds.h). The pieces: folder_walk (entries and the walk), game_bounds, backup_log (the
// two logs), install_file_set (BackUpGameFile, InstallFileSet), rollback (RollBackGameFiles).
//
// Logs are Windows-1252 text, one full path per line, each line ending in CR LF; a last line
// without its line end is one that was being written when a launch was cut, and is ignored.
// Seewolf.log also lists the folders a file set created, with a trailing separator, so that
// the roll-back removes them again (when empty).

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_lock.h"

namespace seewolf {

struct Paths;
class Prompter;

// Keeps the pre-launch copy of a game file that is about to be edited in place ("data\Cfg\Basic.cfg"),
// unless a copy is already kept; then clears the file's read-only attribute (the copy keeps it,
// so the roll-back gives the file back as it was). A missing game file is listed in Seewolf.log
// as added, since the edit creates it. A copy that fails throws Error, since the edit could not
// be undone; so does a path that leads outside the game folder (by "..", or a link to a file or
// folder elsewhere), since the roll-back would never restore what the edit changed there.
void BackUpGameFile(const Paths& paths, std::string_view relative);

// The same for every file one modification step is about to edit, before it edits the first:
// all copies are made, then flushed at once, so the step pays for one flush instead of one per
// file. When it returns, every copy is durable and every missing file is listed.
void BackUpGameFiles(const Paths& paths, std::span<const std::string> relatives);

// Mirrors the files of a file set folder into the game folder (matching names without regard to
// case), keeping the pre-launch copies and logging the files and folders it adds. A missing folder
// installs nothing; set files that could not be copied are named in one warning. Throws Error when
// Seewolf.log cannot be written (before anything changes), and when a game file cannot be moved to
// the backup folder (it is left as it is; the files installed before it stay, backed up and logged).
void InstallFileSet(const Paths& paths, const std::filesystem::path& source, Prompter& prompter);

// The record of the game folder that a launch changes: program folder + "Seewolf.game", the
// folder's full path (UTF-8) and a line end. The backups and logs belong to that folder, so every
// roll-back acts on it, whatever game folder Seewolf was started with.
std::filesystem::path GameFolderRecord(const Paths& paths);

// Writes the record of paths.GameFolder, durably, unless it is there already; called before a
// launch's first change of the game folder (BackUpGameFile, InstallFileSet and
// RecordGramophoneRename call it themselves). Throws Error when the record names another game
// folder, whose changes are still to be rolled back.
void RecordGameFolder(const Paths& paths);

struct RollbackResult {
    int notRestored = 0;  // pre-launch copies that could not be moved back (they stay in the backup)
    int notDeleted = 0;   // files a launch added that could not be deleted (they stay in Seewolf.log)
    int notRenamed = 0;   // gramophone tracks that could not be renamed back (they stay in Gramophone.log)
    bool nothingToRollBack = false;    // no backup, no log, no renamed intro movie: nothing was done
    std::filesystem::path gameFolder;  // the game folder that was rolled back (the recorded one)

    // Nothing was left behind.
    bool Complete() const { return notRestored == 0 && notDeleted == 0 && notRenamed == 0; }
};

// Takes the lock of the program folder (program folder + "Seewolf.lock") that lets one launch or
// roll-back at a time change the game and backup folders: the window, the command line and a
// roll-back start could otherwise run at once. Waits a few seconds for another holder, then
// throws Error. Released when the returned lock goes.
[[nodiscard]] platform::FileLock LockGameFiles(const Paths& paths);

// Restores the game folder that the last launch changed (the recorded one; without a record,
// paths.GameFolder): the intro-movie renames, the gramophone renames, the pre-launch copies, the
// added files; then empties the backup folder (keeping copies that could not be restored) and
// removes the record once nothing is left. Shows progress through the prompter and hides the
// status line at the end, or says how many files could not be restored (or deleted, or gramophone
// tracks renamed back), or which other game folder was rolled back. Throws Error, changing
// nothing, when another launch or roll-back holds the lock, the recorded folder cannot be reached
// or a log cannot be read.
RollbackResult RollBackGameFiles(const Paths& paths, Prompter& prompter);

// The same, for a caller that holds the lock already (a launch, which rolls back first).
RollbackResult RollBackGameFiles(const Paths& paths, Prompter& prompter, const platform::FileLock& held);

// Whether the Roll back button is to be shown: the backup folder holds a "data" folder, or a
// launch log or the game-folder record is left (files that a roll-back could not delete, a launch
// that was cut, or one that failed and could not be rolled back).
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
