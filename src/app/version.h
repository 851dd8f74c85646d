#pragma once

// The program's version block: eleven named texts compiled in from the project version
// (cmake/version.cmake). The about box and the update check read them by name, so a block
// without one key never hands another key's value to a reader.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace seewolf {

struct VersionEntry {
    std::string key;
    std::string value;
};
using VersionBlock = std::vector<VersionEntry>;

// The block of this build, in the block's order: CompanyName, FileDescription, FileVersion,
// InternalName, LegalCopyright, LegalTradeMarks, OriginalFilename, ProductName,
// ProductVersion, Comments, Release.
const VersionBlock& ProgramVersion();

// The value of `key` (matched without regard to letter case): "(unknown)" when the key is there
// with an empty value, nothing when the block lacks it.
std::optional<std::string> VersionField(const VersionBlock& block, std::string_view key);
// The same, with `fallback` for a missing key.
std::string VersionField(const VersionBlock& block, std::string_view key, std::string_view fallback);
// Every key the block holds with its value as VersionField reads it, in the block's order.
VersionBlock VersionFields(const VersionBlock& block);

// The installed release number: the block's Release as a whole number. Throws Error naming the
// value when it is missing or not a whole number.
int InstalledRelease(const VersionBlock& block);

}  // namespace seewolf
