#include "crew/editing_rules.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

#include "app/error.h"
#include "app/numbers.h"
#include "app/profile_file.h"
#include "platform/files.h"
#include "support/scripted_prompter.h"
#include "support/temp_world.h"

namespace seewolf::crew {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;
using testing::WriteText;

constexpr std::string_view kRoster =
    "; the game's roster\r\n"
    "[CREW_MEMBER_0]\r\n"
    "Name=Otto Kretz\r\nGrad=6\r\nType=2\r\nExperience=600.000000\r\nNrComp=0\r\nMyKey=keep\r\n"
    "[CREW_MEMBER_3]\r\n"
    "Name=Karl Dorn\r\nGrad=4\r\nType=1\r\nExperience=120.000000\r\nMedalsInx0=-1\r\nNrQual=1\r\n"
    "Qualification0=2\r\nQualification1=5\r\nQualification2=7\r\nNrComp=2\r\nUnknown=1 2 3\r\n"
    "[CREW_MEMBER_5]\r\n"
    "Name=Jan Bauer\r\nGrad=0\r\nExperience=30.000000\r\nNrComp=3\r\n"
    "[CREW_MEMBER_7]\r\n"
    "Name=Max Roth\r\nGrad=2\r\nExperience=0.000000\r\nNrComp=5\r\n"
    "[CREW_MEMBER_8]\r\n"
    "Name=Gone Man\r\nGrad=1\r\nNrComp=-1\r\n"
    "; trailing remark\r\n";

class EditingRules : public ::testing::Test {
  protected:
    void SetUp() override {
        context.startDateText = "19420301";
        context.careerFolder = temp.Path() / "career" / "";
        context.roster = context.careerFolder / "Crew_Career_30.cfg";
        context.patrolCount = 3;
        context.basicCfg = temp.Path() / "Basic.cfg";
        context.menuTexts = temp.Path() / "en_menu.txt";
        context.progTexts = temp.Path() / "Seewolf_en.txt";
        WriteText(context.roster, kRoster);
        WriteText(context.basicCfg,
                  "[CREW_1]\r\nExperience=50\r\nHp=20\r\nMoraleMax=0.8\r\n"
                  "[CREW_4]\r\nExperience=150\r\nHp=40\r\nMoraleMax=0.9\r\n"
                  "[MEDALS_CREW]\r\nExperience=1.5\r\n");
        WriteText(context.menuTexts, "[STRINGS]\r\n160=Matrose\r\n164=Maat;short\r\n166=Leutnant\r\n");
        WriteText(context.progTexts, "[STRINGS]\r\n1=Give him the badge [01]\r\n");
        WriteText(patrolsFile(), "[PATROL 003]\r\nDeltaRenown=12.500000\r\nOther=x\r\n");
    }

    fs::path patrolsFile() const { return context.careerFolder / "Patrols_0.cfg"; }

    std::string Key(int slot, std::string_view key) const {
        return ProfileFile(context.roster).ReadString(SlotSection(slot), key, "(none)");
    }

    static CrewmanView View(int slot, int grade, std::string name, double experience) {
        CrewmanView view;
        view.slot = slot;
        view.storedGrade = grade;
        view.selectedGrade = grade;
        view.name = std::move(name);
        view.storedExperience = experience;
        return view;
    }

    testing::TempFolder temp;
    testing::ScriptedPrompter prompter;
    CrewContext context;
};

TEST_F(EditingRules, TheRankCheckRefusesOnlyTheGradeAndTheRestIsSaved) {
    // A petty officer cannot be made an officer: name, awards and qualifications still go in.
    CrewmanView petty = View(3, 4, "Karl Dornberg", 120);
    petty.selectedGrade = 6;
    petty.held[0] = true;
    petty.qual = {3, -1, -1};
    EXPECT_EQ(SaveCrewMan(petty, context, prompter), RankCheck::NotPermitted);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, "Selected rank not permitted for this crewman!");
    EXPECT_EQ(prompter.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(Key(3, "Grad"), "4");
    EXPECT_EQ(Key(3, "Name"), "Karl Dornberg");
    EXPECT_EQ(Key(3, "MedalsInx0"), "0");
    EXPECT_EQ(Key(3, "Qualification0"), "3");
    // What follows from the grade follows the grade he keeps, not the refused one.
    EXPECT_EQ(Key(3, "HitPoints"), "40.000000");
    EXPECT_EQ(Key(3, "Morale"), "0.900000");
    EXPECT_EQ(Key(3, "Type"), "1");

    // A seaman with 30 experience cannot be promoted to grade 1 (50 needed); with 50 he can.
    CrewmanView seaman = View(5, 0, "Jan Bauer", 30);
    seaman.selectedGrade = 1;
    EXPECT_EQ(SaveCrewMan(seaman, context, prompter), RankCheck::TooInexperienced);
    EXPECT_EQ(prompter.messages.back().text, "Cannot promote this crewman as he is too inexperienced!");
    EXPECT_EQ(Key(5, "Grad"), "0");
    seaman.storedExperience = 50;
    EXPECT_EQ(SaveCrewMan(seaman, context, prompter), RankCheck::Passed);
    EXPECT_EQ(Key(5, "Grad"), "1");
    EXPECT_EQ(Key(5, "HitPoints"), "20.000000");

    // Demotion within the class passes whatever the experience.
    CrewmanView demoted = View(7, 2, "Max Roth", 0);
    demoted.selectedGrade = 0;
    const std::size_t shown = prompter.messages.size();
    EXPECT_EQ(SaveCrewMan(demoted, context, prompter), RankCheck::Passed);
    EXPECT_EQ(Key(7, "Grad"), "0");
    EXPECT_EQ(prompter.messages.size(), shown);
    // No grade is permitted for a crewman whose stored grade is no grade.
    CrewmanView odd = View(7, 12, "Max Roth", 0);
    odd.selectedGrade = 0;
    EXPECT_EQ(SaveCrewMan(odd, context, prompter), RankCheck::NotPermitted);
    EXPECT_EQ(Key(7, "Grad"), "0");
}

TEST_F(EditingRules, AwardsExperienceQualificationsAndTypeAreWrittenByTheirRules) {
    // Medal 0 given and saved twice multiplies the experience once.
    CrewmanView seaman = View(5, 0, "Jan Bauer", 30);
    seaman.held[0] = true;
    seaman.held[6] = true;
    SaveCrewMan(seaman, context, prompter);
    EXPECT_EQ(Key(5, "Experience"), "45.000000");
    seaman.storedExperience = 45;
    seaman.storedMedal0 = 0;
    SaveCrewMan(seaman, context, prompter);
    EXPECT_EQ(Key(5, "Experience"), "45.000000");
    EXPECT_EQ(Key(5, "Medal1"), "Yes");
    EXPECT_EQ(Key(5, "Medal2"), "No");
    EXPECT_EQ(Key(5, "Medal6"), "No");
    EXPECT_EQ(Key(5, "Medal7"), "Yes");
    EXPECT_EQ(Key(5, "MedalsInx6"), "6");
    EXPECT_EQ(Key(5, "MedalsInx7"), "-1");
    EXPECT_EQ(Key(5, "Type"), "0");
    EXPECT_EQ(Key(5, "Qual8"), "Yes");
    // Taking it away divides again; a factor of 0 or less leaves the experience alone, and
    // experience that is no number is written as 0.
    seaman.held[0] = false;
    SaveCrewMan(seaman, context, prompter);
    EXPECT_EQ(Key(5, "Experience"), "30.000000");
    WriteText(context.basicCfg, "[MEDALS_CREW]\r\nExperience=0\r\n");
    seaman.storedExperience = 30;
    seaman.held[0] = true;
    seaman.storedMedal0 = -1;
    SaveCrewMan(seaman, context, prompter);
    EXPECT_EQ(Key(5, "Experience"), "30.000000");
    seaman.storedExperience = std::numeric_limits<double>::quiet_NaN();
    SaveCrewMan(seaman, context, prompter);
    EXPECT_EQ(Key(5, "Experience"), "0.000000");
    seaman.storedExperience = -4;
    SaveCrewMan(seaman, context, prompter);
    EXPECT_EQ(Key(5, "Experience"), "0.000000");

    // Qualifications in slots 0 and 2 are packed; the stale third key goes.
    CrewmanView petty = View(3, 4, "Karl Dorn", 120);
    petty.qual = {6, -1, 1};
    SaveCrewMan(petty, context, prompter);
    EXPECT_EQ(Key(3, "Qualification0"), "6");
    EXPECT_EQ(Key(3, "Qualification1"), "1");
    EXPECT_EQ(Key(3, "Qualification2"), "(none)");
    EXPECT_EQ(Key(3, "NrQual"), "2");
    EXPECT_EQ(Key(3, "Type"), "2");
    petty.qual = {-1, 6, -1};
    SaveCrewMan(petty, context, prompter);
    EXPECT_EQ(Key(3, "Type"), "1");
    seaman.qual = {4, -1, -1};
    SaveCrewMan(seaman, context, prompter);
    EXPECT_EQ(Key(5, "Type"), "1");
    // Officers keep their Type; a changed face writes its three keys, and medals 2 or 3 give
    // full morale.
    CrewmanView officer = View(0, 6, "Otto Kretz", 600);
    officer.qual = {1, 2, 3};
    officer.faceChange = 14;
    officer.held[3] = true;
    SaveCrewMan(officer, context, prompter);
    EXPECT_EQ(Key(0, "Type"), "2");
    EXPECT_EQ(Key(0, "NrQual"), "3");
    EXPECT_EQ(Key(0, "Index"), "3");
    EXPECT_EQ(Key(0, "HeadIdx"), "0");
    EXPECT_EQ(Key(0, "HasHelmet"), "Yes");
    EXPECT_EQ(Key(0, "Morale"), "1.000000");
}

TEST_F(EditingRules, SavingKeepsEveryOtherByteAndNeverCreatesOrRevivesACrewman) {
    CrewmanView petty = View(3, 4, "Karl Dorn", 120);
    petty.qual = {2, -1, -1};
    SaveCrewMan(petty, context, prompter);
    const std::string after = ReadText(context.roster);
    // Everything before the slot, the other slots, the comments and the unknown keys stay as
    // they were.
    const std::string_view roster = kRoster;
    const std::size_t slot3 = roster.find("[CREW_MEMBER_3]");
    const std::size_t slot5 = roster.find("[CREW_MEMBER_5]");
    EXPECT_EQ(after.substr(0, slot3), roster.substr(0, slot3));
    EXPECT_NE(after.find(roster.substr(slot5)), std::string::npos);
    EXPECT_NE(after.find("\r\nUnknown=1 2 3\r\n"), std::string::npos);
    EXPECT_EQ(after.find("\n\n"), std::string::npos);

    // At sea nothing is written.
    context.atSea = true;
    ReplacementCounter counter;
    EXPECT_THROW(SaveCrewMan(petty, context, prompter), Error);
    EXPECT_THROW(DismissOrReplace(DismissChoice::Dismiss, petty, context, counter, {}, prompter), Error);
    EXPECT_EQ(ReadText(context.roster), after);
    context.atSea = false;

    // An empty slot is not brought back to half a life; a missing roster is not created.
    const CrewmanView gone = View(8, 1, "Gone Man", 0);
    EXPECT_THROW(SaveCrewMan(gone, context, prompter), Error);
    EXPECT_EQ(ReadText(context.roster), after);
    fs::remove(context.roster);
    try {
        SaveCrewMan(petty, context, prompter);
        ADD_FAILURE() << "a missing roster was saved";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("is missing"), std::string::npos) << e.what();
    }
    EXPECT_THROW(DismissOrReplace(DismissChoice::Dismiss, petty, context, counter, {}, prompter), Error);
    EXPECT_FALSE(fs::exists(context.roster));
}

TEST(EditingRulesAvailability, TheChainAndTheDatesDecideWhatIsOffered) {
    CrewmanView view;
    view.held[0] = true;
    view.held[1] = true;
    // Before the German Cross exists, medal 3 follows medal 1 directly; from its date, only 2 does.
    EXPECT_TRUE(DisplayAvailMedals(view, "19410927").offered[3]);
    EXPECT_FALSE(DisplayAvailMedals(view, "19410927").offered[2]);
    EXPECT_FALSE(DisplayAvailMedals(view, "19410928").offered[3]);
    EXPECT_TRUE(DisplayAvailMedals(view, "19410928").offered[2]);
    view.held[2] = true;
    Availability a = DisplayAvailMedals(view, "19410928");
    EXPECT_TRUE(a.offered[3]);
    EXPECT_FALSE(a.removable[0]);
    EXPECT_FALSE(a.removable[1]);
    EXPECT_TRUE(a.removable[2]);
    EXPECT_FALSE(a.removable[3]);
    // Badges need a patrol and their dates; medal 0 a patrol.
    EXPECT_FALSE(a.offered[0]);
    EXPECT_FALSE(a.offered[6] || a.offered[7] || a.offered[8]);
    view = {};
    view.patrols = 1;
    a = DisplayAvailMedals(view, "19440514");
    EXPECT_TRUE(a.offered[0] && a.offered[7] && a.offered[8]);
    EXPECT_FALSE(a.offered[6] || a.offered[1] || a.offered[4] || a.offered[5]);
    EXPECT_TRUE(DisplayAvailMedals(view, "19440515").offered[6]);
    EXPECT_FALSE(DisplayAvailMedals(view, "19391012").offered[7]);
    view.held[0] = true;
    EXPECT_FALSE(DisplayAvailMedals(view, "19440514").offered[0]);  // held already
    view.held = {false, false, false, false, true, true, true, true, true};
    a = DisplayAvailMedals(view, "19440515");
    EXPECT_FALSE(a.removable[4]);
    EXPECT_TRUE(a.removable[5] && a.removable[6] && a.removable[7] && a.removable[8]);
}

TEST_F(EditingRules, SuggestionsAreIdsAndAutoFixOnlyChangesWhatTheyAsk) {
    CrewmanView view = View(5, 0, "Jan Bauer", 30);
    view.patrols = 1;
    view.held[7] = true;
    // Only remark 5: a judgement for the player, no Auto Fix.
    EXPECT_EQ(SuggestionIds(view, "19420301"), std::vector<int>{5});
    EXPECT_FALSE(AutoFixEnabled({5}));
    EXPECT_FALSE(AutoFixEnabled({}));
    // Remarks 4 and 5: Auto Fix is offered but changes and saves nothing.
    const std::vector<int> fourFive = SuggestionIds(view, "19440515");
    EXPECT_EQ(fourFive, (std::vector<int>{4, 5}));
    EXPECT_TRUE(AutoFixEnabled(fourFive));
    const std::string before = ReadText(context.roster);
    EXPECT_FALSE(AutoFix(view, fourFive, context, prompter));
    EXPECT_EQ(ReadText(context.roster), before);

    // A wound badge before the war badge exists: remark 8, but award 7 is not added, which
    // would only raise remark 7 and be taken away again.
    view.held = {};
    view.held[8] = true;
    view.patrols = 2;
    context.startDateText = "19390901";
    EXPECT_EQ(SuggestionIds(view, context.startDateText), (std::vector<int>{5, 8}));
    EXPECT_FALSE(AutoFix(view, {5, 8}, context, prompter));
    EXPECT_FALSE(view.held[7]);
    EXPECT_EQ(ReadText(context.roster), before);
    context.startDateText = "19420301";
    // From its date on, remarks 1 and 8 give award 7, and the fix is saved.
    const std::vector<int> ids = SuggestionIds(view, "19420301");
    EXPECT_EQ(ids, (std::vector<int>{1, 5, 8}));
    EXPECT_TRUE(AutoFix(view, ids, context, prompter));
    EXPECT_EQ(Key(5, "MedalsInx7"), "7");
    EXPECT_TRUE(SuggestionIds(view, "19420301") == std::vector<int>{5});
    // Badges and the cross held before their dates are taken away.
    view.held = {false, false, true, false, false, false, true, true, false};
    view.storedExperience = 600;
    EXPECT_EQ(SuggestionIds(view, "19390101"), (std::vector<int>{2, 3, 5, 7}));
    EXPECT_TRUE(ApplyAutoFix(view, {2, 3, 7}, "19390101"));
    EXPECT_FALSE(view.held[2] || view.held[6] || view.held[7]);
    // An officer of grade 7 with medal 0 and 500 experience is worth a promotion.
    view.held = {};
    view.held[0] = true;
    view.selectedGrade = 7;
    view.storedExperience = 500;
    EXPECT_EQ(SuggestionIds(view, "19390101"), std::vector<int>{6});

    // Texts from the program's table, the code where an id is missing.
    EXPECT_EQ(SuggestionTexts(context, {1, 7}),
              (std::vector<std::string>{"Give him the badge [01]", "[07]"}));
    // The shipped tables give every remark real advice that carries its code, in each language.
    for (const char* table : {"Seewolf_en.txt", "Seewolf_de.txt", "Seewolf_fr.txt"}) {
        context.progTexts = fs::path(SEEWOLF_CONTENT_DIR) / table;
        const std::vector<std::string> texts = SuggestionTexts(context, {1, 2, 3, 4, 5, 6, 7, 8});
        for (std::size_t i = 0; i < texts.size(); ++i) {
            const std::string code = "[0" + std::to_string(i + 1) + "]";
            EXPECT_NE(texts[i].find(code), std::string::npos) << table << " " << code;
            EXPECT_GT(texts[i].size(), 40u) << table << " " << code;
        }
    }
}

TEST_F(EditingRules, ReplacingChargesTheStoredGradesCostAndDoubleFromTheSeventh) {
    int generated = 0;
    int generatedGrade = -1;
    const CrewmanGenerator generate = [&](ProfileEdit& roster, std::string_view section, int grade) {
        ++generated;
        generatedGrade = grade;
        roster.WriteString(section, "Name", "Neu Mann");
        return std::string("Matrose Neu Mann - First post-training deployment");
    };
    ReplacementCounter counter;
    // The cost and the newcomer's class follow the stored grade, not an unsaved selection.
    CrewmanView view = View(3, 4, "Karl Dorn", 120);
    view.selectedGrade = 6;
    EXPECT_EQ(ReplacementCost(view.storedGrade, counter), 125);
    EXPECT_EQ(
        DismissQuestion(RankText(context, 4), "Karl Dorn", 125),
        "Would you like to dismiss or replace Maat;short Karl Dorn (replacing costs 125 renown points)?");
    EXPECT_EQ(RankText(context, 9), "Unknown");

    double delta = 12.5;
    for (int n = 1; n <= 7; ++n) {
        const int cost = ReplacementCost(view.storedGrade, counter);
        EXPECT_EQ(cost, n <= 6 ? 125 : 250) << n;
        DismissOrReplace(DismissChoice::Replace, view, context, counter, generate, prompter);
        delta -= cost;
        EXPECT_EQ(ProfileFile(patrolsFile()).ReadString("PATROL 003", "DeltaRenown", ""),
                  FormatFloat6(delta));
        const std::string& outcome = prompter.messages.back().text;
        EXPECT_EQ(outcome.find("BdU has expressed") != std::string::npos, n >= 6) << n;
    }
    EXPECT_EQ(counter.Count(), 7);
    EXPECT_EQ(generatedGrade, 4);
    EXPECT_EQ(Key(3, "Name"), "Neu Mann");
    EXPECT_EQ(ProfileFile(patrolsFile()).ReadString("PATROL 003", "Other", ""), "x");
    const std::string warned =
        "Maat;short Karl Dorn has been replaced by Matrose Neu Mann - First post-training "
        "deployment.\r\n\r\nBdU has expressed extreme displeasure at the number of transfer "
        "requests that you have made. Subsequent requests will cost double renown points!";
    EXPECT_EQ(prompter.messages.back().text, warned);

    // Cancel changes nothing; Dismiss empties the slot and keeps the rest of it.
    DismissOrReplace(DismissChoice::Cancel, view, context, counter, generate, prompter);
    DismissOrReplace(DismissChoice::Dismiss, View(7, 2, "Max Roth", 0), context, counter, generate, prompter);
    EXPECT_EQ(Key(7, "NrComp"), "-1");
    EXPECT_EQ(Key(7, "Name"), "Max Roth");
    EXPECT_EQ(
        prompter.messages.back().text,
        "Error! Max Roth has been dismissed. You can select a replacement when you next load this career "
        "in Silent Hunter III.");
    EXPECT_EQ(generated, 7);
    EXPECT_EQ(counter.Count(), 7);
}

TEST_F(EditingRules, AFailedReplaceChargesNothing) {
    const CrewmanGenerator generate = [](ProfileEdit& roster, std::string_view section, int) {
        roster.WriteString(section, "Name", "Neu Mann");
        return std::string("Matrose Neu Mann");
    };
    const CrewmanGenerator failing = [](ProfileEdit& roster, std::string_view section, int) -> std::string {
        roster.WriteString(section, "Name", "Half Mann");
        throw Error("Cfg/Names_first.lst is missing");
    };
    ReplacementCounter counter;
    const CrewmanView view = View(3, 4, "Karl Dorn", 120);
    const std::string roster = ReadText(context.roster);
    const std::string patrols = ReadText(patrolsFile());
    const auto unchanged = [&] {
        EXPECT_EQ(ReadText(context.roster), roster);
        EXPECT_EQ(ReadText(patrolsFile()), patrols);
        EXPECT_EQ(counter.Count(), 0);
    };

    platform::SetReadOnly(patrolsFile(), true);
    EXPECT_THROW(DismissOrReplace(DismissChoice::Replace, view, context, counter, generate, prompter), Error);
    unchanged();
    platform::SetReadOnly(patrolsFile(), false);

    EXPECT_THROW(DismissOrReplace(DismissChoice::Replace, view, context, counter, failing, prompter), Error);
    unchanged();

    context.patrolCount = 4;  // no section for this patrol
    EXPECT_THROW(DismissOrReplace(DismissChoice::Replace, view, context, counter, generate, prompter), Error);
    unchanged();
    context.patrolCount = 3;

    WriteText(patrolsFile(), "[PATROL 003]\r\nDeltaRenown=lots\r\n");
    EXPECT_THROW(DismissOrReplace(DismissChoice::Replace, view, context, counter, generate, prompter), Error);
    EXPECT_EQ(ReadText(context.roster), roster);

    fs::remove(patrolsFile());
    EXPECT_THROW(DismissOrReplace(DismissChoice::Replace, view, context, counter, generate, prompter), Error);
    EXPECT_EQ(ReadText(context.roster), roster);
    EXPECT_FALSE(fs::exists(patrolsFile()));
    EXPECT_TRUE(prompter.messages.empty());
}

}  // namespace
}  // namespace seewolf::crew
