#pragma once

// A prompter for benchmarks and fuzz targets that run the demo world without a window: every
// question is answered with its first offered button, and nothing is shown.

#include <filesystem>
#include <string_view>

#include "app/prompter.h"

namespace seewolf::demo {

class QuietPrompter : public Prompter {
  public:
    Button ShowMessage(std::string_view, MessageKind, Buttons buttons) override {
        for (unsigned bit = 1; bit != 0 && bit <= buttons.bits; bit <<= 1) {
            if ((buttons.bits & bit) != 0) {
                return static_cast<Button>(bit);
            }
        }
        return Button::None;
    }
    void ShowPlainMessage(std::string_view, std::string_view) override {}
    void SetStatus(std::string_view) override {}
    void HideStatus() override {}
    void SetBusy(bool) override {}
    std::filesystem::path BrowseForFolder(std::string_view, const std::filesystem::path&) override {
        return {};
    }
    std::optional<std::size_t> Choose(std::string_view, const std::vector<std::string>& choices) override {
        return choices.empty() ? std::nullopt : std::optional<std::size_t>(0);
    }
};

}  // namespace seewolf::demo
