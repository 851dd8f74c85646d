#include "crew/transfers.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <set>

#include "app/error.h"
#include "app/language.h"
#include "app/profile_file.h"
#include "app/random.h"
#include "career/career.h"
#include "crew/roster.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "support/scripted_prompter.h"
#include "support/temp_world.h"

namespace seewolf::crew {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;
using testing::RunTestChild;
using testing::ScriptedPrompter;
using testing::WriteText;

// A roster of one crewman per grade given, in slots 0, 1, 2, ..., in compartment 3 (the crewman of
// the grade -1 entry: compartment 8), each with keys the newcomer must replace or keep.
std::string RosterOf(const std::vector<int>& grades) {
    std::string text = "; the game's roster\r\n";
    for (std::size_t i = 0; i < grades.size(); ++i) {
        const bool aft = grades[i] < 0;
        text += "[CREW_MEMBER_" + std::to_string(i) + "]\r\nName=Man " + std::to_string(i) +
                "\r\nGrad=" + std::to_string(aft ? 0 : grades[i]) +
                "\r\nNrQual=1\r\nQualification0=5\r\nQualification1=6\r\nSpecialAbility=2\r\nType=1\r\n"
                "Qual3=Yes\r\nMedal0=Yes\r\nGameOnly=7\r\nNrComp=" +
                (aft ? "8" : "3") + "\r\n\r\n";
    }
    return text;
}

class Transfers : public ::testing::Test {
  protected:
    Transfers() {
        career.CareerFolder = world.Root() / "career" / "";
        fs::create_directories(career.CareerFolder);
        career.PatrolCount = 3;
        career.SubTypeNb = 1;
        career.StartDateText = "19420601";
        career.CareerStatus = CareerStatus::InBase;
    }
    void Rules(std::string_view range, std::string_view officer, std::string_view petty,
               std::string_view seaman) {
        const ProfileFile options(world.GetPaths().Prog("Cfg\\SH3 options.cfg"));
        options.WriteString("REALISTICCREWXFR", "RANGE", range);
        options.WriteString("REALISTICCREWXFR", "Officer", officer);
        options.WriteString("REALISTICCREWXFR", "PettyOfficer", petty);
        options.WriteString("REALISTICCREWXFR", "Seaman", seaman);
    }
    void Setup(std::string_view key, std::string_view value) {
        ProfileFile(world.GetPaths().Prog("Cfg\\SH3 options.cfg")).WriteString("CREW SETUP", key, value);
    }
    std::string Transfer(std::uint64_t seed) {
        Random random(seed);
        return TransferCrewmen(world.GetPaths(), language, career, prompter, random);
    }
    std::string Generate(int oldGrade, std::uint64_t seed, std::string_view date = "19420601") {
        ProfileEdit roster{ProfileFile(CrewFile(career))};
        Random random(seed);
        std::string line =
            GenerateCrewMan(world.GetPaths(), language, roster, "CREW_MEMBER_0", oldGrade, date, random);
        roster.Commit();
        return line;
    }
    Crewman Newcomer() { return ReadRoster(CrewFile(career), career.SubTypeNb).front(); }

    testing::TempWorld world;
    const Language language = ChooseLanguage(world.GetPaths());
    SelectedCareer career;
    ScriptedPrompter prompter;
};

TEST_F(Transfers, DrawsMatchWholeNumbersAndFallThroughToTheNextClass) {
    WriteText(CrewFile(career), RosterOf({7, 4, 1}));
    const std::string before = ReadText(CrewFile(career));
    // Draws 0 and 1: "11" and "10" are no 1 or 0, so officers never leave.
    Rules("2", "11,10", "1, 0", "");
    std::set<std::string> ranks;
    for (std::uint64_t seed = 1; seed <= 12; ++seed) {
        WriteText(CrewFile(career), before);
        prompter.plainMessages.clear();
        const std::string summary = Transfer(seed);
        ASSERT_FALSE(summary.empty()) << seed;  // a petty officer leaves on every draw
        EXPECT_EQ(summary.find("Leutnant"), std::string::npos) << summary;
        EXPECT_NE(summary.find("Obermaat Man 1 (Radio) - "), std::string::npos) << summary;
        ASSERT_EQ(prompter.plainMessages.size(), 1u);
        EXPECT_EQ(prompter.plainMessages[0], std::string(kTransferSummaryTitle) + "\n" + summary);
    }
    // With no officer aboard an officer's draw passes to the petty officers, and with none of
    // them either to the seamen.
    WriteText(CrewFile(career), RosterOf({1, 4}));
    Rules("1", "0", "0", "");
    EXPECT_NE(Transfer(3).find("Man 1 (Radio)"), std::string::npos);
    WriteText(CrewFile(career), RosterOf({1, -1}));  // the seaman aft has no compartment 8 on a Type II
    career.SubTypeNb = 0;
    Rules("1", "0", "0", "0");
    EXPECT_NE(Transfer(3).find("Man 0 (Radio)"), std::string::npos);
    EXPECT_EQ(Transfer(3).find("Man 1"), std::string::npos);
}

TEST_F(Transfers, OnlyATransferBringsANewcomerAndTheSummaryHasItsLoneCarriageReturn) {
    Rules("1", "0", "", "");
    int mishaps = 0;
    int transfers = 0;
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
        WriteText(CrewFile(career), RosterOf({8, 8, 8}));
        const std::string summary = Transfer(seed);
        ASSERT_EQ(summary.rfind("TRANSFERS OUT\r\n\r\n", 0), 0u) << summary;
        const std::size_t in = summary.find("\rTRANSFERS IN\r\n\r\n");
        ASSERT_NE(in, std::string::npos);
        const std::string outs = summary.substr(17, in - 17);
        const std::string ins = summary.substr(in + 17);
        int out = 0;
        int transferred = 0;
        for (std::size_t at = outs.find("\r\n"); at != std::string::npos; at = outs.find("\r\n", at + 2)) {
            ++out;
        }
        for (std::size_t at = outs.find("Transferred to another U-boat"); at != std::string::npos;
             at = outs.find("Transferred to another U-boat", at + 1)) {
            ++transferred;
        }
        EXPECT_EQ(outs.substr(outs.size() - 2), "\r\n");  // so "\r\n\r" stands between the two lists
        int empty = 0;
        for (int slot = 0; slot < 3; ++slot) {
            empty += IsOccupied(ProfileEdit(ProfileFile(CrewFile(career))), slot) ? 0 : 1;
        }
        EXPECT_EQ(empty, out - transferred) << summary;
        if (transferred == 0) {
            EXPECT_EQ(ins, "NIL");
        } else {
            EXPECT_EQ(ins.size() - ins.find_last_of('\n'), 1u);
            EXPECT_EQ(static_cast<int>(std::count(ins.begin(), ins.end(), '\n')), transferred) << ins;
        }
        mishaps += out - transferred;
        transfers += transferred;
    }
    EXPECT_GT(mishaps, 0);
    EXPECT_GT(transfers, 0);
}

TEST_F(Transfers, NoRulesOrNoRosterChangeNothingAndFailuresAreSaid) {
    WriteText(CrewFile(career), RosterOf({7, 4, 1}));
    const std::string before = ReadText(CrewFile(career));
    ProfileFile(world.GetPaths().Prog("Cfg\\SH3 options.cfg")).EraseSection("REALISTICCREWXFR");
    for (std::uint64_t seed = 1; seed <= 5; ++seed) {
        EXPECT_EQ(Transfer(seed), "");
    }
    EXPECT_EQ(ReadText(CrewFile(career)), before);
    EXPECT_TRUE(prompter.plainMessages.empty());

    Rules("1", "0", "0", "0");
    fs::remove(CrewFile(career));
    EXPECT_EQ(Transfer(1), "");
    EXPECT_FALSE(fs::exists(CrewFile(career)));
    EXPECT_THROW(Generate(8, 1), Error);  // a replacement never creates the roster either
    EXPECT_FALSE(fs::exists(CrewFile(career)));

    // A roster that cannot be written: the error, and no summary of what did not happen.
    WriteText(CrewFile(career), before);
    fs::permissions(CrewFile(career), fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_THROW(Transfer(1), Error);
    EXPECT_TRUE(prompter.plainMessages.empty());
    EXPECT_EQ(ReadText(CrewFile(career)), before);
    fs::permissions(CrewFile(career), fs::perms::owner_write, fs::perm_options::add);

    Rules("1", "0", "x", "0");  // a list that is no list of numbers is refused, not ignored
    EXPECT_THROW(Transfer(1), Error);
}

TEST_F(Transfers, ANewcomerTakesTheLowerGradesOfTheClassAndEveryKeyOfHisOwn) {
    WriteText(CrewFile(career), RosterOf({8}));
    const std::string before = ReadText(CrewFile(career));
    std::set<int> officerGrades;
    std::set<int> seamanGrades;
    for (std::uint64_t seed = 1; seed <= 16; ++seed) {
        WriteText(CrewFile(career), before);
        const std::string line = Generate(8, seed);
        const Crewman officer = Newcomer();
        officerGrades.insert(officer.grade);
        EXPECT_EQ(
            line.rfind(
                ShortRankText(MenuTable(world.GetPaths(), language), officer.grade) + " " + officer.name, 0),
            0u);
        ASSERT_TRUE(FaceOfIndex(officer.index)) << officer.index;
        EXPECT_EQ(FaceKeysOf(*FaceOfIndex(officer.index)).headIdx, officer.headIdx);
        EXPECT_LE(officer.name.size(), 20u);
        EXPECT_EQ(officer.nrComp, 3);  // his place stays
        EXPECT_LE(officer.nrQual, 1);
        EXPECT_EQ(officer.qualification[1], -1);
        EXPECT_EQ(officer.nrQual == 1, officer.qualification[0] >= 0) << line;
        const ProfileFile roster(CrewFile(career));
        EXPECT_FALSE(roster.FindString("CREW_MEMBER_0", "SpecialAbility"));
        EXPECT_EQ(roster.ReadString("CREW_MEMBER_0", "GameOnly", ""), "7");  // keys of the game stay
        EXPECT_EQ(roster.ReadString("CREW_MEMBER_0", "Type", ""), "1");
        EXPECT_EQ(roster.ReadString("CREW_MEMBER_0", "Renown", ""), "0.000000");
        EXPECT_EQ(roster.ReadString("CREW_MEMBER_0", "HitPoints", ""), "130.000000");
        EXPECT_GE(officer.voiceIdx, 1);
        EXPECT_LE(officer.voiceIdx, 6);

        WriteText(CrewFile(career), before);
        Generate(2, seed);
        const Crewman seaman = Newcomer();
        seamanGrades.insert(seaman.grade);
        EXPECT_EQ(seaman.index, 0);
        EXPECT_EQ(seaman.nrQual, 0);
        EXPECT_FALSE(ProfileFile(CrewFile(career)).FindString("CREW_MEMBER_0", "Qualification0"));
    }
    EXPECT_EQ(officerGrades, (std::set<int>{6, 7}));
    EXPECT_EQ(seamanGrades, (std::set<int>{0, 1}));
}

TEST_F(Transfers, VeteransEarnTheirMedalsByTheirPatrolsAndTheDate) {
    WriteText(CrewFile(career), RosterOf({4}));
    const std::string before = ReadText(CrewFile(career));
    ProfileFile(world.GetPaths().Game("data\\Cfg\\Basic.cfg"))
        .WriteString("MEDALS_CREW", "Experience", "1.5");
    Setup("1944", "100");
    Setup("1942", "100");
    Setup("EKIIChance", "100");
    Setup("MaxPatrols", "1");
    for (std::uint64_t seed = 1; seed <= 8; ++seed) {
        WriteText(CrewFile(career), before);
        EXPECT_NE(Generate(4, seed, "19440514").find(" - Transferred from another U-boat"),
                  std::string::npos);
        const Crewman one = Newcomer();
        EXPECT_EQ(one.patrols, 1);
        EXPECT_FALSE(one.Holds(7));  // one patrol earns no war badge
        EXPECT_TRUE(one.Holds(0));
        EXPECT_FALSE(one.Holds(6));  // the front clasp only from 15 May 1944
        WriteText(CrewFile(career), before);
        Generate(4, seed, "19440515");
        EXPECT_TRUE(Newcomer().Holds(6));
    }
    // The patrols up to the medal count with its factor: (100 + k) * 1.5 + (P - k).
    Setup("MaxPatrols", "4");
    bool found155 = false;
    for (std::uint64_t seed = 1; seed <= 200 && !found155; ++seed) {
        WriteText(CrewFile(career), before);
        Generate(4, seed);
        const Crewman v = Newcomer();
        EXPECT_TRUE(v.Holds(0));
        if (v.grade != 3) {
            continue;
        }
        EXPECT_EQ(v.Holds(7), v.patrols >= 2);
        bool consistent = false;
        for (int k = 1; k <= v.patrols; ++k) {
            consistent = consistent || v.experience == (100 + k) * 1.5 + (v.patrols - k);
        }
        EXPECT_TRUE(consistent) << v.experience << " after " << v.patrols;
        found155 = v.patrols == 4 && v.experience == 155.0;
    }
    EXPECT_TRUE(found155);
    // Without the medal: no clasp, whatever the date; from training: nothing at all.
    Setup("EKIIChance", "0");
    WriteText(CrewFile(career), before);
    Generate(4, 5, "19440601");
    EXPECT_FALSE(Newcomer().Holds(6));
    EXPECT_FALSE(Newcomer().Holds(0));
    Setup("1942", "0");
    WriteText(CrewFile(career), before);
    EXPECT_NE(Generate(4, 5).find(" - First post-training deployment"), std::string::npos);
    EXPECT_EQ(Newcomer().patrols, 0);
    // A medal factor of 0 or less never makes the experience negative.
    ProfileFile(world.GetPaths().Game("data\\Cfg\\Basic.cfg")).WriteString("MEDALS_CREW", "Experience", "-3");
    Setup("1942", "100");
    Setup("EKIIChance", "100");
    WriteText(CrewFile(career), before);
    Generate(4, 5);
    EXPECT_EQ(Newcomer().experience, 0.0);
}

// ---- Cut at any file operation ----
//
// The test runs this test binary again as a child (TransfersChild.Run, given its folders through
// the environment) with SEEWOLF_FAULT_AFTER=N, so that the transfers end abruptly after their N-th
// changing file operation.

constexpr int kCutExit = platform::kFaultExitCode;

TEST(TransfersChild, Run) {
    const char* root = std::getenv("SEEWOLF_TRANSFERS_ROOT");
    if (root == nullptr) {
        GTEST_SKIP() << "run by the cut test only";
    }
    Paths paths;
    paths.ProgFolder = fs::path(root) / "";
    paths.GameFolder = fs::path(std::getenv("SEEWOLF_TRANSFERS_GAME")) / "";
    SelectedCareer career;
    career.CareerFolder = fs::path(std::getenv("SEEWOLF_TRANSFERS_CAREER")) / "";
    career.PatrolCount = 3;
    career.SubTypeNb = 1;
    career.StartDateText = "19420601";
    ScriptedPrompter prompter;
    Random random(std::strtoull(std::getenv("SEEWOLF_TRANSFERS_SEED"), nullptr, 10));
    TransferCrewmen(paths, Language{}, career, prompter, random);
}

int RunChild(const Paths& paths, const SelectedCareer& career, std::uint64_t seed, int faultAfter) {
    return RunTestChild("TransfersChild.Run",
                        {{"SEEWOLF_TRANSFERS_ROOT", platform::Utf8FromPath(paths.ProgFolder)},
                         {"SEEWOLF_TRANSFERS_GAME", platform::Utf8FromPath(paths.GameFolder)},
                         {"SEEWOLF_TRANSFERS_CAREER", platform::Utf8FromPath(career.CareerFolder)},
                         {"SEEWOLF_TRANSFERS_SEED", std::to_string(seed)},
                         {"SEEWOLF_FAULT_AFTER", std::to_string(faultAfter)}});
}

// Each slot holds the crewman it held, the same man gone (NrComp -1), or a whole newcomer.
void ExpectWholeSlots(const fs::path& file, const std::string& before, const std::string& what) {
    const fs::path copy = file.parent_path() / "before.cfg";
    WriteText(copy, before);
    const ProfileFile old(copy);
    const ProfileFile now(file);
    static constexpr const char* kNewcomerKeys[] = {
        "Name",       "Index",        "Grad",       "Renown",    "Patrols",    "Morale",
        "Fatigue",    "HealthStatus", "WasWounded", "HitPoints", "Experience", "NrQual",
        "MedalsInx0", "MedalsInx8",   "HeadIdx",    "HasHelmet", "VoiceIdx",   "Prom"};
    for (int slot = 0; slot < 6; ++slot) {
        const std::string section = SlotSection(slot);
        std::vector<ProfileLine> was = SectionLines(old, section);
        const std::vector<ProfileLine> is = SectionLines(now, section);
        std::vector<ProfileLine> gone = was;
        for (ProfileLine& line : gone) {
            line.value = line.key == "NrComp" ? "-1" : line.value;
        }
        const auto same = [](const std::vector<ProfileLine>& a, const std::vector<ProfileLine>& b) {
            return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                              [](const ProfileLine& x, const ProfileLine& y) {
                                  return x.key == y.key && x.value == y.value;
                              });
        };
        if (same(is, was) || same(is, gone)) {
            continue;
        }
        for (const char* key : kNewcomerKeys) {
            EXPECT_TRUE(now.FindString(section, key)) << what << ": slot " << slot << " lacks " << key;
        }
        EXPECT_FALSE(now.FindString(section, "Qualification1")) << what << ": slot " << slot;
        EXPECT_FALSE(now.FindString(section, "SpecialAbility")) << what << ": slot " << slot;
        EXPECT_EQ(now.ReadString(section, "NrComp", ""), "3") << what << ": slot " << slot;
    }
}

TEST_F(Transfers, ACutAtAnyFileOperationLeavesEverySlotWhole) {
    Rules("1", "0", "0", "0");
    const std::string before = RosterOf({8, 7, 6, 5, 4, 3});
    int cuts = 0;
    for (const std::uint64_t seed : {1u, 2u, 3u, 4u}) {
        for (int n = 1;; ++n) {
            WriteText(CrewFile(career), before);
            const int exit = RunChild(world.GetPaths(), career, seed, n);
            ASSERT_TRUE(exit == kCutExit || exit == 0)
                << "seed " << seed << " cut after " << n << ": " << exit;
            ExpectWholeSlots(CrewFile(career), before,
                             "seed " + std::to_string(seed) + " cut after " + std::to_string(n));
            if (exit == 0) {
                EXPECT_NE(ReadText(CrewFile(career)), before);
                break;
            }
            ++cuts;
        }
    }
    EXPECT_GT(cuts, 0);
}

}  // namespace
}  // namespace seewolf::crew
