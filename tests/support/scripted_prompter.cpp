#include "support/scripted_prompter.h"

namespace seewolf::testing {

Button ScriptedPrompter::ShowMessage(std::string_view text, MessageKind kind, Buttons buttons) {
    messages.push_back({std::string(text), kind, buttons});
    if (!answers.empty()) {
        const Button answer = answers.front();
        answers.pop_front();
        return answer;
    }
    if (buttons.Has(Button::Ok) || buttons.bits == 0) {
        return Button::Ok;
    }
    for (unsigned bit = 1; bit != 0; bit <<= 1) {
        if ((buttons.bits & bit) != 0) {
            return static_cast<Button>(bit);
        }
    }
    return Button::None;
}

void ScriptedPrompter::ShowPlainMessage(std::string_view title, std::string_view text) {
    plainMessages.push_back(std::string(title) + "\n" + std::string(text));
}

void ScriptedPrompter::SetStatus(std::string_view text) {
    statuses.emplace_back(text);
}

void ScriptedPrompter::HideStatus() {
    statuses.emplace_back(kHidden);
}

void ScriptedPrompter::ShowProgress(std::size_t done, std::size_t total) noexcept {
    progress.push_back({statuses.empty() ? std::string() : statuses.back(), done, total});
}

void ScriptedPrompter::SetBusy(bool busy) {
    busyDepth += busy ? 1 : -1;
}

std::filesystem::path ScriptedPrompter::BrowseForFolder(std::string_view title,
                                                        const std::filesystem::path& initial) {
    browses.push_back({std::string(title), initial});
    if (folderAnswers.empty()) {
        return {};
    }
    std::filesystem::path answer = folderAnswers.front();
    folderAnswers.pop_front();
    return answer;
}

std::optional<std::size_t> ScriptedPrompter::Choose(std::string_view question,
                                                    const std::vector<std::string>& choices) {
    choiceQuestions.push_back({std::string(question), choices});
    if (choiceAnswers.empty()) {
        return std::nullopt;
    }
    const std::optional<std::size_t> answer = choiceAnswers.front();
    choiceAnswers.pop_front();
    return answer;
}

}  // namespace seewolf::testing
