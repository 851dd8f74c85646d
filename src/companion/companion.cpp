#include "companion/companion.h"

#include <filesystem>

#include "platform/encoding.h"
#include "platform/processes.h"

namespace seewolf::companion {

int RunCompanion(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return 0;
    }
    const std::string& gameFolder = arguments[0];
    const std::string programFolder = arguments.size() > 1 ? arguments[1] : std::string();
    const std::string handOn = arguments.size() > 2 ? arguments[2] : std::string();

    // The game runs in its own folder, without parameters; its exit code tells nothing Seewolf
    // needs. A game that cannot be started is no reason to stay away: Seewolf comes back at once
    // (and rolls back right away when asked to), told so by /gamenotstarted to say it.
    platform::ProgramCall game;
    game.program = platform::PathFromUtf8(gameFolder) / "sh3.exe";
    game.workingFolder = platform::PathFromUtf8(gameFolder);
    const bool gameRan = platform::StartAndWait(game).has_value();

    // Seewolf comes back with the game folder and the switch handed on. On Windows its command
    // line is this exact text: the folder keeps its trailing backslash inside the quotes, and
    // without a switch the text ends in a blank.
    platform::ProgramCall seewolf;
    seewolf.program = platform::ProgramFile(platform::PathFromUtf8(programFolder), "Seewolf.exe");
    seewolf.arguments.push_back("/i:" + gameFolder);
    if (!handOn.empty()) {
        seewolf.arguments.push_back(handOn);
    }
    seewolf.parameters = "/i:\"" + gameFolder + "\" " + handOn;
    if (!gameRan) {
        seewolf.arguments.emplace_back("/gamenotstarted");
        *seewolf.parameters += (handOn.empty() ? "" : " ") + std::string("/gamenotstarted");
    }
    seewolf.workingFolder = platform::PathFromUtf8(programFolder);
    platform::StartDetached(seewolf);
    return 0;
}

}  // namespace seewolf::companion
