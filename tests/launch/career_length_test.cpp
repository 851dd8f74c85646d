#include "launch/career_length.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "app/error.h"
#include "app/language.h"
#include "app/profile_file.h"
#include "app/random.h"
#include "career/career.h"
#include "demo/demo.h"
#include "support/scripted_prompter.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

using testing::ReadText;
using testing::WriteText;

class CareerLength : public ::testing::Test {
  protected:
    testing::TempWorld world;
    const Paths& paths = world.GetPaths();
    testing::ScriptedPrompter prompter;

    void WriteRules(const std::string& lines) const {
        WriteText(paths.Prog("Cfg\\SH3 options.cfg"), "[OTHER]\r\nRANGE=5\r\n[REALISTICLENGTH]\r\n" + lines);
    }

    // Two finished patrols: 1 Jan to 1 Jun 1940 (153 days, a leap year), then one whose start is
    // no date and falls back to the first patrol's start in Patrols_0.cfg, 1 Jul 1940, ending on
    // 22 Jul (22 days). Experience 2 x 175 = 350.
    SelectedCareer HandMadeCareer() const {
        SelectedCareer career;
        career.CareerStatus = CareerStatus::InBase;
        career.CareerFolder = world.Root() / "career";
        career.PatrolCount = 2;
        std::filesystem::remove(career.CareerFolder / "Careers.cfg");
        WriteText(career.CareerFolder / "Patrols.cfg",
                  "[PATROL 000]\r\nStartDay=1\r\nStartMonth=1\r\nStartYear=1940\r\n"
                  "EndDay=1\r\nEndMonth=6\r\nEndYear=1940\r\n"
                  "[PATROL 001]\r\nStartDay=31\r\nStartMonth=6\r\nStartYear=1940\r\n"
                  "EndDay=22\r\nEndMonth=7\r\nEndYear=1940\r\n");
        WriteText(career.CareerFolder / "Patrols_0.cfg",
                  "[PATROL 000]\r\nStartDay=1\r\nStartMonth=7\r\nStartYear=1940\r\n");
        return career;
    }
};

TEST_F(CareerLength, TheLastReachedThresholdDecidesWithWholeDrawsAndOneDrawPerCheck) {
    struct Case {
        std::string rules;
        bool ends;
    };
    const std::vector<Case> cases = {
        // Only the line of 200 counts at 350; 0 inside 10 and 20 is no draw of 0.
        {"RANGE=1\r\n0=0\r\n200=10,20\r\n500=0\r\n", false},
        {"RANGE=1\r\n0=\r\n200=3, 0\r\n500=\r\n", true},
        // The threshold is reached at exactly 350 (days counted inclusively, the fallback start).
        {"RANGE=1\r\n350=0\r\n351=\r\n", true},
        // Below every threshold the career goes on; RANGE is no threshold wherever it stands.
        {"400=0\r\nRANGE=7\r\n", false},
        {"RANGE=1\r\n", false},
    };
    {
        // The shipped rules: read without error, and 350 is below their first draw.
        SelectedCareer career = HandMadeCareer();
        Random random(3);
        EXPECT_FALSE(CheckCareerLength(paths, career, prompter, random).ended);
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rules);
        SelectedCareer career = HandMadeCareer();
        WriteRules(c.rules);
        const int range =
            ProfileFile(paths.Prog("Cfg\\SH3 options.cfg")).ReadInteger("REALISTICLENGTH", "RANGE", 0);
        Random random(77);
        Random expected = random;
        expected.Next(range);
        const CareerLengthResult result = CheckCareerLength(paths, career, prompter, random);
        EXPECT_EQ(result.ended, c.ends);
        EXPECT_EQ(career.CareerStatus, c.ends ? CareerStatus::Retired : CareerStatus::InBase);
        EXPECT_EQ(random.Next(1000000), expected.Next(1000000)) << "exactly one draw from RANGE";
        EXPECT_EQ(ReadText(career.CareerFolder / "Careers.cfg").empty(), !c.ends);
    }
    // Before its first patrol no career ends: Careers.cfg has no entry to mark.
    SelectedCareer first = HandMadeCareer();
    first.PatrolCount = 0;
    WriteRules("RANGE=1\r\n0=0\r\n");
    Random random(9);
    EXPECT_FALSE(CheckCareerLength(paths, first, prompter, random).ended);
    EXPECT_TRUE(ReadText(first.CareerFolder / "Careers.cfg").empty());
    EXPECT_EQ(prompter.plainMessages.size(), 2u);
}

TEST_F(CareerLength, AnEndedCareerIsRetiredInItsFilesBeforeTheCommuniqueShows) {
    const Language language = ChooseLanguage(paths);
    const std::string name = demo::DemoCareers::InHomeBase;
    SelectedCareer career = LoadCareer(paths, language, name);
    ASSERT_EQ(career.CareerStatus, CareerStatus::InBase);
    WriteRules("RANGE=1\r\n0=0\r\n");

    struct Checking : testing::ScriptedPrompter {
        std::function<void()> check;
        void ShowPlainMessage(std::string_view title, std::string_view text) override {
            check();
            ScriptedPrompter::ShowPlainMessage(title, text);
        }
    };
    const ProfileFile now(career.CareerFolder / "Careers_0.cfg");
    const std::string section = SectionName("CAREER ", career.PatrolCount);
    for (const int rank : {11, 12}) {
        SCOPED_TRACE(rank);
        WriteText(career.CareerFolder / "Careers.cfg", "");
        now.WriteInteger(section, "PlayerRank", rank);
        career.CareerStatus = CareerStatus::InBase;
        career.CmdrRank = "Kapit\xE4nleutnant";
        career.CmdrName = "J\xFCrgen M\xFCller";
        career.SubName = "U-99";
        Checking checking;
        Random random(1);
        checking.check = [&] {
            EXPECT_EQ(LoadCareer(paths, language, name).CareerStatus, CareerStatus::Retired);
        };
        const CareerLengthResult result = CheckCareerLength(paths, career, checking, random);
        ASSERT_TRUE(result.ended);
        ASSERT_EQ(checking.plainMessages.size(), 1u);
        EXPECT_EQ(checking.plainMessages[0], "Career over\n" + result.message);
        const std::string order =
            rank == 11 ? "KAPIT\xC4NLEUTNANT J\xDCRGEN M\xDCLLER TO REPORT IMMEDIATELY TO KIEL FOR\r\n"
                         "REASSIGNMENT TO TRAINING DUTIES.\r\n\r\n"
                       : "CONGRATULATIONS KAPIT\xC4NLEUTNANT J\xDCRGEN M\xDCLLER! YOU ARE TO "
                         "REPORT\r\nIMMEDIATELY TO KIEL TO TAKE COMMAND OF THE 5TH FLOTILLA.\r\n\r\n";
        EXPECT_EQ(result.message, "Herr Kaleun, communique just received...\r\n\r\n\"" + order +
                                      "RELINQUISH COMMAND OF U-99 TO YOUR EXEC.\r\n\r\n"
                                      "R. VODOZOD\r\nKAPIT\xC4N Z. S. UND KOMMANDANT.\"\r\n\r\n"
                                      "Your career is now over.");
    }
}

TEST_F(CareerLength, BadValuesAreErrorsNamingFileSectionAndKeyAndWriteNothing) {
    struct Case {
        std::string rules;
        std::string key;
    };
    const std::vector<Case> cases = {
        {"0=1\r\n", "RANGE"},
        {"RANGE=0\r\n0=0\r\n", "RANGE"},
        {"RANGE=many\r\n", "RANGE"},
        {"RANGE=1\r\n2OO=0\r\n", "2OO"},
        {"RANGE=1\r\n900=0\r\n200=1,x\r\n", "200"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rules);
        SelectedCareer career = HandMadeCareer();
        WriteRules(c.rules);
        Random random(5);
        try {
            CheckCareerLength(paths, career, prompter, random);
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            const std::string text = e.what();
            EXPECT_NE(text.find("SH3 options.cfg"), std::string::npos) << text;
            EXPECT_NE(text.find("REALISTICLENGTH]"), std::string::npos) << text;
            EXPECT_NE(text.find(" " + c.key), std::string::npos) << text;
        }
        EXPECT_EQ(career.CareerStatus, CareerStatus::InBase);
    }

    SelectedCareer career = HandMadeCareer();
    WriteRules("RANGE=1\r\n0=0\r\n");
    ProfileFile(career.CareerFolder / "Patrols.cfg").WriteString("PATROL 001", "EndMonth", "13");
    Random random(5);
    try {
        CheckCareerLength(paths, career, prompter, random);
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("Patrols.cfg [PATROL 001] EndYear/EndMonth/EndDay"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_EQ(ReadText(career.CareerFolder / "Careers.cfg"), "");
    EXPECT_TRUE(prompter.plainMessages.empty());
}

}  // namespace
}  // namespace seewolf
