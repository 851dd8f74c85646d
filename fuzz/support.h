#pragma once

// What the fuzz targets share: a scratch folder of the process's own, and the bytes written into
// a file there for the readers that take a path.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

namespace seewolf::fuzz {

// A folder of this process's own, under /dev/shm where it exists (each input is written there),
// created on first use and removed with everything in it when the process ends.
const std::filesystem::path& ScratchFolder();

// Writes the bytes to `name` in the scratch folder (replacing it) and returns its path.
std::filesystem::path WriteScratchFile(std::string_view name, const std::uint8_t* data, std::size_t size);

// The fuzzer's bytes as text.
inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace seewolf::fuzz
