#include "launch/game_bounds.h"

#include <algorithm>
#include <system_error>

#include "app/paths.h"
#include "platform/files.h"

namespace seewolf::backup {

namespace fs = std::filesystem;

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

namespace {

// Whether `path` lies below `root` (or is it, with `orRoot`); both hold no links or "..". The
// spelling decides first. Where the system ignores case, or knows a folder by a short name too
// ("C:\GAMES\SH3", "C:\GAMES~1\SH3"), another spelling may name the same folder: so an
// existing folder on the way up that is the root itself counts too.
bool Within(const fs::path& path, const fs::path& root, bool orRoot) {
    if (root.empty()) {
        return false;
    }
    const auto [r, p] = std::mismatch(root.begin(), root.end(), path.begin(), path.end());
    if (r == root.end()) {
        return p != path.end() || orRoot;
    }
    std::error_code ec;
    for (fs::path up = path;; up = up.parent_path()) {
        if (fs::equivalent(up, root, ec)) {
            return up != path || orRoot;
        }
        if (!up.has_relative_path()) {
            return false;
        }
    }
}

}  // namespace

GameBounds::GameBounds(const Paths& paths) {
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

bool GameBounds::HoldsFolder(const fs::path& folder) {
    const fs::path plain = platform::WithoutTrailingSeparator(folder);
    const std::lock_guard<std::mutex> lock(m_mutex);
    const auto [it, added] = m_folders.try_emplace(plain.native(), false);
    if (added) {
        it->second = Resolves(plain, true);
    }
    return it->second;
}

std::optional<fs::file_type> GameBounds::TypeIfHeld(const fs::path& path) {
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

bool GameBounds::Resolves(const fs::path& path, bool orRoot) const {
    if (HasDotComponents(path)) {
        return false;
    }
    std::error_code ec;
    const fs::path real = fs::weakly_canonical(fs::absolute(path, ec), ec);
    return !ec && Within(real, m_game, orRoot) && !Within(real, m_backup, true);
}

}  // namespace seewolf::backup
