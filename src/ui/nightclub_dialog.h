#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QDialog>

#include "app/language.h"
#include "app/paths.h"
#include "app/prompter.h"
#include "career/career.h"

class QSoundEffect;
class QToolButton;

namespace Ui {
class NightclubDialog;
}

namespace seewolf {
class Random;
}

namespace seewolf::ui {

// The nightclub: a picture, a sound in a loop, a greeting and a few comments on the month's
// news, one at a time. Every showing draws afresh.
class NightclubDialog : public QDialog {
    Q_OBJECT
  public:
    NightclubDialog(const Paths& paths, const Language& language, Prompter& prompter, Random& random,
                    QWidget* parent = nullptr);
    ~NightclubDialog() override;

    // The close button takes the picture, text and size of the main window's.
    void TakeClosePicture(const QToolButton& close);

    // Draws the picture, starts the sound and writes the greeting, as each showing does.
    void Prepare(const SelectedCareer& career);
    // Prepares (busy cursor meanwhile), tells what could not be shown and shows the dialog
    // modally, centred on its parent.
    void ShowModal(const SelectedCareer& career);

    // What the last preparing could not show, as told to the user.
    const std::vector<std::string>& Notes() const { return m_notes; }

    void sbNextClick();

    // Every way of closing ends here: the sound stops with the dialog.
    void done(int result) override;

  private:
    void ShowPicture(const std::filesystem::path& picture);
    void PlaySound(const std::filesystem::path& sound);
    void StopSound();

    std::unique_ptr<Ui::NightclubDialog> m_ui;
    const Paths& m_paths;
    const Language& m_language;
    Prompter& m_prompter;
    Random& m_random;
    QSoundEffect* m_sound = nullptr;
    std::vector<std::string> m_comments;  // each "\r\n" + text
    std::size_t m_next = 0;               // the comment sbNext shows next
    std::vector<std::string> m_notes;
};

}  // namespace seewolf::ui
