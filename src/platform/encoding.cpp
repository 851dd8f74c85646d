#include "platform/encoding.h"

#include <array>
#include <cstdint>

namespace seewolf {

namespace {

// Code points of the bytes 0x80..0x9F. The rest of the upper half (0xA0..0xFF) is Latin-1.
// The five bytes the code page leaves undefined keep their own value (C1 controls).
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

char32_t CodePointOf(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) {
        return kHighControls[byte - 0x80];
    }
    return byte;
}

// The byte for a code point, or '?' when the code page has none.
char ByteOf(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<char>(cp);
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == cp) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

struct CaseTables {
    std::array<char, 256> lower{};
    std::array<char, 256> upper{};
};

constexpr CaseTables MakeCaseTables() {
    CaseTables t;
    for (int i = 0; i < 256; ++i) {
        t.lower[i] = static_cast<char>(i);
        t.upper[i] = static_cast<char>(i);
    }
    auto pair = [&t](int upperByte, int lowerByte) {
        t.lower[upperByte] = static_cast<char>(lowerByte);
        t.upper[lowerByte] = static_cast<char>(upperByte);
    };
    for (int c = 'A'; c <= 'Z'; ++c) {
        pair(c, c + 0x20);
    }
    for (int c = 0xC0; c <= 0xDE; ++c) {
        if (c != 0xD7) {  // the multiplication sign; 0xF7 is the division sign
            pair(c, c + 0x20);
        }
    }
    pair(0x8A, 0x9A);  // S caron
    pair(0x8C, 0x9C);  // OE ligature
    pair(0x8E, 0x9E);  // Z caron
    pair(0x9F, 0xFF);  // Y diaeresis
    // 0xDF (sharp s) has no single upper-case letter in the code page and stays as it is.
    return t;
}

constexpr CaseTables kCase = MakeCaseTables();

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string Utf8FromCp1252(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            AppendUtf8(out, CodePointOf(byte));
        }
    }
    return out;
}

std::string Cp1252FromUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        // Sequence length from the lead byte; 0 for a stray continuation byte or a lead byte
        // that UTF-8 never uses.
        const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                                   : lead >= 0xE0 && lead <= 0xEF ? 3
                                   : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                                  : 0;
        if (length == 0) {
            out += '?';
            ++i;
            continue;
        }
        constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};  // shortest form
        const char32_t minimum = kMinimum[length];
        char32_t cp = lead & (0x7F >> length);
        // Take continuation bytes as far as they go; a broken sequence becomes one '?' and
        // decoding resumes at the first byte that did not belong to it.
        std::size_t taken = 1;
        while (taken < length && i + taken < n &&
               (static_cast<unsigned char>(text[i + taken]) & 0xC0) == 0x80) {
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + taken]) & 0x3F);
            ++taken;
        }
        i += taken;
        const bool valid =
            taken == length && cp >= minimum && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        out += valid ? ByteOf(cp) : '?';
    }
    return out;
}

char LowerCp1252(char c) {
    return kCase.lower[static_cast<unsigned char>(c)];
}

char UpperCp1252(char c) {
    return kCase.upper[static_cast<unsigned char>(c)];
}

std::string LowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = LowerCp1252(c);
    }
    return out;
}

std::string UpperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = UpperCp1252(c);
    }
    return out;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && LowerCp1252(a[i]) != LowerCp1252(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace seewolf

namespace seewolf::platform {

std::filesystem::path PathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace seewolf::platform
