#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace seewolf::cli {

// The command-line tool prints UTF-8. A Windows console reads the bytes written to it in its own
// code page (an OEM one such as 850), where "Jürgen" would show as "J├╝rgen"; so while a
// ConsoleText lives, standard output and standard error that are consoles take their text as
// UTF-16 (WriteConsoleW). Redirected into a file or a pipe they stay UTF-8, with the CR LF line
// ends of Windows text. On Linux the terminal takes UTF-8 as it is and nothing changes.
class ConsoleText {
  public:
    ConsoleText();
    ~ConsoleText();
    ConsoleText(const ConsoleText&) = delete;
    ConsoleText& operator=(const ConsoleText&) = delete;

  private:
    struct Stream;
    std::vector<std::unique_ptr<Stream>> m_streams;
};

// The length of the bytes that end with a whole UTF-8 character: a character whose last bytes
// have not come yet stays for the next write, so that no write to the console splits one.
std::size_t WholeCharacters(std::string_view bytes);

}  // namespace seewolf::cli
