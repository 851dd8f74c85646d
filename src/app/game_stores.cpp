#include "app/game_stores.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <system_error>

#include "app/paths.h"
#include "app/text.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/folders.h"

namespace seewolf {

namespace fs = std::filesystem;

namespace {

constexpr int kMaxKeyValuesDepth = 64;

// ---- KeyValues reading ----

class KeyValuesReader {
  public:
    explicit KeyValuesReader(std::string_view text) : m_text(text) {}

    KeyValues Read() {
        KeyValues result;
        result.root.isBlock = true;
        ReadBlock(result.root, 0);
        result.error = std::move(m_error);
        return result;
    }

  private:
    enum class Kind { Text, Open, Close, End };
    struct Token {
        Kind kind = Kind::End;
        std::string text;
    };

    void Fail(const char* what) {
        if (m_error.empty()) {
            m_error = what;
        }
    }

    Token Next() {
        while (m_at < m_text.size()) {
            const char c = m_text[m_at];
            if (std::isspace(static_cast<unsigned char>(c)) != 0) {
                ++m_at;
            } else if (m_text.substr(m_at, 2) == "//") {
                const std::size_t end = m_text.find('\n', m_at);
                m_at = end == std::string_view::npos ? m_text.size() : end;
            } else {
                break;
            }
        }
        if (m_at >= m_text.size()) {
            return {};
        }
        const char c = m_text[m_at];
        if (c == '{' || c == '}') {
            ++m_at;
            return {c == '{' ? Kind::Open : Kind::Close, {}};
        }
        Token token{Kind::Text, {}};
        if (c != '"') {
            while (m_at < m_text.size() && m_text[m_at] != '"' && m_text[m_at] != '{' &&
                   m_text[m_at] != '}' && std::isspace(static_cast<unsigned char>(m_text[m_at])) == 0) {
                token.text += m_text[m_at++];
            }
            return token;
        }
        ++m_at;
        while (m_at < m_text.size() && m_text[m_at] != '"') {
            char e = m_text[m_at++];
            if (e == '\\' && m_at < m_text.size()) {
                e = m_text[m_at++];
                if (e == 'n') {
                    e = '\n';
                } else if (e == 't') {
                    e = '\t';
                } else if (e != '\\' && e != '"') {
                    token.text += '\\';  // not an escape: the backslash stays (Windows paths)
                }
            }
            token.text += e;
        }
        if (m_at >= m_text.size()) {
            Fail("a quoted text is not closed");
        } else {
            ++m_at;
        }
        return token;
    }

    // Reads entries into `block` up to its closing brace (depth > 0) or the end of the text.
    void ReadBlock(KeyValue& block, int depth) {
        for (;;) {
            Token key = Next();
            if (key.kind == Kind::End) {
                if (depth > 0) {
                    Fail("a block is not closed");
                }
                return;
            }
            if (key.kind == Kind::Close) {
                if (depth > 0) {
                    return;
                }
                Fail("a \"}\" closes no block");
                continue;
            }
            if (key.kind == Kind::Open) {
                // A block without a key: read it (to stay in step) and drop it.
                Fail("a block has no key");
                KeyValue dropped;
                ReadNested(dropped, depth);
                continue;
            }
            KeyValue entry;
            entry.key = std::move(key.text);
            Token value = Next();
            if (value.kind == Kind::Text) {
                entry.value = std::move(value.text);
            } else if (value.kind == Kind::Open) {
                entry.isBlock = true;
                ReadNested(entry, depth);
            } else {
                Fail("a key has no value");
                if (value.kind == Kind::End) {
                    if (depth > 0) {
                        Fail("a block is not closed");
                    }
                    return;
                }
                if (depth > 0) {
                    return;  // the "}" closes this block
                }
                Fail("a \"}\" closes no block");
                continue;
            }
            block.children.push_back(std::move(entry));
        }
    }

    void ReadNested(KeyValue& block, int depth) {
        if (depth + 1 < kMaxKeyValuesDepth) {
            ReadBlock(block, depth + 1);
            return;
        }
        // Too deep to be one of Steam's files: skip to the matching brace without keeping anything.
        Fail("blocks are nested too deeply");
        int open = 1;
        while (open > 0) {
            const Token token = Next();
            if (token.kind == Kind::End) {
                Fail("a block is not closed");
                return;
            }
            open += token.kind == Kind::Open ? 1 : token.kind == Kind::Close ? -1 : 0;
        }
    }

    std::string_view m_text;
    std::size_t m_at = 0;
    std::string m_error;
};

// ---- Folders ----

// The canonical form of a path for telling two paths to one folder apart (the path itself when
// it cannot be resolved).
fs::path CanonicalOf(const fs::path& path) {
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(path, ec);
    return ec ? path.lexically_normal() : canonical;
}

// Adds `path` unless a path to the same folder is in `seen`.
bool FirstTime(std::vector<fs::path>& seen, const fs::path& path) {
    fs::path canonical = CanonicalOf(path);
    if (std::find(seen.begin(), seen.end(), canonical) != seen.end()) {
        return false;
    }
    seen.push_back(std::move(canonical));
    return true;
}

// An XDG base folder: the variable when it holds an absolute path, else the home's fallback.
fs::path XdgFolder(const fs::path& home, const StoreEnvironment& environment, const char* variable,
                   const fs::path& fallback) {
    if (const auto it = environment.find(variable); it != environment.end() && !it->second.empty()) {
        fs::path value = platform::PathFromUtf8(it->second);
        if (value.is_absolute()) {
            return value;
        }
    }
    return home / fallback;
}

bool HoldsGame(const fs::path& folder) {
    return platform::FileExists(platform::Resolve(folder, "sh3.exe"));
}

std::string Damaged(const fs::path& file, const std::string& error) {
    return "The file " + PathText(file) + " is damaged (" + error +
           "); only what could be read of it was used.";
}

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The app number of a file name "appmanifest_<digits>.acf" (any case), or nothing.
std::optional<std::string> ManifestNumber(std::string_view name) {
    constexpr std::string_view kStart = "appmanifest_";
    constexpr std::string_view kEnd = ".acf";
    if (name.size() <= kStart.size() + kEnd.size() || !SameText(name.substr(0, kStart.size()), kStart) ||
        !SameText(name.substr(name.size() - kEnd.size()), kEnd)) {
        return std::nullopt;
    }
    const std::string_view number = name.substr(kStart.size(), name.size() - kStart.size() - kEnd.size());
    return AllDigits(number) ? std::optional<std::string>(number) : std::nullopt;
}

// A folder name that stays inside steamapps/common: one component, not "." or "..", no control
// characters (a zero byte would cut the name short).
bool IsPlainFolderName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\:") == std::string_view::npos &&
           std::none_of(name.begin(), name.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

void AddNew(StoreSearch& into, std::vector<fs::path>& seen, GameInstallation installation) {
    if (FirstTime(seen, installation.gameFolder)) {
        into.installations.push_back(std::move(installation));
    }
}

void SearchLibrary(const SteamLibrary& library, StoreSearch& search, std::vector<fs::path>& seen) {
    const fs::path steamapps = platform::Resolve(library.folder, "steamapps");
    std::vector<std::pair<std::string, std::string>> manifests;  // app number, file name
    for (const platform::FolderEntry& entry : platform::ListFolder(steamapps)) {
        if (auto number = ManifestNumber(entry.name); number && !entry.isFolder) {
            manifests.emplace_back(std::move(*number), entry.name);
        }
    }
    std::sort(manifests.begin(), manifests.end(), [](const auto& a, const auto& b) {
        return a.first.size() != b.first.size() ? a.first.size() < b.first.size() : a.first < b.first;
    });
    for (const auto& [number, name] : manifests) {
        const fs::path file = steamapps / platform::PathFromText(name);
        const std::optional<std::string> bytes = platform::ReadFile(file);
        if (!bytes) {
            search.problems.push_back("The file " + PathText(file) + " could not be read.");
            continue;
        }
        const KeyValues manifest = ReadKeyValues(*bytes);
        if (!manifest.error.empty()) {
            search.problems.push_back(Damaged(file, manifest.error));
        }
        const KeyValue* state = manifest.root.Find("AppState");
        const KeyValue* installDir = state != nullptr ? state->Find("installdir") : nullptr;
        if (installDir == nullptr || installDir->isBlock) {
            continue;
        }
        if (!IsPlainFolderName(installDir->value)) {
            search.problems.push_back("The file " + PathText(file) + " names the install folder \"" +
                                      Cp1252FromUtf8(installDir->value) +
                                      "\", which is not a folder name; it was left out.");
            continue;
        }
        const fs::path gameFolder =
            platform::Resolve(steamapps, "common") / platform::PathFromUtf8(installDir->value);
        if (!HoldsGame(gameFolder)) {
            continue;
        }
        const KeyValue* appId = state->Find("appid");
        if (appId == nullptr || appId->isBlock || appId->value != number) {
            search.problems.push_back("The file " + PathText(file) + " names the game in " +
                                      FolderText(gameFolder) + " but the app number \"" +
                                      Cp1252FromUtf8(appId != nullptr ? appId->value : std::string()) +
                                      "\" instead of " + number + "; it was left out.");
            continue;
        }
        GameInstallation installation{gameFolder, {}, "Steam (app " + number + ")"};
        for (const fs::path& holder : {library.folder, library.root}) {
            const fs::path prefix = platform::Resolve(holder, "steamapps\\compatdata\\" + number + "\\pfx");
            if (platform::FolderExists(prefix)) {
                installation.prefix = prefix;
                break;
            }
        }
        AddNew(search, seen, std::move(installation));
    }
}

// ---- Lutris game files ----

// A YAML scalar as written after "key:": quoted in "..." (with backslash escapes) or '...' (with ''
// for a quote), or plain up to a " #" comment.
std::string YamlScalar(std::string_view text) {
    text = TrimBlanks(text);
    std::string out;
    if (text.starts_with('"')) {
        for (std::size_t i = 1; i < text.size() && text[i] != '"'; ++i) {
            char c = text[i];
            if (c == '\\' && i + 1 < text.size()) {
                c = text[++i];
                c = c == 'n' ? '\n' : c == 't' ? '\t' : c;
            }
            out += c;
        }
        return out;
    }
    if (text.starts_with('\'')) {
        for (std::size_t i = 1; i < text.size(); ++i) {
            if (text[i] == '\'') {
                if (i + 1 < text.size() && text[i + 1] == '\'') {
                    out += '\'';
                    ++i;
                    continue;
                }
                break;
            }
            out += text[i];
        }
        return out;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '#' && i > 0 && (text[i - 1] == ' ' || text[i - 1] == '\t')) {
            text = text.substr(0, i);
            break;
        }
    }
    return std::string(TrimBlanks(text));
}

// The "exe" and "prefix" values of the top-level "game:" mapping.
struct LutrisGame {
    std::string exe;
    std::string prefix;
};

LutrisGame ReadLutrisGame(std::string_view text) {
    LutrisGame game;
    bool inGame = false;
    std::size_t childIndent = 0;  // the indentation of the mapping's keys, once known
    for (const std::string& line : SplitLines(text)) {
        const std::size_t indent = line.find_first_not_of(' ');
        if (indent == std::string::npos || line[indent] == '#') {
            continue;
        }
        const std::string_view content = std::string_view(line).substr(indent);
        if (indent == 0) {
            const std::size_t colon = content.find(':');
            inGame = colon != std::string_view::npos && YamlScalar(content.substr(0, colon)) == "game" &&
                     YamlScalar(content.substr(colon + 1)).empty();
            childIndent = 0;
            continue;
        }
        if (!inGame) {
            continue;
        }
        if (childIndent == 0) {
            childIndent = indent;
        }
        const std::size_t colon = content.find(": ");
        if (indent != childIndent || content.starts_with('-') || colon == std::string_view::npos) {
            continue;
        }
        const std::string key = YamlScalar(content.substr(0, colon));
        if (key == "exe") {
            game.exe = YamlScalar(content.substr(colon + 1));
        } else if (key == "prefix") {
            game.prefix = YamlScalar(content.substr(colon + 1));
        }
    }
    return game;
}

// A path from a Lutris file: "~/" stands for the home folder, as Lutris reads it.
fs::path LutrisPath(const fs::path& home, const std::string& text) {
    if (text.starts_with("~/")) {
        return home / platform::PathFromUtf8(text.substr(2));
    }
    return platform::PathFromUtf8(text);
}

void SearchLutrisFile(const fs::path& home, const fs::path& file, StoreSearch& search,
                      std::vector<fs::path>& seen) {
    const std::optional<std::string> bytes = platform::ReadFile(file);
    if (!bytes) {
        search.problems.push_back("The file " + PathText(file) + " could not be read.");
        return;
    }
    const LutrisGame game = ReadLutrisGame(*bytes);
    if (game.exe.empty()) {
        return;
    }
    const fs::path prefix =
        game.prefix.empty() ? fs::path() : LutrisPath(home, game.prefix).lexically_normal();
    fs::path exe = LutrisPath(home, game.exe);
    if (!SameText(platform::TextFromPath(exe.filename()), "sh3.exe")) {
        return;
    }
    if (exe.is_relative()) {
        if (prefix.empty()) {
            search.problems.push_back("The file " + PathText(file) + " names the game as " + PathText(exe) +
                                      " without a prefix it could be in; it was left out.");
            return;
        }
        exe = (prefix / exe).lexically_normal();
    }
    const fs::path gameFolder = exe.parent_path();
    if (!HoldsGame(gameFolder)) {
        search.problems.push_back("The file " + PathText(file) + " names the game as " + PathText(exe) +
                                  ", which does not exist; it was left out.");
        return;
    }
    AddNew(search, seen, {gameFolder, prefix, "Lutris (" + platform::TextFromPath(file.filename()) + ")"});
}

}  // namespace

const KeyValue* KeyValue::Find(std::string_view name) const {
    const auto it = std::find_if(children.begin(), children.end(),
                                 [&](const KeyValue& child) { return SameText(child.key, name); });
    return it == children.end() ? nullptr : &*it;
}

KeyValues ReadKeyValues(std::string_view text) {
    return KeyValuesReader(text).Read();
}

StoreEnvironment CurrentStoreEnvironment() {
    StoreEnvironment environment;
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
        if (auto value = platform::EnvironmentValue(name)) {
            environment[name] = *value;
        }
    }
    return environment;
}

std::vector<SteamLibrary> SteamLibraries(const fs::path& home, const StoreEnvironment& environment,
                                         std::vector<std::string>& problems) {
    const fs::path flatpak = home / ".var" / "app" / "com.valvesoftware.Steam";
    const fs::path roots[] = {
        home / ".steam" / "steam", home / ".steam" / "root",
        XdgFolder(home, environment, "XDG_DATA_HOME", fs::path(".local") / "share") / "Steam",
        flatpak / ".local" / "share" / "Steam", flatpak / "data" / "Steam"};
    std::vector<fs::path> seenRoots;
    std::vector<fs::path> seenLibraries;
    std::vector<SteamLibrary> libraries;
    for (const fs::path& root : roots) {
        if (!platform::FolderExists(root) || !FirstTime(seenRoots, root)) {
            continue;
        }
        if (FirstTime(seenLibraries, root)) {
            libraries.push_back({root, root});
        }
        const fs::path list = platform::Resolve(root, "steamapps\\libraryfolders.vdf");
        const std::optional<std::string> bytes = platform::ReadFile(list);
        if (!bytes) {
            if (platform::FileExists(list)) {
                problems.push_back("The file " + PathText(list) + " could not be read.");
            }
            continue;
        }
        const KeyValues folders = ReadKeyValues(*bytes);
        if (!folders.error.empty()) {
            problems.push_back(Damaged(list, folders.error));
        }
        const KeyValue* top = folders.root.Find("libraryfolders");
        if (top == nullptr) {
            continue;
        }
        for (const KeyValue& entry : top->children) {
            std::string path;
            if (entry.isBlock) {  // "0" { "path" "/x" ... }
                if (const KeyValue* named = entry.Find("path"); named != nullptr && !named->isBlock) {
                    path = named->value;
                }
            } else if (AllDigits(entry.key)) {  // the old form: "1" "/x"
                path = entry.value;
            }
            const fs::path folder = platform::PathFromUtf8(path);
            if (!path.empty() && folder.is_absolute() && platform::FolderExists(folder) &&
                FirstTime(seenLibraries, folder)) {
                libraries.push_back({folder, root});
            }
        }
    }
    return libraries;
}

StoreSearch FindSteamInstallations(const fs::path& home, const StoreEnvironment& environment) {
    StoreSearch search;
    std::vector<fs::path> seen;
    for (const SteamLibrary& library : SteamLibraries(home, environment, search.problems)) {
        SearchLibrary(library, search, seen);
    }
    return search;
}

StoreSearch FindLutrisInstallations(const fs::path& home, const StoreEnvironment& environment) {
    const fs::path flatpak = home / ".var" / "app" / "net.lutris.Lutris";
    const fs::path folders[] = {
        XdgFolder(home, environment, "XDG_CONFIG_HOME", ".config") / "lutris" / "games",
        XdgFolder(home, environment, "XDG_DATA_HOME", fs::path(".local") / "share") / "lutris" / "games",
        flatpak / "config" / "lutris" / "games", flatpak / "data" / "lutris" / "games"};
    StoreSearch search;
    std::vector<fs::path> seenFolders;
    std::vector<fs::path> seen;
    for (const fs::path& folder : folders) {
        if (!platform::FolderExists(folder) || !FirstTime(seenFolders, folder)) {
            continue;
        }
        std::vector<std::string> names;
        for (const platform::FolderEntry& entry : platform::ListFolder(folder)) {
            const std::string_view name = entry.name;
            if (entry.isFolder || name.size() <= 4 || !SameText(name.substr(name.size() - 4), ".yml")) {
                continue;
            }
            if (entry.nameNotText) {
                search.problems.push_back("A game file in " + FolderText(folder) + " has a name (\"" +
                                          entry.name + "\") that Seewolf cannot open; it was left out.");
            } else {
                names.push_back(entry.name);
            }
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            SearchLutrisFile(home, folder / platform::PathFromText(name), search, seen);
        }
    }
    return search;
}

StoreSearch FindGameInstallations(const fs::path& home, const StoreEnvironment& environment) {
    StoreSearch search;
    std::vector<fs::path> seen;
    for (StoreSearch part :
         {FindSteamInstallations(home, environment), FindLutrisInstallations(home, environment)}) {
        for (GameInstallation& installation : part.installations) {
            AddNew(search, seen, std::move(installation));
        }
        search.problems.insert(search.problems.end(), part.problems.begin(), part.problems.end());
    }
    return search;
}

}  // namespace seewolf
