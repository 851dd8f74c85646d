#include "app/paths.h"

#include "platform/files.h"

namespace seewolf {

std::filesystem::path Paths::Game(std::string_view relative) const {
    return platform::Resolve(GameFolder, relative);
}

std::filesystem::path Paths::Prog(std::string_view relative) const {
    return platform::Resolve(ProgFolder, relative);
}

std::filesystem::path Paths::Save(std::string_view relative) const {
    return platform::Resolve(SaveFolder, relative);
}

std::filesystem::path Paths::SettingsFile() const {
    return Prog("Seewolf.ini");
}

std::string FolderText(const std::filesystem::path& folder) {
    return platform::TextFromPath(platform::WithoutTrailingSeparator(folder));
}

std::string PathText(const std::filesystem::path& path) {
    return platform::TextFromPath(path);
}

}  // namespace seewolf
