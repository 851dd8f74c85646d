#include "launch/folder_walk.h"

#include <algorithm>
#include <set>
#include <system_error>
#include <utility>

#include "app/text.h"
#include "launch/backup.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace seewolf::backup {

namespace fs = std::filesystem;

fs::file_type OwnType(const fs::path& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type();
}

bool Occupied(const fs::path& path) {
    return OwnType(path) != fs::file_type::not_found;
}

bool TextOfName(const fs::path& name, std::string& text) {
    text = platform::TextFromPath(name);
    return platform::PathFromText(text) == name;
}

std::string FoldedName(const fs::path& name) {
    return UpperCase(platform::TextFromPath(name));
}

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

namespace {

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

}  // namespace

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

}  // namespace seewolf::backup

namespace seewolf {

std::vector<std::filesystem::path> WalkFolders(const std::filesystem::path& root) {
    return backup::Walk(root, true);
}

}  // namespace seewolf
