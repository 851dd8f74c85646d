#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include <QPointer>
#include <QWidget>

#include "app/prompter.h"

class QAbstractButton;

namespace seewolf::ui {

// Message boxes, the folder chooser, the busy cursor and the status line for the logic.
class QtPrompter : public Prompter {
  public:
    explicit QtPrompter(QWidget* parent = nullptr) : m_parent(parent) {}

    void SetParent(QWidget* parent) { m_parent = parent; }
    // Where status texts go: `show` shows one, `hide` hides the line, `progress` adds a file
    // count to it (and must not throw). Unset until the main window exists; status texts given
    // before that (what the start-up had to leave out) are kept and shown, one after the other on
    // the line, when the sink is set.
    void SetStatusSink(std::function<void(std::string_view)> show, std::function<void()> hide,
                       std::function<void(std::size_t, std::size_t)> progress = nullptr);

    Button ShowMessage(std::string_view text, MessageKind kind, Buttons buttons) override;
    Button AskWithDefault(std::string_view text, MessageKind kind, Buttons buttons,
                          Button defaultButton) override;
    void ShowPlainMessage(std::string_view title, std::string_view text) override;
    void SetStatus(std::string_view text) override;
    void HideStatus() override;
    void ShowProgress(std::size_t done, std::size_t total) noexcept override;
    void SetBusy(bool busy) override;
    std::filesystem::path BrowseForFolder(std::string_view title,
                                          const std::filesystem::path& initial) override;
    std::optional<std::size_t> Choose(std::string_view question,
                                      const std::vector<std::string>& choices) override;

  private:
    QPointer<QWidget> m_parent;
    std::function<void(std::string_view)> m_showStatus;
    std::function<void()> m_hideStatus;
    std::string m_pendingStatus;
    std::function<void(std::size_t, std::size_t)> m_showProgress;
};

// Runs an event handler; a seewolf::Error (or any other exception) ends the action and its text
// is shown in the error box, and the program keeps running.
void Guarded(Prompter& prompter, const std::function<void()>& handler);

// Runs `handler` through Guarded whenever `button` is clicked.
void OnClickGuarded(QAbstractButton* button, Prompter& prompter, std::function<void()> handler);

}  // namespace seewolf::ui
