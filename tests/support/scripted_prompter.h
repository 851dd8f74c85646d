#pragma once

// A Prompter for tests: records everything shown and answers from queues.

#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/prompter.h"

namespace seewolf::testing {

class ScriptedPrompter : public Prompter {
  public:
    struct Shown {
        std::string text;
        MessageKind kind;
        Buttons buttons;
    };

    // Answers given in order; when a queue is empty, messages answer Button::Ok (or the first
    // offered button) and the folder chooser answers "cancel".
    std::deque<Button> answers;
    std::deque<std::filesystem::path> folderAnswers;

    std::vector<Shown> messages;
    std::vector<std::string> plainMessages;
    // Status texts in order; a hidden status line is recorded as kHidden.
    static constexpr const char* kHidden = "(status hidden)";
    std::vector<std::string> statuses;
    struct Browse {
        std::string title;
        std::filesystem::path initial;
    };
    std::vector<Browse> browses;
    int busyDepth = 0;
    // Questions asked through Choose, with their choices; answered from `choiceAnswers` (an empty
    // queue cancels).
    struct Choice {
        std::string question;
        std::vector<std::string> choices;
    };
    std::vector<Choice> choiceQuestions;
    std::deque<std::optional<std::size_t>> choiceAnswers;
    // File counts in order, each with the status text it was shown with.
    struct Count {
        std::string status;
        std::size_t done;
        std::size_t total;
    };
    std::vector<Count> progress;

    Button ShowMessage(std::string_view text, MessageKind kind, Buttons buttons) override;
    void ShowPlainMessage(std::string_view title, std::string_view text) override;
    void SetStatus(std::string_view text) override;
    void HideStatus() override;
    void ShowProgress(std::size_t done, std::size_t total) noexcept override;
    void SetBusy(bool busy) override;
    std::filesystem::path BrowseForFolder(std::string_view title,
                                          const std::filesystem::path& initial) override;
    std::optional<std::size_t> Choose(std::string_view question,
                                      const std::vector<std::string>& choices) override;
};

}  // namespace seewolf::testing
