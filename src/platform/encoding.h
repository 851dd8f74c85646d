#pragma once

// Windows-1252, the code page of every text the game and Seewolf keep in their files.

#include <filesystem>
#include <string>
#include <string_view>

namespace seewolf {

// Windows-1252 bytes to UTF-8. The five bytes that the code page leaves undefined map to the
// C1 control characters of the same value, as Windows does.
std::string Utf8FromCp1252(std::string_view text);

// UTF-8 to Windows-1252; characters the code page cannot hold, and malformed UTF-8, become '?'.
std::string Cp1252FromUtf8(std::string_view text);

// Appends one Unicode code point as UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);

// Letter case of Windows-1252 text (ASCII and the accented letters of the code page).
char LowerCp1252(char c);
char UpperCp1252(char c);
std::string LowerCase(std::string_view text);
std::string UpperCase(std::string_view text);

// Equality without regard to letter case.
bool SameText(std::string_view a, std::string_view b);

}  // namespace seewolf

namespace seewolf::platform {

// UTF-8 text (command-line arguments, terminal output, Qt strings) to a native path and back.
// On Linux a path is UTF-8 bytes already; on Windows it is UTF-16 and these convert. Core text
// (Windows-1252) goes through PathFromText / TextFromPath in files.h instead.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace seewolf::platform
