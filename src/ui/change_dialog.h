#pragma once

#include <memory>
#include <string>

#include <QDialog>

#include "app/paths.h"
#include "app/prompter.h"
#include "career/career.h"

class QToolButton;

namespace Ui {
class ChangeDialog;
}

namespace seewolf {
class Random;
}

namespace seewolf::ui {

// The change dialog: a career's boat number or its next patrol grid.
class ChangeDialog : public QDialog {
    Q_OBJECT
  public:
    enum class Mode { BoatNumber, PatrolGrid };

    ChangeDialog(const Paths& paths, Random& random, Prompter& prompter, QWidget* parent = nullptr);
    ~ChangeDialog() override;

    // Fills the dialog for a career (`gridText` is what the main window shows as its grid).
    void Prepare(const SelectedCareer& career, Mode mode, const std::string& gridText);

    // Apply and Cancel take the pictures and size of the main window's Launch and Close buttons.
    void TakeButtonPictures(const QToolButton& launch, const QToolButton& close);

    // Prepares and shows the dialog modally; true when the changes were saved.
    bool ShowModal(const SelectedCareer& career, Mode mode, const std::string& gridText);

    void sbApplyClick();
    void cbFilterClick();
    void cmdRndClick();
    void cmdMapClick();

  private:
    void FillNumbers();

    std::unique_ptr<Ui::ChangeDialog> m_ui;
    const Paths& m_paths;
    Random& m_random;
    Prompter& m_prompter;
    SelectedCareer m_career;
};

}  // namespace seewolf::ui
