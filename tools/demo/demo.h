#pragma once

// A complete synthetic world for Seewolf, written from data invented for this project:
//
//   <root>/game/       a game installation (stand-in sh3.exe, FileManager.dll, data/Cfg, data/Menu
//                      with the officers' faces in data/Menu/Data/ofaces)
//   <root>/documents/  the user's documents folder with the game's save folder SH3/data/Cfg
//                      (main.cfg and careers in every state, each listed one with its crew
//                      roster; crews.h tells what the rosters hold)
//   <root>/Seewolf/    a program folder: a copy of the program files with Seewolf.ini pointing
//                      at the two folders above (SH3Location, DocsLocation)
//
// For launches the game folder also holds intro movies (data/Movies/Intro/Logo.wmv and
// Intro.wmv) and files that the program's file sets replace, some of them read-only. The
// program folder holds those file sets: Flotilla/<id>/, U-boat/<type name without "/">/ (VIIC41
// for VIIC/41), Crew/<set>/ (two crews), Date/<yyyymmdd>/ (1939 to 1944) and
// Random/0/Date/<yyyymmdd>/, Random/1/Date/<yyyymmdd>/. Some of their files have no game
// counterpart, some spell a folder or file in another letter case than the game ("data/cfg/").
//
// The stand-in game, <root>/Seewolf/stand-in-game.sh, takes the place of Wine and the game: the
// demo's Seewolf.ini names it (quoted) as WineCommand, the command Seewolf runs Windows programs
// with when SEEWOLF_WINE is not set, so that Launch starts the companion, which runs the script in
// the game folder as "stand-in-game.sh <game folder>/sh3.exe". The script prints that the game
// runs, waits SEEWOLF_STANDIN_SECONDS seconds (default 3) and exits 0; the companion then starts
// Seewolf again, which rolls back when AutoRollback is on. On Windows, where the game is started as the
// program it is, the game's sh3.exe is instead a copy of the build's seewolf-stand-in (stand_in.cpp), which
// also says that it runs, waits SEEWOLF_STANDIN_SECONDS seconds (default 3) and exits 0.
//
// With `patrolLogEditor` the program folder also holds a stand-in for the patrol-log editor,
// Kladde.exe. Started through the stand-in game as "stand-in-game.sh <program folder>/Kladde.exe
// ARG...", the script writes "Kladde arguments.txt" beside it, "folder=<working folder>" and then
// "1=<first argument>", "2=...", one line each, and ends at once.
//
// For the reports each completed patrol has the game's log (Log_<n>.cfg, patrol_logs.h says what
// they hold), the game folder names the ship classes of the logs (data/Sea and data/Submarine,
// EnglishNames.cfg and GermanNames.cfg) and lists invented aces (data/Cfg/UboatAces.cfg).
//
// The tests build their worlds with it, the benchmarks their data and scripts/demo the demo.

#include <cstddef>
#include <filesystem>
#include <string>

namespace seewolf::demo {

struct DemoOptions {
    std::filesystem::path root;
    // Copied into <root>/Seewolf/: the program folder of the build (executables and content) or
    // the content folder of the sources. Empty: no program files are copied.
    std::filesystem::path programSource;
    // Start over: remove what an earlier run left under <root>. Without it, the game and the
    // documents are kept as they are (a user's changes stay), only missing parts are written,
    // and the program files are refreshed from programSource; the file sets and the stand-in
    // game are written again in every run. Seewolf.ini, !BACKUP and the logs are never touched.
    bool fresh = true;
    // Also write the patrol-log editor's stand-in, program/Kladde.exe (below). Off for the
    // tests' worlds, whose windows show the editor's menu item only once a test puts it there;
    // seewolf-demo-install writes it.
    bool patrolLogEditor = false;
};

struct DemoWorld {
    std::filesystem::path root;
    std::filesystem::path game;         // with a trailing separator
    std::filesystem::path documents;    // with a trailing separator
    std::filesystem::path program;      // with a trailing separator
    std::filesystem::path standInGame;  // the script that runs in place of Wine (WineCommand)
    // What the run did: files of the world written and kept (they existed), program files copied
    // from programSource, files of the file sets written.
    std::size_t filesWritten = 0;
    std::size_t filesKept = 0;
    std::size_t programFilesCopied = 0;
    std::size_t fileSetFilesWritten = 0;
};

// Writes the world and returns its folders. Throws seewolf::Error on failure.
DemoWorld WriteDemoInstallation(const DemoOptions& options);

// Names of the demo careers, one per state, as the career list shows them.
struct DemoCareers {
    static constexpr const char* InHomeBase = "Hans Kessler";
    static constexpr const char* InOtherBase = "Otto Brandt";  // CrtPort -1
    static constexpr const char* AtSea = "Erich Lenz";
    static constexpr const char* Lost = "Karl Vogel";
    static constexpr const char* Retired = "Wilhelm Dorn";
    static constexpr const char* Surrendered = "Paul Weber";
    static constexpr const char* FirstPatrol = "Jürgen Schäfer";  // UTF-8 here; the folder name on disk
    static constexpr const char* AtSeaNoGrid = "Ludwig Brenner";  // newest save's .psc names no grid; VIIC/41
    static constexpr const char* InBaseNoGrid = "Friedrich Roth";  // next patrol's grid "NULL"; IXC/40
    static constexpr const char* EarlyWar = "Heinz Albrecht";      // in base, October 1939; Type II
    static constexpr const char* NotListed = "Leere Akte";         // a folder the list must skip
    static constexpr const char* Latest = InHomeBase;              // [LATEST CAREER] of Seewolf.ini
};

}  // namespace seewolf::demo
