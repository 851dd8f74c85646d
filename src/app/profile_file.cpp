#include "app/profile_file.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "app/error.h"
#include "app/numbers.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace seewolf {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kValueLimit = 2047;      // a value is read into 2048 characters
constexpr std::size_t kNameListLimit = 16384;  // name lists: names and zero bytes, a final zero
constexpr std::size_t kCacheEntries = 32;
constexpr std::uint32_t kNoSection = std::numeric_limits<std::uint32_t>::max();

// Blanks around lines, names and values in the file.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v';
}

// Section and key names given to an operation lose surrounding spaces only; a tab is part of
// the name asked for.
std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// LowerCp1252 as a table in this file, so that hashing inlines it.
const std::array<unsigned char, 256> kLower = [] {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c) {
        table[c] = static_cast<unsigned char>(LowerCp1252(static_cast<char>(c)));
    }
    return table;
}();

// Whether the table folds the ASCII bytes as plain ASCII does (A-Z to a-z, nothing else), so that
// eight of them can be folded at once.
const bool kAsciiFoldsPlainly = [] {
    for (int c = 0; c < 128; ++c) {
        const int plain = c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
        if (kLower[static_cast<std::size_t>(c)] != plain) {
            return false;
        }
    }
    return true;
}();

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHigh = 0x8080808080808080ull;

// The high bit of a word's zero bytes set: exact for the lowest zero byte (a borrow can only
// flag bytes above it), so the lowest set bit finds the first one.
std::uint64_t ZeroBytes(std::uint64_t w) {
    return (w - kOnes) & ~w & kHigh;
}

// Up to eight bytes of a name, folded to lower case; bytes past the name are zero (and stay so).
std::uint64_t Folded(std::uint64_t w) {
    if ((w & kHigh) == 0 && kAsciiFoldsPlainly) {
        // Every byte is below 0x80: the high bit of each byte of `upper` is set for A to Z.
        const std::uint64_t atLeastA = w + (0x80 - 'A') * kOnes;
        const std::uint64_t aboveZ = w + (0x7F - 'Z') * kOnes;
        const std::uint64_t upper = (atLeastA ^ aboveZ) & kHigh;
        return w | (upper >> 2);
    }
    std::uint64_t folded = 0;
    for (int shift = 56; shift >= 0; shift -= 8) {
        folded = (folded << 8) | kLower[(w >> shift) & 0xFF];
    }
    return folded;
}

std::uint64_t Word(const char* p) {
    std::uint64_t w = 0;
    std::memcpy(&w, p, 8);
    return w;
}

// The 1 to 8 bytes at p as a little-endian word, from loads that may overlap.
std::uint64_t ShortWord(const char* p, std::size_t n) {
    if (n >= 4) {
        std::uint32_t low = 0;
        std::uint32_t high = 0;
        std::memcpy(&low, p, 4);
        std::memcpy(&high, p + n - 4, 4);
        return low | (static_cast<std::uint64_t>(high) << (8 * (n - 4)));
    }
    const auto byte = [p](std::size_t i) {
        return static_cast<std::uint64_t>(static_cast<unsigned char>(p[i]));
    };
    return byte(0) | (byte(n / 2) << (8 * (n / 2))) | (byte(n - 1) << (8 * (n - 1)));
}

// Hash of a name without regard to letter case: its lower-case bytes taken eight at a time
// (taken a byte at a time, each multiplication waits for the one before, and names are hashed
// for every read). The last word is the name's last eight bytes, overlapping the word before;
// the length is part of the hash, so it is still a function of the folded name.
std::uint32_t HashName(std::string_view name) {
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    const char* p = name.data();
    const std::size_t size = name.size();
    std::uint64_t h = (size + 1) * kMultiplier;
    const auto mix = [&h](std::uint64_t w) {
        h = (h ^ Folded(w)) * kMultiplier;
        h ^= h >> 29;
    };
    if (size <= 8) {
        if (size > 0) {
            mix(ShortWord(p, size));
        }
    } else {
        std::size_t i = 0;
        for (; i + 8 < size; i += 8) {
            mix(Word(p + i));
        }
        mix(Word(p + size - 8));
    }
    h *= 0xBF58476D1CE4E5B9ull;
    return static_cast<std::uint32_t>(h >> 32);
}

// Two names alike without regard to letter case, by the same folding as SameText: compared a
// word at a time, the last word overlapping the one before as in HashName.
bool SameName(std::string_view a, std::string_view b) {
    const std::size_t n = a.size();
    if (n != b.size()) {
        return false;
    }
    const auto same = [](std::uint64_t x, std::uint64_t y) { return x == y || Folded(x) == Folded(y); };
    if (n <= 8) {
        return n == 0 || same(ShortWord(a.data(), n), ShortWord(b.data(), n));
    }
    for (std::size_t i = 0; i + 8 < n; i += 8) {
        if (!same(Word(a.data() + i), Word(b.data() + i))) {
            return false;
        }
    }
    return same(Word(a.data() + n - 8), Word(b.data() + n - 8));
}

// ---- The parsed form of a file ----

enum class LineKind : std::uint8_t { Blank, Comment, Header, Key };

// One line of the file. The lines cover the bytes without gaps: a line runs from `begin` to
// `next`, and its line end (if any) from `end` to `next`. Offsets are 32-bit to keep the table
// small; larger files are not profile files and are read as unreadable.
struct Line {
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
    std::uint32_t next = 0;
    std::uint32_t nameBegin = 0;  // section name of a header, key name of a key line
    std::uint32_t nameLength = 0;
    std::uint32_t valueBegin = 0;  // value of a key line that has "="
    std::uint32_t valueLength = 0;
    std::uint32_t section = kNoSection;  // the section the line belongs to
    LineKind kind = LineKind::Blank;
    bool hasValue = false;
};

struct Section {
    std::uint32_t header = 0;    // line index of the header
    std::uint32_t lineEnd = 0;   // one past the section's last line
    std::uint32_t lastKey = 0;   // the last key line, or the header when there is none
    std::uint32_t keySlots = 0;  // where its key table starts in Document::keySlots
    std::uint32_t keyTable = 0;  // the size of its key table (a power of two), 0 for none
    bool first = false;          // the first section of its name: the only one ever searched
    bool duplicateKeys = false;  // a first section where some key name comes more than once
};

// Open-addressing hash table slot: the hash and the index + 1 of what it names (0 = empty).
struct Slot {
    std::uint32_t hash = 0;
    std::uint32_t index = 0;
};

struct Document {
    std::string bytes;
    std::vector<Line> lines;
    std::vector<Section> sections;   // every header in file order, duplicates included
    std::vector<Slot> sectionSlots;  // first section of each name
    std::vector<Slot> keySlots;      // the key tables of the first sections, one after another

    std::string_view Name(const Line& line) const {
        return std::string_view(bytes).substr(line.nameBegin, line.nameLength);
    }
    std::string_view Value(const Line& line) const {
        return std::string_view(bytes).substr(line.valueBegin, line.valueLength);
    }
};

std::size_t TableSize(std::size_t count) {
    std::size_t size = 16;
    while (size < count * 2) {
        size *= 2;
    }
    return size;
}

// Splits the bytes into lines in one pass; the line rules are those of the Windows profile
// functions (see the header).
void SplitLines(Document& doc) {
    const char* data = doc.bytes.data();
    const std::size_t n = doc.bytes.size();
    doc.lines.reserve(n / 12 + 8);
    std::size_t pos = 0;
    std::uint32_t current = kNoSection;
    while (pos < n) {
        // One scan finds the line's end and its first "=", eight bytes at a time while a whole
        // word is left, then a byte at a time.
        std::size_t end = pos;
        std::size_t eq = n;
        bool found = false;
        for (; end + 8 <= n; end += 8) {
            const std::uint64_t w = Word(data + end);
            const std::uint64_t breaks = ZeroBytes(w ^ (kOnes * '\n')) | ZeroBytes(w ^ (kOnes * '\r'));
            const std::uint64_t equals = eq == n ? ZeroBytes(w ^ (kOnes * '=')) : 0;
            if (equals != 0 && (breaks == 0 || std::countr_zero(equals) < std::countr_zero(breaks))) {
                eq = end + static_cast<std::size_t>(std::countr_zero(equals) / 8);
            }
            if (breaks != 0) {
                end += static_cast<std::size_t>(std::countr_zero(breaks) / 8);
                found = true;
                break;
            }
        }
        for (; !found && end < n; ++end) {
            const char c = data[end];
            if (c == '\n' || c == '\r') {
                break;
            }
            if (c == '=' && eq == n) {
                eq = end;
            }
        }
        std::size_t next = end;
        if (end < n) {
            next = (data[end] == '\r' && end + 1 < n && data[end + 1] == '\n') ? end + 2 : end + 1;
        }

        // Filled in place: building it on the stack and copying it in costs more than the scan.
        const auto index = static_cast<std::uint32_t>(doc.lines.size());
        Line& line = doc.lines.emplace_back();
        line.begin = static_cast<std::uint32_t>(pos);
        line.end = static_cast<std::uint32_t>(end);
        line.next = static_cast<std::uint32_t>(next);
        std::size_t b = pos;
        std::size_t e = end;
        while (b < e && IsBlank(data[b])) {
            ++b;
        }
        while (e > b && IsBlank(data[e - 1])) {
            --e;
        }
        if (b == e) {
            line.kind = LineKind::Blank;
        } else if (data[b] == ';') {
            line.kind = LineKind::Comment;
        } else if (data[b] == '[') {
            // The name runs to the first "]" or, without one, to the line's end; blanks inside
            // the brackets are not part of it.
            const void* close = std::memchr(data + b + 1, ']', e - b - 1);
            std::size_t nb = b + 1;
            std::size_t ne =
                close != nullptr ? static_cast<std::size_t>(static_cast<const char*>(close) - data) : e;
            while (nb < ne && IsBlank(data[nb])) {
                ++nb;
            }
            while (ne > nb && IsBlank(data[ne - 1])) {
                --ne;
            }
            line.kind = LineKind::Header;
            line.nameBegin = static_cast<std::uint32_t>(nb);
            line.nameLength = static_cast<std::uint32_t>(ne - nb);
            current = static_cast<std::uint32_t>(doc.sections.size());
            if (!doc.sections.empty()) {
                doc.sections.back().lineEnd = index;
            }
            doc.sections.push_back({index, index, index});
        } else {
            // A key line; without "=" it is no key, but still part of its section.
            line.kind = LineKind::Key;
            std::size_t nameEnd = e;
            if (eq < e) {
                nameEnd = eq;
                std::size_t vb = eq + 1;
                while (vb < e && IsBlank(data[vb])) {
                    ++vb;
                }
                line.hasValue = true;
                line.valueBegin = static_cast<std::uint32_t>(vb);
                line.valueLength = static_cast<std::uint32_t>(e - vb);
                while (nameEnd > b && IsBlank(data[nameEnd - 1])) {
                    --nameEnd;
                }
            }
            line.nameBegin = static_cast<std::uint32_t>(b);
            line.nameLength = static_cast<std::uint32_t>(nameEnd - b);
            if (current != kNoSection) {
                doc.sections[current].lastKey = index;
            }
        }
        line.section = current;
        pos = next;
    }
    if (!doc.sections.empty()) {
        doc.sections.back().lineEnd = static_cast<std::uint32_t>(doc.lines.size());
    }
}

// Indexes the first section of each name, and in those sections the first key of each name.
// Later duplicates are never searched, so they are left out. Each first section has a key table
// of its own, next to the one before: a reader going through a section's keys finds them in a
// few cache lines.
void BuildIndex(Document& doc) {
    doc.sectionSlots.assign(TableSize(doc.sections.size()), Slot{});
    const std::size_t sectionMask = doc.sectionSlots.size() - 1;
    std::size_t slotCount = 0;
    for (std::uint32_t s = 0; s < doc.sections.size(); ++s) {
        Section& section = doc.sections[s];
        const std::string_view name = doc.Name(doc.lines[section.header]);
        const std::uint32_t hash = HashName(name);
        for (std::size_t i = hash & sectionMask;; i = (i + 1) & sectionMask) {
            Slot& slot = doc.sectionSlots[i];
            if (slot.index == 0) {
                slot = {hash, s + 1};
                section.first = true;
                // At most half full; a section without lines has no table.
                const std::size_t lines = section.lineEnd - section.header - 1;
                std::size_t size = lines == 0 ? 0 : 2;
                while (size != 0 && size < lines * 2) {
                    size *= 2;
                }
                section.keySlots = static_cast<std::uint32_t>(slotCount);
                section.keyTable = static_cast<std::uint32_t>(size);
                slotCount += size;
                break;
            }
            if (slot.hash == hash &&
                SameName(doc.Name(doc.lines[doc.sections[slot.index - 1].header]), name)) {
                break;
            }
        }
    }

    doc.keySlots.assign(slotCount, Slot{});
    for (Section& section : doc.sections) {
        if (section.keyTable == 0) {
            continue;
        }
        Slot* table = doc.keySlots.data() + section.keySlots;
        const std::size_t mask = section.keyTable - 1;
        for (std::uint32_t l = section.header + 1; l < section.lineEnd; ++l) {
            const Line& line = doc.lines[l];
            if (line.kind != LineKind::Key || !line.hasValue) {
                continue;
            }
            const std::string_view name = doc.Name(line);
            const std::uint32_t hash = HashName(name);
            for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
                Slot& slot = table[i];
                if (slot.index == 0) {
                    slot = {hash, l + 1};
                    break;
                }
                if (slot.hash == hash && SameName(doc.Name(doc.lines[slot.index - 1]), name)) {
                    section.duplicateKeys = true;  // an earlier key of the name wins
                    break;
                }
            }
        }
    }
}

std::shared_ptr<const Document> Parse(std::string bytes) {
    auto doc = std::make_shared<Document>();
    doc->bytes = std::move(bytes);
    SplitLines(*doc);
    BuildIndex(*doc);
    return doc;
}

// The first section of that name, or kNoSection. `name` is already trimmed.
std::uint32_t FindSection(const Document& doc, std::string_view name) {
    if (doc.sections.empty()) {
        return kNoSection;
    }
    const std::uint32_t hash = HashName(name);
    const std::size_t mask = doc.sectionSlots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = doc.sectionSlots[i];
        if (slot.index == 0) {
            return kNoSection;
        }
        if (slot.hash == hash && SameName(doc.Name(doc.lines[doc.sections[slot.index - 1].header]), name)) {
            return slot.index - 1;
        }
    }
}

// The first key line of that name in the (first) section, or nullptr.
const Line* FindKey(const Document& doc, std::uint32_t section, std::string_view name) {
    if (section == kNoSection) {
        return nullptr;
    }
    const Section& s = doc.sections[section];
    if (s.keyTable == 0) {
        return nullptr;
    }
    const Slot* table = doc.keySlots.data() + s.keySlots;
    const std::uint32_t hash = HashName(name);
    const std::size_t mask = s.keyTable - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = table[i];
        if (slot.index == 0) {
            return nullptr;
        }
        const Line& line = doc.lines[slot.index - 1];
        if (slot.hash == hash && SameName(doc.Name(line), name)) {
            return &line;
        }
    }
}

std::string Cut(std::string_view text) {
    return std::string(text.substr(0, kValueLimit));
}

// A value as read from its stored text: one pair of matching outer quotes removed, cut to the
// buffer's size.
std::string ReadValue(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return Cut(value);
}

// The value as read, or nothing for a missing key.
std::optional<std::string> ValueOf(const Document& doc, std::uint32_t section, std::string_view key) {
    const Line* line = FindKey(doc, section, key);
    if (line == nullptr) {
        return std::nullopt;
    }
    return ReadValue(doc.Value(*line));
}

// Appends a name to a list that must fit a buffer of kNameListLimit bytes (each name followed by
// a zero byte, and a final zero); false when it does not fit.
bool AddName(std::vector<std::string>& names, std::size_t& used, std::string_view name) {
    if (used + name.size() + 1 > kNameListLimit) {
        return false;
    }
    used += name.size() + 1;
    names.emplace_back(name);
    return true;
}

std::vector<std::string> KeyNames(const Document& doc, std::uint32_t section) {
    std::vector<std::string> names;
    if (section == kNoSection) {
        return names;
    }
    std::size_t used = 1;
    const Section& s = doc.sections[section];
    for (std::uint32_t l = s.header + 1; l < s.lineEnd; ++l) {
        const Line& line = doc.lines[l];
        // Lines without "=" are no keys. An empty name is one ("=value"), but it would end a
        // zero-separated list, so lists leave it out.
        if (line.kind == LineKind::Key && line.hasValue && line.nameLength > 0 &&
            !AddName(names, used, doc.Name(line))) {
            break;
        }
    }
    return names;
}

std::vector<std::string> SectionNames(const Document& doc) {
    std::vector<std::string> names;
    std::size_t used = 1;
    for (const Section& section : doc.sections) {
        const std::string_view name = doc.Name(doc.lines[section.header]);
        if (!name.empty() && !AddName(names, used, name)) {
            break;
        }
    }
    return names;
}

// ---- Changes over a parsed file ----
//
// An Overlay holds what a sequence of writes, deletes and section erases has made of a parsed
// file, without copying it: lines removed or given a new value, key lines added to a section
// (all right after its last key line), new sections at the end, and whether the file's last line
// has gained the line end it lacked. Each change follows the rules of a single operation on the
// file as the changes before it left it; Render gives the bytes.

constexpr std::uint32_t kNoLine = std::numeric_limits<std::uint32_t>::max();

std::string Lower(std::string_view name) {
    std::string lower(name);
    for (char& c : lower) {
        c = static_cast<char>(kLower[static_cast<unsigned char>(c)]);
    }
    return lower;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// A key line that would not read back as the key written: a name with "=" (the line splits at
// it) or one starting with "[" or ";" (a header or a comment). Such a line is added all the same,
// as the Windows functions do; the overlay then parses its bytes again.
bool ReadsAsAnotherKey(std::string_view key) {
    return key.find('=') != std::string_view::npos ||
           (!key.empty() && (key.front() == '[' || key.front() == ';'));
}

struct AddedLine {
    std::string key;
    std::string value;
    bool present = true;
};

// The key lines added to one section, in file order; the present ones indexed by name.
struct AddedLines {
    std::vector<AddedLine> lines;
    std::unordered_map<std::string, std::size_t> index;

    bool Empty() const { return index.empty(); }

    const AddedLine* Find(std::string_view key) const {
        if (index.empty()) {
            return nullptr;
        }
        const auto it = index.find(Lower(key));
        return it == index.end() ? nullptr : &lines[it->second];
    }
    AddedLine* Find(std::string_view key) { return const_cast<AddedLine*>(std::as_const(*this).Find(key)); }
    void Add(std::string_view key, std::string_view value) {
        index[Lower(key)] = lines.size();
        lines.push_back({std::string(key), std::string(value)});
    }
    void Remove(std::string_view key) {
        if (index.empty()) {
            return;
        }
        if (const auto it = index.find(Lower(key)); it != index.end()) {
            lines[it->second].present = false;
            index.erase(it);
        }
    }
    void AppendTo(std::string& out) const {
        for (const AddedLine& line : lines) {
            if (line.present) {
                out.append(line.key).append("=").append(line.value).append("\r\n");
            }
        }
    }
};

// A line of the parsed file that was deleted or given a new value.
struct LineChange {
    bool removed = false;
    std::optional<std::string> value;
};

// Changes to a section of the parsed file.
struct SectionChange {
    std::uint32_t anchor = kNoLine;  // the line the added key lines follow
    std::uint32_t lastKey = 0;       // the section's last key line not deleted, or its header
    AddedLines added;
};

struct NewSection {
    std::string name;
    AddedLines keys;
    bool present = true;
};

class Overlay {
  public:
    explicit Overlay(std::shared_ptr<const Document> base) : m_base(std::move(base)) {}

    // Names are trimmed and checked by the caller.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    void Delete(std::string_view section, std::string_view key);
    void Erase(std::string_view section);
    // The stored value text (blanks around it dropped, as on reading), or nothing.
    std::optional<std::string_view> Value(std::string_view section, std::string_view key) const;
    // The present key lines of a section (the empty name too), in file order, as stored.
    std::vector<ProfileLine> Lines(std::string_view section) const;
    // Whether the section is there, with or without keys.
    bool Has(std::string_view section) const {
        const Place place = Find(section);
        return place.parsed != kNoSection || place.added != kNoSection;
    }
    std::string Render() const;

  private:
    // The first section of a name: one of the parsed file, one added, or neither.
    struct Place {
        std::uint32_t parsed = kNoSection;
        std::uint32_t added = kNoSection;
    };

    const Document& Doc() const { return *m_base; }
    Place Find(std::string_view section) const;
    std::uint32_t FindParsedKey(std::uint32_t section, std::string_view key) const;
    const LineChange* ChangeOf(std::uint32_t line) const;
    bool Removed(std::uint32_t line) const;
    bool Erased(std::uint32_t line) const;
    SectionChange& ChangeOfSection(std::uint32_t section);
    void Reparse();

    std::shared_ptr<const Document> m_base;
    std::map<std::uint32_t, LineChange> m_lines;                // by line
    std::map<std::uint32_t, SectionChange> m_sections;          // by section
    std::vector<bool> m_erased;                                 // by section, once one is erased
    std::unordered_set<std::string> m_erasedNames;              // lower case
    std::vector<NewSection> m_added;                            // in file order
    std::unordered_map<std::string, std::size_t> m_addedIndex;  // lower case, present ones
    bool m_lastLineEnded = false;  // the parsed file's last line has a line end, had it none
};

Overlay::Place Overlay::Find(std::string_view section) const {
    Place place;
    const std::uint32_t s = FindSection(Doc(), section);
    if (s != kNoSection && (m_erased.empty() || !m_erased[s])) {
        place.parsed = s;
    } else if (!m_addedIndex.empty()) {
        if (const auto it = m_addedIndex.find(Lower(section)); it != m_addedIndex.end()) {
            place.added = static_cast<std::uint32_t>(it->second);
        }
    }
    return place;
}

const LineChange* Overlay::ChangeOf(std::uint32_t line) const {
    if (m_lines.empty()) {
        return nullptr;
    }
    const auto it = m_lines.find(line);
    return it == m_lines.end() ? nullptr : &it->second;
}

bool Overlay::Removed(std::uint32_t line) const {
    const LineChange* change = ChangeOf(line);
    return change != nullptr && change->removed;
}

// A header or key line of an erased section (its comments and blank lines stay).
bool Overlay::Erased(std::uint32_t line) const {
    const Line& l = Doc().lines[line];
    return !m_erased.empty() && l.section != kNoSection && m_erased[l.section] &&
           (l.kind == LineKind::Header || l.kind == LineKind::Key);
}

// The first key line of that name still present in a section of the parsed file, or kNoLine.
// Once the first is deleted, a later one of the same name is the first.
std::uint32_t Overlay::FindParsedKey(std::uint32_t section, std::string_view key) const {
    const Document& doc = Doc();
    const Line* found = FindKey(doc, section, key);
    if (found == nullptr) {
        return kNoLine;
    }
    auto l = static_cast<std::uint32_t>(found - doc.lines.data());
    if (!Removed(l)) {
        return l;
    }
    if (!doc.sections[section].duplicateKeys) {
        return kNoLine;
    }
    for (++l; l < doc.sections[section].lineEnd; ++l) {
        const Line& line = doc.lines[l];
        if (line.kind == LineKind::Key && line.hasValue && SameText(doc.Name(line), key) && !Removed(l)) {
            return l;
        }
    }
    return kNoLine;
}

SectionChange& Overlay::ChangeOfSection(std::uint32_t section) {
    const auto [it, added] = m_sections.try_emplace(section);
    if (added) {
        it->second.lastKey = Doc().sections[section].lastKey;
    }
    return it->second;
}

void Overlay::Set(std::string_view section, std::string_view key, std::string_view value) {
    const Document& doc = Doc();
    const Place place = Find(section);
    if (place.parsed != kNoSection) {
        if (const std::uint32_t l = FindParsedKey(place.parsed, key); l != kNoLine) {
            // The line keeps the stored spelling of its name; a last line without line end
            // gets one.
            m_lines[l].value = std::string(value);
            m_lastLineEnded = m_lastLineEnded || doc.lines[l].next == doc.lines[l].end;
            return;
        }
        SectionChange& change = ChangeOfSection(place.parsed);
        if (AddedLine* line = change.added.Find(key)) {
            line->value = value;
            return;
        }
        // Right after the last key line. Lines added before are key lines and follow the last
        // key line of the parsed file, so while one of them is present the new one follows them;
        // otherwise the last parsed key line decides.
        if (change.added.Empty() && change.anchor != change.lastKey) {
            change.added = AddedLines();
            change.anchor = change.lastKey;
        }
        m_lastLineEnded = m_lastLineEnded || doc.lines[change.anchor].next == doc.lines[change.anchor].end;
        change.added.Add(key, value);
    } else if (place.added != kNoSection) {
        AddedLines& keys = m_added[place.added].keys;
        if (AddedLine* line = keys.Find(key)) {
            line->value = value;
            return;
        }
        keys.Add(key, value);
    } else {
        // On a line of its own: the file's last line gets its line end (if it is still there;
        // only that line can lack one).
        m_lastLineEnded = true;
        m_addedIndex[Lower(section)] = m_added.size();
        NewSection& added = m_added.emplace_back();
        added.name = section;
        added.keys.Add(key, value);
        // A "]" in the name ends the header early: the section reads under another name.
        if (section.find(']') != std::string_view::npos) {
            Reparse();
            return;
        }
    }
    if (ReadsAsAnotherKey(key)) {
        Reparse();
    }
}

void Overlay::Delete(std::string_view section, std::string_view key) {
    const Document& doc = Doc();
    const Place place = Find(section);
    if (place.parsed != kNoSection) {
        if (const std::uint32_t l = FindParsedKey(place.parsed, key); l != kNoLine) {
            m_lines[l].removed = true;
            SectionChange& change = ChangeOfSection(place.parsed);
            if (change.lastKey == l) {
                // The last key line before it (a line without "=" counts), or the header.
                const std::uint32_t header = doc.sections[place.parsed].header;
                do {
                    --change.lastKey;
                } while (change.lastKey > header &&
                         (doc.lines[change.lastKey].kind != LineKind::Key || Removed(change.lastKey)));
            }
        } else if (const auto it = m_sections.find(place.parsed); it != m_sections.end()) {
            it->second.added.Remove(key);
        }
    } else if (place.added != kNoSection) {
        m_added[place.added].keys.Remove(key);
    }
}

void Overlay::Erase(std::string_view section) {
    const Document& doc = Doc();
    const std::string lower = Lower(section);
    // Every section of the name goes; one added later is found among the new sections.
    if (m_erasedNames.insert(lower).second) {
        for (std::uint32_t s = 0; s < doc.sections.size(); ++s) {
            if (SameText(doc.Name(doc.lines[doc.sections[s].header]), section)) {
                if (m_erased.empty()) {
                    m_erased.assign(doc.sections.size(), false);
                }
                m_erased[s] = true;
            }
        }
    }
    if (const auto it = m_addedIndex.find(lower); it != m_addedIndex.end()) {
        m_added[it->second].present = false;
        m_addedIndex.erase(it);
    }
}

std::optional<std::string_view> Overlay::Value(std::string_view section, std::string_view key) const {
    const Document& doc = Doc();
    const Place place = Find(section);
    const AddedLine* added = nullptr;
    if (place.parsed != kNoSection) {
        if (const std::uint32_t l = FindParsedKey(place.parsed, key); l != kNoLine) {
            const LineChange* change = ChangeOf(l);
            return change != nullptr && change->value ? TrimBlanks(*change->value) : doc.Value(doc.lines[l]);
        }
        if (const auto it = m_sections.find(place.parsed); it != m_sections.end()) {
            added = it->second.added.Find(key);
        }
    } else if (place.added != kNoSection) {
        added = m_added[place.added].keys.Find(key);
    }
    if (added == nullptr) {
        return std::nullopt;
    }
    return TrimBlanks(added->value);
}

std::vector<ProfileLine> Overlay::Lines(std::string_view section) const {
    const Document& doc = Doc();
    const Place place = Find(section);
    std::vector<ProfileLine> lines;
    const auto addAll = [&lines](const AddedLines& added) {
        for (const AddedLine& line : added.lines) {
            if (line.present) {
                lines.push_back({line.key, std::string(TrimBlanks(line.value))});
            }
        }
    };
    if (place.parsed != kNoSection) {
        const Section& s = doc.sections[place.parsed];
        for (std::uint32_t l = s.header + 1; l < s.lineEnd; ++l) {
            const Line& line = doc.lines[l];
            if (line.kind != LineKind::Key || !line.hasValue) {
                continue;
            }
            const LineChange* change = ChangeOf(l);
            if (change != nullptr && change->removed) {
                continue;
            }
            lines.push_back({std::string(doc.Name(line)), change != nullptr && change->value
                                                              ? std::string(TrimBlanks(*change->value))
                                                              : std::string(doc.Value(line))});
        }
        if (const auto it = m_sections.find(place.parsed); it != m_sections.end()) {
            addAll(it->second.added);
        }
    } else if (place.added != kNoSection) {
        addAll(m_added[place.added].keys);
    }
    return lines;
}

std::string Overlay::Render() const {
    const Document& doc = Doc();
    // The lines that differ from the parsed file's bytes, or are followed by added lines.
    std::vector<std::uint32_t> touched;
    touched.reserve(m_lines.size() + m_sections.size() + 1);
    for (const auto& [line, change] : m_lines) {
        touched.push_back(line);
    }
    std::vector<std::pair<std::uint32_t, const AddedLines*>> blocks;
    for (const auto& [s, change] : m_sections) {
        if (!change.added.Empty() && (m_erased.empty() || !m_erased[s])) {
            blocks.emplace_back(change.anchor, &change.added);
            touched.push_back(change.anchor);
        }
    }
    for (std::uint32_t s = 0; s < m_erased.size(); ++s) {
        if (m_erased[s]) {
            for (std::uint32_t l = doc.sections[s].header; l < doc.sections[s].lineEnd; ++l) {
                touched.push_back(l);
            }
        }
    }
    if (m_lastLineEnded && !doc.lines.empty()) {
        touched.push_back(static_cast<std::uint32_t>(doc.lines.size() - 1));
    }
    std::sort(touched.begin(), touched.end());
    touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
    std::sort(blocks.begin(), blocks.end());

    std::string out;
    out.reserve(doc.bytes.size() + 64 * (blocks.size() + m_added.size()) + 16);
    std::size_t copied = 0;  // bytes of the parsed file handled so far
    auto block = blocks.begin();
    for (const std::uint32_t l : touched) {
        const Line& line = doc.lines[l];
        out.append(doc.bytes, copied, line.begin - copied);
        copied = line.next;
        const LineChange* change = ChangeOf(l);
        if (!Erased(l) && (change == nullptr || !change->removed)) {
            if (change != nullptr && change->value) {
                out.append(doc.Name(line)).append("=").append(*change->value);
            } else {
                out.append(doc.bytes, line.begin, line.end - line.begin);
            }
            if (line.next != line.end) {
                out.append(doc.bytes, line.end, line.next - line.end);
            } else if (m_lastLineEnded) {
                out.append("\r\n");
            }
        }
        if (block != blocks.end() && block->first == l) {
            block->second->AppendTo(out);
            ++block;
        }
    }
    out.append(doc.bytes, copied, std::string::npos);
    for (const NewSection& added : m_added) {
        if (added.present) {
            out.append("[").append(added.name).append("]\r\n");
            added.keys.AppendTo(out);
        }
    }
    return out;
}

// Starts again from the bytes the changes have made, parsed as a file: after a line that does
// not read back as written, the parsed form must say what the line really is.
void Overlay::Reparse() {
    *this = Overlay(Parse(Render()));
}

// ---- The process-wide cache of parsed files ----
//
// Every operation first takes the file's stamp (size, times, identity) and uses a cached parse
// only when the stamp is unchanged. File times are coarse (a kernel tick, whole seconds on some
// file systems), so a rewrite of the same size within one tick leaves the stamp as it was. An
// entry whose file changed too close to the moment the entry was taken is therefore "racy"
// (the rule git uses for its index): its bytes are read again and compared before it is trusted.
// Once a comparison finds them equal and the file has been quiet for the margin, the entry is
// trusted on its stamp alone.
//
// One mutex guards the cache and is held for a whole operation, so a read-modify-write of one
// thread never interleaves with another's (as with the Windows profile functions).

std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

bool Racy(const platform::FileStamp& stamp, std::int64_t takenNs) {
    constexpr std::int64_t kSecond = 1'000'000'000;
    // Times without a fraction of a second come from a file system that keeps whole (or even
    // two) seconds.
    const bool coarse = stamp.modifiedNs % kSecond == 0 && stamp.changedNs % kSecond == 0;
    const std::int64_t margin = coarse ? 2 * kSecond : 50'000'000;
    const std::int64_t newest = std::max(stamp.modifiedNs, stamp.changedNs);
    return newest > takenNs - margin;
}

struct Entry {
    fs::path::string_type key;  // the path as given
    platform::FileStamp stamp;
    std::int64_t takenNs = 0;  // when the stamp was taken (before the bytes were read)
    std::uint64_t lastUse = 0;
    std::shared_ptr<const Document> document;  // shared with the edits made from it
};

struct Cache {
    std::mutex mutex;
    std::vector<Entry> entries;
    std::uint64_t useClock = 0;

    Entry* Find(const fs::path::string_type& key) {
        for (Entry& entry : entries) {
            if (entry.key == key) {
                entry.lastUse = ++useClock;
                return &entry;
            }
        }
        return nullptr;
    }

    void Forget(const fs::path::string_type& key) {
        std::erase_if(entries, [&key](const Entry& entry) { return entry.key == key; });
    }

    const std::shared_ptr<const Document>& Put(const fs::path::string_type& key,
                                               const platform::FileStamp& stamp, std::int64_t takenNs,
                                               std::shared_ptr<const Document> document) {
        Entry* entry = Find(key);
        if (entry == nullptr) {
            if (entries.size() >= kCacheEntries) {
                entries.erase(
                    std::min_element(entries.begin(), entries.end(),
                                     [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; }));
            }
            entry = &entries.emplace_back();
            entry->key = key;
            entry->lastUse = ++useClock;
        }
        entry->stamp = stamp;
        entry->takenNs = takenNs;
        entry->document = std::move(document);
        return entry->document;
    }
};

Cache& TheCache() {
    static Cache cache;
    return cache;
}

const std::shared_ptr<const Document>& EmptyDocument() {
    static const std::shared_ptr<const Document> empty = std::make_shared<const Document>();
    return empty;
}

enum class FileState { Missing, Unreadable, Present };

// The file as an operation finds it. `doc` stays valid until the cache changes.
struct Loaded {
    const std::shared_ptr<const Document>& doc;
    FileState state;
};

// The current contents of the file. The caller holds the cache's mutex.
Loaded Load(Cache& cache, const fs::path& path) {
    const fs::path::string_type& key = path.native();
    const auto stamp = platform::StampOf(path);
    if (!stamp) {
        cache.Forget(key);
        return {EmptyDocument(), FileState::Missing};
    }
    // The moment the entry is taken only has to come before the bytes are read: whatever
    // changes the file after it shows in the stamp or makes the entry racy.
    std::int64_t taken = 0;
    std::optional<std::string> bytes;
    if (Entry* entry = cache.Find(key); entry != nullptr && entry->stamp == *stamp) {
        if (!Racy(*stamp, entry->takenNs)) {
            return {entry->document, FileState::Present};
        }
        taken = NowNs();
        bytes = platform::ReadFile(path);
        if (bytes && *bytes == entry->document->bytes) {
            entry->takenNs = taken;
            return {entry->document, FileState::Present};
        }
    } else {
        taken = NowNs();
        bytes = platform::ReadFile(path);
    }
    if (!bytes || bytes->size() >= std::numeric_limits<std::uint32_t>::max()) {
        cache.Forget(key);
        return {EmptyDocument(), FileState::Unreadable};
    }
    return {cache.Put(key, *stamp, taken, Parse(std::move(*bytes))), FileState::Present};
}

[[noreturn]] void ThrowUnableToWrite(const fs::path& path) {
    throw Error("Unable to write to " + platform::TextFromPath(path));
}

// Writes new contents through a temporary file and a rename, and caches them.
std::shared_ptr<const Document> Store(Cache& cache, const fs::path& path, std::string bytes) {
    const std::int64_t taken = NowNs();
    platform::WriteFileAtomic(path, bytes);
    std::shared_ptr<const Document> doc = Parse(std::move(bytes));
    if (const auto stamp = platform::StampOf(path)) {
        cache.Put(path.native(), *stamp, taken, doc);
    } else {
        cache.Forget(path.native());
    }
    return doc;
}

// Checks a section and key name and a value before they are written, and trims the names.
void CheckWrite(const fs::path& path, std::string_view& section, std::string_view& key,
                std::string_view value) {
    // A line break would end the line early and put the rest of the text on a line of its own,
    // where it could read as a key or even a section of its own.
    if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) {
        throw Error("Cannot write a line break into " + platform::TextFromPath(path));
    }
    section = TrimSpaces(section);
    key = TrimSpaces(key);
    // A tab or vertical tab at a name's end would be dropped when the line is read back, so the
    // name written could never be found again and every write would add another line.
    for (const std::string_view name : {section, key}) {
        if (!name.empty() && (IsBlank(name.front()) || IsBlank(name.back()))) {
            throw Error("Cannot write the name \"" + std::string(name) + "\" into " +
                        platform::TextFromPath(path) + ": a name cannot begin or end with a tab.");
        }
    }
}

// Changes to the file as one operation found it, and what they ask of the writing.
struct Batch {
    explicit Batch(const Loaded& loaded) : state(loaded.state), origin(loaded.doc), overlay(loaded.doc) {}

    void Set(std::string_view section, std::string_view key, std::string_view value) {
        overlay.Set(section, key, value);
        wrote = true;
    }
    void Delete(std::string_view section, std::string_view key) { overlay.Delete(section, key); }
    void Erase(std::string_view section) {
        overlay.Erase(section);
        erased = true;
    }

    FileState state;
    std::shared_ptr<const Document> origin;  // the file as found
    Overlay overlay;
    bool wrote = false;   // a key was written (even with the value it had)
    bool erased = false;  // a section erase was asked for
};

// Writes what the batch made of the file, once, or nothing when the bytes stay as they were
// (a missing file that was written to is created all the same). Refuses a read-only or
// unreadable file as the single operations do. The caller holds the cache's mutex and the batch
// starts from the file's current bytes. Gives the parsed new contents, or nothing.
std::shared_ptr<const Document> WriteBatch(Cache& cache, const fs::path& path, const Batch& batch) {
    if (batch.state == FileState::Unreadable && (batch.wrote || batch.erased)) {
        ThrowUnableToWrite(path);
    }
    const bool present = batch.state == FileState::Present;
    if (batch.wrote && present && platform::IsReadOnly(path)) {
        ThrowUnableToWrite(path);
    }
    std::string bytes = batch.overlay.Render();
    if (bytes == batch.origin->bytes && !(batch.state == FileState::Missing && batch.wrote)) {
        return nullptr;
    }
    if (!batch.wrote && present && platform::IsReadOnly(path)) {
        ThrowUnableToWrite(path);
    }
    return Store(cache, path, std::move(bytes));
}

std::string FormatInteger(int value) {
    char text[16];
    const auto result = std::to_chars(std::begin(text), std::end(text), value);
    return std::string(text, result.ptr);
}

struct Change {
    enum class Kind : std::uint8_t { Write, Delete, Erase };
    Kind kind;
    std::string section;
    std::string key;
    std::string value;
};

}  // namespace

std::string ProfileFile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view def) const {
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    const Document& doc = *Load(cache, m_path).doc;
    auto value = ValueOf(doc, FindSection(doc, TrimSpaces(section)), TrimSpaces(key));
    return value ? std::move(*value) : Cut(def);
}

std::optional<std::string> ProfileFile::FindString(std::string_view section, std::string_view key) const {
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    const Document& doc = *Load(cache, m_path).doc;
    return ValueOf(doc, FindSection(doc, TrimSpaces(section)), TrimSpaces(key));
}

int ProfileFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
    return ParseInteger(ReadString(section, key, "")).value_or(def);
}

bool ProfileFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

double ProfileFile::ReadFloat(std::string_view section, std::string_view key, double def) const {
    const std::string text = ReadString(section, key, "");
    return text.empty() ? def : ParseFloat(text).value_or(def);
}

void ProfileFile::WriteString(std::string_view section, std::string_view key, std::string_view value) const {
    CheckWrite(m_path, section, key, value);
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    Batch batch(Load(cache, m_path));
    batch.Set(section, key, value);
    WriteBatch(cache, m_path, batch);
}

void ProfileFile::WriteInteger(std::string_view section, std::string_view key, int value) const {
    WriteString(section, key, FormatInteger(value));
}

void ProfileFile::WriteBool(std::string_view section, std::string_view key, bool value) const {
    WriteString(section, key, value ? "1" : "0");
}

std::vector<std::string> ProfileFile::ReadSection(std::string_view section) const {
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    const Document& doc = *Load(cache, m_path).doc;
    return KeyNames(doc, FindSection(doc, TrimSpaces(section)));
}

std::vector<std::string> ProfileFile::ReadSections() const {
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    return SectionNames(*Load(cache, m_path).doc);
}

std::vector<std::string> ProfileFile::ReadSectionValues(std::string_view section) const {
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    const Document& doc = *Load(cache, m_path).doc;
    const std::uint32_t s = FindSection(doc, TrimSpaces(section));
    std::vector<std::string> entries = KeyNames(doc, s);
    for (std::string& entry : entries) {
        const auto value = ValueOf(doc, s, entry);
        entry.append("=").append(value ? *value : std::string());
    }
    return entries;
}

bool ProfileFile::SectionExists(std::string_view section) const {
    return !ReadSection(section).empty();
}

bool ProfileFile::ValueExists(std::string_view section, std::string_view key) const {
    const std::string_view wanted = TrimSpaces(key);
    const auto names = ReadSection(section);
    return std::any_of(names.begin(), names.end(),
                       [wanted](const std::string& name) { return SameText(name, wanted); });
}

void ProfileFile::EraseSection(std::string_view section) const {
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    Batch batch(Load(cache, m_path));
    batch.Erase(TrimSpaces(section));
    WriteBatch(cache, m_path, batch);
}

void ProfileFile::DeleteKey(std::string_view section, std::string_view key) const {
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    Batch batch(Load(cache, m_path));
    batch.Delete(TrimSpaces(section), TrimSpaces(key));
    try {
        WriteBatch(cache, m_path, batch);
    } catch (const Error&) {
        // Deleting a key never fails visibly, as with the Windows profile functions.
    }
}

// ---- ProfileText ----

struct ProfileText::Parsed {
    std::shared_ptr<const Document> doc;
};

ProfileText::ProfileText(std::string bytes)
    : m_parsed(std::make_unique<Parsed>(Parsed{Parse(std::move(bytes))})) {}
ProfileText::~ProfileText() = default;
ProfileText::ProfileText(ProfileText&&) noexcept = default;
ProfileText& ProfileText::operator=(ProfileText&&) noexcept = default;

std::string ProfileText::ReadString(std::string_view section, std::string_view key,
                                    std::string_view def) const {
    const Document& doc = *m_parsed->doc;
    auto value = ValueOf(doc, FindSection(doc, TrimSpaces(section)), TrimSpaces(key));
    return value ? std::move(*value) : Cut(def);
}

int ProfileText::ReadInteger(std::string_view section, std::string_view key, int def) const {
    return ParseInteger(ReadString(section, key, "")).value_or(def);
}

// ---- ProfileSnapshot ----

struct ProfileSnapshot::Parsed {
    Parsed(fs::path file, const Loaded& loaded)
        : path(std::move(file)), doc(loaded.doc), state(loaded.state) {}

    // The first section of that name. Readers go through the keys of a section one after
    // another, so the section found last is tried first. Any thread may have stored it; every
    // section stored is the first of its name, so a name alike to its name finds it.
    std::uint32_t SectionOf(std::string_view name) const {
        const std::uint32_t last = lastSection.load(std::memory_order_relaxed);
        if (last != kNoSection && SameName(doc->Name(doc->lines[doc->sections[last].header]), name)) {
            return last;
        }
        const std::uint32_t found = FindSection(*doc, name);
        if (found != kNoSection) {
            lastSection.store(found, std::memory_order_relaxed);
        }
        return found;
    }

    fs::path path;
    std::shared_ptr<const Document> doc;
    FileState state;
    mutable std::atomic<std::uint32_t> lastSection{kNoSection};
};

ProfileSnapshot::ProfileSnapshot(const ProfileFile& file) {
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    m_parsed = std::make_unique<Parsed>(file.Path(), Load(cache, file.Path()));
}

ProfileSnapshot::~ProfileSnapshot() = default;
ProfileSnapshot::ProfileSnapshot(ProfileSnapshot&&) noexcept = default;
ProfileSnapshot& ProfileSnapshot::operator=(ProfileSnapshot&&) noexcept = default;

const fs::path& ProfileSnapshot::Path() const {
    return m_parsed->path;
}

bool ProfileSnapshot::FileFound() const {
    return m_parsed->state == FileState::Present;
}

std::string ProfileSnapshot::ReadString(std::string_view section, std::string_view key,
                                        std::string_view def) const {
    const Document& doc = *m_parsed->doc;
    const Line* line = FindKey(doc, m_parsed->SectionOf(TrimSpaces(section)), TrimSpaces(key));
    return line != nullptr ? ReadValue(doc.Value(*line)) : Cut(def);
}

std::optional<std::string> ProfileSnapshot::FindString(std::string_view section, std::string_view key) const {
    const Document& doc = *m_parsed->doc;
    return ValueOf(doc, m_parsed->SectionOf(TrimSpaces(section)), TrimSpaces(key));
}

int ProfileSnapshot::ReadInteger(std::string_view section, std::string_view key, int def) const {
    return ParseInteger(ReadString(section, key, "")).value_or(def);
}

double ProfileSnapshot::ReadFloat(std::string_view section, std::string_view key, double def) const {
    const std::string text = ReadString(section, key, "");
    return text.empty() ? def : ParseFloat(text).value_or(def);
}

std::vector<std::string> ProfileSnapshot::ReadSections() const {
    return SectionNames(*m_parsed->doc);
}

bool ProfileSnapshot::HasSection(std::string_view section) const {
    return m_parsed->SectionOf(TrimSpaces(section)) != kNoSection;
}

// ---- ProfileEdit ----

struct ProfileEdit::State {
    State(fs::path file, const Loaded& loaded) : path(std::move(file)), batch(loaded) {}

    void Apply(const Change& change) {
        switch (change.kind) {
            case Change::Kind::Write:
                batch.Set(change.section, change.key, change.value);
                break;
            case Change::Kind::Delete:
                batch.Delete(change.section, change.key);
                break;
            case Change::Kind::Erase:
                batch.Erase(change.section);
                break;
        }
    }
    void Record(Change change) {
        Apply(change);
        changes.push_back(std::move(change));
    }

    fs::path path;
    Batch batch;
    std::vector<Change> changes;  // in order, for a file that changes before Commit
};

ProfileEdit::ProfileEdit(const ProfileFile& file) {
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    m_state = std::make_unique<State>(file.Path(), Load(cache, file.Path()));
}

ProfileEdit::~ProfileEdit() = default;
ProfileEdit::ProfileEdit(ProfileEdit&&) noexcept = default;
ProfileEdit& ProfileEdit::operator=(ProfileEdit&&) noexcept = default;

std::string ProfileEdit::ReadString(std::string_view section, std::string_view key,
                                    std::string_view def) const {
    auto value = FindString(section, key);
    return value ? std::move(*value) : Cut(def);
}

std::optional<std::string> ProfileEdit::FindString(std::string_view section, std::string_view key) const {
    const auto value = m_state->batch.overlay.Value(TrimSpaces(section), TrimSpaces(key));
    if (!value) {
        return std::nullopt;
    }
    return ReadValue(*value);
}

int ProfileEdit::ReadInteger(std::string_view section, std::string_view key, int def) const {
    return ParseInteger(ReadString(section, key, "")).value_or(def);
}

std::vector<ProfileLine> ProfileEdit::StoredSectionLines(std::string_view section) const {
    return m_state->batch.overlay.Lines(TrimSpaces(section));
}

bool ProfileEdit::SectionExists(std::string_view section) const {
    return m_state->batch.overlay.Has(TrimSpaces(section));
}

bool ProfileEdit::FileFound() const {
    return m_state->batch.state == FileState::Present;
}

const fs::path& ProfileEdit::Path() const {
    return m_state->path;
}

void ProfileEdit::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    CheckWrite(m_state->path, section, key, value);
    m_state->Record({Change::Kind::Write, std::string(section), std::string(key), std::string(value)});
}

void ProfileEdit::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteString(section, key, FormatInteger(value));
}

void ProfileEdit::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void ProfileEdit::DeleteKey(std::string_view section, std::string_view key) {
    m_state->Record(
        {Change::Kind::Delete, std::string(TrimSpaces(section)), std::string(TrimSpaces(key)), {}});
}

void ProfileEdit::EraseSection(std::string_view section) {
    m_state->Record({Change::Kind::Erase, std::string(TrimSpaces(section)), {}, {}});
}

void ProfileEdit::Commit() {
    State& state = *m_state;
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    const Loaded loaded = Load(cache, state.path);
    const std::shared_ptr<const Document>& origin = state.batch.origin;
    if (loaded.state != state.batch.state || (loaded.doc != origin && loaded.doc->bytes != origin->bytes)) {
        // The file changed since it was read: the same changes on what it holds now.
        Batch current(loaded);
        std::swap(state.batch, current);
        for (const Change& change : state.changes) {
            state.Apply(change);
        }
    }
    std::shared_ptr<const Document> written = WriteBatch(cache, state.path, state.batch);
    const Loaded now{written ? written : state.batch.origin,
                     written ? FileState::Present : state.batch.state};
    state.batch = Batch(now);
    state.changes.clear();
}

std::string ReadRequiredString(const ProfileFile& file, std::string_view section, std::string_view key) {
    if (auto value = file.FindString(section, key)) {
        return std::move(*value);
    }
    const std::string path = platform::TextFromPath(file.Path());
    const std::string name = std::string(TrimSpaces(key));
    const std::string in = "section [" + std::string(TrimSpaces(section)) + "]";
    if (!platform::FileExists(file.Path())) {
        throw Error("The file " + path + " is missing; it should hold the key " + name + " in " + in + ".");
    }
    throw Error("The key " + name + " is missing from " + in + " of " + path + ".");
}

namespace {

std::string PlaceOf(const fs::path& path, std::string_view section, std::string_view key) {
    return platform::TextFromPath(path) + " [" + std::string(section) + "] " + std::string(key);
}

[[noreturn]] void ThrowInvalidNumber(const fs::path& path, std::string_view section, std::string_view key,
                                     const std::string& text, std::string_view what) {
    throw Error("Invalid number in " + PlaceOf(path, TrimSpaces(section), TrimSpaces(key)) + ": \"" + text +
                "\" is not " + std::string(what) + ".");
}

// The checked reads of a file or a snapshot of one.
template <typename Reader>
int CheckedInteger(const Reader& file, std::string_view section, std::string_view key, int def) {
    const std::optional<std::string> text = file.FindString(section, key);
    if (!text) {
        return def;
    }
    if (const auto value = ParseInteger(*text)) {
        return *value;
    }
    ThrowInvalidNumber(file.Path(), section, key, *text, "a whole number");
}

template <typename Reader>
double CheckedFloat(const Reader& file, std::string_view section, std::string_view key, double def) {
    const std::optional<std::string> text = file.FindString(section, key);
    if (!text) {
        return def;
    }
    if (const auto value = ParseFloat(*text)) {
        return *value;
    }
    ThrowInvalidNumber(file.Path(), section, key, *text, "a number");
}

}  // namespace

std::string KeyPlace(const ProfileFile& file, std::string_view section, std::string_view key) {
    return PlaceOf(file.Path(), section, key);
}

std::string KeyPlace(const ProfileSnapshot& file, std::string_view section, std::string_view key) {
    return PlaceOf(file.Path(), section, key);
}

int ReadRequiredInteger(const ProfileFile& file, std::string_view section, std::string_view key) {
    const std::string text = ReadRequiredString(file, section, key);
    if (const auto value = ParseInteger(text)) {
        return *value;
    }
    ThrowInvalidNumber(file.Path(), section, key, text, "a whole number");
}

int ReadCheckedInteger(const ProfileFile& file, std::string_view section, std::string_view key, int def) {
    return CheckedInteger(file, section, key, def);
}

double ReadCheckedFloat(const ProfileFile& file, std::string_view section, std::string_view key, double def) {
    return CheckedFloat(file, section, key, def);
}

int ReadCheckedInteger(const ProfileSnapshot& file, std::string_view section, std::string_view key, int def) {
    return CheckedInteger(file, section, key, def);
}

double ReadCheckedFloat(const ProfileSnapshot& file, std::string_view section, std::string_view key,
                        double def) {
    return CheckedFloat(file, section, key, def);
}

std::vector<ProfileLine> SectionLines(const ProfileFile& file, std::string_view section) {
    std::vector<ProfileLine> lines;
    for (const std::string& entry : file.ReadSectionValues(section)) {
        const std::size_t eq = entry.find('=');
        lines.push_back(
            {entry.substr(0, eq), eq == std::string::npos ? std::string() : entry.substr(eq + 1)});
    }
    return lines;
}

}  // namespace seewolf
