#pragma once

#include <memory>

#include <QDialog>

#include "app/prompter.h"
#include "app/version.h"

namespace Ui {
class AboutDialog;
}

namespace seewolf::ui {

// The about box: product name, version, copyright, comment and licence line from the version
// block, and a link to the home page.
class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kHomePageAddress = "https://seewolf.example.org";

    explicit AboutDialog(Prompter& prompter, const VersionBlock& version = ProgramVersion(),
                         QWidget* parent = nullptr);
    ~AboutDialog() override;

    void lblHomePageClick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::unique_ptr<Ui::AboutDialog> m_ui;
    Prompter& m_prompter;
};

}  // namespace seewolf::ui
