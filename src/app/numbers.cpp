#include "app/numbers.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace seewolf {

namespace {

std::optional<int> ParseHex(std::string_view digits) {
    std::uint64_t value = 0;
    const char* end = digits.data() + digits.size();
    const auto result = std::from_chars(digits.data(), end, value, 16);
    if (digits.empty() || result.ec != std::errc() || result.ptr != end || value > 0xFFFFFFFFu) {
        return std::nullopt;
    }
    // Hexadecimal text gives the 32-bit pattern: "$FFFFFFFF" is -1.
    return static_cast<int>(static_cast<std::uint32_t>(value));
}

}  // namespace

// The grammar of Delphi's StrToIntDef (Val) behind the Windows ReadInteger: one optional sign,
// then decimal digits or "$" and hexadecimal digits. A sign applies to "$" numbers too, so
// "-$10" is -16, as Val reads it; a second sign ("+-1", "--1") is not a number. ReadInteger
// also turns a leading "0x"/"0X" of a longer text into "$", so "0x1F" is 31 (and "-0x1F" is
// not a number).
std::optional<int> ParseInteger(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        return ParseHex(text.substr(2));
    }
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (!text.empty() && text[0] == '$') {
        const auto value = ParseHex(text.substr(1));
        if (!value) {
            return std::nullopt;
        }
        return negative ? static_cast<int>(0u - static_cast<std::uint32_t>(*value)) : *value;
    }
    // An unsigned parse takes no second sign.
    std::uint64_t magnitude = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, magnitude, 10);
    if (text.empty() || result.ec != std::errc() || result.ptr != end) {
        return std::nullopt;
    }
    const auto limit = static_cast<std::uint64_t>(std::numeric_limits<int>::max()) + (negative ? 1 : 0);
    if (magnitude > limit) {
        return std::nullopt;
    }
    return negative ? static_cast<int>(-static_cast<std::int64_t>(magnitude)) : static_cast<int>(magnitude);
}

std::optional<double> ParseFloat(std::string_view text) {
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
        negative = digits[0] == '-';
        digits.remove_prefix(1);
    }
    // One sign only ("+-1" is not a number, as for Val), then a plain decimal number: from_chars
    // would also take "inf", "nan" and hex floats.
    if (digits.empty() || !(std::isdigit(static_cast<unsigned char>(digits[0])) || digits[0] == '.')) {
        return std::nullopt;
    }
    double value = 0;
    auto [end, ec] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::general);
    if (ec != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::int64_t RoundHalfEven(double value) {
    return static_cast<std::int64_t>(std::nearbyint(value));
}

std::string FormatFixed(double value, int decimals) {
    // to_chars with fixed precision rounds the exact binary value, so 0.0000005 (stored a little
    // below) gives 0.000000, as the Windows formatting functions do.
    std::array<char, 400> buffer{};
    auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                   std::chars_format::fixed, decimals);
    if (ec != std::errc()) {
        return "0";
    }
    std::string text(buffer.data(), end);
    if (text.starts_with('-') && text.find_first_not_of("-0.") == std::string::npos) {
        text.erase(0, 1);  // no "-0.000000"
    }
    return text;
}

std::string FormatFloat6(double value) {
    return FormatFixed(value, 6);
}

std::string FormatNumber(double value) {
    std::array<char, 64> buffer{};
    auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    if (ec != std::errc()) {
        return "0";
    }
    return std::string(buffer.data(), end);
}

std::string ZeroPad(std::int64_t value, int digits) {
    // The magnitude in unsigned arithmetic, so the smallest value has one too.
    const std::uint64_t magnitude =
        value < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string number = std::to_string(magnitude);
    if (static_cast<int>(number.size()) < digits) {
        number.insert(0, static_cast<std::size_t>(digits) - number.size(), '0');
    }
    return value < 0 ? "-" + number : number;
}

}  // namespace seewolf
