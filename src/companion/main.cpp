#include "companion/companion.h"
#include "platform/processes.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments = seewolf::platform::ProcessArguments(argc, argv);
    if (!arguments.empty()) {
        arguments.erase(arguments.begin());
    }
    return seewolf::companion::RunCompanion(arguments);
}
