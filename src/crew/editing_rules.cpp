#include "crew/editing_rules.h"

#include <algorithm>
#include <cmath>

#include "app/error.h"
#include "app/language.h"
#include "app/numbers.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/prompter.h"
#include "career/career.h"
#include "platform/files.h"

namespace seewolf::crew {

namespace {

bool OnOrAfter(std::string_view date, std::string_view from) {
    return date >= from;
}

bool Has(const std::vector<int>& ids, int id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// Whole-number values of the view come from the file; anything outside the classes is no grade.
bool IsGrade(int grade) {
    return ClassOfGrade(grade) != GradeClass::None;
}

std::string CrewSection(int grade) {
    return "CREW_" + std::to_string(grade);
}

double FiniteOrZero(double value) {
    return std::isfinite(value) && value > 0.0 ? value : 0.0;
}

// The roster must exist (it is the game's file, never made by us) and hold the crewman.
void RefuseAtSea(const CrewContext& context) {
    if (context.atSea) {
        throw Error("The boat is at sea: its crew can be looked at but not changed, so nothing was written.");
    }
}

std::string CheckedSection(const CrewmanView& view, const CrewContext& context, const ProfileEdit& roster) {
    if (!platform::FileExists(context.roster)) {
        throw Error("The crew roster " + PathText(context.roster) +
                    " is missing, so nothing was written. Load the career in Silent Hunter III and "
                    "save it to have the roster written again.");
    }
    if (view.slot < 0 || view.slot >= kSlotCount ||
        roster.ReadInteger(SlotSection(view.slot), "NrComp", -1) < 0) {
        throw Error("Slot " + std::to_string(view.slot) + " of the crew roster " + PathText(context.roster) +
                    " holds no crewman any more, so nothing was written. Open the crew manager "
                    "again to see the crew as the file holds it.");
    }
    return SlotSection(view.slot);
}

void CheckWritable(const std::filesystem::path& file, std::string_view what) {
    if (!platform::FileExists(file)) {
        throw Error("The " + std::string(what) + " " + PathText(file) +
                    " is missing, so nothing was changed and no renown was charged.");
    }
    if (platform::IsReadOnly(file)) {
        throw Error("The " + std::string(what) + " " + PathText(file) +
                    " is read-only, so nothing was changed and no renown was charged.");
    }
}

constexpr std::string_view kWarning =
    "BdU has expressed extreme displeasure at the number of transfer requests that you have made. "
    "Subsequent requests will cost double renown points!";

}  // namespace

CrewContext MakeCrewContext(const Paths& paths, const Language& language, const SelectedCareer& career) {
    CrewContext context;
    context.startDateText = career.StartDateText;
    context.roster = CrewFile(career);
    context.careerFolder = career.CareerFolder;
    context.patrolCount = career.PatrolCount;
    context.basicCfg = paths.Game("data\\Cfg\\Basic.cfg");
    context.menuTexts = MenuTable(paths, language).File();
    context.progTexts = ProgTable(paths, language).File();
    context.atSea = career.CareerStatus == CareerStatus::AtSea;
    return context;
}

Availability DisplayAvailMedals(const CrewmanView& view, std::string_view date) {
    const auto& held = view.held;
    const bool served = view.patrols > 0;
    const bool crossDate = OnOrAfter(date, kGermanCrossDate);
    Availability a;
    a.offered[0] = !held[0] && served;
    a.offered[1] = held[0] && !held[1];
    a.offered[2] = !held[2] && held[1] && crossDate;
    a.offered[3] = !held[3] && (held[2] || (!crossDate && held[1]));
    a.offered[6] = !held[6] && OnOrAfter(date, kFrontClaspDate) && served;
    a.offered[7] = !held[7] && OnOrAfter(date, kWarBadgeDate) && served;
    a.offered[8] = !held[8] && served;
    for (std::size_t i = 0; i < kAwardCount; ++i) {
        // Medals 0 to 4 are a chain: one can only go while the next is not held.
        a.removable[i] = held[i] && (i >= 5 || !held[i + 1]);
    }
    return a;
}

std::vector<int> SuggestionIds(const CrewmanView& view, std::string_view date) {
    const auto& held = view.held;
    const bool badgeDate = OnOrAfter(date, kWarBadgeDate);
    const bool claspDate = OnOrAfter(date, kFrontClaspDate);
    std::vector<int> ids;
    const auto add = [&ids](bool holds, int id) {
        if (holds) {
            ids.push_back(id);
        }
    };
    add(!held[7] && badgeDate && view.patrols > 1, 1);
    add(held[6] && !claspDate, 2);
    add(held[2] && !OnOrAfter(date, kGermanCrossDate), 3);
    add(!held[6] && claspDate && view.patrols > 0, 4);
    add(!held[0] && view.patrols > 0, 5);
    add(held[0] && (view.selectedGrade == 7 || view.selectedGrade == 8) && view.storedExperience >= 500.0, 6);
    add(held[7] && !badgeDate, 7);
    add(held[8] && !held[7], 8);
    return ids;
}

std::vector<std::string> SuggestionTexts(const CrewContext& context, const std::vector<int>& ids) {
    const TextTable table(context.progTexts);
    std::vector<std::string> texts;
    for (const int id : ids) {
        texts.push_back(table.Text(id, "[" + ZeroPad(id, 2) + "]"));
    }
    return texts;
}

bool AutoFixEnabled(const std::vector<int>& ids) {
    if (ids.empty()) {
        return false;
    }
    return !(ids.size() == 1 && (ids[0] == 4 || ids[0] == 5 || ids[0] == 6));
}

bool ApplyAutoFix(CrewmanView& view, const std::vector<int>& ids, std::string_view date) {
    auto& held = view.held;
    const auto before = held;
    // Award 7 before its date would only raise remark 7, whose fix takes it away again.
    if ((Has(ids, 1) || Has(ids, 8)) && OnOrAfter(date, kWarBadgeDate)) {
        held[7] = true;
    }
    if (Has(ids, 2)) {
        held[6] = false;
    }
    if (Has(ids, 3)) {
        held[2] = false;
    }
    if (Has(ids, 7)) {
        held[7] = false;
    }
    return held != before;
}

RankCheck SaveCrewMan(const CrewmanView& view, const CrewContext& context, Prompter& prompter) {
    RefuseAtSea(context);
    ProfileEdit roster{ProfileFile(context.roster)};
    const std::string section = CheckedSection(view, context, roster);

    const int s = view.selectedGrade;
    const ProfileFile basic(context.basicCfg);
    const double storedExperience = FiniteOrZero(view.storedExperience);

    RankCheck check = RankCheck::Passed;
    const GradeClass storedClass = ClassOfGrade(view.storedGrade);
    if (storedClass == GradeClass::None || ClassOfGrade(s) != storedClass) {
        check = RankCheck::NotPermitted;
    } else if (s > view.storedGrade &&
               basic.ReadInteger(CrewSection(s), "Experience", 0) > storedExperience) {
        check = RankCheck::TooInexperienced;
    }
    // A refused rank keeps the crewman's grade, and what follows from the grade follows it too.
    const int grade = check == RankCheck::Passed ? s : view.storedGrade;

    roster.WriteString(section, "Name", view.name);
    if (check == RankCheck::Passed) {
        roster.WriteInteger(section, "Grad", s);
    }
    if (view.faceChange) {
        const FaceKeys face = FaceKeysOf(*view.faceChange);
        roster.WriteInteger(section, "Index", face.index);
        roster.WriteInteger(section, "HeadIdx", face.headIdx);
        roster.WriteString(section, "HasHelmet", face.hasHelmet ? "Yes" : "No");
    }
    const auto& held = view.held;
    for (int i = 0; i < kAwardCount; ++i) {
        roster.WriteInteger(section, "MedalsInx" + std::to_string(i),
                            held[static_cast<std::size_t>(i)] ? i : -1);
    }
    const auto yesNo = [](bool yes) { return yes ? "Yes" : "No"; };
    roster.WriteString(section, "Medal0", "Yes");
    roster.WriteString(section, "Medal1", yesNo(held[0]));
    roster.WriteString(section, "Medal2", yesNo(held[1]));
    roster.WriteString(section, "Medal3", yesNo(held[2]));
    roster.WriteString(section, "Medal6", yesNo(!held[6]));
    roster.WriteString(section, "Medal7", yesNo(!held[7]));

    double factor = basic.ReadFloat("MEDALS_CREW", "Experience", 1.0);
    if (!std::isfinite(factor) || factor <= 0.0) {
        factor = 1.0;  // a factor that cannot be undone would lose the experience for good
    }
    double experience = storedExperience;
    if (held[0] && view.storedMedal0 < 0) {
        experience *= factor;
    } else if (!held[0] && view.storedMedal0 >= 0) {
        experience /= factor;
    }
    roster.WriteString(section, "Experience", FormatFloat6(FiniteOrZero(experience)));

    const std::string gradeSection = CrewSection(grade);
    roster.WriteString(section, "HitPoints", FormatFloat6(basic.ReadInteger(gradeSection, "Hp", 0)));
    roster.WriteString(
        section, "Morale",
        held[2] || held[3] ? "1.000000" : FormatFloat6(basic.ReadFloat(gradeSection, "MoraleMax", 0.7)));

    for (int k = 0; k < kMaxQualificationsHeld; ++k) {
        roster.DeleteKey(section, "Qualification" + std::to_string(k));
    }
    int m = 0;
    for (const int q : view.qual) {
        if (q >= 0 && q < kQualificationCount) {
            roster.WriteInteger(section, "Qualification" + std::to_string(m), q);
            ++m;
        }
    }
    roster.WriteInteger(section, "NrQual", m);
    switch (ClassOfGrade(grade)) {
        case GradeClass::PettyOfficer:
            roster.WriteInteger(section, "Type", m >= 2 ? 2 : 1);
            break;
        case GradeClass::Seaman:
            roster.WriteInteger(section, "Type", m >= 1 ? 1 : 0);
            break;
        default:
            break;  // officers keep their Type
    }
    for (int q = 0; q < kQualificationCount; ++q) {
        roster.WriteString(section, "Qual" + std::to_string(q), "Yes");
    }

    if (check == RankCheck::NotPermitted) {
        prompter.ShowMessage(kRankNotPermitted, MessageKind::Error, Button::Ok);
    } else if (check == RankCheck::TooInexperienced) {
        prompter.ShowMessage(kTooInexperienced, MessageKind::Error, Button::Ok);
    }
    roster.Commit();
    return check;
}

bool AutoFix(CrewmanView& view, const std::vector<int>& ids, const CrewContext& context, Prompter& prompter) {
    if (!ApplyAutoFix(view, ids, context.startDateText)) {
        return false;
    }
    SaveCrewMan(view, context, prompter);
    return true;
}

int ReplacementCost(int storedGrade, const ReplacementCounter& counter) {
    int cost = 10;
    switch (ClassOfGrade(storedGrade)) {
        case GradeClass::Officer:
            cost = 350;
            break;
        case GradeClass::PettyOfficer:
            cost = 125;
            break;
        default:
            break;
    }
    return counter.Count() >= 6 ? 2 * cost : cost;
}

std::string RankText(const CrewContext& context, int grade) {
    if (!IsGrade(grade)) {
        return "Unknown";
    }
    return TextTable(context.menuTexts).Text(160 + grade, kMissingName);
}

std::string DismissQuestion(std::string_view rankText, std::string_view name, int cost) {
    return "Would you like to dismiss or replace " + std::string(rankText) + " " + std::string(name) +
           " (replacing costs " + std::to_string(cost) + " renown points)?";
}

void DismissOrReplace(DismissChoice choice, const CrewmanView& view, const CrewContext& context,
                      ReplacementCounter& counter, const CrewmanGenerator& generate, Prompter& prompter) {
    if (choice == DismissChoice::Cancel) {
        return;
    }
    RefuseAtSea(context);
    const std::string who = RankText(context, view.storedGrade) + " " + view.name + " has been ";
    if (choice == DismissChoice::Dismiss) {
        ProfileEdit roster{ProfileFile(context.roster)};
        roster.WriteInteger(CheckedSection(view, context, roster), "NrComp", -1);
        roster.Commit();
        prompter.ShowMessage(who +
                                 "dismissed. You can select a replacement when you next load this career in "
                                 "Silent Hunter III.",
                             MessageKind::Information, Button::Ok);
        return;
    }

    // Replace: everything that could fail is checked before the roster changes.
    const int cost = ReplacementCost(view.storedGrade, counter);
    CheckWritable(context.roster, "crew roster");
    const std::filesystem::path patrolsFile = platform::Resolve(context.careerFolder, "Patrols_0.cfg");
    CheckWritable(patrolsFile, "patrol file");
    const std::string patrol = SectionName("PATROL ", context.patrolCount);
    ProfileEdit patrols{ProfileFile(patrolsFile)};
    if (!ProfileFile(patrolsFile).SectionExists(patrol)) {
        throw Error("The patrol file " + PathText(patrolsFile) + " has no section [" + patrol +
                    "] for the current patrol, so nothing was changed and no renown was charged.");
    }
    const std::string deltaText = patrols.ReadString(patrol, "DeltaRenown", "");
    const std::optional<double> delta =
        deltaText.empty() ? std::optional<double>(0.0) : ParseFloat(deltaText);
    if (!delta || !std::isfinite(*delta)) {
        throw Error("DeltaRenown of [" + patrol + "] in " + PathText(patrolsFile) + " is \"" + deltaText +
                    "\", not a number, so nothing was changed and no renown was charged.");
    }
    patrols.WriteString(patrol, "DeltaRenown", FormatFloat6(*delta - cost));

    ProfileEdit roster{ProfileFile(context.roster)};
    const std::string section = CheckedSection(view, context, roster);
    const std::string line = generate(roster, section, view.storedGrade);
    roster.Commit();
    try {
        patrols.Commit();
    } catch (const Error& e) {
        throw Error(who + "replaced by " + line + ", but the " + std::to_string(cost) +
                    " renown points could not be charged: " + e.what());
    }
    counter.Add();

    std::string outcome = who + "replaced by " + line + ".";
    if (counter.Count() > 5) {
        outcome += "\r\n\r\n" + std::string(kWarning);
    }
    prompter.ShowMessage(outcome, MessageKind::Information, Button::Ok);
}

}  // namespace seewolf::crew
