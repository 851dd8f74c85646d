#include "reports/personnel_file.h"

#include <gtest/gtest.h>

#include "app/error.h"
#include "app/language.h"
#include "app/paths.h"
#include "app/text.h"
#include "career/career.h"
#include "platform/files.h"
#include "reports/report_page.h"
#include "support/temp_world.h"

namespace seewolf::reports {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;
using testing::WriteText;

// A page with CR LF line ends, as the expected files hold it (LF).
std::string WithLf(const std::string& page) {
    return ReplaceAll(page, "\r\n", "\n");
}

std::string Expected(const char* name) {
    return ReadText(fs::path(SEEWOLF_REPORTS_EXPECTED) / name);
}

// A small world written by hand: the program's texts, the game's names, and the careers' files.
struct PersonnelWorld {
    testing::TempFolder root;
    Paths paths;
    Language language;

    PersonnelWorld() {
        paths.ProgFolder = root.Path() / "prog" / "";
        paths.GameFolder = root.Path() / "game" / "";
        paths.DocsFolder = root.Path() / "docs" / "";
        paths.SaveName = "SH3";
        paths.SaveFolder = paths.DocsFolder / "SH3" / "data" / "Cfg" / "";
        WriteText(paths.ProgFolder / "Seewolf_en.txt",
                  "[STRINGS]\r\n13=%0:s left the service.\r\n68=%s was a fine officer & friend.\r\n"
                  "120=Crew List\r\n180=Personnel File\r\n181=Name:\r\n182=Born:\r\n183=Birthplace:\r\n"
                  "184=Entered service:\r\n185=Crew\r\n186=Service Record\r\n187=Midshipman\r\n"
                  "188=Sub-lieutenant\r\n189=Lieutenant\r\n190=U-boat school\r\n195=Decorations\r\n"
                  "196=None\r\n197=Badges\r\n198=Flotillas\r\n199=Reichsmarine\r\n200=Kriegsmarine\r\n"
                  "201=patrols\r\n202=Retired\r\n203=U-boats\r\n204=Type\r\n205=No.\r\n206=Dates\r\n"
                  "207=Ships\r\n208=merchant\r\n209=warship\r\n210=Tonnage\r\n211=Remarks\r\n212=days\r\n"
                  "213=Hull %.1f%%\r\n214=Lost\r\n215=Totals\r\n216=aircraft\r\n"
                  "218=%s %s was lost with %s on %s.\r\n219=%s %s surrendered %s on %s.\r\n220=Epilogue\r\n");
        WriteText(paths.GameFolder / "data" / "Menu" / "en_menu.txt",
                  "[STRINGS]\r\n1=1st Flotilla\r\n2=7th Flotilla\r\n170=Leutnant zur See ; LzS\r\n"
                  "171=Oberleutnant zur See\r\n172=Kapit\xE4nleutnant\r\n1988=U-boat War Badge\r\n"
                  "1989=Front Clasp\r\n1990=German Cross\r\n1991=Iron Cross 2nd Class\r\n");
        WriteText(paths.GameFolder / "data" / "Cfg" / "Basic.cfg",
                  "[SUBMARINE1]\r\nName0=VIIB\r\n[SUBMARINE2]\r\nName1=VIIC/41\r\n");
        WriteText(paths.ProgFolder / "Images" / "07.jpg", "portrait");
        WriteText(paths.ProgFolder / "Personnel Files" / "background.jpg", "background");
        language.LangCode = "en";
    }

    fs::path CareerFolder(const std::string& name) const { return paths.SaveFolder / "Careers" / name / ""; }

    // Three patrols in two flotillas and two boats; promoted at the start (record 0), after the
    // second patrol and after the third (to a rank without a name); medals and badges.
    SelectedCareer ThreePatrols() const {
        const fs::path folder = CareerFolder("Otto Kranz");
        WriteText(folder / "Patrols_0.cfg",
                  "[INIT]\r\nPatrols=3\r\n[PATROL 000]\r\nStartDay=5\r\nStartMonth=9\r\nStartYear=1939\r\n"
                  "[PATROL 003]\r\nStartDay=1\r\nStartMonth=6\r\nStartYear=1940\r\n");
        WriteText(
            folder / "Patrols.cfg",
            "[PATROL 000]\r\nStartDay=5\r\nStartMonth=9\r\nStartYear=1939\r\nEndDay=30\r\nEndMonth=9\r\n"
            "EndYear=1939\r\nFlotilla=1\r\nSubName=U-47\r\nSubType=1\r\nSubVersion=0\r\nShipsSunkNb=2\r\n"
            "MerchantShipsSunkNb=2\r\nWarShipsSunkNb=0\r\nTonnageSunk=12000.4\r\n"
            "MerchantTonnageSunk=12000.4\r\nWarshipTonnageSunk=0\r\nHullIntegrity=100.000000\r\n"
            // A start the game left invalid: the first patrol's date stands in.
            "[PATROL 001]\r\nStartDay=-1\r\nEndDay=10\r\nEndMonth=12\r\nEndYear=1939\r\nFlotilla=1\r\n"
            "SubName=U-47\r\nSubType=1\r\nSubVersion=0\r\nShipsSunkNb=1\r\nMerchantShipsSunkNb=0\r\n"
            "WarShipsSunkNb=1\r\nTonnageSunk=5000\r\nMerchantTonnageSunk=0\r\n"
            "WarshipTonnageSunk=5000\r\nHullIntegrity=99.5\r\n"
            "[PATROL 002]\r\nStartDay=1\r\nStartMonth=3\r\nStartYear=1940\r\nEndDay=20\r\nEndMonth=4\r\n"
            "EndYear=1940\r\nFlotilla=2\r\nSubName=U-99\r\nSubType=2\r\nSubVersion=1\r\nShipsSunkNb=3\r\n"
            "MerchantShipsSunkNb=3\r\nWarShipsSunkNb=0\r\nTonnageSunk=20000\r\n"
            "MerchantTonnageSunk=20000\r\nWarshipTonnageSunk=0\r\nHullIntegrity=80\r\n");
        WriteText(folder / "Careers_0.cfg",
                  "[CAREER 000]\r\nPlayerRank=11\r\n[CAREER 001]\r\nPlayerRank=11\r\n[CAREER 002]\r\n"
                  "PlayerRank=12\r\n[CAREER 003]\r\nPlayerRank=25\r\n");
        WriteText(
            folder / "Careers.cfg",
            "[INIT]\r\nCareers=3\r\n"
            "[CAREER 000]\r\nCrtDay=30\r\nCrtMonth=9\r\nCrtYear=1939\r\nMedal0=0\r\nMedal7=1\r\n"
            "[CAREER 001]\r\nCrtDay=10\r\nCrtMonth=12\r\nCrtYear=1939\r\nMedal0=0\r\nMedal7=1\r\nMedal9=2\r\n"
            "[CAREER 002]\r\nCrtDay=20\r\nCrtMonth=4\r\nCrtYear=1940\r\nMedal0=0\r\nMedal7=1\r\nMedal9=2\r\n"
            "Medal8=1\r\nPlayerName=J\xFCrgen Sch\xE4"
            "fer\r\nShipsSunkNb=6\r\nMerchantTotalShipsSunk=5\r\n"
            "WarshipsTotalShipsSunk=1\r\nTonnageSunk=37000.4\r\nMerchantTotalTonnage=32000.4\r\n"
            "WarshipsTotalTonnage=5000\r\nPlanesDownNb=2\r\nOffDead=1\r\nPODead=2\r\nSeamenDead=4\r\n");
        WriteCareerHistory(
            paths, "Otto Kranz",
            {"12MAR14",
             "L\xFC"
             "beck <Holstein>",
             "07", "01APR33", "15OCT32", "01DEC33", "01JUL34", "01JAN36", "01APR36", "13", "68", "0"});
        SelectedCareer career;
        career.CareerStatus = CareerStatus::LostAtSea;
        career.Name = "Otto Kranz";
        career.CareerFolder = folder;
        career.PatrolCount = 3;
        career.CmdrName =
            "J\xFCrgen Sch\xE4"
            "fer";
        career.CmdrRank = "Kapit\xE4nleutnant";
        career.SubName = "U-99";
        career.StartDateText = "19400601";
        return career;
    }

    // A commander who never sailed, without a CareerHistory record.
    SelectedCareer NoPatrols() const {
        const fs::path folder = CareerFolder("Max Ritter");
        WriteText(folder / "Patrols_0.cfg",
                  "[INIT]\r\nPatrols=0\r\n[PATROL 000]\r\nStartDay=1\r\nStartMonth=4\r\nStartYear=1941\r\n");
        WriteText(folder / "Careers_0.cfg", "[CAREER 000]\r\nPlayerRank=10\r\n");
        SelectedCareer career;
        career.CareerStatus = CareerStatus::Retired;
        career.Name = "Max Ritter";
        career.CareerFolder = folder;
        career.PatrolCount = 0;
        career.CmdrName = "Max Ritter";
        career.CmdrRank = "Leutnant zur See";
        career.SubName = "U-552";
        career.StartDateText = "19410401";
        return career;
    }
};

TEST(PersonnelFile, WholePagesOfTwoCareers) {
    PersonnelWorld world;
    const fs::path folder = PersonnelFolder(world.paths, "Otto Kranz");
    EXPECT_EQ(folder.filename(), "SH3Otto_Kranz");
    WriteText(folder / "U-47_Crew_List.html", "crew");  // the first boat has a crew list, the second none

    std::vector<std::string> notes;
    const PersonnelPage page =
        WritePersonnelPage(world.paths, world.language, world.ThreePatrols(), folder, notes);
    EXPECT_EQ(page.file, folder / "Personnel_File.html");
    EXPECT_EQ(page.tonnage, 37000);
    const std::string text = ReadText(page.file);
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);
    EXPECT_EQ(ReplaceAll(text, "\r\n", "").find('\n'), std::string::npos) << "a line without CR";
    EXPECT_EQ(WithLf(text), Expected("personnel_three_patrols.html"));
    EXPECT_EQ(ReadText(folder / "07.jpg"), "portrait");
    EXPECT_EQ(ReadText(folder / "background.jpg"), "background");
    EXPECT_TRUE(notes.empty());

    // No patrols, no history: the totals of the record before the first, the closing sentences of
    // the plain name, and a note for the portrait that cannot be found.
    const fs::path other = PersonnelFolder(world.paths, "Max Ritter");
    const PersonnelPage empty =
        WritePersonnelPage(world.paths, world.language, world.NoPatrols(), other, notes);
    EXPECT_EQ(empty.tonnage, 0);
    EXPECT_EQ(WithLf(ReadText(empty.file)), Expected("personnel_no_patrols.html"));
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("_.jpg"), std::string::npos) << notes[0];
}

TEST(PersonnelFile, ClosingParagraphAndLastHullCellFollowTheStatus) {
    PersonnelWorld world;
    const fs::path folder = PersonnelFolder(world.paths, "Otto Kranz");
    SelectedCareer career = world.ThreePatrols();
    const std::string patrolsNow = ReadText(career.CareerFolder / "Patrols_0.cfg");
    struct Case {
        CareerStatus status;
        const char* startYear;  // of the current record
        const char* hull;
        const char* closing;
    };
    const std::string name =
        "J\xFCrgen Sch\xE4"
        "fer";
    const std::string a = name + " left the service.";
    const std::string b = name + " was a fine officer & friend.";
    const std::string epilogue =
        "<p><font face=\"Impact\" size=\"4\">Epilogue<br></font>\r\n<font face=\"Courier New\">";
    const std::vector<std::pair<Case, std::string>> cases = {
        {{CareerStatus::InBase, "1940", "Hull 80.0%", ""},
         "<p><font face=\"Impact\" size=\"4\"><br></font>\r\n<font face=\"Courier New\"></font></p>"},
        {{CareerStatus::AtSea, "1940", "Hull 80.0%", ""},
         "<p><font face=\"Impact\" size=\"4\"><br></font>\r\n<font face=\"Courier New\"></font></p>"},
        {{CareerStatus::Retired, "1944", "Hull 80.0%", ""}, epilogue + a + " " + b + "</font></p>"},
        {{CareerStatus::Retired, "1945", "Hull 80.0%", ""}, epilogue + b + "</font></p>"},
        {{CareerStatus::Surrendered, "1940", "Lost", ""},
         epilogue + "Kapit\xE4nleutnant " + name + " surrendered U-99 on 20APR40. " + b + "</font></p>"},
    };
    for (const auto& [c, closing] : cases) {
        career.CareerStatus = c.status;
        WriteText(career.CareerFolder / "Patrols_0.cfg",
                  ReplaceAll(patrolsNow, "StartYear=1940", std::string("StartYear=") + c.startYear));
        std::vector<std::string> notes;
        const std::string page =
            ReadText(WritePersonnelPage(world.paths, world.language, career, folder, notes).file);
        const std::string hullCell =
            std::string("<font face=\"Courier New\">") + c.hull +
            "</font></td>\r\n  </tr>\r\n  <tr>\r\n    <td width=\"7%\" align=\"center\" bgcolor";
        EXPECT_NE(page.find(hullCell), std::string::npos) << static_cast<int>(c.status);
        EXPECT_NE(page.find(closing + "\r\n\r\n</body>"), std::string::npos) << static_cast<int>(c.status);
        const bool retired = c.status == CareerStatus::Retired;
        const std::string date = std::string("01JUN") + (c.startYear + 2);
        EXPECT_EQ(page.find(date + " Retired<br>\r\n</font></p>") != std::string::npos, retired);
        EXPECT_EQ(page.find(date + " None<br>\r\n</font></p>") != std::string::npos, retired);
    }
}

TEST(PersonnelFile, BadDataStopsWithAnErrorNamingItsPlace) {
    PersonnelWorld world;
    const fs::path folder = PersonnelFolder(world.paths, "Otto Kranz");
    const SelectedCareer career = world.ThreePatrols();
    std::vector<std::string> notes;
    const auto failure = [&] {
        try {
            WritePersonnelPage(world.paths, world.language, career, folder, notes);
        } catch (const Error& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    const fs::path careers = career.CareerFolder / "Careers.cfg";
    const std::string good = ReadText(careers);

    // The promotion after patrol 2 is dated by record 1, whose date does not exist.
    WriteText(careers, ReplaceAll(good, "CrtDay=10", "CrtDay=32"));
    EXPECT_NE(failure().find("Careers.cfg [CAREER 001] CrtDay/CrtMonth/CrtYear"), std::string::npos)
        << failure();
    WriteText(careers, ReplaceAll(good, "Medal9=2", "Medal9=two"));
    EXPECT_NE(failure().find("[CAREER 001] Medal9"), std::string::npos) << failure();
    WriteText(careers, good);

    // A sentence template that does not fit its value.
    WriteText(world.paths.ProgFolder / "Seewolf_en.txt",
              ReplaceAll(ReadText(world.paths.ProgFolder / "Seewolf_en.txt"), "Hull %.1f%%", "Hull %d"));
    EXPECT_NE(failure().find("program text 213"), std::string::npos) << failure();
}

}  // namespace
}  // namespace seewolf::reports
