#pragma once

// Finding the game where Steam (native or Flatpak) and Lutris installed it.
//
// The order of discovery, which is the order of the results:
//   1. Steam. The roots ~/.steam/steam, ~/.steam/root, $XDG_DATA_HOME/Steam (else
//      ~/.local/share/Steam), then Flatpak's ~/.var/app/com.valvesoftware.Steam/.local/share/Steam
//      and ~/.var/app/com.valvesoftware.Steam/data/Steam; a root reached twice (~/.steam/steam is
//      mostly a link to ~/.local/share/Steam) counts once, where it comes first. Of each root: the
//      root itself, then the libraries its steamapps/libraryfolders.vdf lists, in the file's order;
//      a library counts once. In each library the app manifests by app number.
//   2. Lutris. The game files of $XDG_CONFIG_HOME/lutris/games (else ~/.config/lutris/games),
//      $XDG_DATA_HOME/lutris/games (else ~/.local/share/lutris/games), then Flatpak's
//      ~/.var/app/net.lutris.Lutris/config/lutris/games and .../data/lutris/games; each folder's
//      *.yml files by name.
// A game folder found twice (the same folder by its canonical path) counts once: the first find
// wins. The documents folder of an installation is the one of its prefix's user
// (PrefixDocumentsFolder in app/locate.h).

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace seewolf {

// The environment variables the search reads (XDG_DATA_HOME, XDG_CONFIG_HOME); a variable that is
// missing, empty or not an absolute path is ignored, as the XDG rules say.
using StoreEnvironment = std::map<std::string, std::string>;

// Those variables of this process.
StoreEnvironment CurrentStoreEnvironment();

struct GameInstallation {
    std::filesystem::path gameFolder;  // the folder holding sh3.exe
    std::filesystem::path prefix;      // its Wine or Proton prefix; empty when none exists yet
    std::string source;                // for messages: "Steam (app 1234)", "Lutris (sh3.yml)"
};

// What a search found, and what it had to leave out: one sentence per file that could not be read
// whole or that names the game in a way that cannot be used, naming the file.
struct StoreSearch {
    std::vector<GameInstallation> installations;
    std::vector<std::string> problems;
};

// ---- Valve's KeyValues text (libraryfolders.vdf, appmanifest_<id>.acf) ----

// One entry: a key with a text value, or a key with a block of entries.
struct KeyValue {
    std::string key;
    std::string value;
    bool isBlock = false;
    std::vector<KeyValue> children;

    // The first entry of the block under `key`, compared without regard to case as Steam does;
    // null when there is none.
    const KeyValue* Find(std::string_view key) const;
};

struct KeyValues {
    KeyValue root;      // a block holding the file's top-level entries
    std::string error;  // what is damaged ("a block is not closed"); empty for a sound text
};

// Reads quoted and unquoted keys and values, nested { } blocks, // comments and the escapes \\ \"
// \n \t inside quotes. Damaged text (unbalanced braces, a key without value, an open quote, blocks
// nested deeper than 64) is read as far as it can be; `error` then says what is wrong.
KeyValues ReadKeyValues(std::string_view text);

// ---- Steam ----

struct SteamLibrary {
    std::filesystem::path folder;  // holds steamapps/
    std::filesystem::path root;    // the Steam root whose list named it (the root itself for its own)
};

// The libraries of every Steam root that exists, in the order above. A libraryfolders.vdf that is
// damaged adds a problem; the libraries read before the damage still count.
std::vector<SteamLibrary> SteamLibraries(const std::filesystem::path& home,
                                         const StoreEnvironment& environment,
                                         std::vector<std::string>& problems);

// Every steamapps/common/<installdir> holding sh3.exe (any case) that an app manifest
// steamapps/appmanifest_<id>.acf of the library names, with its Proton prefix
// steamapps/compatdata/<id>/pfx of the library, else of the library's root, when it exists. A
// manifest whose app id is not the number of its file name, or whose installdir is not a plain
// folder name, is left out with a problem. A damaged manifest adds a problem, and what could be
// read of it still counts.
StoreSearch FindSteamInstallations(const std::filesystem::path& home, const StoreEnvironment& environment);

// ---- Lutris ----

// Every game file whose top-level "game:" mapping names as "exe:" a file sh3.exe (any case) that
// exists, absolute or relative to its "prefix:"; the game folder is the exe's folder. A file naming
// an sh3.exe that does not exist is left out with a problem.
StoreSearch FindLutrisInstallations(const std::filesystem::path& home, const StoreEnvironment& environment);

// Steam's, then Lutris', without a game folder found twice.
StoreSearch FindGameInstallations(const std::filesystem::path& home, const StoreEnvironment& environment);

}  // namespace seewolf
