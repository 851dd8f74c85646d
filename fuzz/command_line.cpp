// The command-line splitter: any raw line splits without fault, and what it gives back is sound:
// no argument holds a double quote, and a line of plain words splits back to those words. The
// shell-style splitter of the game command: words put in single quotes and joined split back to
// the same words.

#include <cstdlib>
#include <string>

#include "platform/processes.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view raw = seewolf::fuzz::AsText(data, size);
    const auto args = seewolf::platform::SplitCommandLine(raw);
    std::size_t kept = 0;
    for (const auto& arg : args) {
        if (arg.find('"') != std::string::npos) {
            std::abort();
        }
        kept += arg.size();
    }
    // Splitting drops quotes and separators only, so no argument text appears from nowhere.
    if (kept > raw.size()) {
        std::abort();
    }
    // Quoting every argument and joining them with blanks splits back to the same arguments.
    std::string joined;
    for (const auto& arg : args) {
        joined += '"' + arg + "\" ";
    }
    if (seewolf::platform::SplitCommandLine(joined) != args) {
        std::abort();
    }
    if (const auto words = seewolf::platform::SplitShellWords(raw)) {
        std::string quoted;
        for (const auto& word : *words) {
            quoted += '\'';
            for (const char c : word) {
                quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
            }
            quoted += "' ";
        }
        if (seewolf::platform::SplitShellWords(quoted) != words) {
            std::abort();
        }
    }
    return 0;
}
