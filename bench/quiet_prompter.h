#pragma once

// A prompter for benchmarks: every message answered with OK, nothing shown.

#include <filesystem>
#include <string_view>

#include "app/prompter.h"

namespace seewolf::bench {

class QuietPrompter : public Prompter {
  public:
    Button ShowMessage(std::string_view, MessageKind, Buttons) override { return Button::Ok; }
    void ShowPlainMessage(std::string_view, std::string_view) override {}
    void SetStatus(std::string_view) override {}
    void HideStatus() override {}
    void SetBusy(bool) override {}
    std::filesystem::path BrowseForFolder(std::string_view, const std::filesystem::path&) override {
        return {};
    }
};

}  // namespace seewolf::bench
