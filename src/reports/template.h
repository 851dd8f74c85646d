#pragma once

// The sentence templates of the language tables ("%s (%s/%s)", "%.0f tons", "%0:s was born in
// %s"), filled with their values. A template and its values come from different places (a table
// a translator edits, the code that reads the career), so every mismatch is an error that names
// the text, never undefined behaviour.

#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace seewolf::reports {

using TemplateValue = std::variant<std::string, long long, double>;

// Directives: "%%" a percent sign; "%" [index ":"] ["." precision] type, where type is
// - "s": a text (precision: at most that many characters);
// - "d": a whole number (precision: at least that many digits, zero-filled);
// - "f": a number with "precision" decimals (2 when none is given), "." as the separator.
// An index picks the value (from 0); the directives after it go on from the next value. Values
// left over are not shown. Throws Error naming `textName` ("program text 219") for a directive of
// another form, a value missing or of the wrong kind, and a number that is not finite.
std::string FillTemplate(std::string_view pattern, std::span<const TemplateValue> values,
                         std::string_view textName);

}  // namespace seewolf::reports
