// The profile-file parser and its writing. The input's first four bytes choose what to write
// and delete; the rest is the file. Every section and key reads without fault, the in-memory
// reader and a snapshot of the file agree with the file reader, and writing one key, deleting one key or
// erasing one section leaves every other key reading as it did, while the key written reads back what was
// written.

#include "app/profile_file.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/error.h"
#include "platform/encoding.h"
#include "support.h"

namespace {

using seewolf::ProfileFile;

struct Entry {
    std::string section;
    std::string key;
    std::string value;
};

[[noreturn]] void Fail() {
    std::abort();
}

// Every key of every listed section with the value it reads, reading each through every reader;
// the first 256 keys, as every operation on a file just written reads it again.
std::vector<Entry> ReadAll(const ProfileFile& file, const seewolf::ProfileText* text,
                           const seewolf::ProfileSnapshot* snapshot) {
    std::vector<Entry> entries;
    const std::vector<std::string> sections = file.ReadSections();
    if (snapshot != nullptr && snapshot->ReadSections() != sections) {
        Fail();
    }
    for (const std::string& section : sections) {
        if (entries.size() >= 256) {
            break;
        }
        const std::vector<std::string> keys = file.ReadSection(section);
        const std::vector<std::string> values = file.ReadSectionValues(section);
        const std::vector<seewolf::ProfileLine> lines = seewolf::SectionLines(file, section);
        if (values.size() != keys.size() || lines.size() != keys.size()) {
            Fail();
        }
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const std::string& key = keys[i];
            const std::optional<std::string> value = file.FindString(section, key);
            if (!value || value->size() > 2047 || lines[i].key != key || lines[i].value != *value ||
                values[i] != key + "=" + *value || (i == 0 && !file.ValueExists(section, key))) {
                Fail();
            }
            const int number = file.ReadInteger(section, key, -7);
            static_cast<void>(file.ReadFloat(section, key, 0.5));
            if (i == 0) {
                static_cast<void>(file.ReadBool(section, key, false));
                if (file.ReadString(section, key, "default") != *value) {
                    Fail();
                }
            }
            if (text != nullptr && (text->ReadString(section, key, "default") != *value ||
                                    text->ReadInteger(section, key, -7) != number)) {
                Fail();
            }
            if (snapshot != nullptr &&
                (snapshot->FindString(section, key) != value ||
                 snapshot->ReadInteger(section, key, -7) != number || !snapshot->HasSection(section))) {
                Fail();
            }
            entries.push_back({section, key, *value});
        }
    }
    return entries;
}

// Each entry still reads as it did, unless `changed` says it is the one changed.
template <typename Changed>
void CheckUnchanged(const ProfileFile& file, const std::vector<Entry>& before, Changed changed) {
    for (const Entry& entry : before) {
        if (!changed(entry) && file.FindString(entry.section, entry.key) != entry.value) {
            Fail();
        }
    }
}

// Bytes of the input as a name that can be written and read back: no line break, no character
// that would end it early, no blanks at its ends, and not empty.
std::string NameFrom(std::string_view bytes, std::string_view forbidden, std::string_view fallback) {
    std::string name;
    for (char c : bytes) {
        if (c != '\r' && c != '\n' && forbidden.find(c) == std::string_view::npos) {
            name += c;
        }
    }
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t' || name.back() == '\v')) {
        name.pop_back();
    }
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t' || name.front() == '\v')) {
        name.erase(0, 1);
    }
    return name.empty() ? std::string(fallback) : name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) {
        return 0;
    }
    // A file just written is read again by every operation (its time stamp cannot yet tell a
    // change), so large inputs would make each run slow: their beginning is enough here, and the
    // tests read huge files.
    size = std::min<std::size_t>(size, 8192);
    const std::uint8_t pickSection = data[0];
    const std::uint8_t pickKey = data[1];
    const std::uint8_t flags = data[2];
    const std::uint8_t pickSlice = data[3];
    const std::string_view bytes = seewolf::fuzz::AsText(data + 4, size - 4);
    const std::filesystem::path path = seewolf::fuzz::WriteScratchFile("fuzz.ini", data + 4, size - 4);
    const ProfileFile file(path);
    const seewolf::ProfileText text{std::string(bytes)};
    const seewolf::ProfileSnapshot snapshot(file);

    const std::vector<Entry> before = ReadAll(file, &text, &snapshot);
    const std::vector<std::string> sections = file.ReadSections();

    // A slice of the input for new names and values.
    const std::size_t sliceBegin = bytes.empty() ? 0 : pickSlice % bytes.size();
    const std::string_view slice = bytes.substr(sliceBegin, 24);

    // The section: a listed one, or a new name.
    std::string section;
    if (!sections.empty() && (flags & 1) == 0) {
        section = sections[pickSection % sections.size()];
    } else {
        section = NameFrom(slice, "]", "s");
    }
    std::string key;
    const std::vector<std::string> keys = file.ReadSection(section);
    if (!keys.empty() && (flags & 2) == 0) {
        key = keys[pickKey % keys.size()];
    } else {
        key = NameFrom(slice.substr(slice.size() / 2), "=", "k");
        if (key.front() == '[' || key.front() == ';') {
            key.insert(0, "k");  // would read as a header or a comment
        }
    }
    // The value: no line break, no blanks at its ends, no outer pair of quotes; long ones are cut.
    std::string value = NameFrom(slice, "", "");
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value += 'x';
    }
    if ((flags & 4) != 0) {
        value = std::string(2000 + pickKey * 3, 'v') + value;
    }
    const auto same = [](std::string_view a, std::string_view b) { return seewolf::SameText(a, b); };

    try {
        file.WriteString(section, key, value);
    } catch (const seewolf::Error&) {
        Fail();  // the names and value were made writable
    }
    const std::optional<std::string> written = file.FindString(section, key);
    if (written != value.substr(0, 2047)) {
        Fail();
    }
    const auto isWritten = [&](const Entry& e) { return same(e.section, section) && same(e.key, key); };
    CheckUnchanged(file, before, isWritten);
    // The file as written reads as a whole again, through both readers.
    const std::vector<Entry> afterWrite = ReadAll(file, nullptr, nullptr);

    if ((flags & 8) != 0) {
        // Deleting a key leaves every other key as it was.
        const std::vector<std::string> names = file.ReadSection(section);
        const std::string& gone = names.empty() ? key : names[pickKey % names.size()];
        file.DeleteKey(section, gone);
        CheckUnchanged(file, afterWrite,
                       [&](const Entry& e) { return same(e.section, section) && same(e.key, gone); });
    } else {
        // Erasing a section leaves every key of the other sections as it was, and none of its own.
        file.EraseSection(section);
        if (file.SectionExists(section) || file.FindString(section, key)) {
            Fail();
        }
        CheckUnchanged(file, afterWrite, [&](const Entry& e) { return same(e.section, section); });
    }
    ReadAll(file, nullptr, nullptr);
    // The snapshot still reads the file as it was before the changes.
    for (const Entry& entry : before) {
        if (snapshot.FindString(entry.section, entry.key) != entry.value) {
            Fail();
        }
    }
    return 0;
}
