#include "app/command_line.h"

#include "platform/encoding.h"

namespace seewolf {

std::vector<std::string> SplitCommandLine(std::string_view raw) {
    std::vector<std::string> arguments;
    std::size_t i = 0;
    while (true) {
        while (i < raw.size() && static_cast<unsigned char>(raw[i]) <= ' ') {
            ++i;
        }
        if (i >= raw.size()) {
            break;
        }
        std::string argument;
        while (i < raw.size() && static_cast<unsigned char>(raw[i]) > ' ') {
            if (raw[i] == '"') {
                ++i;
                while (i < raw.size() && raw[i] != '"') {
                    argument += raw[i++];
                }
                if (i < raw.size()) {
                    ++i;  // the closing quote
                }
            } else {
                argument += raw[i++];
            }
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

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

CommandLine CommandLineFromRaw(std::string_view raw) {
    CommandLine commandLine;
    commandLine.raw = std::string(raw);
    commandLine.arguments = SplitCommandLine(raw);
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
