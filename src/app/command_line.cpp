#include "app/command_line.h"

#include "platform/encoding.h"
#include "platform/processes.h"

namespace seewolf {

std::optional<std::filesystem::path> CommandLine::GameFolderArgument() const {
    std::optional<std::filesystem::path> folder;
    for (const std::string& argument : arguments) {
        if (argument.starts_with("/i:")) {
            folder = platform::PathFromUtf8(std::string_view(argument).substr(3));
        }
    }
    return folder;
}

bool CommandLine::AutoRollbackAndClose() const {
    return LowerCase(raw).find("/autorollbackandclose") != std::string::npos;
}

bool CommandLine::NoLaunch() const {
    return LowerCase(raw).find("/nolaunch") != std::string::npos;
}

bool CommandLine::GameNotStarted() const {
    return LowerCase(raw).find("/gamenotstarted") != std::string::npos;
}

CommandLine CommandLineFromRaw(std::string_view raw) {
    CommandLine commandLine;
    commandLine.raw = std::string(raw);
    commandLine.arguments = platform::SplitCommandLine(raw);
    return commandLine;
}

CommandLine CommandLineFromArguments(std::vector<std::string> arguments) {
    CommandLine commandLine;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0) {
            commandLine.raw += ' ';
        }
        commandLine.raw += arguments[i];
    }
    commandLine.arguments = std::move(arguments);
    return commandLine;
}

}  // namespace seewolf
