#pragma once

// Profile files ("ini" files): the one layer through which every settings, option, language,
// game and career file is read and written. The game reads and writes the same files with the
// Windows private-profile functions, so this layer behaves as those do:
//
// - A line ends at CR, LF or CR LF. Blanks (space, tab, vertical tab) around a line are not
//   part of it.
// - A section header is a line starting with "["; its name runs to the first "]" or, without
//   one, to the line's end, without the blanks inside the brackets ("[ SETTINGS ]" is SETTINGS).
//   Lines before the first header belong to no section.
// - ";" starts a comment only as the first non-blank character of a line.
// - A key line splits at its first "="; blanks around key and value are dropped. A line without
//   "=" is no key: never read, listed, counted, written or deleted (it stays in the file).
// - An empty name is a name: "=value" is the key "" and "[]" the section "". Name lists leave
//   empty names out, as an empty name would end the Windows zero-separated list.
// - Section and key names given to an operation lose surrounding spaces, nothing else.
// - Names match without regard to letter case. The first matching section and the first
//   matching key in it win; a later section of the same name is never searched.
// - One matching pair of outer double or single quotes is removed from a value on read, and a
//   value is cut to 2047 characters. Key and section name lists stop at 16384 bytes.
// - Writing changes nothing but the line concerned: names keep their stored spelling, a new key
//   goes right after the last key line of its section, a new section at the end of the file.
//   New lines end with CR LF, and so does a replaced last line that had no line end; untouched
//   lines keep their own line ends.
//
// Files are written atomically (temporary file and rename) and keep their permissions; a file
// whose owner may not write it (the read-only attribute) is not written. Parsed files are cached
// by path and checked against the file's size, times and identity before every operation, so
// every operation sees the file's current bytes.
//
// Many changes to one file go through a ProfileEdit, which writes the file once.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace seewolf {

class ProfileFile {
  public:
    explicit ProfileFile(std::filesystem::path path) : m_path(std::move(path)) {}

    const std::filesystem::path& Path() const { return m_path; }

    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    // The value as ReadString reads it, or nothing when the file, section or key is missing (a
    // default cannot tell a missing key from one that holds the default's text).
    std::optional<std::string> FindString(std::string_view section, std::string_view key) const;
    int ReadInteger(std::string_view section, std::string_view key, int def) const;
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;
    double ReadFloat(std::string_view section, std::string_view key, double def) const;

    // Throw Error("Unable to write to <path>") when the file cannot be written.
    void WriteString(std::string_view section, std::string_view key, std::string_view value) const;
    void WriteInteger(std::string_view section, std::string_view key, int value) const;
    void WriteBool(std::string_view section, std::string_view key, bool value) const;

    std::vector<std::string> ReadSection(std::string_view section) const;        // key names
    std::vector<std::string> ReadSections() const;                               // section names
    std::vector<std::string> ReadSectionValues(std::string_view section) const;  // "key=value"
    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;

    // Removes every section of that name: its header and its key lines. Throws like WriteString.
    void EraseSection(std::string_view section) const;
    // Removes the key from the first section of that name; failures are ignored.
    void DeleteKey(std::string_view section, std::string_view key) const;

  private:
    std::filesystem::path m_path;
};

// A profile file's bytes held in memory (a reply from a server), read by the very rules of
// ProfileFile and never written anywhere.
class ProfileText {
  public:
    explicit ProfileText(std::string bytes);
    ~ProfileText();
    ProfileText(ProfileText&&) noexcept;
    ProfileText& operator=(ProfileText&&) noexcept;

    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    int ReadInteger(std::string_view section, std::string_view key, int def) const;

  private:
    struct Parsed;
    std::unique_ptr<Parsed> m_parsed;
};

// A profile file read once: the bytes the file holds when the snapshot is made, parsed once and
// never written. Every read is answered from those bytes by the very rules of ProfileFile, without
// looking at the file again, so a change made to the file after the snapshot is not seen (make a
// new snapshot for that). For readers that walk many keys of one file: one look at the file
// instead of one per key. A missing or unreadable file reads as an empty one.
class ProfileSnapshot {
  public:
    explicit ProfileSnapshot(const ProfileFile& file);
    ~ProfileSnapshot();
    ProfileSnapshot(ProfileSnapshot&&) noexcept;
    ProfileSnapshot& operator=(ProfileSnapshot&&) noexcept;
    ProfileSnapshot(const ProfileSnapshot&) = delete;
    ProfileSnapshot& operator=(const ProfileSnapshot&) = delete;

    const std::filesystem::path& Path() const;
    // Whether the file was there and could be read when the snapshot was made.
    bool FileFound() const;

    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    std::optional<std::string> FindString(std::string_view section, std::string_view key) const;
    int ReadInteger(std::string_view section, std::string_view key, int def) const;
    double ReadFloat(std::string_view section, std::string_view key, double def) const;
    std::vector<std::string> ReadSections() const;  // as ProfileFile::ReadSections
    // Whether a section of that name is there, with or without keys (unlike
    // ProfileFile::SectionExists, which asks for keys).
    bool HasSection(std::string_view section) const;

  private:
    struct Parsed;
    std::unique_ptr<Parsed> m_parsed;
};

// The key lines of a section in file order, each split at its first "=" (which cannot be part of
// a key): what rule files with free key names are read as.
struct ProfileLine {
    std::string key;
    std::string value;
};
std::vector<ProfileLine> SectionLines(const ProfileFile& file, std::string_view section);

// Many changes to one file, written at once. The file is read when the edit is made; each
// WriteString, DeleteKey and EraseSection then changes that parsed file in place by the very
// rules of the single operations of ProfileFile (which are one-change edits themselves), and the
// reads of the edit see the changes made so far. Names and values are checked at once, with the
// errors of ProfileFile::WriteString.
//
// Commit writes the file once, atomically, and nothing when the changes leave its bytes as they
// were. It throws Error("Unable to write to <path>") and leaves the file as it was when the file
// is read-only or unreadable and the edit wrote a key, erased a section or deleted one (unlike
// ProfileFile::DeleteKey, an edit does not ignore a refused delete). A file changed by anyone
// else since it was read gets the same changes, in the same order, on its current bytes, so no
// one's change is lost. After Commit the edit goes on from the file as written. Changes that are
// never committed are dropped.
class ProfileEdit {
  public:
    explicit ProfileEdit(const ProfileFile& file);
    ~ProfileEdit();
    ProfileEdit(ProfileEdit&&) noexcept;
    ProfileEdit& operator=(ProfileEdit&&) noexcept;
    ProfileEdit(const ProfileEdit&) = delete;
    ProfileEdit& operator=(const ProfileEdit&) = delete;

    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    std::optional<std::string> FindString(std::string_view section, std::string_view key) const;
    int ReadInteger(std::string_view section, std::string_view key, int def) const;
    // The key lines of the (first) section of that name as the edit has made them, in file order,
    // with their names and values as stored (blanks around them dropped, quotes kept, no length
    // limit, the empty name included): what moving a section's keys to another section copies
    // unchanged.
    std::vector<ProfileLine> StoredSectionLines(std::string_view section) const;
    // Whether a section of that name is there (with or without keys) as the edit has made it.
    bool SectionExists(std::string_view section) const;
    // Whether the file was there and could be read when the edit read it (or last committed it).
    bool FileFound() const;
    const std::filesystem::path& Path() const;

    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    void WriteBool(std::string_view section, std::string_view key, bool value);
    void DeleteKey(std::string_view section, std::string_view key);
    void EraseSection(std::string_view section);

    void Commit();

  private:
    struct State;
    std::unique_ptr<State> m_state;
};

// For keys a caller cannot go on without. Throw Error naming the file, section and key when the
// key (or the whole file) is missing, and for ReadRequiredInteger when the value is not a whole
// number.
std::string ReadRequiredString(const ProfileFile& file, std::string_view section, std::string_view key);
int ReadRequiredInteger(const ProfileFile& file, std::string_view section, std::string_view key);

// Where a key stands, for messages: "<file> [section] key".
std::string KeyPlace(const ProfileFile& file, std::string_view section, std::string_view key);
std::string KeyPlace(const ProfileSnapshot& file, std::string_view section, std::string_view key);

// For keys with a default: `def` when the key (or the file) is missing; Error naming the file,
// section and key when the value is not a whole number (a number).
int ReadCheckedInteger(const ProfileFile& file, std::string_view section, std::string_view key, int def);
double ReadCheckedFloat(const ProfileFile& file, std::string_view section, std::string_view key, double def);
int ReadCheckedInteger(const ProfileSnapshot& file, std::string_view section, std::string_view key, int def);
double ReadCheckedFloat(const ProfileSnapshot& file, std::string_view section, std::string_view key,
                        double def);

}  // namespace seewolf
