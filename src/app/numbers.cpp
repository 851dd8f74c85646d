#include "app/numbers.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace seewolf {

namespace {

std::optional<int> ParseHex(std::string_view digits) {
    if (digits.empty()) {
        return std::nullopt;
    }
    unsigned int value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (ec != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    // Eight hex digits fill all 32 bits, as "$FFFFFFFF" reads -1.
    return static_cast<int>(value);
}

}  // namespace

std::optional<int> ParseInteger(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        return ParseHex(text.substr(2));
    }
    if (!text.empty() && text[0] == '$') {
        return ParseHex(text.substr(1));
    }
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
        negative = digits[0] == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty() || digits[0] == '-' || digits[0] == '+') {
        return std::nullopt;
    }
    long long value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 10);
    if (ec != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    if (negative) {
        value = -value;
    }
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

std::optional<double> ParseFloat(std::string_view text) {
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
        negative = digits[0] == '-';
        digits.remove_prefix(1);
    }
    // Only plain decimal numbers: from_chars would also take "inf", "nan" and hex floats.
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
    std::string number = std::to_string(value < 0 ? -value : value);
    if (static_cast<int>(number.size()) < digits) {
        number.insert(0, static_cast<std::size_t>(digits) - number.size(), '0');
    }
    return value < 0 ? "-" + number : number;
}

}  // namespace seewolf
