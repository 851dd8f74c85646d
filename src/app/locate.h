#pragma once

// Locating the game folder, the documents folder and the save folder at start.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace seewolf {

struct Paths;
class Prompter;

// "InstalledPath" of Software\Ubisoft\Silent Hunter III (or its Wow6432Node twin) in a Wine
// prefix's system.reg, as the Windows path the registry holds; empty when missing. How the
// Linux build finds the game; the Windows build reads the system's registry instead.
std::string WineRegistryInstalledPath(const std::filesystem::path& prefix);

// A Windows path inside a Wine prefix ("C:\Ubisoft\SH3\") as a native path, through the
// prefix's dosdevices links (drive C: also as drive_c); empty when the drive is unknown.
std::filesystem::path NativePathInPrefix(const std::filesystem::path& prefix, std::string_view windowsPath);

// The Documents (or My Documents) folder of a user of a Wine or Proton prefix: of the user
// holding the save folder `saveName` when one does (empty `saveName`: none is looked for), else
// of the first user that has one, in the order the login's own user, Proton's "steamuser", the
// others by name ("Public" never). Empty when no user has one.
std::filesystem::path PrefixDocumentsFolder(const std::filesystem::path& prefix, std::string_view saveName);

// The game folder that the registry knows of: on Windows the local-machine hive only (the
// 32-bit view first), on Linux the Wine prefix of $WINEPREFIX, else ~/.wine. Empty when there
// is none.
std::filesystem::path RegistryGameFolder();

// The candidate order: the /i: folder, then [SETTINGS] SH3Location, then the registry, then the
// folder chooser until it holds sh3.exe or is cancelled (its answer is saved to SH3Location).
// Sets paths.GameFolder and returns true; shows the error and returns false when none is found.
bool LocateGameFolder(Paths& paths, const std::optional<std::filesystem::path>& commandLineFolder,
                      Prompter& prompter);

// The documents folder: [SETTINGS] DocsLocation when set; on Linux the Documents (or My
// Documents) folder of the user of the Wine prefix holding the game folder, preferring one that
// holds the save folder; else the desktop's documents folder (on Windows the system's personal
// folder, wherever the game is).
std::filesystem::path LocateDocsFolder(const Paths& paths, std::string_view saveName);

// The save-folder name: 3 bytes at offset 38520 of the game's FileManager.dll, up to the first
// zero byte. Throws Error when the file cannot be read.
std::string ReadSaveName(const std::filesystem::path& gameFolder);

// Sets DocsFolder (the given one, else LocateDocsFolder), SaveName and SaveFolder and checks that
// main.cfg exists; shows the error and returns false when it does not.
bool LocateSaveFolder(Paths& paths, Prompter& prompter,
                      const std::optional<std::filesystem::path>& documentsFolder = std::nullopt);

// BackupFolder := ProgFolder + !BACKUP/, created when missing.
void PrepareBackupFolder(Paths& paths);

}  // namespace seewolf
