#include "app/locate.h"

#include <algorithm>
#include <cctype>

#include "app/error.h"
#include "app/game_stores.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/prompter.h"
#include "app/settings.h"
#include "app/text.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/folders.h"

namespace seewolf {

namespace {

constexpr const char* kGameKey = "software\\ubisoft\\silent hunter iii";
constexpr const char* kGameKeyWow64 = "software\\wow6432node\\ubisoft\\silent hunter iii";
constexpr std::uint64_t kSaveNameOffset = 38520;

bool IsHexDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

unsigned HexValue(char c) {
    return c <= '9' ? static_cast<unsigned>(c - '0')
                    : static_cast<unsigned>(std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
}

// Decodes an escaped registry text of Wine's registry files up to its closing quote (or the end
// of the text). `text` starts right after the opening quote. Escapes: \\ \" \n \r \t \a \b \e
// \f \v, \xHHHH (UTF-16 code units, surrogate pairs joined) and octal \ooo.
std::string DecodeRegistryString(std::string_view text, std::size_t* consumed = nullptr) {
    std::string out;
    unsigned pendingHigh = 0;
    std::size_t i = 0;
    auto emit = [&](unsigned code) {
        if (code >= 0xD800 && code < 0xDC00) {
            pendingHigh = code;
            return;
        }
        if (code >= 0xDC00 && code < 0xE000 && pendingHigh != 0) {
            code = 0x10000 + ((pendingHigh - 0xD800) << 10) + (code - 0xDC00);
        }
        pendingHigh = 0;
        AppendUtf8(out, static_cast<char32_t>(code));
    };
    while (i < text.size() && text[i] != '"') {
        const char c = text[i];
        if (c != '\\' || i + 1 >= text.size()) {
            // Wine writes the registry files in UTF-8.
            out += c;
            ++i;
            continue;
        }
        const char e = text[i + 1];
        i += 2;
        switch (e) {
            case 'n':
                emit('\n');
                break;
            case 'r':
                emit('\r');
                break;
            case 't':
                emit('\t');
                break;
            case 'a':
                emit('\a');
                break;
            case 'b':
                emit('\b');
                break;
            case 'e':
                emit(0x1B);
                break;
            case 'f':
                emit('\f');
                break;
            case 'v':
                emit('\v');
                break;
            case 'x': {
                unsigned code = 0;
                int digits = 0;
                while (digits < 4 && i < text.size() && IsHexDigit(text[i])) {
                    code = code * 16 + HexValue(text[i]);
                    ++i;
                    ++digits;
                }
                emit(code);
                break;
            }
            default:
                if (e >= '0' && e <= '7') {
                    unsigned code = static_cast<unsigned>(e - '0');
                    for (int digits = 1; digits < 3 && i < text.size() && text[i] >= '0' && text[i] <= '7';
                         ++digits) {
                        code = code * 8 + static_cast<unsigned>(text[i++] - '0');
                    }
                    emit(code);
                } else {
                    out += e;  // \\ and \" and anything unknown stand for the character itself
                }
                break;
        }
    }
    if (consumed != nullptr) {
        *consumed = i < text.size() ? i + 1 : i;
    }
    return out;
}

std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

bool HoldsGame(const std::filesystem::path& folder) {
    return !folder.empty() && platform::FileExists(platform::Resolve(folder, "sh3.exe"));
}

// The message when no game folder is found: the sentence the game's players know, then which
// folder was tried and the ways to name the right one.
std::string GameNotFoundText(const Paths& paths, const std::filesystem::path& tried, const char* source,
                             const std::vector<std::string>& storeProblems) {
    std::string text =
        "Seewolf requires Silent Hunter III to be installed on your computer. Unfortunately, an installation "
        "of Silent Hunter III cannot be found. You will need to determine where Silent Hunter III is "
        "installed, and run Seewolf again.\n\n";
    if (tried.empty()) {
#ifdef _WIN32
        text +=
            "No folder was given: there is no /i: switch, no SH3Location in Seewolf.ini and no "
            "installation in the registry.";
#else
        text +=
            "No folder was given: there is no /i: switch, no SH3Location in Seewolf.ini, no "
            "installation in the registry and none in Steam's libraries or Lutris' games.";
#endif
    } else {
        text += "The folder " + FolderText(tried) + " (from " + source + ") does not hold sh3.exe.";
    }
    for (const std::string& problem : storeProblems) {
        text += "\n" + problem;
    }
    text +=
        "\n\nName the folder that holds sh3.exe: start Seewolf with /i:<folder>, set SH3Location in the "
        "[SETTINGS] section of " +
        PathText(paths.SettingsFile()) + ", or give seewolf-cli --game <folder>.";
    return text;
}

// The Documents (or My Documents) folder of a Wine user folder, or empty.
std::filesystem::path DocumentsOfUser(const std::filesystem::path& userFolder) {
    for (const char* name : {"Documents", "My Documents"}) {
        std::filesystem::path docs = platform::Resolve(userFolder, name);
        if (platform::FolderExists(docs)) {
            return docs;
        }
    }
    return {};
}

#ifndef _WIN32
// Linux only: the game runs under Wine, whose prefix holds the documents folder the game uses.
// On Windows that folder is the system's own personal folder.

// The Wine prefix that holds `folder`: the folder above its "drive_c" component.
std::filesystem::path PrefixHolding(const std::filesystem::path& folder) {
    std::filesystem::path prefix;
    std::filesystem::path walked;
    for (const auto& part : std::filesystem::absolute(folder).lexically_normal()) {
        if (SameText(platform::TextFromPath(part), "drive_c")) {
            prefix = walked;
        }
        walked /= part;
    }
    return prefix;
}

// The documents folder of the Wine prefix holding the game folder. Empty outside a prefix.
std::filesystem::path WineUserDocuments(const std::filesystem::path& gameFolder, std::string_view saveName) {
    const std::filesystem::path prefix =
        gameFolder.empty() ? std::filesystem::path() : PrefixHolding(gameFolder);
    return prefix.empty() ? std::filesystem::path() : PrefixDocumentsFolder(prefix, saveName);
}

// The game folder of a Steam or Lutris installation: the only one found, or the one the user picks
// when there are several (saved as SH3Location, as the folder chooser's answer is, so the question
// comes once). Empty when there is none or none is picked. What the search had to leave out goes
// to `problems`.
std::filesystem::path StoreGameFolder(const Paths& paths, const ProfileFile& settings, Prompter& prompter,
                                      std::vector<std::string>& problems) {
    StoreSearch search = FindGameInstallations(platform::HomeFolder(), CurrentStoreEnvironment());
    problems = std::move(search.problems);
    const std::vector<GameInstallation>& found = search.installations;
    if (found.size() <= 1) {
        return found.empty() ? std::filesystem::path() : found[0].gameFolder;
    }
    std::string question =
        "Silent Hunter III is installed more than once. Choose the installation Seewolf is to use; it is "
        "kept as SH3Location in the [SETTINGS] section of " +
        PathText(paths.SettingsFile()) +
        " (set it there yourself, or name the game folder once with /i:<folder> or seewolf-cli --game "
        "<folder>).";
    for (const std::string& problem : problems) {
        question += "\n" + problem;
    }
    std::vector<std::string> choices;
    for (const GameInstallation& installation : found) {
        choices.push_back(FolderText(installation.gameFolder) + " (" + installation.source + ")");
    }
    const std::optional<std::size_t> chosen = prompter.Choose(question, choices);
    if (!chosen || *chosen >= found.size()) {
        return {};
    }
    settings.WriteString(kSettingsSection, "SH3Location", platform::TextFromPath(found[*chosen].gameFolder));
    return found[*chosen].gameFolder;
}

// The prefix in which Steam (Proton) or Lutris runs the game of this folder, when one of them
// installed it; empty otherwise. A Steam game lies outside its prefix, so only the store knows it.
std::filesystem::path StorePrefixOf(const std::filesystem::path& gameFolder) {
    const StoreSearch search = FindGameInstallations(platform::HomeFolder(), CurrentStoreEnvironment());
    for (const GameInstallation& installation : search.installations) {
        std::error_code ec;
        if (!installation.prefix.empty() &&
            std::filesystem::equivalent(installation.gameFolder, gameFolder, ec)) {
            return installation.prefix;
        }
    }
    return {};
}

#endif

}  // namespace

std::string WineRegistryInstalledPath(const std::filesystem::path& prefix) {
    const auto bytes = platform::ReadFile(platform::Resolve(prefix, "system.reg"));
    if (!bytes) {
        return {};
    }
    std::string found;
    int foundRank = 0;  // the plain key wins over its Wow6432Node twin
    int sectionRank = 0;
    for (const std::string& rawLine : SplitLines(*bytes)) {
        std::string_view line = TrimBlanks(rawLine);
        if (line.starts_with('[')) {
            const std::size_t close = line.find(']');
            std::size_t used = 0;
            const std::string key = AsciiLower(
                DecodeRegistryString(line.substr(1, close == std::string_view::npos ? 0 : close - 1), &used));
            // Keys in system.reg are relative to HKEY_LOCAL_MACHINE; tolerate a leading separator.
            std::string_view k = key;
            while (k.starts_with('\\')) {
                k.remove_prefix(1);
            }
            sectionRank = k == kGameKey ? 2 : k == kGameKeyWow64 ? 1 : 0;
            continue;
        }
        if (sectionRank <= foundRank || !line.starts_with('"')) {
            continue;
        }
        std::size_t nameLength = 0;
        const std::string name = DecodeRegistryString(line.substr(1), &nameLength);
        if (AsciiLower(name) != "installedpath") {
            continue;
        }
        std::string_view rest = line.substr(1 + nameLength);
        rest = TrimBlanks(rest);
        if (!rest.starts_with('=')) {
            continue;
        }
        rest = TrimBlanks(rest.substr(1));
        if (rest.starts_with("str(2):")) {
            rest.remove_prefix(7);
        }
        if (!rest.starts_with('"')) {
            continue;
        }
        found = DecodeRegistryString(rest.substr(1));
        foundRank = sectionRank;
    }
    return found;
}

std::filesystem::path NativePathInPrefix(const std::filesystem::path& prefix, std::string_view windowsPath) {
    if (windowsPath.size() < 2 || windowsPath[1] != ':' ||
        !std::isalpha(static_cast<unsigned char>(windowsPath[0]))) {
        return {};
    }
    const char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(windowsPath[0])));
    std::filesystem::path root = prefix / "dosdevices" / std::string{drive, ':'};
    if (!platform::FolderExists(root)) {
        if (drive != 'c') {
            return {};
        }
        root = prefix / "drive_c";
    }
    std::error_code ec;
    std::filesystem::path canonical = std::filesystem::canonical(root, ec);
    if (!ec) {
        root = canonical;
    }
    const std::string rest = Cp1252FromUtf8(windowsPath.substr(2));
    return platform::Resolve(root, rest);
}

std::filesystem::path PrefixDocumentsFolder(const std::filesystem::path& prefix, std::string_view saveName) {
    const std::filesystem::path users = platform::Resolve(prefix, "drive_c\\users");
    // The user Wine made for this login first, then Proton's, then the others by name.
    std::vector<std::string> names;
    for (const auto& entry : platform::ListFolder(users)) {
        if (entry.isFolder && !SameText(entry.name, "Public")) {
            names.push_back(entry.name);
        }
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> preferred;
    if (auto user = platform::EnvironmentValue("USER")) {
        preferred.push_back(Cp1252FromUtf8(*user));
    }
    preferred.emplace_back("steamuser");
    for (auto it = preferred.rbegin(); it != preferred.rend(); ++it) {
        auto at =
            std::find_if(names.begin(), names.end(), [&](const std::string& n) { return SameText(n, *it); });
        if (at != names.end()) {
            std::rotate(names.begin(), at, at + 1);
        }
    }
    std::filesystem::path firstDocs;
    for (const std::string& name : names) {
        const std::filesystem::path docs = DocumentsOfUser(platform::Resolve(users, name));
        if (docs.empty()) {
            continue;
        }
        if (!saveName.empty() && platform::FolderExists(platform::Resolve(docs, saveName))) {
            return docs;
        }
        if (firstDocs.empty()) {
            firstDocs = docs;
        }
    }
    return firstDocs;
}

std::filesystem::path RegistryGameFolder() {
    const std::string windows =
        platform::ReadMachineRegistryString("Software\\Ubisoft\\Silent Hunter III", "InstalledPath");
    if (!windows.empty()) {
        return platform::PathFromText(windows);
    }
#ifdef _WIN32
    // Windows has its own registry and no Wine prefix to look into (under Wine the prefix's
    // registry is the system's registry read above).
    return {};
#else
    std::filesystem::path prefix;
    if (auto value = platform::EnvironmentValue("WINEPREFIX"); value && !value->empty()) {
        prefix = platform::PathFromUtf8(*value);
    } else if (auto home = platform::HomeFolder(); !home.empty()) {
        prefix = home / ".wine";
    }
    if (prefix.empty()) {
        return {};
    }
    const std::string installed = WineRegistryInstalledPath(prefix);
    return installed.empty() ? std::filesystem::path() : NativePathInPrefix(prefix, installed);
#endif
}

bool LocateGameFolder(Paths& paths, const std::optional<std::filesystem::path>& commandLineFolder,
                      Prompter& prompter) {
    std::filesystem::path candidate = commandLineFolder.value_or(std::filesystem::path());
    const char* source = "the /i: switch";
    const ProfileFile settings(paths.SettingsFile());
    if (candidate.empty()) {
        candidate = platform::PathFromText(settings.ReadString(kSettingsSection, "SH3Location", ""));
        source = "SH3Location in Seewolf.ini";
    }
    if (candidate.empty()) {
        candidate = RegistryGameFolder();
        source = "the registry";
    }
    std::vector<std::string> storeProblems;
#ifndef _WIN32
    if (candidate.empty()) {
        candidate = StoreGameFolder(paths, settings, prompter, storeProblems);
        source = "Steam or Lutris";
        // A file left out matters even when a game was found: it may have been the one meant.
        // (Without a game they are part of the message below.)
        for (const std::string& problem : candidate.empty() ? std::vector<std::string>() : storeProblems) {
            prompter.SetStatus(problem);
        }
    }
#endif
    // The last folder looked into, for the message when none holds the game.
    std::filesystem::path tried = candidate;
    if (!HoldsGame(candidate)) {
        const char* prompt =
            "Cannot find \"sh3.exe\" in this folder! Please tell me where Silent Hunter III is installed";
        do {
            candidate = prompter.BrowseForFolder(prompt, candidate);
            if (!candidate.empty()) {
                tried = candidate;
                source = "the folder chooser";
            }
        } while (!candidate.empty() && !HoldsGame(candidate));
        settings.WriteString(kSettingsSection, "SH3Location", platform::TextFromPath(candidate));
    }
    if (candidate.empty()) {
        prompter.ShowMessage(GameNotFoundText(paths, tried, source, storeProblems), MessageKind::Error,
                             Button::Ok);
        return false;
    }
    paths.GameFolder =
        platform::WithTrailingSeparator(std::filesystem::absolute(candidate).lexically_normal());
    return true;
}

std::filesystem::path LocateDocsFolder(const Paths& paths, [[maybe_unused]] std::string_view saveName) {
    const std::string setting =
        ProfileFile(paths.SettingsFile()).ReadString(kSettingsSection, "DocsLocation", "");
    if (!setting.empty()) {
        return platform::WithTrailingSeparator(platform::PathFromText(setting));
    }
#ifndef _WIN32
    if (std::filesystem::path docs = WineUserDocuments(paths.GameFolder, saveName); !docs.empty()) {
        return platform::WithTrailingSeparator(docs);
    }
    if (const std::filesystem::path prefix = StorePrefixOf(paths.GameFolder); !prefix.empty()) {
        if (std::filesystem::path docs = PrefixDocumentsFolder(prefix, saveName); !docs.empty()) {
            return platform::WithTrailingSeparator(docs);
        }
    }
#endif
    return platform::WithTrailingSeparator(platform::UserDocumentsFolder());
}

std::string ReadSaveName(const std::filesystem::path& gameFolder) {
    std::string bytes =
        platform::ReadBytes(platform::Resolve(gameFolder, "FileManager.dll"), kSaveNameOffset, 3);
    return bytes.substr(0, bytes.find('\0'));
}

bool LocateSaveFolder(Paths& paths, Prompter& prompter,
                      const std::optional<std::filesystem::path>& documentsFolder) {
    paths.SaveName = ReadSaveName(paths.GameFolder);
    paths.DocsFolder =
        documentsFolder
            ? platform::WithTrailingSeparator(std::filesystem::path(*documentsFolder).make_preferred())
            : LocateDocsFolder(paths, paths.SaveName);
    paths.SaveFolder =
        platform::WithTrailingSeparator(platform::Resolve(paths.DocsFolder, paths.SaveName + "\\data\\Cfg"));
    // A documents folder that was named but does not exist is a wrong setting, not a game that
    // never ran.
    if (!platform::FolderExists(paths.DocsFolder)) {
        std::string text;
        if (documentsFolder) {
            text = "The documents folder " + FolderText(paths.DocsFolder) +
                   " given on the command line does not exist.";
        } else if (!ProfileFile(paths.SettingsFile())
                        .ReadString(kSettingsSection, "DocsLocation", "")
                        .empty()) {
            text = "The documents folder " + FolderText(paths.DocsFolder) + " set as DocsLocation in " +
                   PathText(paths.SettingsFile()) +
                   " does not exist. Correct DocsLocation, or remove it to let Seewolf find the documents "
                   "folder itself.";
        }
        if (!text.empty()) {
            prompter.ShowMessage(text, MessageKind::Error, Button::Ok);
            return false;
        }
    }
    if (!platform::FileExists(paths.Save("main.cfg"))) {
        prompter.ShowMessage(
            "Cannot find " + PathText(paths.SaveFolder) +
                "main.cfg! You must run Silent Hunter III at least once to create this file.",
            MessageKind::Error, Button::Ok);
        return false;
    }
    return true;
}

void PrepareBackupFolder(Paths& paths) {
    paths.BackupFolder = platform::WithTrailingSeparator(platform::Resolve(paths.ProgFolder, "!BACKUP"));
    if (!platform::FolderExists(paths.BackupFolder)) {
        platform::CreateFolders(paths.BackupFolder);
    }
}

}  // namespace seewolf
