#pragma once

#include <functional>

#include <QPointer>
#include <QWidget>

#include "app/prompter.h"

namespace seewolf::ui {

// Message boxes, the folder chooser, the busy cursor and the status line for the logic.
class QtPrompter : public Prompter {
  public:
    // `status` shows a status text; "^" hides it. May be empty until the main window exists.
    explicit QtPrompter(QWidget* parent = nullptr) : m_parent(parent) {}

    void SetParent(QWidget* parent) { m_parent = parent; }
    void SetStatusSink(std::function<void(std::string_view)> sink) { m_statusSink = std::move(sink); }

    Button ShowMessage(std::string_view text, MessageKind kind, Buttons buttons) override;
    void ShowPlainMessage(std::string_view title, std::string_view text) override;
    void SetStatus(std::string_view text) override;
    void SetBusy(bool busy) override;
    std::filesystem::path BrowseForFolder(std::string_view title,
                                          const std::filesystem::path& initial) override;

  private:
    QPointer<QWidget> m_parent;
    std::function<void(std::string_view)> m_statusSink;
};

// Runs an event handler; a seewolf::Error (or any other exception) ends the action and its text
// is shown in the error box, and the program keeps running.
void Guarded(Prompter& prompter, const std::function<void()>& handler);

}  // namespace seewolf::ui
