#pragma once

// Text helpers for the Windows-1252 text that the core keeps.

#include <string>
#include <string_view>
#include <vector>

#include "platform/encoding.h"

namespace seewolf {

// Without blanks and tabs at either end.
std::string_view TrimBlanks(std::string_view text);

// Without blanks and control characters at either end (as the text "trim" of the game tools).
std::string_view Trim(std::string_view text);

// The text up to the first `separator` (all of it when there is none), trimmed. Used for values
// such as "Kapitänleutnant ; comment".
std::string CutAt(std::string_view text, char separator);

// Every occurrence of `from` replaced by `to`.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// "%s" replaced by `value` (first occurrence).
std::string Format(std::string_view pattern, std::string_view value);

// Comma text: items separated by ","; an item holding a blank, a control character, a "," or
// a double quote is written in double quotes with inner quotes doubled. When read, quoted items
// lose their quotes and unquoted items also end at a blank.
std::string JoinCommaText(const std::vector<std::string>& items);
std::vector<std::string> SplitCommaText(std::string_view text);

// Lines of a text file: ends at CR, LF or CR LF; no empty item after a final line break.
std::vector<std::string> SplitLines(std::string_view text);

// Text a user typed (UTF-8, from a window or the command line) as the Windows-1252 bytes the
// game's files keep. Throws Error naming the text, as `what` ("commander name"), when it holds a
// character the code page has no place for or is not UTF-8: such a name is refused, never
// stored with "?" in place of its letters.
std::string Cp1252FromUtf8OrThrow(std::string_view utf8, std::string_view what);

// Every line break of a message ("\r\n", or "\r" or "\n" alone, as the game's message boxes show
// them) as one "\n", so that neither a terminal nor a toolkit label mistakes a lone "\r".
std::string MessageLines(std::string_view text);

// Wraps text so that no line is longer than `width` characters where it can break at blanks.
std::string WrapText(std::string_view text, std::size_t width);

}  // namespace seewolf
