#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QDialog>

#include "app/paths.h"
#include "app/prompter.h"

namespace Ui {
class TipsDialog;
}

namespace seewolf {
class Random;
}

namespace seewolf::ui {

// "Using Seewolf": one random usage tip from Tips.txt, further ones on request, and the choice
// whether the tips show at start. Closing it by any means stores that choice.
class TipsDialog : public QDialog {
    Q_OBJECT
  public:
    TipsDialog(const Paths& paths, Random& random, Prompter& prompter, QWidget* parent = nullptr);
    ~TipsDialog() override;

    void cmdNextClick();
    // Every way of closing (Close, Escape, the title-bar close box) ends here.
    void done(int result) override;

  private:
    std::unique_ptr<Ui::TipsDialog> m_ui;
    const Paths& m_paths;
    Random& m_random;
    Prompter& m_prompter;
    std::vector<std::string> m_tips;
};

// Shows the tips modally at the first activation of `mainWindow` when [SETTINGS] ShowTips is on;
// at most once per run, whatever later activations and the setting say.
void ShowTipsAtFirstActivation(QWidget* mainWindow, const Paths& paths, Random& random, Prompter& prompter);

}  // namespace seewolf::ui
