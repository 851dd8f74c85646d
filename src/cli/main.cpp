#include <iostream>

#include "cli/cli.h"
#include "cli/console.h"
#include "platform/files.h"
#include "platform/processes.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments = seewolf::platform::ProcessArguments(argc, argv);
    if (!arguments.empty()) {
        arguments.erase(arguments.begin());
    }
    const seewolf::cli::ConsoleText console;
    return seewolf::cli::RunCli(arguments, seewolf::platform::ExecutablePath().parent_path(), std::cout,
                                std::cerr);
}
