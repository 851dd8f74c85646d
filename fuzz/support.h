#pragma once

// What the fuzz targets share: a scratch folder of the process's own, and the bytes written into
// a file there for the readers that take a path.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "app/prompter.h"

namespace seewolf::fuzz {

// A folder of this process's own, under /dev/shm where it exists (each input is written there),
// created on first use and removed with everything in it when the process ends.
const std::filesystem::path& ScratchFolder();

// Writes the bytes to `name` in the scratch folder (replacing it) and returns its path.
std::filesystem::path WriteScratchFile(std::string_view name, const std::uint8_t* data, std::size_t size);

// A prompter that answers every question with its first button and shows nothing.
class QuietPrompter : public Prompter {
  public:
    Button ShowMessage(std::string_view text, MessageKind kind, Buttons buttons) override;
    void ShowPlainMessage(std::string_view, std::string_view) override {}
    void SetStatus(std::string_view) override {}
    void HideStatus() override {}
    void SetBusy(bool) override {}
    std::filesystem::path BrowseForFolder(std::string_view, const std::filesystem::path&) override {
        return {};
    }
};

// The fuzzer's bytes as text.
inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace seewolf::fuzz
