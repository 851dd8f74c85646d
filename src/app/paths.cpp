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

// Texts name a path with the system's own separator, also when it was given with another
// ("C:/Games/SH3" on Windows).
std::string FolderText(const std::filesystem::path& folder) {
    return platform::TextFromPath(
        platform::WithoutTrailingSeparator(std::filesystem::path(folder).make_preferred()));
}

std::string PathText(const std::filesystem::path& path) {
    return platform::TextFromPath(std::filesystem::path(path).make_preferred());
}

}  // namespace seewolf
