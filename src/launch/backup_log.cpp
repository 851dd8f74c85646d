#include "launch/backup_log.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "app/error.h"
#include "app/paths.h"
#include "app/text.h"
#include "launch/backup.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace seewolf::backup {

namespace fs = std::filesystem;

fs::path NewFilesLog(const Paths& paths) {
    return paths.Prog("Seewolf.log");
}

fs::path GramophoneLog(const Paths& paths) {
    return paths.Prog("Gramophone.log");
}

std::string ReadLog(const fs::path& log) {
    if (auto text = platform::ReadFile(log)) {
        return std::move(*text);
    }
    if (!Occupied(log)) {
        return std::string();
    }
    throw Error("Unable to read " + PathText(log) +
                ". It lists what the last launch changed in the game folder, so nothing was rolled back; "
                "the log and the backup folder are kept. Make the file readable and roll back again.");
}

std::optional<fs::path> RecordedGameFolder(const Paths& paths) {
    const fs::path record = GameFolderRecord(paths);
    const std::string text = ReadLog(record);
    const std::vector<std::string> lines = CompleteLines(text);
    if (lines.empty()) {
        if (Occupied(record) && !text.empty()) {
            // A record that was cut while it was written cannot be: it is written whole or not at all.
            throw Error("The record " + PathText(record) +
                        " of the game folder that the last launch changed " +
                        "is damaged. Nothing was rolled back.");
        }
        return std::nullopt;
    }
    const std::u8string utf8(lines.front().begin(), lines.front().end());
    return platform::WithTrailingSeparator(fs::path(utf8));
}

bool SameFolder(const fs::path& a, const fs::path& b) {
    if (platform::WithTrailingSeparator(a) == platform::WithTrailingSeparator(b)) {
        return true;
    }
    std::error_code ec;
    return fs::equivalent(platform::WithoutTrailingSeparator(a), platform::WithoutTrailingSeparator(b), ec);
}

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

void NewFiles::Add(const fs::path& path) {
    m_exact.insert(path.native());
    m_folded.emplace(UpperCase(platform::TextFromPath(path)), path);
}

bool NewFiles::Contains(const fs::path& game) const {
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

}  // namespace seewolf::backup

namespace seewolf {

std::filesystem::path GameFolderRecord(const Paths& paths) {
    return paths.Prog("Seewolf.game");
}

void RecordGameFolder(const Paths& paths) {
    if (const auto recorded = backup::RecordedGameFolder(paths)) {
        if (backup::SameFolder(*recorded, paths.GameFolder)) {
            return;
        }
        throw Error("The last launch changed the game folder " + FolderText(*recorded) +
                    ", and those changes are not rolled back yet. Roll them back before " +
                    FolderText(paths.GameFolder) + " is changed.");
    }
    // The full path as UTF-8, so that any folder name comes back exactly.
    const std::u8string utf8 = platform::WithTrailingSeparator(paths.GameFolder).u8string();
    platform::WriteFileAtomic(GameFolderRecord(paths), std::string(utf8.begin(), utf8.end()) + "\r\n", true);
}

void RecordGramophoneRename(const Paths& paths, const std::filesystem::path& renamed,
                            const std::filesystem::path& original) {
    RecordGameFolder(paths);
    platform::AppendToFile(backup::GramophoneLog(paths),
                           platform::TextFromPath(renamed) + "|" + platform::TextFromPath(original) + "\r\n",
                           true);
}

}  // namespace seewolf
