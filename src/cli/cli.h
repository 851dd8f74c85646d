#pragma once

// seewolf-cli: Seewolf's core driven from a terminal.

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace seewolf::cli {

// Runs one command. `arguments` excludes the program name; `progFolder` is the program folder
// (the executable's folder). Output is UTF-8; errors go to `err`. Returns the exit code.
int RunCli(const std::vector<std::string>& arguments, const std::filesystem::path& progFolder,
           std::ostream& out, std::ostream& err);

}  // namespace seewolf::cli
