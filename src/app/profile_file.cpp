#include "app/profile_file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>

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

// Hash of a name without regard to letter case (FNV-1a over the lower-case bytes).
std::uint32_t HashName(std::string_view name) {
    std::uint32_t hash = 2166136261u;
    for (char c : name) {
        hash ^= kLower[static_cast<unsigned char>(c)];
        hash *= 16777619u;
    }
    return hash;
}

// Hash of a key name within one section, spread over all bits for the open-addressing table.
std::uint32_t HashKey(std::uint32_t nameHash, std::uint32_t section) {
    std::uint32_t x = nameHash ^ ((section + 1) * 0x9E3779B1u);
    x ^= x >> 16;
    x *= 0x85EBCA6Bu;
    x ^= x >> 13;
    return x;
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
    std::uint32_t header = 0;   // line index of the header
    std::uint32_t lineEnd = 0;  // one past the section's last line
    std::uint32_t lastKey = 0;  // the last key line, or the header when there is none
    bool first = false;         // the first section of its name: the only one ever searched
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
    std::vector<Slot> keySlots;      // first key of each name within each first section

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
        // One scan finds the line's end and its first "=" (lines are short: a plain loop beats
        // calls to memchr here).
        std::size_t end = pos;
        std::size_t eq = n;
        for (; end < n; ++end) {
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
            doc.sections.push_back({index, index, index, false});
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
// Later duplicates are never searched, so they are left out.
void BuildIndex(Document& doc) {
    doc.sectionSlots.assign(TableSize(doc.sections.size()), Slot{});
    const std::size_t sectionMask = doc.sectionSlots.size() - 1;
    std::size_t keyCount = 0;
    for (std::uint32_t s = 0; s < doc.sections.size(); ++s) {
        Section& section = doc.sections[s];
        const std::string_view name = doc.Name(doc.lines[section.header]);
        const std::uint32_t hash = HashName(name);
        for (std::size_t i = hash & sectionMask;; i = (i + 1) & sectionMask) {
            Slot& slot = doc.sectionSlots[i];
            if (slot.index == 0) {
                slot = {hash, s + 1};
                section.first = true;
                keyCount += section.lineEnd - section.header - 1;
                break;
            }
            if (slot.hash == hash &&
                SameText(doc.Name(doc.lines[doc.sections[slot.index - 1].header]), name)) {
                break;
            }
        }
    }

    doc.keySlots.assign(TableSize(keyCount), Slot{});
    const std::size_t keyMask = doc.keySlots.size() - 1;
    for (std::uint32_t s = 0; s < doc.sections.size(); ++s) {
        const Section& section = doc.sections[s];
        if (!section.first) {
            continue;
        }
        for (std::uint32_t l = section.header + 1; l < section.lineEnd; ++l) {
            const Line& line = doc.lines[l];
            if (line.kind != LineKind::Key || !line.hasValue) {
                continue;
            }
            const std::string_view name = doc.Name(line);
            const std::uint32_t hash = HashKey(HashName(name), s);
            for (std::size_t i = hash & keyMask;; i = (i + 1) & keyMask) {
                Slot& slot = doc.keySlots[i];
                if (slot.index == 0) {
                    slot = {hash, l + 1};
                    break;
                }
                // Slots of this table only hold lines of first sections; same section and
                // same name means an earlier key already won.
                const Line& other = doc.lines[slot.index - 1];
                if (slot.hash == hash && other.section == s && SameText(doc.Name(other), name)) {
                    break;
                }
            }
        }
    }
}

std::unique_ptr<Document> Parse(std::string bytes) {
    auto doc = std::make_unique<Document>();
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
        if (slot.hash == hash && SameText(doc.Name(doc.lines[doc.sections[slot.index - 1].header]), name)) {
            return slot.index - 1;
        }
    }
}

// The first key line of that name in the (first) section, or nullptr.
const Line* FindKey(const Document& doc, std::uint32_t section, std::string_view name) {
    if (section == kNoSection) {
        return nullptr;
    }
    const std::uint32_t hash = HashKey(HashName(name), section);
    const std::size_t mask = doc.keySlots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = doc.keySlots[i];
        if (slot.index == 0) {
            return nullptr;
        }
        const Line& line = doc.lines[slot.index - 1];
        if (slot.hash == hash && line.section == section && SameText(doc.Name(line), name)) {
            return &line;
        }
    }
}

std::string Cut(std::string_view text) {
    return std::string(text.substr(0, kValueLimit));
}

// The value as read: one pair of matching outer quotes removed, cut to the buffer's size.
// Nothing for a missing key.
std::optional<std::string> ValueOf(const Document& doc, std::uint32_t section, std::string_view key) {
    const Line* line = FindKey(doc, section, key);
    if (line == nullptr) {
        return std::nullopt;
    }
    std::string_view value = doc.Value(*line);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return Cut(value);
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
    std::unique_ptr<Document> document;
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

    const Document& Put(const fs::path::string_type& key, const platform::FileStamp& stamp,
                        std::int64_t takenNs, std::unique_ptr<Document> document) {
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
        return *entry->document;
    }
};

Cache& TheCache() {
    static Cache cache;
    return cache;
}

const Document& EmptyDocument() {
    static const Document empty;
    return empty;
}

enum class FileState { Missing, Unreadable, Present };

struct Loaded {
    const Document& doc;
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
            return {*entry->document, FileState::Present};
        }
        taken = NowNs();
        bytes = platform::ReadFile(path);
        if (bytes && *bytes == entry->document->bytes) {
            entry->takenNs = taken;
            return {*entry->document, FileState::Present};
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
void Store(Cache& cache, const fs::path& path, std::string bytes) {
    const std::int64_t taken = NowNs();
    platform::WriteFileAtomic(path, bytes);
    if (const auto stamp = platform::StampOf(path)) {
        cache.Put(path.native(), *stamp, taken, Parse(std::move(bytes)));
    } else {
        cache.Forget(path.native());
    }
}

// The document's bytes with `length` bytes at `at` replaced by `text`.
std::string Splice(const Document& doc, std::size_t at, std::size_t length, std::string_view text) {
    std::string bytes;
    bytes.reserve(doc.bytes.size() + text.size());
    bytes.append(doc.bytes, 0, at);
    bytes.append(text);
    bytes.append(doc.bytes, at + length, std::string::npos);
    return bytes;
}

}  // namespace

std::string ProfileFile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view def) const {
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    const Document& doc = Load(cache, m_path).doc;
    auto value = ValueOf(doc, FindSection(doc, TrimSpaces(section)), TrimSpaces(key));
    return value ? std::move(*value) : Cut(def);
}

std::optional<std::string> ProfileFile::FindString(std::string_view section, std::string_view key) const {
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    const Document& doc = Load(cache, m_path).doc;
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
    // A line break would end the line early and put the rest of the text on a line of its own,
    // where it could read as a key or even a section of its own.
    if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) {
        throw Error("Cannot write a line break into " + platform::TextFromPath(m_path));
    }
    section = TrimSpaces(section);
    key = TrimSpaces(key);
    // A tab or vertical tab at a name's end would be dropped when the line is read back, so the
    // name written could never be found again and every write would add another line.
    for (const std::string_view name : {section, key}) {
        if (!name.empty() && (IsBlank(name.front()) || IsBlank(name.back()))) {
            throw Error("Cannot write the name \"" + std::string(name) + "\" into " +
                        platform::TextFromPath(m_path) + ": a name cannot begin or end with a tab.");
        }
    }
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    const Loaded loaded = Load(cache, m_path);
    if (loaded.state == FileState::Unreadable ||
        (loaded.state == FileState::Present && platform::IsReadOnly(m_path))) {
        ThrowUnableToWrite(m_path);
    }
    const Document& doc = loaded.doc;
    std::string bytes;
    const std::uint32_t s = FindSection(doc, section);
    if (s == kNoSection) {
        // A new section at the end of the file, on a line of its own.
        bytes.reserve(doc.bytes.size() + section.size() + key.size() + value.size() + 9);
        bytes = doc.bytes;
        if (!bytes.empty() && bytes.back() != '\n' && bytes.back() != '\r') {
            bytes += "\r\n";
        }
        bytes.append("[").append(section).append("]\r\n");
        bytes.append(key).append("=").append(value).append("\r\n");
    } else if (const Line* line = FindKey(doc, s, key)) {
        // Replace the line's text, keeping the stored spelling of the name and the line end; the
        // file's last line gets one when it had none.
        std::string text(doc.Name(*line));
        text.append("=").append(value);
        if (line->next == line->end) {
            text.append("\r\n");
        }
        bytes = Splice(doc, line->begin, line->end - line->begin, text);
    } else {
        // A new key right after the last key line of the section (after its header when it has
        // none), so that blank and comment lines that follow the section stay below it.
        const Line& after = doc.lines[doc.sections[s].lastKey];
        std::string text = after.next == after.end ? "\r\n" : "";  // the file's last line had no end
        text.append(key).append("=").append(value).append("\r\n");
        bytes = Splice(doc, after.next, 0, text);
    }
    if (loaded.state == FileState::Present && bytes == doc.bytes) {
        return;  // nothing changes
    }
    Store(cache, m_path, std::move(bytes));
}

void ProfileFile::WriteInteger(std::string_view section, std::string_view key, int value) const {
    char text[16];
    const auto result = std::to_chars(std::begin(text), std::end(text), value);
    WriteString(section, key, std::string_view(text, static_cast<std::size_t>(result.ptr - text)));
}

void ProfileFile::WriteBool(std::string_view section, std::string_view key, bool value) const {
    WriteString(section, key, value ? "1" : "0");
}

std::vector<std::string> ProfileFile::ReadSection(std::string_view section) const {
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    const Document& doc = Load(cache, m_path).doc;
    return KeyNames(doc, FindSection(doc, TrimSpaces(section)));
}

std::vector<std::string> ProfileFile::ReadSections() const {
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    const Document& doc = Load(cache, m_path).doc;
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

std::vector<std::string> ProfileFile::ReadSectionValues(std::string_view section) const {
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    const Document& doc = Load(cache, m_path).doc;
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
    section = TrimSpaces(section);
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    const Loaded loaded = Load(cache, m_path);
    if (loaded.state == FileState::Missing) {
        return;
    }
    if (loaded.state == FileState::Unreadable) {
        ThrowUnableToWrite(m_path);
    }
    const Document& doc = loaded.doc;
    // Keep every line but the headers and key lines of the sections of that name; their
    // comment and blank lines stay where they are.
    std::string bytes;
    bytes.reserve(doc.bytes.size());
    bool erased = false;
    std::size_t copied = 0;  // bytes of doc.bytes handled so far
    for (const Section& s : doc.sections) {
        if (!SameText(doc.Name(doc.lines[s.header]), section)) {
            continue;
        }
        for (std::uint32_t l = s.header; l < s.lineEnd; ++l) {
            const Line& line = doc.lines[l];
            if (line.kind == LineKind::Header || line.kind == LineKind::Key) {
                bytes.append(doc.bytes, copied, line.begin - copied);
                copied = line.next;
                erased = true;
            }
        }
    }
    if (!erased) {
        return;
    }
    bytes.append(doc.bytes, copied, std::string::npos);
    if (platform::IsReadOnly(m_path)) {
        ThrowUnableToWrite(m_path);
    }
    Store(cache, m_path, std::move(bytes));
}

void ProfileFile::DeleteKey(std::string_view section, std::string_view key) const {
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    const Loaded loaded = Load(cache, m_path);
    const Document& doc = loaded.doc;
    const Line* line = FindKey(doc, FindSection(doc, TrimSpaces(section)), TrimSpaces(key));
    if (line == nullptr || platform::IsReadOnly(m_path)) {
        return;
    }
    try {
        Store(cache, m_path, Splice(doc, line->begin, line->next - line->begin, ""));
    } catch (const Error&) {
        // Deleting a key never fails visibly, as with the Windows profile functions.
    }
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

int ReadRequiredInteger(const ProfileFile& file, std::string_view section, std::string_view key) {
    const std::string text = ReadRequiredString(file, section, key);
    if (const auto value = ParseInteger(text)) {
        return *value;
    }
    throw Error("Invalid number in " + platform::TextFromPath(file.Path()) + " [" +
                std::string(TrimSpaces(section)) + "] " + std::string(TrimSpaces(key)) + ": \"" + text +
                "\" is not a whole number.");
}

}  // namespace seewolf
