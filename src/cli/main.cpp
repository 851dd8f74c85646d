#include <iostream>

#include "cli/cli.h"
#include "platform/files.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return seewolf::cli::RunCli(arguments, seewolf::platform::ExecutablePath().parent_path(), std::cout, std::cerr);
}
