#include <iostream>

#include "cli/cli.h"
#include "platform/files.h"
#include "platform/processes.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments = seewolf::platform::ProcessArguments(argc, argv);
    if (!arguments.empty()) {
        arguments.erase(arguments.begin());
    }
    return seewolf::cli::RunCli(arguments, seewolf::platform::ExecutablePath().parent_path(), std::cout,
                                std::cerr);
}
