#pragma once

// The folders Seewolf works with, set once at start and passed by const reference.

#include <filesystem>
#include <string>
#include <string_view>

namespace seewolf {

struct Paths {
    std::filesystem::path ProgFolder;    // the program folder (executables, content, settings)
    std::filesystem::path GameFolder;    // the game installation (sh3.exe, data/...)
    std::filesystem::path DocsFolder;    // the user's documents folder
    std::string SaveName;                // the game's save-folder name, such as "SH3"
    std::filesystem::path SaveFolder;    // DocsFolder + SaveName + data/Cfg/
    std::filesystem::path BackupFolder;  // ProgFolder + !BACKUP/

    // A game file from its relative path ("data\Cfg\Basic.cfg"), matched case-insensitively.
    std::filesystem::path Game(std::string_view relative) const;
    // A file of the program folder ("Cfg\SH3 options.cfg").
    std::filesystem::path Prog(std::string_view relative) const;
    // A file of the save folder ("main.cfg", "Careers\<name>\Patrols_0.cfg").
    std::filesystem::path Save(std::string_view relative) const;
    // The settings file, ProgFolder + Seewolf.ini.
    std::filesystem::path SettingsFile() const;
};

// A folder as the user sees it in captions and messages: the system's separators, no trailing
// separator, Windows-1252.
std::string FolderText(const std::filesystem::path& folder);
// A path as the user sees it in messages: the system's separators, Windows-1252.
std::string PathText(const std::filesystem::path& path);

}  // namespace seewolf
