#pragma once

// The creation steps of the main window that need no window: the running-game check, the
// command line, the folders and the language. The windows and the command-line tool call this
// and then go on with their own steps.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "app/command_line.h"
#include "app/language.h"
#include "app/paths.h"

namespace seewolf {

class Prompter;

struct StartupResult {
    bool proceed = false;  // false: terminate without showing a window
    // Started with /autorollbackandclose: the folders are set; roll back, then end without a window.
    bool rollBackAndClose = false;
    Paths paths;
    Language language;
    CommandLine commandLine;
    std::string caption;  // "Seewolf [<game folder>]"
};

// Runs the steps in their order. `gameRunning` tells whether sh3.exe runs (the platform's
// process check in the program, a stand-in in tests). `documentsFolder`, when given, is used as
// the documents folder instead of the search (the command-line tool's --documents).
// What to do about a command for Windows programs that does not work: where to set it.
std::string WineCommandAdvice(const Paths& paths);

StartupResult RunStartup(const CommandLine& commandLine, const std::filesystem::path& progFolder,
                         Prompter& prompter, const std::function<bool()>& gameRunning,
                         const std::optional<std::filesystem::path>& documentsFolder = std::nullopt);

inline constexpr const char* kApplicationTitle = "Seewolf";

}  // namespace seewolf
