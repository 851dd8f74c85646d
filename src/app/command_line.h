#pragma once

// Seewolf's command line.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace seewolf {

// Arguments are UTF-8 text on every system (Windows' wide command line is converted).
struct CommandLine {
    std::vector<std::string> arguments;  // argument 0 is the executable's path
    std::string raw;                     // the whole command line as one text

    // The folder of the last argument starting exactly with "/i:" (argument 0 included).
    std::optional<std::filesystem::path> GameFolderArgument() const;
    // "/autorollbackandclose" anywhere in the command line, in any letter case.
    bool AutoRollbackAndClose() const;
    // "/nolaunch" anywhere in the command line, in any letter case: prepare a launch without
    // starting the game.
    bool NoLaunch() const;
    // "/gamenotstarted" anywhere, in any letter case: the companion could not start the game and
    // says so on bringing Seewolf back.
    bool GameNotStarted() const;
};

// From the raw command line of Windows, split as platform::SplitCommandLine does.
CommandLine CommandLineFromRaw(std::string_view raw);
// From an argument list as POSIX systems pass it; the raw text is the arguments joined by blanks.
CommandLine CommandLineFromArguments(std::vector<std::string> arguments);

}  // namespace seewolf
