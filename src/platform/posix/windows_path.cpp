#include "platform/windows_path.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/folders.h"

namespace seewolf::platform {

namespace {

namespace fs = std::filesystem;

// The part of `path` below `root`, when `root` is one of its leading folders.
std::optional<fs::path> Below(const fs::path& path, const fs::path& root) {
    auto p = path.begin();
    for (auto r = root.begin(); r != root.end(); ++r, ++p) {
        if (r->empty()) {
            continue;  // the empty last element of a root given with a trailing separator
        }
        if (p == path.end() || *p != *r) {
            return std::nullopt;
        }
    }
    fs::path rest;
    for (; p != path.end(); ++p) {
        rest /= *p;
    }
    return rest;
}

std::string Drive(char letter, const fs::path& rest) {
    std::string text{static_cast<char>(std::toupper(static_cast<unsigned char>(letter))), ':'};
    for (const fs::path& part : rest) {
        if (!part.empty()) {
            text += '\\' + part.string();
        }
    }
    return text.size() == 2 ? text + '\\' : text;
}

// The folder above a "drive_c" component of the path (the last one), or nothing.
std::optional<fs::path> PrefixHolding(const fs::path& path) {
    std::optional<fs::path> prefix;
    fs::path walked;
    for (const fs::path& part : path) {
        if (SameText(part.string(), "drive_c")) {
            prefix = walked;
        }
        walked /= part;
    }
    return prefix;
}

}  // namespace

std::string WindowsPathOf(const fs::path& path) {
    const bool trailing = !path.empty() && path.native().back() == '/';
    std::error_code ec;
    const fs::path absolute = WithoutTrailingSeparator(fs::absolute(path, ec).lexically_normal());
    fs::path real = fs::weakly_canonical(absolute, ec);
    if (ec) {
        real = absolute;
    }

    std::vector<fs::path> prefixes;
    const std::optional<fs::path> holding = PrefixHolding(real);
    if (holding) {
        prefixes.push_back(*holding);
    }
    if (const auto env = EnvironmentValue("WINEPREFIX"); env && !env->empty()) {
        prefixes.emplace_back(*env);
    }
    if (const fs::path home = HomeFolder(); !home.empty()) {
        prefixes.push_back(home / ".wine");
    }

    // The drive whose link leads deepest into the path names it.
    std::string text;
    std::size_t deepest = 0;
    for (const fs::path& prefix : prefixes) {
        for (const FolderEntry& entry : ListFolder(prefix / "dosdevices")) {
            if (entry.name.size() != 2 || entry.name[1] != ':' ||
                !std::isalpha(static_cast<unsigned char>(entry.name[0]))) {
                continue;
            }
            const fs::path target = fs::canonical(prefix / "dosdevices" / entry.name, ec);
            if (ec) {
                continue;
            }
            const std::size_t depth = static_cast<std::size_t>(std::distance(target.begin(), target.end()));
            if (const auto rest = Below(real, target); rest && (text.empty() || depth > deepest)) {
                text = Drive(entry.name[0], *rest);
                deepest = depth;
            }
        }
        if (!text.empty()) {
            break;  // the first prefix that reaches the path decides
        }
    }
    if (text.empty() && holding) {
        text = Drive('c', *Below(real, *holding / "drive_c"));
    }
    if (text.empty()) {
        text = Drive('z', real.relative_path());  // Wine's drive Z: is the root folder
    }
    if (trailing && text.back() != '\\') {
        text += '\\';
    }
    return text;
}

}  // namespace seewolf::platform
