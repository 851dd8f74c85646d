#include <algorithm>
#include <cstddef>
#include <string>
#include <system_error>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "app/error.h"
#include "app/paths.h"
#include "app/prompter.h"
#include "app/text.h"
#include "launch/backup.h"
#include "launch/backup_log.h"
#include "launch/file_progress.h"
#include "launch/folder_walk.h"
#include "launch/game_bounds.h"
#include "launch/parallel_steps.h"
#include "platform/encoding.h"
#include "platform/files.h"

// Backing up single game files and installing file sets: see backup.h for the rules that keep a
// launch restorable at every point.

namespace seewolf {

namespace fs = std::filesystem;
using namespace backup;

namespace {

enum class Action {
    MoveAside,  // the pre-launch file goes to the backup folder, then the set's copy takes its place
    Copy,       // copy over what is there (a backup exists) or into an empty place
};

struct TargetFolder {
    fs::path game;    // with trailing separator
    fs::path backup;  // with trailing separator
    bool gameReady = false;
    bool backupReady = false;
    bool failed = false;
};

struct Step {
    fs::path source;
    fs::path game;
    fs::path backup;
    Action action;
    std::size_t folder;
    bool gameExisted;
    bool isLink;        // the game's entry is a symbolic link
    std::size_t after;  // an earlier step for the same game file, or kNone
};

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// The entries of a game folder: by exact name, and by name without regard to case (the first in
// listing order, as platform::Resolve picks it).
struct FolderListing {
    std::unordered_map<NativeString, fs::file_type> exact;
    std::unordered_map<std::string, std::pair<fs::path, fs::file_type>> folded;

    explicit FolderListing(const fs::path& folder) {
        for (Entry& entry : ListEntries(folder)) {
            std::string text;
            if (TextOfName(entry.name, text)) {
                folded.try_emplace(UpperCase(text), entry.name, entry.type);
            }
            exact.emplace(entry.name.native(), entry.type);
        }
    }
};

// Moves a pre-launch game file into the backup folder. False when no backup could be made; the
// game file must then not be replaced.
bool MoveAside(const fs::path& game, const fs::path& backup, bool isLink) {
    if (platform::TryRenamePath(game, backup)) {
        return true;
    }
    // Most likely another file system.
    if (isLink) {
        return false;  // a copy would hold the target's bytes, not the link
    }
    // A flushed copy under a temporary name, renamed into place: the backup is complete before
    // the game file goes.
    if (!platform::TryCopyFileAtomic(game, backup, true)) {
        return false;
    }
    RemoveFile(game);  // should it stay, the set's copy cannot take its place: nothing is lost
    return true;
}

// What installing one set does, worked out before anything changes.
struct SetPlan {
    std::vector<TargetFolder> folders;
    std::vector<Step> steps;
    std::string logText;         // Seewolf.log lines of every file and folder the set adds
    std::vector<fs::path> left;  // set files that cannot go into the game folder
};

// Plans a file set: the game file and backup place of each of its files, what becomes of the
// file in the game folder, and the log lines, so that they can be written in one piece before the
// first file is created.
SetPlan PlanFileSet(const Paths& paths, const fs::path& root, GameBounds& bounds) {
    const fs::path gameRoot = platform::WithTrailingSeparator(paths.GameFolder);
    const fs::path backupRoot = platform::WithTrailingSeparator(paths.BackupFolder);
    SetPlan plan;
    std::vector<TargetFolder>& folders = plan.folders;
    std::vector<Step>& steps = plan.steps;
    std::string& logText = plan.logText;
    std::unordered_set<NativeString> loggedFolders;
    std::unordered_map<NativeString, std::size_t> plannedFiles;
    for (const fs::path& setFolder : WalkFolders(root)) {
        std::vector<std::pair<std::string, fs::path>> files;
        for (const Entry& entry : ListEntries(setFolder)) {
            const fs::path path = setFolder / entry.name;
            std::error_code ec;
            if (entry.type == fs::file_type::regular ||
                (entry.type == fs::file_type::symlink && fs::is_regular_file(path, ec))) {
                files.emplace_back(FoldedName(entry.name), entry.name);
            }
        }
        if (files.empty()) {
            continue;
        }
        std::sort(files.begin(), files.end());

        const auto leaveFolder = [&plan, &files, &setFolder] {
            for (const auto& file : files) {
                plan.left.push_back(setFolder / file.second);
            }
        };
        std::string folderText;
        const auto relFolder = Below(root, setFolder);
        if (!relFolder || !TextOfName(fs::path(*relFolder), folderText)) {
            leaveFolder();  // a folder name the game's code page cannot hold
            continue;
        }
        const fs::path gameFolder =
            folderText.empty() ? gameRoot
                               : platform::WithTrailingSeparator(platform::Resolve(gameRoot, folderText));
        const auto gameRel = Below(gameRoot, gameFolder);
        if (!gameRel || !bounds.HoldsFolder(gameFolder)) {
            leaveFolder();  // leads outside the game folder
            continue;
        }
        // Only a file whose path the log can hold may be added.
        const bool loggable = platform::PathFromText(platform::TextFromPath(gameFolder)) == gameFolder;
        const bool folderExists = IsFolder(gameFolder);
        if (!folderExists) {
            if (!loggable || Occupied(platform::WithoutTrailingSeparator(gameFolder))) {
                leaveFolder();  // a file stands where the folder would go
                continue;
            }
            // The folders the set creates are listed too (parents first), so the roll-back can
            // remove them again.
            std::vector<fs::path> missing;
            for (fs::path p = platform::WithoutTrailingSeparator(gameFolder);
                 p.native().size() > gameRoot.native().size() && !Occupied(p); p = p.parent_path()) {
                missing.push_back(p);
            }
            for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
                const fs::path line = platform::WithTrailingSeparator(*it);
                if (loggedFolders.insert(line.native()).second) {
                    logText += LogLine(line);
                }
            }
        }
        TargetFolder target;
        target.game = gameFolder;
        target.backup = fs::path(backupRoot.native() + *gameRel);
        const FolderListing gameEntries(folderExists ? gameFolder : fs::path());
        std::unordered_set<NativeString> backupNames;
        for (const Entry& entry : ListEntries(target.backup)) {
            backupNames.insert(entry.name.native());
        }
        folders.push_back(std::move(target));

        for (const auto& [key, name] : files) {
            std::string nameText;
            if (!TextOfName(name, nameText)) {
                plan.left.push_back(setFolder / name);  // a name the game's code page cannot hold
                continue;
            }
            fs::path gameName = name;
            fs::file_type type = fs::file_type::not_found;
            if (const auto exact = gameEntries.exact.find(name.native()); exact != gameEntries.exact.end()) {
                type = exact->second;
            } else if (const auto folded = gameEntries.folded.find(UpperCase(nameText));
                       folded != gameEntries.folded.end()) {
                gameName = folded->second.first;
                type = folded->second.second;
            }
            Step step{setFolder / name,
                      gameFolder / gameName,
                      folders.back().backup / gameName,
                      Action::Copy,
                      folders.size() - 1,
                      type != fs::file_type::not_found,
                      type == fs::file_type::symlink,
                      kNone};
            if (type == fs::file_type::directory ||
                (step.isLink && (!bounds.Holds(step.game) || IsFolder(step.game)))) {
                // A folder is not replaced by a file, and a link that leads outside the game
                // folder or to a folder is not written through.
                plan.left.push_back(step.source);
                continue;
            }
            const bool inBackup = backupNames.count(gameName.native()) != 0;
            if (const auto planned = plannedFiles.find(step.game.native()); planned != plannedFiles.end()) {
                step.after = planned->second;  // the same file again: the first step settled it
            } else {
                if (step.gameExisted && !inBackup) {
                    step.action = Action::MoveAside;
                } else if (step.isLink) {
                    plan.left.push_back(step.source);  // never write through a link
                    continue;
                } else if (!step.gameExisted && !inBackup) {
                    if (!loggable) {
                        plan.left.push_back(step.source);
                        continue;
                    }
                    logText += LogLine(step.game);  // a file the game did not have
                }
                plannedFiles.emplace(step.game.native(), steps.size());
            }
            steps.push_back(std::move(step));
        }
    }

    return plan;
}

// What became of one step of a plan.
enum class Outcome : char {
    NotRun,    // not reached: a failure stopped the install
    Copied,    // the set's file stands in the game folder
    Failed,    // the set's file did not reach the game folder
    LinkKept,  // a game file that is a link stays as it was: it cannot be kept in the backup folder
};

// Carries out one step whose folders are made: the game file aside into the backup folder when it
// has to be kept, then the set's copy in its place.
Outcome RunStep(const Step& step, const TargetFolder& folder) {
    if (folder.failed) {
        return Outcome::Failed;
    }
    if (step.action == Action::MoveAside) {
        // A game file that cannot be kept is not replaced, and the launch cannot go on
        // without it: the caller rolls back what was changed so far.
        if (!folder.backupReady || !MoveAside(step.game, step.backup, step.isLink)) {
            if (step.isLink && folder.backupReady) {
                return Outcome::LinkKept;  // a link cannot be copied to another file system as itself
            }
            throw Error("Unable to keep a copy of the game file " + PathText(step.game) +
                        " in the backup folder (as " + PathText(step.backup) +
                        "), so the file set could not be installed.");
        }
    } else if (step.gameExisted || step.after != kNone) {
        ClearReadOnly(step.game);
    }
    // Into an empty place the copy goes straight to its name: cut half-way, it is deleted (a
    // logged file) or replaced (its pre-launch copy is kept) like a whole one.
    const bool copied = step.action == Action::MoveAside || (!step.gameExisted && step.after == kNone)
                            ? platform::TryCopyFileExclusive(step.source, step.game)
                            : platform::TryCopyFileAtomic(step.source, step.game);
    return copied ? Outcome::Copied : Outcome::Failed;
}

// Carries out a plan whose log lines are written. Adds to plan.left the set files that did not
// reach the game folder (a folder or copy that failed); what stands there is restored or deleted
// by the roll-back.
//
// The folders come first, then the steps of distinct game files run side by side: each moves its
// own game file aside before it copies over it, and each file it adds is in the log already, so
// whichever of them a cut stops, the roll-back finds what it needs. A second step for the same
// game file (two set folders that differ in case only) copies over the first one's copy, so those
// run last, in their order.
void ExecutePlan(SetPlan& plan, Prompter& prompter) {
    const std::vector<Step>& steps = plan.steps;
    std::vector<TargetFolder>& folders = plan.folders;
    for (const Step& step : steps) {
        TargetFolder& folder = folders[step.folder];
        if (!folder.gameReady && !folder.failed) {
            folder.gameReady = platform::TryCreateFolders(folder.game);
            folder.failed = !folder.gameReady;
        }
        if (step.action == Action::MoveAside && folder.gameReady && !folder.backupReady) {
            folder.backupReady = platform::TryCreateFolders(folder.backup);
        }
    }
    std::vector<std::size_t> firsts;
    std::vector<std::size_t> agains;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        (steps[i].after == kNone ? firsts : agains).push_back(i);
    }
    // The first file of every folder, then the second of every folder, and so on: steps side by
    // side then work in different folders. Creating a file holds its folder, and a file system
    // that skips recently deleted inodes may hold it long; the other threads would wait.
    std::vector<std::size_t> rank(steps.size());
    std::vector<std::size_t> perFolder(folders.size(), 0);
    for (const std::size_t i : firsts) {
        rank[i] = perFolder[steps[i].folder]++;
    }
    std::stable_sort(firsts.begin(), firsts.end(),
                     [&rank](std::size_t a, std::size_t b) { return rank[a] < rank[b]; });
    std::vector<Outcome> outcomes(steps.size(), Outcome::NotRun);
    FileProgress progress(prompter, steps.size());
    RunSteps(
        firsts.size(), kCopyThreads,
        [&](std::size_t n) {
            outcomes[firsts[n]] = RunStep(steps[firsts[n]], folders[steps[firsts[n]].folder]);
        },
        [&progress](std::size_t done) { progress.Update(done); });
    for (std::size_t n = 0; n < agains.size(); ++n) {
        const std::size_t i = agains[n];
        progress.Update(firsts.size() + n);
        const Outcome first = outcomes[steps[i].after];
        // Over a link that stayed, nothing is written: it would write through the link.
        outcomes[i] =
            first == Outcome::LinkKept ? Outcome::Failed : RunStep(steps[i], folders[steps[i].folder]);
    }
    progress.Update(steps.size());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (outcomes[i] == Outcome::Failed || outcomes[i] == Outcome::LinkKept) {
            plan.left.push_back(steps[i].source);
        }
    }
}

}  // namespace

void BackUpGameFile(const Paths& paths, std::string_view relative) {
    const std::string one[] = {std::string(relative)};
    BackUpGameFiles(paths, one);
}

void BackUpGameFiles(const Paths& paths, std::span<const std::string> relatives) {
    const fs::path gameRoot = platform::WithTrailingSeparator(paths.GameFolder);
    const fs::path backupRoot = platform::WithTrailingSeparator(paths.BackupFolder);
    std::string logText;         // the files the edits create
    platform::CopyBatch copies;  // the pre-launch copies, flushed together
    std::vector<fs::path> kept;  // game files with a pre-launch copy, to be made writable
    std::unordered_set<NativeString> seen;
    GameBounds bounds(paths);
    bool recorded = false;
    for (const std::string& relative : relatives) {
        const fs::path game = paths.Game(relative);
        const auto rel = Below(gameRoot, game);
        // The edit that follows would change what the roll-back cannot restore: it must not start.
        if (!rel || rel->empty() || HasDotComponents(fs::path(*rel)) || !bounds.Holds(game)) {
            throw Error("The file " + PathText(game) + " leads outside the game folder " +
                        FolderText(paths.GameFolder) +
                        " (by \"..\" or a link), so the launch does not change it.");
        }
        if (!seen.insert(game.native()).second) {
            continue;
        }
        if (!recorded) {
            RecordGameFolder(paths);
            recorded = true;
        }
        const fs::path backup(backupRoot.native() + *rel);
        if (!platform::FileExists(game)) {
            // The edit that follows creates the file: it is listed as added, durably, before it
            // exists, so the roll-back deletes it again.
            if (!Occupied(game) && !Occupied(backup)) {
                if (platform::PathFromText(platform::TextFromPath(game)) != game) {
                    throw Error("The game file " + PathText(game) +
                                " is missing, and its name cannot be recorded for the roll-back.");
                }
                logText += LogLine(game);
            }
            continue;
        }
        if (!Occupied(backup)) {
            // Copied before the read-only attribute is cleared, so the copy keeps it and the
            // roll-back gives the file back as it was. Unlike a missing file, a copy that fails
            // is reported: the edit that follows could not be undone.
            // The folders made for the copy are on the disk with it before the game file changes.
            platform::CreateFolders(backup.parent_path(), true);
            copies.Add(game, backup);
        }
        kept.push_back(game);
    }
    if (!logText.empty()) {
        platform::AppendToFile(NewFilesLog(paths), logText, true);
    }
    copies.Commit();
    for (const fs::path& game : kept) {
        if (platform::IsReadOnly(game)) {
            platform::SetReadOnly(game, false);
        }
    }
}

void InstallFileSet(const Paths& paths, const fs::path& source, Prompter& prompter) {
    BusyScope busy(prompter);
    RecordGameFolder(paths);
    GameBounds bounds(paths);
    SetPlan plan = PlanFileSet(paths, platform::WithTrailingSeparator(source), bounds);
    if (!plan.logText.empty()) {
        platform::AppendToFile(NewFilesLog(paths), plan.logText, true);
    }
    ExecutePlan(plan, prompter);
    if (!plan.left.empty()) {
        std::string files;
        for (const fs::path& file : plan.left) {
            files += "\n" + PathText(file);
        }
        prompter.ShowMessage(
            "These files of the file set " + FolderText(source) +
                " were not copied into the game folder, so the game starts without them:" + files +
                "\n\nA file may stand where the set has a folder (or a folder where it has a file), a name "
                "may hold characters outside Windows-1252, a link may lead outside the game folder, or the "
                "file could not be read or the game folder written. The roll-back puts the game's own files "
                "back as before.",
            MessageKind::Warning, Button::Ok);
    }
}

}  // namespace seewolf
