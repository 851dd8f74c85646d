#pragma once

// The stand-in program (tools/demo/stand_in.cpp) in the place of the programs that Seewolf and its
// companion start, and what it recorded of each start.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_world.h"

namespace seewolf::testing {

// One start of a stand-in.
struct StandInStart {
    std::string program;                 // Windows: its program file; Linux: its argument 0
    std::string folder;                  // its working folder
    std::string command;                 // Windows: its raw command line
    std::vector<std::string> arguments;  // Linux: its arguments after argument 0
    std::optional<int> end;              // its exit code, once it has ended
};

// Sets the stand-ins' environment for the life of the object: they record into a file in
// `folder` and wait `seconds`; on Linux the stand-in is also the Wine command (SEEWOLF_WINE),
// so that a Windows program started there reaches it as its first argument.
class StandIns {
  public:
    StandIns(const std::filesystem::path& folder, const char* seconds);
    // Copies the stand-in to `program` (executable on Linux).
    static void Place(const std::filesystem::path& program);
    // The starts recorded so far, in their order.
    std::vector<StandInStart> Starts() const;
    // The starts, once `count` of them have ended (or after ten seconds, as they are then).
    std::vector<StandInStart> WaitForEnded(std::size_t count) const;

  private:
    std::filesystem::path m_record;
    EnvVar m_recordVar;
    EnvVar m_secondsVar;
    EnvVar m_exitVar;
    EnvVar m_wineVar;
};

}  // namespace seewolf::testing
