#pragma once

// Numbers are read and written with "." as the decimal separator in every locale.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace seewolf {

// A whole decimal number with an optional sign, or a hexadecimal one written "$1F", "0x1F" or
// "0X1F"; nothing for any other text (blanks or trailing characters included).
std::optional<int> ParseInteger(std::string_view text);

// A decimal number with "." as the separator and an optional exponent; nothing for other text.
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
