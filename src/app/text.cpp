#include "app/text.h"

#include "app/error.h"

namespace seewolf {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

template <typename Pred>
std::string_view TrimIf(std::string_view text, Pred pred) {
    while (!text.empty() && pred(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && pred(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

std::string Cp1252FromUtf8OrThrow(std::string_view utf8, std::string_view what) {
    std::string converted = Cp1252FromUtf8(utf8);
    // The conversion puts "?" for what it cannot hold (and for malformed UTF-8): the text comes
    // back unchanged exactly when nothing was lost.
    if (Utf8FromCp1252(converted) != utf8) {
        throw Error("The " + std::string(what) + " \"" + converted +
                    "\" cannot be used: the game keeps its names in the Windows-1252 code page, which has no "
                    "place for the characters shown as \"?\". Please use other characters.");
    }
    return converted;
}

std::string_view TrimBlanks(std::string_view text) {
    return TrimIf(text, IsBlank);
}

std::string_view Trim(std::string_view text) {
    return TrimIf(text, IsBlankOrControl);
}

std::string CutAt(std::string_view text, char separator) {
    return std::string(Trim(text.substr(0, text.find(separator))));
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    if (from.empty()) {
        return std::string(text);
    }
    std::string result;
    std::size_t start = 0;
    for (std::size_t at = text.find(from); at != std::string_view::npos; at = text.find(from, start)) {
        result.append(text.substr(start, at - start)).append(to);
        start = at + from.size();
    }
    result.append(text.substr(start));
    return result;
}

std::string Format(std::string_view pattern, std::string_view value) {
    std::string result(pattern);
    if (auto at = result.find("%s"); at != std::string::npos) {
        result.replace(at, 2, value);
    }
    return result;
}

std::string JoinCommaText(const std::vector<std::string>& items) {
    // One empty item would give the empty text, which reads as no item at all.
    if (items.size() == 1 && items.front().empty()) {
        return "\"\"";
    }
    std::string result;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            result += ',';
        }
        const std::string& item = items[i];
        bool quote = false;
        for (char c : item) {
            if (IsBlankOrControl(c) || c == ',' || c == '"') {
                quote = true;
                break;
            }
        }
        if (!quote) {
            result += item;
            continue;
        }
        result += '"';
        for (char c : item) {
            result += c;
            if (c == '"') {
                result += '"';
            }
        }
        result += '"';
    }
    return result;
}

std::vector<std::string> SplitCommaText(std::string_view text) {
    // Blanks and control characters between items are skipped; an unquoted item ends at a
    // comma or a blank; a quoted item ends at its closing quote (doubled quotes stand for one).
    std::vector<std::string> items;
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && IsBlankOrControl(text[i])) {
            ++i;
        }
    };
    skipBlanks();
    if (i >= text.size()) {
        return items;
    }
    while (true) {
        std::string item;
        if (i < text.size() && text[i] == '"') {
            ++i;
            while (i < text.size()) {
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        item += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
        } else {
            while (i < text.size() && text[i] != ',' && !IsBlankOrControl(text[i])) {
                item += text[i++];
            }
        }
        items.push_back(std::move(item));
        skipBlanks();
        if (i < text.size() && text[i] == ',') {
            ++i;
            if (i >= text.size()) {
                items.emplace_back();  // a comma at the very end leaves an empty last item
                break;
            }
            skipBlanks();
            if (i >= text.size()) {
                break;
            }
            continue;
        }
        if (i >= text.size()) {
            break;
        }
        // Text after a blank-ended item starts the next item.
    }
    return items;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < text.size()) {
        lines.emplace_back(text.substr(start));
    }
    return lines;
}

std::string WrapText(std::string_view text, std::size_t width) {
    std::string result;
    std::size_t lineLength = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '\r' || text[i] == '\n') {
            result += text[i];
            lineLength = 0;
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && text[end] != ' ' && text[end] != '\r' && text[end] != '\n') {
            ++end;
        }
        std::string_view word = text.substr(i, end - i);
        if (lineLength > 0 && lineLength + 1 + word.size() > width) {
            result += '\n';
            lineLength = 0;
        } else if (lineLength > 0) {
            result += ' ';
            ++lineLength;
        }
        result += word;
        lineLength += word.size();
        i = end;
        while (i < text.size() && text[i] == ' ') {
            ++i;
        }
    }
    return result;
}

std::string MessageLines(std::string_view text) {
    std::string lines;
    lines.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            lines += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            lines += text[i];
        }
    }
    return lines;
}

}  // namespace seewolf
