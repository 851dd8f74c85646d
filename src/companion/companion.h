#pragma once

// wachgang: starts the game, waits for it to end, and starts Seewolf again.

#include <string>
#include <vector>

namespace seewolf::companion {

// Runs the companion with its arguments (without the program name): game folder, program folder
// and an optional switch to hand on. Always returns 0.
int RunCompanion(const std::vector<std::string>& arguments);

}  // namespace seewolf::companion
