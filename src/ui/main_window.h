#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <QElapsedTimer>
#include <QFont>
#include <QWidget>

#include "app/prompter.h"
#include "app/startup.h"
#include "career/career.h"
#include "crew/editing_rules.h"
#include "launch/launch.h"

class QAction;
class QLabel;
class QMenu;
class QTreeWidgetItem;

namespace Ui {
class MainWindow;
}

namespace seewolf {
class Random;
}

namespace seewolf::ui {

class AboutDialog;
class ChangeDialog;
class CrewManagerDialog;
class OptionsDialog;
class UpdateDialog;

// The main window: the career tree on the left; on the right the record sheet of the selected
// career or the controls for a new career or single mission; the buttons along the bottom.
class MainWindow : public QWidget {
    Q_OBJECT
  public:
    MainWindow(const StartupResult& startup, Random& random, Prompter& prompter, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The progress line: shows a text at once, or hides the line.
    void SetStatus(std::string_view text);
    void HideStatus();
    // Adds "412 of 2,000 files" to the progress line's text, a few times a second at most, and
    // lets the window paint meanwhile (the user's input waits until the task has ended).
    void ShowProgress(std::size_t done, std::size_t total) noexcept;

    // Restores the window when minimised and brings it to the front (a second start asked).
    void BringToFront();

    // Shows the Roll back button exactly when the backup folder holds game files.
    void UpdateRollbackButton();

    // Refills the tree and shows the selected entry.
    void PopulateTreeView();

    // Shows the entry at `index` (0 "New career", 1 "Single mission", then the careers).
    void tvCareerChange(int index);

    // Detail labels in a plain system font, or in the handwriting font.
    void ApplyDetailFont(bool useSystemFont);

    // Takes a chosen picture as the career's portrait when it is a ".jpg" of the Images folder.
    void ChoosePortrait(const std::filesystem::path& chosen);

    // The options dialog, modal and centred; then the window goes on with the saved settings, or
    // closes when the game folder changed and Seewolf is to start again.
    void sbOptionsClick();
    // Set when the options asked Seewolf to end and start again with another game folder.
    bool RestartRequested() const { return m_restartRequested; }

    // What the career menu's "Go to Nightclub..." runs; the item stays hidden while the hook is
    // empty.
    using CareerHook = std::function<void(const SelectedCareer&)>;
    void SetNightclubHook(CareerHook hook) { m_nightclubHook = std::move(hook); }

    // The career actions.
    void lblActClick();
    void lblUBoatTypClick();
    void pumGenPersFileClick();
    void pumContClick();
    void pumRevwPatLogsClick();
    void pumCrewmanClick();
    void pumNCClick();
    void pumStsSurClick();
    void pumRetRetClick();
    void pumDelCarClick();
    void pusmRemGunClick();

    // The about box and the update check, modal and centred on the window.
    void lblAboutClick();
    void lblChk4UpdtClick();

    const SelectedCareer& Career() const { return m_career; }
    const Paths& GetPaths() const { return m_paths; }

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void MakeMenus();
    void UpdateActionItems();
    void LoadWindowPictures();
    void ReportUnlistedCareers(const std::vector<std::filesystem::path>& unlisted);
    void FillCrewSets();
    void ShowExCareer(bool existing);
    void ShowCareer(const std::string& name);
    void ClearSheet();
    void HTMLLabel(QLabel* label, bool active);
    void PlaceBoatType();
    void FitDetailLabels();
    void GenerateCmdrHistory();
    void ShowPortrait(const std::string& number);
    void ShowForContCareer(bool continuing);
    void LayOutNewCareerRows();

    // The new-career cascade.
    void txtYearChange();
    void txtMthChange();
    void UpdateFlotilla();
    void cmbFlotNmChange();
    void FillBoatTypes(const std::string& remembered);
    void EmptyChoices(bool flotillas);
    void cmbSubTypeChange();
    void cmdRndNmClick();
    void cmdFlotInfoClick();

    // Record-sheet clicks.
    void lblCarStsClick();
    void lblUBoatNbClick();
    void lblPatGrdClick();
    void imgClipsDblClick();
    void sbCloseClick();
    void sbRollbackClick();

  public:
    // The launch: prepares the game's files and starts the companion, then closes the window.
    void sbLaunchClick();

  private:
    LaunchRequest MakeLaunchRequest() const;

    void SetNewCareerVisible(QWidget* control, bool visible);
    void Guard(const std::function<void()>& handler);

    std::unique_ptr<Ui::MainWindow> m_ui;
    Paths m_paths;
    Language m_language;
    CommandLine m_commandLine;
    Random& m_random;
    Prompter& m_prompter;
    SelectedCareer m_career;
    std::vector<std::string> m_careerNames;  // tree entries from index 2 on
    std::unique_ptr<ChangeDialog> m_change;
    std::unique_ptr<OptionsDialog> m_options;
    std::unique_ptr<AboutDialog> m_about;
    std::unique_ptr<UpdateDialog> m_update;
    bool m_restartRequested = false;
    QMenu* m_puCarAct = nullptr;
    QMenu* m_puSubOpt = nullptr;
    CareerHook m_nightclubHook;
    crew::ReplacementCounter m_replacements;  // counts for the life of the program, across openings
    std::unique_ptr<CrewManagerDialog> m_crewManager;
    std::optional<QFont> m_detailFont;                         // set when the window is shown
    std::set<std::filesystem::path> m_reportedUnlisted;        // career folders already reported as unlisted
    std::vector<std::filesystem::path> m_unlistedBeforeShown;  // found before the window was first shown
    QString m_statusText;                                      // the progress line's text without a count
    QElapsedTimer m_progressShown;                             // since the window last painted a count
};

}  // namespace seewolf::ui
