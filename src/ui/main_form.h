#pragma once

#include <QWidget>

#include <memory>

#include "app/startup.h"

namespace Ui {
class TfrmMainForm;
}

namespace seewolf {
class Random;
}

namespace seewolf::ui {

class QtPrompter;

// The main window: the career tree on the left, the selected career on the right, the buttons
// along the bottom.
class TfrmMainForm : public QWidget {
    Q_OBJECT
public:
    TfrmMainForm(const StartupResult& startup, Random& random, QtPrompter& prompter, QWidget* parent = nullptr);
    ~TfrmMainForm() override;

    // The progress line; "^" hides it.
    void SetStatus(std::string_view text);

    // Restores the window when minimised and brings it to the front (a second start asked).
    void BringToFront();

    // Shows the Roll back button exactly when the backup folder holds game files.
    void UpdateRollbackButton();

private:
    void sbCloseClick();

    std::unique_ptr<Ui::TfrmMainForm> m_ui;
    Paths m_paths;
    Language m_language;
    CommandLine m_commandLine;
    Random& m_random;
    QtPrompter& m_prompter;
};

}  // namespace seewolf::ui
