#pragma once

// Numbers are read and written with "." as the decimal separator in every locale.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace seewolf {

// The one number grammar of every file and argument, that of the Windows ReadInteger (Delphi's
// StrToIntDef): a whole decimal number or a "$" hexadecimal one with one optional sign ("-$10"
// is -16), or "0x1F"/"0X1F"; nothing for any other text (blanks, a second sign or trailing
// characters included). Hexadecimal gives the 32-bit pattern ("$FFFFFFFF" is -1).
std::optional<int> ParseInteger(std::string_view text);

// A decimal number with one optional sign, "." as the separator and an optional exponent;
// nothing for other text ("+-1", "1,5", "inf").
std::optional<double> ParseFloat(std::string_view text);

// Whole number to nearest, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
std::int64_t RoundHalfEven(double value);

// The pattern "0.000000": six decimals, "." separator, rounded half to even.
std::string FormatFloat6(double value);

// Fixed number of decimals with "." as the separator.
std::string FormatFixed(double value, int decimals);

// Shortest text that reads back as the same number ("4", "18.5").
std::string FormatNumber(double value);

// Whole number zero-filled to at least `digits` digits, as the patterns "000" and "0#" write
// it: 7 with 3 -> "007", 1234 -> "1234", -1 -> "-001".
std::string ZeroPad(std::int64_t value, int digits);

}  // namespace seewolf
