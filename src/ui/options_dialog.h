#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QDialog>

#include "app/paths.h"
#include "app/prompter.h"
#include "launch/options.h"

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace Ui {
class OptionsDialog;
}

namespace seewolf::ui {

// The options dialog: the settings that steer a launch, the game folder, the fonts, the look of
// the personnel files and the game's time-compression limits. It reads Seewolf.ini and main.cfg
// each time it is shown and writes both on Apply or OK.
class OptionsDialog : public QDialog {
    Q_OBJECT
  public:
    struct Hooks {
        std::function<void(bool useSystemFont)> applyDetailFont;  // the main window's detail font
        std::function<void()> restart;  // end Seewolf and start it again (a new game folder)
    };

    OptionsDialog(const Paths& paths, Prompter& prompter, Hooks hooks, QWidget* parent = nullptr);
    ~OptionsDialog() override;

    // Fills every control from the files, as each showing does.
    void Prepare();
    // Prepares and shows the dialog modally, centred on its parent.
    void ShowModal();

    // Writes both files; false when the user kept the game folder from changing.
    bool Apply();

    void tvGroupsChange(int index);
    void cmdSH3BrowsePathClick();
    void cmdResetTCClick();
    void cmdImgClick();
    void cmdResetPFClick();
    void lblUGClick();
    void cmdApplyClick();
    void cmdOKClick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FillFonts();
    void SetFont(QComboBox* box, const std::string& family);
    void ShowSettings(const Settings& s);
    Settings SettingsFromControls() const;
    void RefreshTimeCompression();
    void lstTCValsClick(int row);
    void UpdateSamples();
    void Changed();
    void Guard(const std::function<void()>& handler);

    std::unique_ptr<Ui::OptionsDialog> m_ui;
    const Paths& m_paths;
    Prompter& m_prompter;
    Hooks m_hooks;
    TimeCompression m_timeCompression;
    QString m_filledGameFolder;  // the game folder box as the dialog was filled
    bool m_restarting = false;
};

}  // namespace seewolf::ui
