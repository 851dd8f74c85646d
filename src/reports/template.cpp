#include "reports/template.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "app/error.h"
#include "app/numbers.h"

namespace seewolf::reports {

namespace {

// Long enough for any sentence; a larger precision or index is a typing error in the table.
constexpr int kLargestNumber = 999;

const char* KindOf(const TemplateValue& value) {
    return std::holds_alternative<std::string>(value) ? "a text"
           : std::holds_alternative<long long>(value) ? "a whole number"
                                                      : "a number with decimals";
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads the digits at `at` as a number of at most three digits; nothing when there are none.
int ReadSmallNumber(std::string_view pattern, std::size_t& at, bool& found) {
    int number = 0;
    found = false;
    while (at < pattern.size() && IsDigit(pattern[at])) {
        number = number * 10 + (pattern[at] - '0');
        found = true;
        ++at;
        if (number > kLargestNumber) {
            return -1;
        }
    }
    return number;
}

}  // namespace

std::string FillTemplate(std::string_view pattern, std::span<const TemplateValue> values,
                         std::string_view textName) {
    const auto fail = [&](const std::string& why) -> Error {
        return Error("The " + std::string(textName) + " of the language tables, \"" + std::string(pattern) +
                     "\", does not fit the values Seewolf gives it: " + why +
                     ". Correct the text in the table (or reinstall Seewolf's tables).");
    };
    std::string text;
    text.reserve(pattern.size() + 32);
    std::size_t next = 0;  // the value of the next directive without an index
    for (std::size_t at = 0; at < pattern.size(); ++at) {
        if (pattern[at] != '%') {
            text += pattern[at];
            continue;
        }
        const std::size_t start = at++;
        if (at < pattern.size() && pattern[at] == '%') {
            text += '%';
            continue;
        }
        bool found = false;
        std::size_t index = next;
        const int number = ReadSmallNumber(pattern, at, found);
        if (found) {
            if (number < 0 || at >= pattern.size() || pattern[at] != ':') {
                throw fail("\"" + std::string(pattern.substr(start, at - start + 1)) + "\" is no directive");
            }
            index = static_cast<std::size_t>(number);
            ++at;
        }
        int precision = -1;
        if (at < pattern.size() && pattern[at] == '.') {
            ++at;
            precision = ReadSmallNumber(pattern, at, found);
            if (!found || precision < 0) {
                throw fail("\"" + std::string(pattern.substr(start, at - start + 1)) + "\" is no directive");
            }
        }
        if (at >= pattern.size()) {
            throw fail("it ends in the middle of a directive");
        }
        const char type = pattern[at];
        const std::string directive(pattern.substr(start, at - start + 1));
        if (type != 's' && type != 'd' && type != 'f') {
            throw fail("\"" + directive + "\" is no directive (known: %s, %d, %f, %.2f, %0:s, %%)");
        }
        if (index >= values.size()) {
            throw fail("\"" + directive + "\" asks for value " + std::to_string(index + 1) + " of " +
                       std::to_string(values.size()));
        }
        const TemplateValue& value = values[index];
        next = index + 1;
        const auto mismatch = [&](const char* wanted) {
            return fail("\"" + directive + "\" asks for " + wanted + ", but value " +
                        std::to_string(index + 1) + " is " + KindOf(value));
        };
        if (type == 's') {
            const std::string* s = std::get_if<std::string>(&value);
            if (s == nullptr) {
                throw mismatch("a text");
            }
            text += precision >= 0 ? s->substr(0, static_cast<std::size_t>(precision)) : *s;
        } else if (type == 'd') {
            const long long* n = std::get_if<long long>(&value);
            if (n == nullptr) {
                throw mismatch("a whole number");
            }
            text += ZeroPad(static_cast<std::int64_t>(*n), precision < 0 ? 1 : precision);
        } else {
            const double* x = std::get_if<double>(&value);
            if (x == nullptr) {
                throw mismatch("a number with decimals");
            }
            if (!std::isfinite(*x)) {
                throw fail("the value for \"" + directive + "\" is not a finite number");
            }
            text += FormatFixed(*x, precision < 0 ? 2 : precision);
        }
    }
    return text;
}

}  // namespace seewolf::reports
