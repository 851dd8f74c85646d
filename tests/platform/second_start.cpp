// A second start of a program, for the instance guard's test on Windows: asks the guard of the
// executable path given as argument 1 (UTF-8) and hands the further arguments to the first
// instance's window. Exit code: 0 stopped and handed over, 2 usage, 3 not stopped (this start
// became an instance), 4 the message was not delivered, 5 the guard's error.

#include <cstdio>

#include "platform/encoding.h"
#include "platform/error.h"
#include "platform/instance_guard.h"
#include "platform/processes.h"

int main(int argc, char** argv) {
    namespace platform = seewolf::platform;
    const std::vector<std::string> arguments = platform::ProcessArguments(argc, argv);
    if (arguments.size() < 2) {
        std::fputs("usage: second_start EXECUTABLE [ARGUMENT...]\n", stderr);
        return 2;
    }
    try {
        platform::InstanceGuard guard(platform::PathFromUtf8(arguments[1]));
        if (!guard.AnotherInstanceOwns(platform::InstanceGuard::HandleBeforeWindow(), 1)) {
            return 3;
        }
        const std::vector<std::string> handed(arguments.begin() + 2, arguments.end());
        return platform::ForwardArguments(guard.FirstInstanceHandle(), handed) ? 0 : 4;
    } catch (const seewolf::Error& error) {
        std::fprintf(stderr, "second_start: %s\n", error.what());
        return 5;
    }
}
