// The launch logs and the roll-back that reads them. Each input is a Seewolf.log and a
// Gramophone.log (split at a line "#GRAMOPHONE"; "$G", "$B", "$P", "$O" and "$R" stand for the
// game, backup, program, outside and scratch-root folders, so that inputs can name them) and a
// flags byte. A small world is written for each input: a game folder, a program folder with its
// backup folder (beside the game folder or inside it), an outside folder the game folder links
// into, and sentinel files. The roll-back may do anything inside the game folder, but nothing
// outside it may change, and every pre-launch copy it could not restore must still be there.
// The log readers and the game-folder record are fed the same bytes on their own.

#include "launch/backup_log.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <system_error>

#include "app/error.h"
#include "app/paths.h"
#include "demo/quiet_prompter.h"
#include "launch/backup.h"
#include "platform/files.h"
#include "support.h"

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

// Every entry below `folder` (links not followed) with the contents of its files.
std::map<std::string, std::string> Snapshot(const fs::path& folder, const fs::path& skip = {}) {
    std::map<std::string, std::string> entries;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!skip.empty() && it->path() == skip) {
            it.disable_recursion_pending();
            continue;
        }
        std::string content;
        if (it->is_symlink()) {
            content = "link " + fs::read_symlink(it->path()).string();
        } else if (it->is_regular_file()) {
            std::ifstream in(it->path(), std::ios::binary);
            content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        } else {
            content = "folder";
        }
        entries[it->path().string()] = content;
    }
    return entries;
}

// The program folder's own files: all but the backup folder, the logs, the record and the lock,
// which the roll-back changes.
std::map<std::string, std::string> ProgramFiles(const fs::path& prog, const fs::path& backup) {
    auto entries = Snapshot(prog, backup);
    for (const char* own : {"Seewolf.log", "Gramophone.log", "Seewolf.game", "Seewolf.lock", "!BACKUP"}) {
        entries.erase((prog / own).string());
    }
    return entries;
}

std::size_t FilesBelow(const fs::path& folder) {
    std::size_t count = 0;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        count += it->is_regular_file() || it->is_symlink() ? 1 : 0;
    }
    return count;
}

std::string Expand(std::string text, const std::map<std::string, std::string>& names) {
    for (const auto& [name, value] : names) {
        for (std::size_t at = text.find(name); at != std::string::npos;
             at = text.find(name, at + value.size())) {
            text.replace(at, name.size(), value);
        }
    }
    return text;
}

// The log readers alone, on the raw bytes.
void ReadLogs(std::string_view raw) {
    std::size_t kept = 0;
    for (const std::string& line : seewolf::backup::CompleteLines(raw)) {
        if (line.empty() || line.find('\n') != std::string::npos) {
            std::abort();
        }
        kept += line.size();
    }
    if (kept > raw.size()) {
        std::abort();
    }
    seewolf::Paths paths;
    paths.ProgFolder = seewolf::platform::WithTrailingSeparator(seewolf::fuzz::ScratchFolder() / "record");
    Write(seewolf::GameFolderRecord(paths), std::string(raw));
    try {
        const auto folder = seewolf::backup::RecordedGameFolder(paths);
        if (folder && seewolf::platform::WithTrailingSeparator(*folder) != *folder) {
            std::abort();
        }
    } catch (const seewolf::Error&) {
        // A damaged record is refused, with a message.
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t flags = data[0];
    const std::string_view text = seewolf::fuzz::AsText(data + 1, size - 1);
    ReadLogs(text);

    const bool nested = (flags & 1) != 0;  // the program folder inside the game folder
    const bool recorded = (flags & 2) != 0;
    const bool twice = (flags & 4) != 0;

    const fs::path root = seewolf::fuzz::ScratchFolder() / "world";
    std::error_code ec;
    fs::remove_all(root, ec);
    const fs::path game = root / "game";
    const fs::path other = root / "other";
    const fs::path prog = nested ? game / "Seewolf" : root / "Seewolf";
    const fs::path backup = prog / "!BACKUP";
    seewolf::Paths paths;
    paths.GameFolder = seewolf::platform::WithTrailingSeparator(game);
    paths.ProgFolder = seewolf::platform::WithTrailingSeparator(prog);
    paths.BackupFolder = seewolf::platform::WithTrailingSeparator(backup);

    Write(root / "sentinel.txt", "root");
    Write(other / "file.txt", "other");
    Write(other / "data" / "a.txt", "other a");
    Write(game / "data" / "a.txt", "set file");
    Write(game / "data" / "Cfg" / "b.cfg", "edited");
    Write(game / "data" / "Sound" / "Gramophone" / "123 track.ogg", "track");
    fs::create_directories(game / "data" / "Dir.txt");
    fs::create_directory_symlink(other, game / "data" / "link");
    fs::create_symlink(other / "file.txt", game / "data" / "filelink.txt");
    Write(prog / "sentinel.txt", "program");
    Write(backup / "data" / "a.txt", "pre-launch a");
    Write(backup / "data" / "Cfg" / "b.cfg", "pre-launch b");
    Write(backup / "data" / "Dir.txt", "cannot go back over a folder");
    Write(backup / "data" / "link" / "file.txt", "never through the link");
    Write(backup / "data" / "filelink.txt", "through the file link");

    const std::map<std::string, std::string> names = {{"$G", game.string()},
                                                      {"$B", backup.string()},
                                                      {"$P", prog.string()},
                                                      {"$O", other.string()},
                                                      {"$R", root.string()}};
    const std::string marker = "#GRAMOPHONE\n";
    const std::size_t split = text.find(marker);
    Write(prog / "Seewolf.log", Expand(std::string(text.substr(0, split)), names));
    if (split != std::string_view::npos) {
        Write(prog / "Gramophone.log", Expand(std::string(text.substr(split + marker.size())), names));
    }
    if (recorded) {
        Write(prog / "Seewolf.game", paths.GameFolder.string() + "\r\n");
    }

    const auto outside = Snapshot(other);
    const std::string rootSentinel = "root";
    const auto programBefore = ProgramFiles(prog, backup);

    seewolf::demo::QuietPrompter prompter;
    for (int run = 0; run < (twice ? 2 : 1); ++run) {
        try {
            const seewolf::RollbackResult result = seewolf::RollBackGameFiles(paths, prompter);
            // What could not be restored stays in the backup folder, and nothing else does.
            if (FilesBelow(backup) != static_cast<std::size_t>(result.notRestored)) {
                std::abort();
            }
        } catch (const seewolf::Error&) {
            // A roll-back that refuses says why and changes nothing.
        }
    }

    if (Snapshot(other) != outside) {
        std::abort();
    }
    std::ifstream in(root / "sentinel.txt", std::ios::binary);
    const std::string sentinel{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (sentinel != rootSentinel) {
        std::abort();
    }
    for (const auto& entry : fs::directory_iterator(root)) {
        const auto name = entry.path().filename();
        if (name != "game" && name != "other" && name != "Seewolf" && name != "sentinel.txt") {
            std::abort();
        }
    }
    if (!nested && ProgramFiles(prog, backup) != programBefore) {
        std::abort();
    }
    return 0;
}
