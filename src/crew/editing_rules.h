#pragma once

// The rules behind the crew manager, free of widgets: which awards may be given or taken away,
// the remarks about a crewman's awards and their Auto Fix, saving a crewman, and dismissing or
// replacing him. The dialog keeps the crewman it shows in a CrewmanView and hands it to these
// functions.

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crew/crewman.h"

namespace seewolf {

struct Paths;
struct Language;
struct SelectedCareer;
class Prompter;
class ProfileEdit;

namespace crew {

// The crewman the dialog holds: the values read with his list row and those of the controls.
struct CrewmanView {
    int slot = -1;                  // the section is "CREW_MEMBER_" + slot
    int storedGrade = 0;            // Grad as read
    int selectedGrade = 0;          // 8 - the selected row of the rank list
    std::string name;               // the name box (Windows-1252)
    std::optional<int> faceChange;  // the face number chosen since the crewman was selected
    int patrols = 0;
    double storedExperience = 0.0;
    int storedMedal0 = -1;                                     // MedalsInx0 as read
    std::array<bool, kAwardCount> held{};                      // award i is shown on the crewman
    std::array<int, kMaxQualificationsHeld> qual{-1, -1, -1};  // -1 or a qualification 0 to 8
};

// What the rules need of the career and the files around it.
struct CrewContext {
    std::string startDateText;           // "yyyymmdd", compared as text with the award dates
    std::filesystem::path roster;        // the career's crew roster
    std::filesystem::path careerFolder;  // holds Patrols_0.cfg
    int patrolCount = 0;                 // its section "PATROL " + three digits
    std::filesystem::path basicCfg;      // the game's data\Cfg\Basic.cfg
    std::filesystem::path menuTexts;     // the game's menu text table
    std::filesystem::path progTexts;     // the program's text table
    bool atSea = false;                  // the crew can only be looked at: nothing is written
};

CrewContext MakeCrewContext(const Paths& paths, const Language& language, const SelectedCareer& career);

// ---- Availability ----

struct Availability {
    std::array<bool, kAwardCount> offered{};    // shown in the pool of awards that may be given
    std::array<bool, kAwardCount> removable{};  // held and may be taken back to the pool
};

// From held[], patrols and the date. A medal of the chain 0 to 5 may be taken away only while the
// next one is not held; medal 5 and the badges always. Medals 4 and 5 are never offered.
Availability DisplayAvailMedals(const CrewmanView& view, std::string_view startDateText);

// ---- Suggestions ----

// The remarks that hold for the crewman, as ids 1 to 8 in ascending order.
std::vector<int> SuggestionIds(const CrewmanView& view, std::string_view startDateText);

// The text of each id: ids "1" to "8" of [STRINGS] of the program's text table, "[01]" to "[08]"
// when missing.
std::vector<std::string> SuggestionTexts(const CrewContext& context, const std::vector<int>& ids);

// Auto Fix is offered when there is a remark and the remarks are not just one of 4, 5 or 6 (which
// ask for the player's judgement: a badge earned, a medal deserved, a crewman to promote).
bool AutoFixEnabled(const std::vector<int>& ids);

// Applies the fixes of the remarks to held[]: 1, or else 8, shows award 7 (only from its date on,
// so that the fix never raises remark 7); 2 removes award 6; 3 removes award 2; 7 removes award 7.
// True when held[] changed.
bool ApplyAutoFix(CrewmanView& view, const std::vector<int>& ids, std::string_view startDateText);

// ---- Saving ----

inline constexpr std::string_view kRankNotPermitted = "Selected rank not permitted for this crewman!";
inline constexpr std::string_view kTooInexperienced =
    "Cannot promote this crewman as he is too inexperienced!";

enum class RankCheck { Passed, NotPermitted, TooInexperienced };

// Writes the whole crewman in one edit of the roster: name, grade (when the rank check passes),
// face (when changed), awards and their flags, experience, hit points, morale, qualifications
// packed from Qualification0, NrQual, Type and the qualification flags. A refused rank is shown as
// an error box through the prompter, and the save goes on with the grade the crewman holds: hit
// points, morale and Type then follow that grade, not the refused one. Experience that is negative
// or not a finite number is written as 0; a medal-0 factor in Basic.cfg that is 0 or less (or not
// finite) counts as 1, so giving or taking medal 0 leaves the experience as it is. Throws Error,
// writing nothing, when the career is at sea, the roster is missing or the slot holds no crewman.
RankCheck SaveCrewMan(const CrewmanView& view, const CrewContext& context, Prompter& prompter);

// Auto Fix: ApplyAutoFix, then SaveCrewMan when anything changed. True when it saved.
bool AutoFix(CrewmanView& view, const std::vector<int>& ids, const CrewContext& context, Prompter& prompter);

// ---- Dismissing and replacing ----

// Replacements made since the program started; the dialog's owner keeps one for the program's life.
class ReplacementCounter {
  public:
    int Count() const { return m_count; }
    void Add() {
        if (m_count < 1000000) {
            ++m_count;
        }
    }

  private:
    int m_count = 0;
};

// The renown a replacement costs, by the grade the crewman holds in the file (an unsaved rank
// selection changes nothing): 350 for officers, 125 for petty officers, 10 for seamen and any
// other grade; double once six replacements have been made.
int ReplacementCost(int storedGrade, const ReplacementCounter& counter);

// The rank as the question and the outcome name it: the full menu text of the stored grade
// ("Error!" when missing), "Unknown" for a grade outside 0 to 8.
std::string RankText(const CrewContext& context, int grade);

// "Would you like to dismiss or replace <rank> <name> (replacing costs <cost> renown points)?",
// asked with the three answers Dismiss, Replace and Cancel.
std::string DismissQuestion(std::string_view rankText, std::string_view name, int cost);

enum class DismissChoice { Dismiss, Replace, Cancel };

// Writes the newcomer into `section` of the roster edit with the class of `grade`, and returns
// his summary line.
using CrewmanGenerator = std::function<std::string(ProfileEdit& roster, std::string_view section, int grade)>;

// Carries out the player's answer and shows the outcome in an information box; nothing for Cancel.
// Dismiss writes NrComp -1 to the slot. Replace first checks that the roster and Patrols_0.cfg
// with the current patrol's section can be written, generates the newcomer into the roster edit
// and writes it, then charges the cost to DeltaRenown of the patrol and counts the replacement;
// the sixth one adds BdU's warning. Throws Error when anything fails: before the roster is written
// nothing has changed, and when only the charge fails the error says that the crewman was replaced
// without a charge (nor is he counted).
void DismissOrReplace(DismissChoice choice, const CrewmanView& view, const CrewContext& context,
                      ReplacementCounter& counter, const CrewmanGenerator& generate, Prompter& prompter);

}  // namespace crew
}  // namespace seewolf
