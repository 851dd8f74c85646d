#include "platform/folders.h"

#include <cstdlib>
#include <fstream>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace seewolf::platform {
namespace {

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    return text;
}

// The value of a shell-style assignment: a double-quoted text with backslash escapes, or a
// bare word.
std::string AssignedValue(std::string_view text) {
    text = TrimLeft(text);
    std::string value;
    if (!text.empty() && text.front() == '"') {
        for (std::size_t i = 1; i < text.size() && text[i] != '"'; ++i) {
            if (text[i] == '\\' && i + 1 < text.size()) {
                ++i;
            }
            value += text[i];
        }
        return value;
    }
    const auto end = text.find_first_of(" \t\r#");
    return std::string(text.substr(0, end));
}

// XDG_DOCUMENTS_DIR from the user-dirs file: "$HOME/..." or an absolute path; the last
// assignment wins, as when the shell reads the file.
std::filesystem::path DocumentsFromUserDirs(const std::filesystem::path& file,
                                            const std::filesystem::path& home) {
    std::ifstream in(file);
    std::filesystem::path found;
    std::string line;
    constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR";
    while (std::getline(in, line)) {
        std::string_view rest = TrimLeft(line);
        if (!rest.starts_with(kKey)) {
            continue;  // comments and other folders
        }
        rest = TrimLeft(rest.substr(kKey.size()));
        if (rest.empty() || rest.front() != '=') {
            continue;
        }
        const std::string value = AssignedValue(rest.substr(1));
        constexpr std::string_view kHome = "$HOME";
        if (value.starts_with(kHome) && (value.size() == kHome.size() || value[kHome.size()] == '/')) {
            if (!home.empty()) {
                std::string below = value.substr(kHome.size());
                below.erase(0, below.find_first_not_of('/'));
                found = below.empty() ? home : home / below;
            }
        } else if (value.starts_with('/')) {
            found = value;
        }
    }
    return found;
}

}  // namespace

std::optional<std::string> EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

std::filesystem::path HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* result = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result != nullptr &&
        result->pw_dir != nullptr) {
        return result->pw_dir;
    }
    return {};
}

std::filesystem::path UserDocumentsFolder() {
    const std::filesystem::path home = HomeFolder();
    std::filesystem::path configFolder;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/') {
        configFolder = config;
    } else if (!home.empty()) {
        configFolder = home / ".config";
    }
    if (!configFolder.empty()) {
        auto documents = DocumentsFromUserDirs(configFolder / "user-dirs.dirs", home);
        if (!documents.empty()) {
            return documents;
        }
    }
    return home.empty() ? std::filesystem::path() : home / "Documents";
}

std::string ReadMachineRegistryString(const std::string& /*key*/, const std::string& /*valueName*/) {
    return {};
}

}  // namespace seewolf::platform
