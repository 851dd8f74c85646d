#include "launch/backup_log.h"

#include <algorithm>

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

void RecordGramophoneRename(const Paths& paths, const std::filesystem::path& renamed,
                            const std::filesystem::path& original) {
    platform::AppendToFile(backup::GramophoneLog(paths),
                           platform::TextFromPath(renamed) + "|" + platform::TextFromPath(original) + "\r\n",
                           true);
}

}  // namespace seewolf
