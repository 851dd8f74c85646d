#include "reports/crew_list.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <iostream>

#include "app/error.h"
#include "app/language.h"
#include "app/profile_file.h"
#include "career/career.h"
#include "crew/roster.h"
#include "support/temp_world.h"

namespace seewolf::reports {
namespace {

using testing::ReadText;
using testing::WriteText;

// A career of our own on the demo world, with language tables that hold only what the page uses.
struct CrewListWorld {
    testing::TempWorld world;
    const Paths& paths = world.GetPaths();
    Language language;
    SelectedCareer career;

    CrewListWorld() {
        WriteText(paths.Prog("Seewolf_en.txt"),
                  "[STRINGS]\n120=Crew List\n121=a boat of type\n122=Rank\n123=Name\n124=Patrols\n"
                  "125=Exp.\n126=Medals\n127=Badges\n128=Qualifications\n129=Commander\n130=Health\n");
        WriteText(paths.Game("data\\Menu\\en_menu.txt"),
                  "[STRINGS]\n160=Matrose\n166=Leutnant zur See ; Lt\n330=Iron Cross\n331=Iron Cross 1st\n"
                  "336=Front Clasp\n337=War Badge\n338=Wound Badge\n360=Fit\n361=Wounded\n362=Dead\n"
                  "367=Watch\n373=Engine\n7001=7th Flotilla\n");
        ProfileFile settings(paths.SettingsFile());
        settings.WriteString("SETTINGS", "HeadingFont", "H");
        settings.WriteString("SETTINGS", "TextFont", "T");
        settings.WriteString("SETTINGS", "BackgroundImage", world.Root().string() + "/bg.jpg");
        // Only three of the shipped pictures, so that the page names the others as missing.
        std::filesystem::remove_all(paths.Prog("Personnel Files"));
        WriteText(paths.Prog("Personnel Files\\rank6.gif"), "r6");
        WriteText(paths.Prog("Personnel Files\\rank9.gif"), "r9");
        WriteText(paths.Prog("Personnel Files\\medal0.gif"), "m0");
        std::filesystem::create_directories(paths.Prog("Personnel Files\\drafts"));

        career.CareerStatus = CareerStatus::InBase;
        career.Name = "Otto Kretsch";
        career.CareerFolder = world.Root() / "career";
        career.PatrolCount = 5;
        career.CmdrName = "Otto \"Silent\" Kretsch";
        career.CmdrRank = "Kptlt.";
        career.FlotillaNb = "7001";
        career.SubTypeName = "VIIB";
        career.SubName = "U 99";
        career.StartDateText = "19410312";
        WriteText(career.CareerFolder / "Careers_0.cfg",
                  "[CAREER 004]\nPlayerRank=11\n[CAREER 005]\nPlayerRank=12\nMedal0=0\nMedal1=-1\nMedal9=2\n"
                  "Medal5=0\nMedal7=1\nMedal8=0\n");
    }
    std::filesystem::path Folder() const { return paths.DocsFolder / "Personnel Files" / "SH3Otto_Kretsch"; }
};

std::string Cell(const char* start, const std::string& content) {
    return std::string("    <td style=\"border: 1px solid #C0C0C0\" width=\"") + start +
           "><font face=\"T\">" + content + "</font></td>\r\n";
}

std::string Row(const std::array<std::string, 7>& c) {
    return "  <tr>\r\n" + Cell("26%\" valign=\"bottom\"", c[0]) +
           Cell("8%\" align=\"center\" valign=\"bottom\"", c[1]) +
           Cell("8%\" align=\"center\" valign=\"bottom\"", c[2]) + Cell("10%\" valign=\"bottom\"", c[3]) +
           Cell("21%\" valign=\"middle\"", c[4]) + Cell("13%\" valign=\"middle\"", c[5]) +
           Cell("13%\" valign=\"middle\"", c[6]) + "  </tr>\r\n";
}

std::string Caption(const char* width, const char* align, const char* text) {
    return std::string("    <td style=\"border: 1px solid #C0C0C0\" width=\"") + width +
           "%\" bgcolor=\"#0033CC\"" + align + "><font color=\"#FFFFFF\" face=\"H\" size=\"4\">" + text +
           "</font></td>\r\n";
}

TEST(CrewList, WholePageOfTheCommanderAndTwoCrewmen) {
    CrewListWorld w;
    CrewListRow officer;
    officer.grade = 6;
    officer.name = "Hans M\xFCller";
    officer.patrols = 4;
    officer.experience = 12.6;
    officer.medalsInx = {0, 1, -1, -1, -1, -1, 6, 7, 8};
    officer.qualification = {2, 8, -1};
    officer.healthStatus = 1;
    CrewListRow seaman;  // no awards, a health state the game does not have, half an experience point
    seaman.name = "Kurt <Neu>";
    seaman.experience = 12.5;
    seaman.healthStatus = 7;

    const std::string head =
        "<html>\r\n\r\n<head>\r\n<meta http-equiv=\"Content-Language\" content=\"en\">\r\n"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\r\n"
        "<title>CREW LIST : 12MAR41</title>\r\n</head>\r\n\r\n<body background=\"background.jpg\">\r\n\r\n"
        "<p><font face=\"H\" size=\"6\">CREW LIST : 12MAR41</font></p>\r\n"
        "<p><font face=\"T\"><b>U 99, a boat of type VIIB<br>\r\n"
        "7th Flotilla</b></font></p>\r\n"
        "<table style=\"border: 1px solid #C0C0C0\" width=\"100%\">\r\n  <tr>\r\n" +
        Caption("26", "", "Rank/Name") + Caption("8", " align=\"center\"", "Patrols") +
        Caption("8", " align=\"center\"", "Exp.") + Caption("10", "", "Health") +
        Caption("21", "", "Medals") + Caption("13", "", "Badges") + Caption("13", "", "Qualifications") +
        "  </tr>\r\n" +
        Row({"<img border=\"0\" src=\"rank9.gif\" alt=\"Kptlt.\" width=\"12\" height=\"32\"> "
             "Otto &quot;Silent&quot; Kretsch",
             "5", "---", "Fit",
             "&nbsp;<img border=\"0\" src=\"medal0.gif\" width=\"32\" height=\"32\">"
             "<img border=\"0\" src=\"medal2.gif\" width=\"32\" height=\"32\">"
             "<img border=\"0\" src=\"medal9.gif\" width=\"32\" height=\"32\">",
             "&nbsp;<img border=\"0\" src=\"medal7.gif\" width=\"26\" height=\"20\"> "
             "<img border=\"0\" src=\"medal6.gif\" width=\"48\" height=\"14\">",
             "&nbsp;Commander"});
    const std::string crew =
        Row({"<img border=\"0\" src=\"rank6.gif\" alt=\"Leutnant zur See\" width=\"12\" height=\"32\"> Hans "
             "M\xFCller",
             "4", "13", "Wounded",
             "&nbsp;<img border=\"0\" src=\"medal0.gif\" alt=\"Iron Cross\" width=\"32\" height=\"32\">"
             "<img border=\"0\" src=\"medal1.gif\" alt=\"Iron Cross 1st\" width=\"32\" height=\"32\">",
             "&nbsp;<img border=\"0\" src=\"medal7.gif\" alt=\"War Badge\" width=\"26\" height=\"20\"> "
             "<img border=\"0\" src=\"medal6.gif\" alt=\"Front Clasp\" width=\"48\" height=\"14\"> "
             "<img border=\"0\" src=\"medal8.gif\" alt=\"Wound Badge\" width=\"18\" height=\"18\">",
             "&nbsp;<img border=\"0\" src=\"qual2.gif\" alt=\"Watch\" width=\"22\" height=\"22\"> "
             "<img border=\"0\" src=\"qual8.gif\" alt=\"Engine\" width=\"22\" height=\"22\">"}) +
        Row({"<img border=\"0\" src=\"rank0.gif\" alt=\"Matrose\" width=\"12\" height=\"32\"> Kurt "
             "&lt;Neu&gt;",
             "0", "12", "Unknown", "&nbsp;", "&nbsp;", "&nbsp;"});
    const std::string tail = "</table>\r\n\r\n</body>\r\n\r\n</html>\r\n";

    const ReportResult result = GenerateCrewList(w.paths, w.language, w.career, {officer, seaman});
    EXPECT_EQ(result.page, w.Folder() / "U_99_Crew_List.html");
    EXPECT_EQ(CrewListPageName(w.paths, w.language, "U 99"), "U_99_Crew_List.html");
    EXPECT_EQ(ReadText(result.page), head + crew + tail);
    EXPECT_EQ(result.message, "A crew list of U 99 has been created.");
    // The files of the pictures folder are copied beside the page, its folders are not; the
    // pictures and the background that are not there are said.
    EXPECT_EQ(ReadText(w.Folder() / "rank9.gif"), "r9");
    EXPECT_FALSE(std::filesystem::exists(w.Folder() / "drafts"));
    ASSERT_EQ(result.notes.size(), 2u);
    EXPECT_NE(result.notes[0].find("bg.jpg"), std::string::npos);
    EXPECT_NE(result.notes[1].find(" medal1.gif, medal2.gif, medal6.gif, medal7.gif, medal8.gif, medal9.gif, "
                                   "qual2.gif, qual8.gif, rank0.gif: "),
              std::string::npos)
        << result.notes[1];

    // No crew: the captions and the commander.
    EXPECT_EQ(ReadText(GenerateCrewList(w.paths, w.language, w.career, {}).page), head + tail);
    // The lowest rank a file can hold names its picture without overflowing.
    WriteText(w.career.CareerFolder / "Careers_0.cfg", "[CAREER 005]\nPlayerRank=-2147483648\n");
    EXPECT_NE(
        ReadText(GenerateCrewList(w.paths, w.language, w.career, {}).page).find("\"rank-2147483651.gif\""),
        std::string::npos);
    // A commander lost at sea is dead; without his rank in the record he shows no insignia, and
    // that is said.
    std::filesystem::remove(w.career.CareerFolder / "Careers_0.cfg");
    w.career.CareerStatus = CareerStatus::LostAtSea;
    const ReportResult lost = GenerateCrewList(w.paths, w.language, w.career, {});
    const std::string text = ReadText(lost.page);
    EXPECT_NE(text.find("<font face=\"T\">Otto &quot;Silent&quot; Kretsch</font>"), std::string::npos);
    EXPECT_NE(text.find(">Dead<"), std::string::npos);
    ASSERT_FALSE(lost.notes.empty());
    EXPECT_NE(lost.notes.front().find("rank is not in"), std::string::npos);

    // A date that is no yyyymmdd date stops the list before anything is written.
    std::filesystem::remove(lost.page);
    w.career.StartDateText = "1941-3-1";
    EXPECT_THROW(GenerateCrewList(w.paths, w.language, w.career, {}), Error);
    EXPECT_FALSE(std::filesystem::exists(lost.page));
}

TEST(CrewList, RowsAreTheCrewManagersAndTheRosterStaysAsItIs) {
    testing::TempWorld world;
    const Paths& paths = world.GetPaths();
    const Language language = ChooseLanguage(paths);
    const SelectedCareer career = LoadCareer(paths, language, demo::DemoCareers::InHomeBase);
    const std::filesystem::path roster = crew::CrewFile(career);
    // Values that are no numbers show as the crew manager shows them: 0.
    ProfileFile(roster).WriteString(crew::SlotSection(12), "Experience", "lots");
    ProfileFile(roster).WriteString(crew::SlotSection(12), "Patrols", "x");
    const std::string name = ProfileFile(roster).ReadString(crew::SlotSection(12), "Name", "");
    const std::string before = ReadText(roster);
    std::vector<std::string> notes;
    const std::vector<CrewListRow> rows = ReadCrewListRows(career, notes);
    EXPECT_EQ(ReadText(roster), before);
    EXPECT_TRUE(notes.empty());
    const auto twelve =
        std::find_if(rows.begin(), rows.end(), [&name](const CrewListRow& r) { return r.name == name; });
    ASSERT_NE(twelve, rows.end());
    EXPECT_EQ(twelve->experience, 0.0);
    EXPECT_EQ(twelve->patrols, 0);

    // What the crew manager lists once it has put the officers in place, highest grade first.
    crew::CleanseOfficerComps(roster, career.SubTypeNb);
    std::vector<CrewListRow> listed;
    for (const crew::Crewman& c : crew::ReadRoster(roster, career.SubTypeNb)) {
        listed.push_back(CrewListRowOf(c));
    }
    std::stable_sort(listed.begin(), listed.end(), [](const CrewListRow& a, const CrewListRow& b) {
        return ListedBefore(a.grade, b.grade);
    });
    ASSERT_NE(ReadText(roster), before);  // the demo roster has officers out of place
    EXPECT_EQ(rows, listed);
    EXPECT_GT(rows.front().grade, rows.back().grade);
    EXPECT_TRUE(ListedBefore(9, 10));  // "9" after "10" as texts

    crew::Crewman stale;
    stale.name = " Hans ";
    stale.nrQual = 0;
    stale.qualification = {4, -1, -1};
    EXPECT_EQ(CrewListRowOf(stale).name, "Hans");
    EXPECT_EQ(CrewListRowOf(stale).qualification, (std::array<int, 3>{-1, -1, -1}));

    // Counts no roster holds are read as numbers, never as a number of things to read.
    ProfileFile(roster).WriteString("CREW_LOG", "Entries", "2147483648");
    ProfileFile(roster).WriteString(crew::SlotSection(12), "NrQual", "2147483647");
    const auto start = std::chrono::steady_clock::now();
    const std::vector<CrewListRow> huge = ReadCrewListRows(career, notes);
    std::cout << "A roster with counts of 2^31: "
              << std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() << " s\n";
    EXPECT_EQ(huge.size(), rows.size());

    std::filesystem::remove(roster);
    EXPECT_TRUE(ReadCrewListRows(career, notes).empty());
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("is missing"), std::string::npos);
}

}  // namespace
}  // namespace seewolf::reports
