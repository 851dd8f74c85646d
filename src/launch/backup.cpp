#include "launch/backup.h"

// How the game folder stays restorable, whatever point a launch or roll-back is cut at.
//
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
//      its first file or folder, so every file a launch adds is listed before it exists.
//
// The roll-back reads the log first. A backup copy whose game path is in the log is the copy of a
// file the launch added (a set file later edited, or one set's file moved aside by the next set):
// it is dropped, never restored, and the log line deletes the file. Every other copy is moved
// back. Only then are the logged files deleted, the log removed and the backup folder emptied.
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
// Moves into the backup are renames: the pre-launch bytes themselves are not written again. The
// copies of set files into the game folder are not flushed, and go straight to their names where
// nothing stood: cut half-way, such a copy is deleted or replaced by the roll-back like a whole one.

#include <algorithm>
#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "app/error.h"
#include "app/paths.h"
#include "app/prompter.h"
#include "launch/intro_movies.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace seewolf {

namespace fs = std::filesystem;

namespace {

using NativeString = fs::path::string_type;

constexpr std::string_view kRollingBack = "Rolling back previously copied files...";
constexpr std::string_view kHideStatus = "^";

fs::path NewFilesLog(const Paths& paths) {
    return paths.Prog("Seewolf.log");
}

fs::path GramophoneLog(const Paths& paths) {
    return paths.Prog("Gramophone.log");
}

// The type of the entry itself (a link is not followed); `none` when it cannot be read.
fs::file_type OwnType(const fs::path& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type();
}

bool Occupied(const fs::path& path) {
    return OwnType(path) != fs::file_type::not_found;
}

// `path` relative to `root` (held with a trailing separator), when it lies below it.
std::optional<NativeString> Below(const fs::path& root, const fs::path& path) {
    const NativeString& r = root.native();
    const NativeString& p = path.native();
    if (p.size() < r.size() || p.compare(0, r.size(), r) != 0) {
        return std::nullopt;
    }
    return p.substr(r.size());
}

bool HasDotComponents(const fs::path& path) {
    return std::any_of(path.begin(), path.end(), [](const fs::path& c) { return c == "." || c == ".."; });
}

// The core text of a file name, when that text names the same file again (a name the code page
// cannot hold, or one holding a backslash, cannot be a game file's name).
bool TextOfName(const fs::path& name, std::string& text) {
    text = platform::TextFromPath(name);
    return platform::PathFromText(text) == name;
}

std::string FoldedName(const fs::path& name) {
    return UpperCase(platform::TextFromPath(name));
}

struct Entry {
    fs::path name;       // native file name
    fs::file_type type;  // of the entry itself
};

// The entries of a folder. Their types come with the listing where the system gives them, so
// listing costs no query per entry.
std::vector<Entry> ListEntries(const fs::path& folder) {
    std::vector<Entry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        fs::file_type type = fs::file_type::symlink;
        if (!it->is_symlink(typeError)) {
            // Not a link, so the entry's type is its own.
            type = it->is_directory(typeError)      ? fs::file_type::directory
                   : it->is_regular_file(typeError) ? fs::file_type::regular
                                                    : it->status(typeError).type();
        }
        entries.push_back({it->path().filename(), type});
    }
    return entries;
}

bool IsFolder(const fs::path& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

void WalkInto(const fs::path& folder, bool followLinks, std::set<fs::path>& visited,
              std::vector<fs::path>& folders) {
    folders.push_back(platform::WithTrailingSeparator(folder));
    std::vector<std::pair<std::string, fs::path>> subFolders;
    for (const Entry& entry : ListEntries(folder)) {
        const fs::path path = folder / entry.name;
        const bool isFolder = entry.type == fs::file_type::directory ||
                              (followLinks && entry.type == fs::file_type::symlink && IsFolder(path));
        if (isFolder) {
            subFolders.emplace_back(FoldedName(entry.name), path);
        }
    }
    std::sort(subFolders.begin(), subFolders.end());
    for (const auto& [key, path] : subFolders) {
        if (followLinks) {
            // A link may lead back up the tree; each real folder is listed once.
            std::error_code ec;
            const fs::path real = fs::canonical(path, ec);
            if (ec || !visited.insert(real).second) {
                continue;
            }
        }
        WalkInto(path, followLinks, visited, folders);
    }
}

std::vector<fs::path> Walk(const fs::path& root, bool followLinks) {
    std::vector<fs::path> folders;
    const fs::path start = platform::WithoutTrailingSeparator(root);
    if (followLinks ? !IsFolder(start) : OwnType(start) != fs::file_type::directory) {
        return folders;
    }
    std::set<fs::path> visited;
    std::error_code ec;
    visited.insert(fs::canonical(start, ec));
    WalkInto(start, followLinks, visited, folders);
    return folders;
}

// Complete lines of a log (CR LF or LF ends a line); a last line without its line end was being
// written when a launch was cut and is left out, as are empty lines.
std::vector<std::string> CompleteLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n', start)) {
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (!line.empty()) {
            lines.emplace_back(line);
        }
        start = end + 1;
    }
    return lines;
}

std::string LogLine(const fs::path& path) {
    return platform::TextFromPath(path) + "\r\n";
}

// Decides whether a path lies inside the game folder once "..", links and case are resolved, and
// outside the backup folder. Folders are looked up once.
class GameBounds {
  public:
    explicit GameBounds(const Paths& paths) {
        std::error_code ec;
        m_game = fs::canonical(platform::WithoutTrailingSeparator(paths.GameFolder), ec);
        if (ec) {
            m_game.clear();
        }
        m_backup = fs::weakly_canonical(platform::WithoutTrailingSeparator(paths.BackupFolder), ec);
        if (ec) {
            m_backup.clear();
        }
    }

    // The game folder itself or a folder in it.
    bool HoldsFolder(const fs::path& folder) {
        const fs::path plain = platform::WithoutTrailingSeparator(folder);
        const auto [it, added] = m_folders.try_emplace(plain.native(), false);
        if (added) {
            it->second = Resolves(plain, true);
        }
        return it->second;
    }

    // A file or folder strictly inside the game folder; a link as its last part must lead there too.
    bool Holds(const fs::path& path) { return TypeIfHeld(path).has_value(); }

    // The type of the entry (links not followed) when Holds, else nothing.
    std::optional<fs::file_type> TypeIfHeld(const fs::path& path) {
        const fs::path plain = platform::WithoutTrailingSeparator(path);
        if (!plain.has_filename() || HasDotComponents(plain) || !HoldsFolder(plain.parent_path())) {
            return std::nullopt;
        }
        const fs::file_type type = OwnType(plain);
        if (type == fs::file_type::symlink && !Resolves(plain, false)) {
            return std::nullopt;
        }
        return type;
    }

  private:
    static bool Within(const fs::path& path, const fs::path& root, bool orRoot) {
        if (root.empty()) {
            return false;
        }
        const auto [r, p] = std::mismatch(root.begin(), root.end(), path.begin(), path.end());
        return r == root.end() && (p != path.end() || orRoot);
    }

    bool Resolves(const fs::path& path, bool orRoot) const {
        if (HasDotComponents(path)) {
            return false;
        }
        std::error_code ec;
        const fs::path real = fs::weakly_canonical(fs::absolute(path, ec), ec);
        return !ec && Within(real, m_game, orRoot) && !Within(real, m_backup, true);
    }

    fs::path m_game;
    fs::path m_backup;
    std::unordered_map<NativeString, bool> m_folders;
};

// The files listed in Seewolf.log.
class NewFiles {
  public:
    void Add(const fs::path& path) {
        m_exact.insert(path.native());
        m_folded.emplace(UpperCase(platform::TextFromPath(path)), path);
    }

    // Whether `game` is one of them: the same spelling, or (where the system ignores case) a
    // spelling that differs in case only and names the very same file.
    bool Contains(const fs::path& game) const {
        if (m_exact.count(game.native()) != 0) {
            return true;
        }
        const auto [first, last] = m_folded.equal_range(UpperCase(platform::TextFromPath(game)));
        if (first == last) {
            return false;
        }
        const auto stamp = platform::StampOf(game);
        if (!stamp) {
            return false;
        }
        return std::any_of(first, last, [&stamp](const auto& item) {
            const auto other = platform::StampOf(item.second);
            return other && other->identity == stamp->identity;
        });
    }

  private:
    std::unordered_set<NativeString> m_exact;
    std::unordered_multimap<std::string, fs::path> m_folded;
};

// A failure is no matter here: the operation that needed it fails and says so.
void ClearReadOnly(const fs::path& path) {
    if (platform::IsReadOnly(path)) {
        platform::TrySetReadOnly(path, false);
    }
}

// Removes a file, clearing its read-only attribute when that stands in the way (Windows).
bool RemoveFile(const fs::path& path) {
    if (platform::RemovePath(path)) {
        return true;
    }
    ClearReadOnly(path);
    return platform::RemovePath(path);
}

// ---- InstallFileSet ----

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

}  // namespace

std::vector<fs::path> WalkFolders(const fs::path& root) {
    return Walk(root, true);
}

void BackUpGameFile(const Paths& paths, std::string_view relative) {
    const fs::path game = paths.Game(relative);
    const auto rel = Below(platform::WithTrailingSeparator(paths.GameFolder), game);
    if (!rel || rel->empty() || HasDotComponents(fs::path(*rel)) || !platform::FileExists(game)) {
        return;  // nothing to keep
    }
    const fs::path backup(platform::WithTrailingSeparator(paths.BackupFolder).native() + *rel);
    if (!Occupied(backup)) {
        // Copied before the read-only attribute is cleared, so the copy keeps it and the roll-back
        // gives the file back as it was. Unlike a missing file, a copy that fails is reported:
        // the edit that follows could not be undone.
        platform::CreateFolders(backup.parent_path());
        platform::CopyFileAtomic(game, backup, true);
    }
    if (platform::IsReadOnly(game)) {
        platform::SetReadOnly(game, false);
    }
}

void InstallFileSet(const Paths& paths, const fs::path& source, Prompter& prompter) {
    BusyScope busy(prompter);
    const fs::path root = platform::WithTrailingSeparator(source);
    const fs::path gameRoot = platform::WithTrailingSeparator(paths.GameFolder);
    const fs::path backupRoot = platform::WithTrailingSeparator(paths.BackupFolder);
    GameBounds bounds(paths);

    // Plan the whole set first, so that its log lines can be written in one piece before the
    // first file is created.
    std::vector<TargetFolder> folders;
    std::vector<Step> steps;
    std::string logText;
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

        std::string folderText;
        const auto relFolder = Below(root, setFolder);
        if (!relFolder || !TextOfName(fs::path(*relFolder), folderText)) {
            continue;
        }
        const fs::path gameFolder =
            folderText.empty() ? gameRoot
                               : platform::WithTrailingSeparator(platform::Resolve(gameRoot, folderText));
        const auto gameRel = Below(gameRoot, gameFolder);
        if (!gameRel || !bounds.HoldsFolder(gameFolder)) {
            continue;  // leads outside the game folder
        }
        // Only a file whose path the log can hold may be added.
        const bool loggable = platform::PathFromText(platform::TextFromPath(gameFolder)) == gameFolder;
        const bool folderExists = IsFolder(gameFolder);
        if (!folderExists) {
            if (!loggable || Occupied(platform::WithoutTrailingSeparator(gameFolder))) {
                continue;  // a file stands where the folder would go
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
            if (type == fs::file_type::directory) {
                continue;  // a folder is not replaced by a file
            }
            if (step.isLink && (!bounds.Holds(step.game) || IsFolder(step.game))) {
                continue;  // leads outside the game folder, or to a folder
            }
            const bool inBackup = backupNames.count(gameName.native()) != 0;
            if (const auto planned = plannedFiles.find(step.game.native()); planned != plannedFiles.end()) {
                step.after = planned->second;  // the same file again: the first step settled it
            } else {
                if (step.gameExisted && !inBackup) {
                    step.action = Action::MoveAside;
                } else if (step.isLink) {
                    continue;  // never write through a link
                } else if (!step.gameExisted && !inBackup) {
                    if (!loggable) {
                        continue;
                    }
                    logText += LogLine(step.game);  // a file the game did not have
                }
                plannedFiles.emplace(step.game.native(), steps.size());
            }
            steps.push_back(std::move(step));
        }
    }

    if (!logText.empty()) {
        platform::AppendToFile(NewFilesLog(paths), logText, true);
    }

    std::vector<char> settled(steps.size(), 0);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& step = steps[i];
        TargetFolder& folder = folders[step.folder];
        if (folder.failed || (step.after != kNone && settled[step.after] == 0)) {
            continue;
        }
        if (!folder.gameReady) {
            if (!platform::TryCreateFolders(folder.game)) {
                folder.failed = true;
                continue;
            }
            folder.gameReady = true;
        }
        if (step.action == Action::MoveAside) {
            if (!folder.backupReady) {
                if (!platform::TryCreateFolders(folder.backup)) {
                    continue;
                }
                folder.backupReady = true;
            }
            if (!MoveAside(step.game, step.backup, step.isLink)) {
                continue;  // unprotected: leave the game's file as it is
            }
        } else if (step.gameExisted || step.after != kNone) {
            ClearReadOnly(step.game);
        }
        settled[i] = 1;
        // Into an empty place the copy goes straight to its name: cut half-way, it is deleted (a
        // logged file) or replaced (its pre-launch copy is kept) like a whole one. A copy that
        // fails is not reported; what stands is restored or deleted by the roll-back.
        if (step.action == Action::MoveAside || (!step.gameExisted && step.after == kNone)) {
            platform::TryCopyFileExclusive(step.source, step.game);
        } else {
            platform::TryCopyFileAtomic(step.source, step.game);
        }
    }
}

namespace {

// ---- RollBackGameFiles ----

void UndoIntroRenames(const Paths& paths, GameBounds& bounds) {
    for (const std::string_view movie : kIntroMovies) {
        const fs::path renamed = paths.Game(std::string(movie) + std::string(kRenamedMovieSuffix));
        if (!Occupied(renamed)) {
            continue;
        }
        const fs::path original = renamed.parent_path() / renamed.stem();
        // Never onto an existing file, nor one that differs only in case.
        if (!bounds.Holds(renamed) || !bounds.Holds(original) ||
            Occupied(
                platform::Resolve(original.parent_path(), platform::TextFromPath(original.filename())))) {
            continue;
        }
        platform::TryRenamePath(renamed, original);
    }
}

void UndoGramophoneRenames(const Paths& paths, GameBounds& bounds) {
    const fs::path log = GramophoneLog(paths);
    const auto text = platform::ReadFile(log);
    if (!text) {
        return;
    }
    for (const std::string& line : CompleteLines(*text)) {
        const std::size_t bar = line.find('|');
        if (bar == std::string::npos) {
            continue;
        }
        const fs::path renamed = platform::PathFromText(std::string_view(line).substr(0, bar));
        const fs::path original = platform::PathFromText(std::string_view(line).substr(bar + 1));
        if (!bounds.Holds(renamed) || !bounds.Holds(original) || Occupied(original)) {
            continue;
        }
        platform::TryRenamePath(renamed, original);
    }
    platform::RemovePath(log);
}

// Moves a pre-launch copy back into place; false when it has to stay in the backup folder.
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
        if (!platform::TryCopyFileAtomic(backup, game)) {
            return false;
        }
        RemoveFile(backup);
        return true;
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
    // Another file system: the copy takes the game file's place in one rename, and only then
    // does the backup go. Cut in between, the next roll-back copies it once more.
    if (!platform::TryCopyFileAtomic(backup, game)) {
        return false;
    }
    RemoveFile(backup);
    return true;
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
                platform::RemovePath(fs::path(folder) / entry.name);
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

RollbackResult RollBackGameFiles(const Paths& paths, Prompter& prompter) {
    BusyScope busy(prompter);
    prompter.SetStatus(kRollingBack);
    GameBounds bounds(paths);
    RollbackResult result;
    const fs::path gameRoot = platform::WithTrailingSeparator(paths.GameFolder);
    const fs::path backupRoot = platform::WithTrailingSeparator(paths.BackupFolder);
    std::set<NativeString> touched;  // game folders where a cut write may have left a temporary file

    UndoIntroRenames(paths, bounds);
    UndoGramophoneRenames(paths, bounds);

    const fs::path log = NewFilesLog(paths);
    const auto logText = platform::ReadFile(log);
    std::vector<std::pair<fs::path, std::string>> newFiles;
    std::vector<std::pair<fs::path, std::string>> newFolders;
    NewFiles listed;
    for (std::string& line : CompleteLines(logText.value_or(std::string()))) {
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

    // The pre-launch copies go back first.
    std::set<NativeString> kept;
    bool keepLog = false;
    for (const fs::path& folder : Walk(backupRoot, false)) {
        const fs::path gameFolder = GameFolderFor(gameRoot, *Below(backupRoot, folder));
        const bool inside = bounds.HoldsFolder(gameFolder);
        for (const Entry& entry : ListEntries(folder)) {
            if (entry.type == fs::file_type::directory || platform::IsTemporaryFileName(entry.name)) {
                continue;
            }
            const fs::path backup = folder / entry.name;
            const fs::path game = gameFolder / entry.name;
            if (listed.Contains(game)) {
                // The copy of a file the launch added: it must never come back. Until it is gone,
                // the log stays, so that a later roll-back knows it too.
                keepLog = !RemoveFile(backup) || keepLog;
                continue;
            }
            if (inside && Restore(backup, game, bounds)) {
                touched.insert(gameFolder.native());
            } else {
                kept.insert(backup.native());
                ++result.notRestored;
            }
        }
    }

    // Then the files the launch added, and the folders it made for them (deepest first).
    std::string keptLines;
    for (const auto& [path, line] : newFiles) {
        const auto type = bounds.TypeIfHeld(path);  // never anything outside the game folder
        if (!type || *type == fs::file_type::not_found || *type == fs::file_type::directory) {
            continue;
        }
        touched.insert(platform::WithTrailingSeparator(path.parent_path()).native());
        if (!RemoveFile(path)) {
            keptLines += line + "\r\n";
            ++result.notDeleted;
        }
    }
    RemoveLeftoverTemporaries(touched);
    std::vector<std::string> keptFolders;
    for (auto it = newFolders.rbegin(); it != newFolders.rend(); ++it) {
        const fs::path folder = platform::WithoutTrailingSeparator(it->first);
        if (bounds.TypeIfHeld(folder) == fs::file_type::directory && !platform::RemovePath(folder) &&
            result.notDeleted > 0) {
            keptFolders.push_back(it->second);  // may still hold a file that could not be deleted
        }
    }
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

    EmptyFolder(backupRoot, kept);

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
    prompter.SetStatus(status.empty() ? kHideStatus : std::string_view(status));
    return result;
}

bool BackupHoldsFiles(const Paths& paths) {
    return platform::FolderExists(platform::Resolve(paths.BackupFolder, "data")) ||
           platform::FileExists(NewFilesLog(paths)) || platform::FileExists(GramophoneLog(paths));
}

void RecordGramophoneRename(const Paths& paths, const fs::path& renamed, const fs::path& original) {
    platform::AppendToFile(GramophoneLog(paths),
                           platform::TextFromPath(renamed) + "|" + platform::TextFromPath(original) + "\r\n",
                           true);
}

}  // namespace seewolf
