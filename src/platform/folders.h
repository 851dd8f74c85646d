#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace seewolf::platform {

// Value of an environment variable (UTF-8 on Windows, the bytes as set on Linux), or nothing
// when it is not set.
std::optional<std::string> EnvironmentValue(const char* name);

// The user's home folder (empty when unknown).
std::filesystem::path HomeFolder();

// The user's documents folder as the desktop reports it: on Windows the "personal" special
// folder; on Linux XDG_DOCUMENTS_DIR from the user-dirs file, else ~/Documents.
std::filesystem::path UserDocumentsFolder();

// On Windows the text value of a key of the local-machine registry hive (empty when missing).
// On Linux there is no registry of the system's own; the Wine prefix is read by the core.
std::string ReadMachineRegistryString(const std::string& key, const std::string& valueName);

}  // namespace seewolf::platform
