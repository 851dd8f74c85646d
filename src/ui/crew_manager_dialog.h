#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include <QDialog>

#include "app/language.h"
#include "app/paths.h"
#include "app/prompter.h"
#include "career/career.h"
#include "crew/editing_rules.h"
#include "crew/roster.h"

class QLabel;
class QMimeData;
class QTreeWidgetItem;

namespace Ui {
class CrewManagerDialog;
}

namespace seewolf {
class Random;
}

namespace seewolf::ui {

// The crew manager: the crew of the selected career in a list, one crewman at a time in the
// details panel (name, rank, face, awards, qualifications), the pool of awards and
// qualifications that may be given by dragging them onto him, and Dismiss, Auto Fix and Apply.
// The window only moves values between the roster, its controls and the crew rules.
class CrewManagerDialog : public QDialog {
    Q_OBJECT
  public:
    // The question "dismiss or replace" with its three answers. The window asks it with a
    // message box unless a test puts its own answer here.
    using DismissAsker = std::function<crew::DismissChoice(const std::string& question)>;

    // `counter` counts the replacements for the life of the program; the owner keeps it.
    CrewManagerDialog(const Paths& paths, const Language& language, Prompter& prompter, Random& random,
                      crew::ReplacementCounter& counter, QWidget* parent = nullptr);
    ~CrewManagerDialog() override;

    void SetDismissAsker(DismissAsker asker) { m_askDismiss = std::move(asker); }

    // Puts the officers back into their slots (not at sea), fills the list and resets the panel,
    // as each opening does.
    void Prepare(const SelectedCareer& career);
    // Prepares and shows the window modally, centred on its parent.
    void ShowModal(const SelectedCareer& career);

    void UpdateCrewList();
    void ResetForm();
    void UpdateCrewMan(int slot);

    void cmdApplyClick();
    void cmdAutoFixClick();
    void cmdDismissClick();
    void cmdRndNameClick();
    // Writes the crew list of the rows shown and offers to open it.
    void cmdGenCrewListClick();

    // What a drop of the picture named `source` onto `target` would do; false when the target
    // does not take it. `drop` carries it out.
    bool Accepts(const QWidget* target, const QString& source) const;
    void Drop(QWidget* target, const QString& source);

    // The mime type of a dragged picture; its data is the picture's object name.
    static constexpr const char* kMimeType = "application/x-seewolf-crew-picture";

    // The crewman shown, as the rules take him (slot -1 when none is selected).
    crew::CrewmanView CurrentView() const;

  public slots:
    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void SelectCrewman(QTreeWidgetItem* item);
    void LeaveCrewman();
    crew::CrewmanView SavedView() const;  // throws Error for a name the roster cannot hold
    crew::CrewmanView ViewOf(bool typedName) const;
    void SetFaceBox(std::optional<int> face);
    void ShowFace(int faceNumber);
    void FaceStepped(int position);
    void RankScrolled();
    void ShowAvailability();
    void SetQualSlot(int k, int qualification);
    void Changed();
    void StartDrag(QLabel* picture);
    QTreeWidgetItem* AddRow(const crew::Crewman& crewman);
    void Guard(const std::function<void()>& handler);

    int AwardOfPicture(const QString& name, const char* prefix) const;
    int QualSlotOf(const QString& name) const;

    std::unique_ptr<Ui::CrewManagerDialog> m_ui;
    const Paths& m_paths;
    const Language& m_language;
    Prompter& m_prompter;
    Random& m_random;
    crew::ReplacementCounter& m_counter;
    DismissAsker m_askDismiss;

    SelectedCareer m_career;
    crew::CrewContext m_context;
    std::map<int, crew::Crewman> m_crew;  // the listed crewmen by slot, as read
    std::optional<crew::Crewman> m_selected;
    std::optional<int> m_faceChange;
    std::array<int, crew::kMaxQualificationsHeld> m_qual{-1, -1, -1};
    QLabel* m_awardPictures[crew::kAwardCount] = {};
    QLabel* m_poolAwards[crew::kAwardCount] = {};
    QLabel* m_poolQuals[crew::kQualificationCount] = {};
    QLabel* m_qualPictures[crew::kMaxQualificationsHeld] = {};
    QLabel* m_qualLabels[crew::kMaxQualificationsHeld] = {};
    bool m_filling = false;  // the list is being refilled: no question, no selection handling
    bool m_showing = false;  // a crewman's values are being put into the controls
};

}  // namespace seewolf::ui
