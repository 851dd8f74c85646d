#include "launch/backup.h"

// The roll-back: see backup.h for the order of its steps and why each can be repeated.

#include <chrono>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/error.h"
#include "app/paths.h"
#include "app/prompter.h"
#include "launch/backup_log.h"
#include "launch/file_progress.h"
#include "launch/folder_walk.h"
#include "launch/game_bounds.h"
#include "launch/intro_movies.h"
#include "launch/parallel_steps.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace seewolf {

namespace fs = std::filesystem;
using namespace backup;

namespace {

constexpr std::string_view kRollingBack = "Rolling back previously copied files...";
// How long a launch or roll-back waits for another one to end before it refuses.
constexpr std::chrono::milliseconds kLockWait{3000};

// Renames the skipped intro movies back; the number of renamed movies found.
int UndoIntroRenames(const Paths& paths, GameBounds& bounds) {
    int found = 0;
    for (const std::string_view movie : kIntroMovies) {
        const fs::path renamed = paths.Game(std::string(movie) + std::string(kRenamedMovieSuffix));
        if (!Occupied(renamed)) {
            continue;
        }
        ++found;
        const fs::path original = renamed.parent_path() / renamed.stem();
        // Never onto an existing file, nor one that differs only in case.
        if (!bounds.Holds(renamed) || !bounds.Holds(original) ||
            Occupied(
                platform::Resolve(original.parent_path(), platform::TextFromPath(original.filename())))) {
            continue;
        }
        platform::TryRenamePath(renamed, original);
    }
    return found;
}

// Undoes the renames of Gramophone.log, last first, so that a file renamed twice (or a name that
// one rename freed and the next one took) comes back through the whole chain. Returns the number
// of tracks whose rename back failed (on Windows, a file open in another program): then every
// line not undone whose file is still there stays in the log, the failed one and any that waits
// for a name it holds, for the next roll-back.
int UndoGramophoneRenames(const Paths& paths, const Paths& target, GameBounds& bounds,
                          const std::string& text) {
    const std::vector<std::string> lines = CompleteLines(text);
    std::vector<const std::string*> left;  // last first
    int failed = 0;
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        const std::size_t bar = line->find('|');
        if (bar == std::string::npos) {
            continue;
        }
        const fs::path renamed = platform::PathFromText(std::string_view(*line).substr(0, bar));
        const fs::path original = platform::PathFromText(std::string_view(*line).substr(bar + 1));
        if (!bounds.Holds(renamed) || !bounds.Holds(original)) {
            continue;
        }
        if (Occupied(original) || !platform::TryRenamePath(renamed, original)) {
            if (Occupied(renamed)) {
                left.push_back(&*line);
                failed += Occupied(original) ? 0 : 1;
            }
        }
    }
    if (!lines.empty()) {
        platform::FlushFileSystem(target.GameFolder);  // the names back, before the log loses them
    }
    if (failed == 0) {
        platform::RemovePath(GramophoneLog(paths));
        return 0;
    }
    std::string kept;
    for (auto line = left.rbegin(); line != left.rend(); ++line) {
        kept += **line + "\r\n";
    }
    // Should this fail, the whole log stays; a later roll-back goes through it again.
    platform::TryWriteFileAtomic(GramophoneLog(paths), kept, true);
    return failed;
}

// Moves a pre-launch copy back into place; false when it has to stay in the backup folder. A copy
// put back by copying stays in the backup folder too, until the game folder has been flushed and
// the backup folder is emptied: should a power cut take the copy, the next roll-back copies again.
bool Restore(const fs::path& backup, const fs::path& game, GameBounds& bounds) {
    const fs::file_type there = OwnType(game);
    if (there == fs::file_type::directory) {
        return false;
    }
    if (there == fs::file_type::symlink && OwnType(backup) != fs::file_type::symlink) {
        // The file was reached through a link and edited through it: its bytes go back the same way.
        if (!bounds.Holds(game)) {
            return false;
        }
        ClearReadOnly(game);
        return platform::TryCopyFileAtomic(backup, game, !platform::kFlushesFileSystems);
    }
    if (there == fs::file_type::regular) {
        // Deleted first, on its own: freeing a file's blocks may wait for the disk, and deletes
        // wait side by side, while renames between folders that replace a file were seen to wait
        // in line (a 20,000-file roll-back took twice as long). Cut in between, the next
        // roll-back finds the place empty and moves the copy in.
        RemoveFile(game);
    }
    if (platform::TryRenamePath(backup, game)) {
        return true;
    }
    // Windows refuses to replace a read-only file; a folder the player removed is made again.
    if (there == fs::file_type::not_found) {
        if (platform::TryCreateFolders(game.parent_path()) && platform::TryRenamePath(backup, game)) {
            return true;
        }
    } else {
        ClearReadOnly(game);
        if (platform::TryRenamePath(backup, game)) {
            return true;
        }
    }
    if (OwnType(backup) != fs::file_type::regular) {
        return false;
    }
    // Another file system: the copy takes the game file's place in one rename; the backup goes
    // with the others, later. Cut in between, the next roll-back copies it once more.
    return platform::TryCopyFileAtomic(backup, game, !platform::kFlushesFileSystems);
}

// The game folder a backup folder mirrors.
fs::path GameFolderFor(const fs::path& gameRoot, const NativeString& rel) {
    const fs::path exact(gameRoot.native() + rel);
    std::string text;
    if (rel.empty() || IsFolder(exact) || !TextOfName(fs::path(rel), text)) {
        return exact;
    }
    // The player may have renamed a folder in case only; the game does not mind.
    return platform::WithTrailingSeparator(platform::Resolve(gameRoot, text));
}

void RemoveLeftoverTemporaries(const std::set<NativeString>& folders) {
    for (const NativeString& folder : folders) {
        for (const Entry& entry : ListEntries(fs::path(folder))) {
            if (entry.type == fs::file_type::regular && entry.name.native().front() == '.' &&
                platform::IsTemporaryFileName(entry.name)) {
                RemoveFile(fs::path(folder) / entry.name);  // a copy cut short may be read-only already
            }
        }
    }
}

// Removes everything in `folder` except the kept files and the folders that hold them; true when
// the folder is empty afterwards.
bool EmptyFolder(const fs::path& folder, const std::set<NativeString>& kept) {
    bool empty = true;
    for (const Entry& entry : ListEntries(folder)) {
        const fs::path path = folder / entry.name;
        if (entry.type == fs::file_type::directory) {
            if (!EmptyFolder(path, kept) || !platform::RemovePath(path)) {
                empty = false;
            }
        } else if (kept.count(path.native()) != 0 || !RemoveFile(path)) {
            empty = false;
        }
    }
    return empty;
}

std::string CountText(int count, std::string_view one, std::string_view many) {
    return count == 1 ? "1 " + std::string(one) : std::to_string(count) + " " + std::string(many);
}

}  // namespace

platform::FileLock LockGameFiles(const Paths& paths) {
    const fs::path file = paths.Prog("Seewolf.lock");
    std::optional<platform::FileLock> lock = platform::FileLock::Acquire(file, kLockWait);
    if (!lock) {
        throw Error("Another launch or roll-back of Seewolf is changing the game files (" + PathText(file) +
                    " is locked). Wait until it has ended, then try again.");
    }
    return std::move(*lock);
}

RollbackResult RollBackGameFiles(const Paths& paths, Prompter& prompter) {
    BusyScope busy(prompter);
    const platform::FileLock lock = LockGameFiles(paths);
    return RollBackGameFiles(paths, prompter, lock);
}

RollbackResult RollBackGameFiles(const Paths& paths, Prompter& prompter, const platform::FileLock&) {
    BusyScope busy(prompter);
    // What decides the roll-back is read before anything changes: a record or log that cannot be
    // read, or a recorded game folder that cannot be reached, stops it with everything kept.
    Paths target = paths;
    const std::optional<fs::path> recorded = RecordedGameFolder(paths);
    if (recorded && !SameFolder(*recorded, paths.GameFolder)) {
        if (!platform::FolderExists(*recorded)) {
            throw Error(
                "The last launch changed the game folder " + FolderText(*recorded) +
                ", which cannot be found now. Nothing was rolled back; its pre-launch files stay in " +
                FolderText(paths.BackupFolder) +
                " until that folder can be reached again. Should that installation be gone for good, "
                "delete " +
                PathText(GameFolderRecord(paths)) + " and the contents of the backup folder.");
        }
        target.GameFolder = *recorded;
    }
    const std::string gramophoneText = ReadLog(GramophoneLog(paths));
    const std::string logText = ReadLog(NewFilesLog(paths));
    const fs::path gameRoot = platform::WithTrailingSeparator(target.GameFolder);
    const fs::path backupRoot = platform::WithTrailingSeparator(paths.BackupFolder);
    const bool launchState = recorded || Occupied(GramophoneLog(paths)) || Occupied(NewFilesLog(paths)) ||
                             !ListEntries(backupRoot).empty();

    prompter.SetStatus(kRollingBack);
    GameBounds bounds(target);
    RollbackResult result;
    result.gameFolder = gameRoot;

    const int renamedMovies = UndoIntroRenames(target, bounds);
    result.notRenamed = UndoGramophoneRenames(paths, target, bounds, gramophoneText);
    result.nothingToRollBack = !launchState && renamedMovies == 0;

    const fs::path log = NewFilesLog(paths);
    std::vector<std::pair<fs::path, std::string>> newFiles;
    std::vector<std::pair<fs::path, std::string>> newFolders;
    NewFiles listed;
    for (std::string& line : CompleteLines(logText)) {
        const fs::path path = platform::PathFromText(line);
        if (!path.is_absolute()) {
            continue;  // only full paths are written; anything else is not ours to delete
        }
        if (line.back() == '\\' || line.back() == '/') {
            newFolders.emplace_back(path, std::move(line));
        } else {
            listed.Add(path);
            newFiles.emplace_back(path, std::move(line));
        }
    }

    // The backup folder is listed before the first copy goes back, for the count of the files.
    std::vector<std::pair<fs::path, std::vector<Entry>>> backupFolders;
    std::size_t total = newFiles.size();
    for (const fs::path& folder : Walk(backupRoot, false)) {
        std::vector<Entry> copies;
        for (Entry& entry : ListEntries(folder)) {
            if (entry.type != fs::file_type::directory && !platform::IsTemporaryFileName(entry.name)) {
                copies.push_back(std::move(entry));
            }
        }
        total += copies.size();
        backupFolders.emplace_back(folder, std::move(copies));
    }
    FileProgress progress(prompter, total);
    std::size_t done = 0;

    // The pre-launch copies go back and the files the launch added are deleted side by side, each
    // file on its own: no two of them name one game file. They take turns, so that the renames
    // (which wait in line for each other) overlap the deletes (which wait for the disk). Should two
    // copies name one game file (folders that differ in case only), the later one goes after the
    // others, in order.
    struct Copy {
        fs::path backup;
        fs::path game;
        bool inside;  // the game folder it goes back into lies inside the game folder
        bool added;   // the copy of a file the launch added: it must never come back
        bool again;   // a game file an earlier copy names too
        bool done = false;
    };
    std::vector<Copy> copies;
    std::set<NativeString> games;
    for (const auto& [folder, entries] : backupFolders) {
        const fs::path gameFolder = GameFolderFor(gameRoot, *Below(backupRoot, folder));
        const bool inside = bounds.HoldsFolder(gameFolder);
        for (const Entry& entry : entries) {
            const fs::path game = gameFolder / entry.name;
            const bool again = !games.insert(game.native()).second;
            copies.push_back({folder / entry.name, game, inside, listed.Contains(game), again});
        }
    }
    const auto putBack = [&bounds](Copy& copy) {
        copy.done =
            copy.added ? RemoveFile(copy.backup) : copy.inside && Restore(copy.backup, copy.game, bounds);
    };
    std::vector<std::size_t> firsts;
    for (std::size_t i = 0; i < copies.size(); ++i) {
        if (!copies[i].again) {
            firsts.push_back(i);
        }
    }
    // A write cut short leaves a temporary file beside its target. They go first, while the backup
    // folder and the log still name every game folder the launch wrote to: once a roll-back has
    // put a file back, the next one (should this one be cut) no longer knows of its folder.
    std::set<NativeString> written;
    for (const Copy& copy : copies) {
        if (copy.inside) {
            written.insert(platform::WithTrailingSeparator(copy.game.parent_path()).native());
        }
    }
    for (const auto& file : newFiles) {
        if (bounds.HoldsFolder(file.first.parent_path())) {
            written.insert(platform::WithTrailingSeparator(file.first.parent_path()).native());
        }
    }
    RemoveLeftoverTemporaries(written);
    const auto update = [&progress, &done](std::size_t n) { progress.Update(done + n); };
    // An added file that could not be deleted; char, not bool: threads write neighbouring entries.
    std::vector<char> stays(newFiles.size(), 0);
    const auto remove = [&](std::size_t i) {
        const fs::path& path = newFiles[i].first;
        const auto type = bounds.TypeIfHeld(path);  // never anything outside the game folder
        if (type && *type != fs::file_type::not_found && *type != fs::file_type::directory) {
            stays[i] = !RemoveFile(path);
        }
    };
    const std::size_t both = std::min(firsts.size(), newFiles.size());
    RunSteps(
        firsts.size() + newFiles.size(), kDeleteThreads,
        [&](std::size_t n) {
            if (n < 2 * both) {
                n % 2 == 0 ? putBack(copies[firsts[n / 2]]) : remove(n / 2);
            } else if (firsts.size() > both) {
                putBack(copies[firsts[n - both]]);
            } else {
                remove(n - both);
            }
        },
        update);
    done += firsts.size() + newFiles.size();
    std::set<NativeString> kept;
    bool keepLog = false;
    for (Copy& copy : copies) {
        if (copy.again) {
            progress.Update(done++);
            putBack(copy);
        }
        if (copy.added) {
            // Until the copy is gone, the log stays, so that a later roll-back knows it too.
            keepLog = !copy.done || keepLog;
        } else if (!copy.done) {
            kept.insert(copy.backup.native());
            ++result.notRestored;
        }
    }

    std::string keptLines;
    for (std::size_t i = 0; i < newFiles.size(); ++i) {
        if (stays[i] != 0) {
            keptLines += newFiles[i].second + "\r\n";
            ++result.notDeleted;
        }
    }
    progress.Update(done);
    // The folders the launch made for its files go last, deepest first.
    std::vector<std::string> keptFolders;
    for (auto it = newFolders.rbegin(); it != newFolders.rend(); ++it) {
        const fs::path folder = platform::WithoutTrailingSeparator(it->first);
        if (bounds.TypeIfHeld(folder) == fs::file_type::directory && !platform::RemovePath(folder) &&
            result.notDeleted > 0) {
            keptFolders.push_back(it->second);  // may still hold a file that could not be deleted
        }
    }
    // What was put back and deleted reaches the disk before the copies and the records of it go.
    platform::FlushFileSystem(target.GameFolder);
    EmptyFolder(backupRoot, kept);
    platform::FlushFileSystem(paths.BackupFolder);
    if (!keepLog) {
        if (keptLines.empty()) {
            platform::RemovePath(log);
        } else {
            for (auto it = keptFolders.rbegin(); it != keptFolders.rend(); ++it) {
                keptLines += *it + "\r\n";
            }
            // Should this fail, the whole log stays; a later roll-back goes through it again.
            platform::TryWriteFileAtomic(log, keptLines, true);
        }
    }

    // The record goes last, once nothing of the launch is left: until then every roll-back,
    // whatever folder Seewolf was started with, comes back to this folder.
    if (result.Complete() && !keepLog) {
        platform::RemovePath(GameFolderRecord(paths));
    }

    std::string status;
    if (result.notRestored > 0) {
        status = CountText(result.notRestored, "file could not be restored; its pre-launch copy is kept",
                           "files could not be restored; their pre-launch copies are kept") +
                 " in the backup folder.";
    }
    if (result.notDeleted > 0) {
        status += (status.empty() ? "" : " ") + CountText(result.notDeleted,
                                                          "file added by the launch could not be deleted.",
                                                          "files added by the launch could not be deleted.");
    }
    if (result.notRenamed > 0) {
        status += (status.empty() ? "" : " ") +
                  CountText(result.notRenamed, "gramophone track could not get its name back",
                            "gramophone tracks could not get their names back") +
                  " (open in another program?); the next roll-back tries again.";
    }
    if (!SameFolder(target.GameFolder, paths.GameFolder)) {
        // Not the folder the player is looking at: say which one was put back.
        status = "Rolled back the game folder " + FolderText(target.GameFolder) +
                 ", which the last launch changed." + (status.empty() ? "" : " ") + status;
    }
    status.empty() ? prompter.HideStatus() : prompter.SetStatus(status);
    return result;
}

bool BackupHoldsFiles(const Paths& paths) {
    return platform::FolderExists(platform::Resolve(paths.BackupFolder, "data")) ||
           Occupied(NewFilesLog(paths)) || Occupied(GramophoneLog(paths)) ||
           Occupied(GameFolderRecord(paths));
}

}  // namespace seewolf
