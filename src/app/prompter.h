#pragma once

// How the logic talks to the user. The windows implement it with message boxes and the status
// line; the command line prints; tests script the answers.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace seewolf {

enum class MessageKind { Warning, Error, Information, Confirmation, Custom };

enum class Button : unsigned {
    None = 0,
    Ok = 1u << 0,
    Cancel = 1u << 1,
    Abort = 1u << 2,
    Retry = 1u << 3,
    Ignore = 1u << 4,
    Yes = 1u << 5,
    No = 1u << 6,
    YesToAll = 1u << 7,
    NoToAll = 1u << 8,
    Close = 1u << 9,
};

// A set of buttons: Button::Abort | Button::Retry.
struct Buttons {
    unsigned bits = 0;
    constexpr Buttons() = default;
    constexpr Buttons(Button b) : bits(static_cast<unsigned>(b)) {}  // NOLINT: implicit on purpose
    constexpr bool Has(Button b) const { return (bits & static_cast<unsigned>(b)) != 0; }
};
constexpr Buttons operator|(Buttons a, Buttons b) {
    Buttons r;
    r.bits = a.bits | b.bits;
    return r;
}
constexpr Buttons operator|(Button a, Button b) {
    return Buttons(a) | Buttons(b);
}

class Prompter {
  public:
    virtual ~Prompter() = default;

    // The message convention: a beep chosen by the kind, then a modal message of that kind.
    // Returns the button pressed; Button::None when the message was closed without one.
    virtual Button ShowMessage(std::string_view text, MessageKind kind, Buttons buttons) = 0;

    // A question whose answer on a plain Enter is `defaultButton`: No, where a Yes cannot be taken
    // back. A front end without a default answer asks as ShowMessage does.
    virtual Button AskWithDefault(std::string_view text, MessageKind kind, Buttons buttons,
                                  Button /*defaultButton*/) {
        return ShowMessage(text, kind, buttons);
    }

    // A plain message box: OK button, no icon, no beep.
    virtual void ShowPlainMessage(std::string_view title, std::string_view text) = 0;

    // The progress line of the main window: shows `text`.
    virtual void SetStatus(std::string_view text) = 0;
    // Hides the progress line.
    virtual void HideStatus() = 0;

    // How far a long step of the status line's task has come: `done` of `total` files, rising to
    // `total`. Called between file operations (a few hundred times per step at most), so it must
    // not throw: an exception there would stop a launch or roll-back where its own error handling
    // does not expect one. The window adds the count to the status line; others ignore it.
    virtual void ShowProgress(std::size_t /*done*/, std::size_t /*total*/) noexcept {}

    // Busy cursor on or off (nested calls are counted). Use BusyScope.
    virtual void SetBusy(bool busy) = 0;

    // The folder chooser, with `title` as its prompt and `initial` preselected; an empty path
    // when the user cancels.
    virtual std::filesystem::path BrowseForFolder(std::string_view title,
                                                  const std::filesystem::path& initial) = 0;

    // Asks `question` with one line of text per choice; the index of the one picked, nothing when
    // the user cancels. A front end that cannot ask (a terminal) ends the action with an Error
    // showing the question and the choices.
    virtual std::optional<std::size_t> Choose(std::string_view question,
                                              const std::vector<std::string>& choices) = 0;
};

// Busy cursor for the life of a scope.
class BusyScope {
  public:
    explicit BusyScope(Prompter& prompter) : m_prompter(prompter) { m_prompter.SetBusy(true); }
    ~BusyScope() { m_prompter.SetBusy(false); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    Prompter& m_prompter;
};

}  // namespace seewolf
