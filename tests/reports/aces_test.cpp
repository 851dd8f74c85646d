#include "reports/aces.h"

#include <gtest/gtest.h>

#include "app/language.h"
#include "app/paths.h"
#include "app/text.h"
#include "career/career.h"
#include "support/temp_world.h"

namespace seewolf::reports {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;
using testing::WriteText;

// A career's Careers.cfg: one record per (date, name, tonnage).
struct Record {
    int year, month, day;
    const char* name;
    const char* tonnage;
};
std::string CareersFile(std::initializer_list<Record> records) {
    std::string text = "[INIT]\r\nCareers=" + std::to_string(records.size()) + "\r\n";
    int n = 0;
    for (const Record& r : records) {
        text += "[" + SectionName("CAREER ", n++) + "]\r\nCrtDay=" + std::to_string(r.day) +
                "\r\nCrtMonth=" + std::to_string(r.month) + "\r\nCrtYear=" + std::to_string(r.year) +
                "\r\nPlayerName=" + r.name + "\r\nTonnageSunk=" + r.tonnage + "\r\n";
    }
    return text;
}

TEST(Aces, RankingByTonnageOnTheCareersDate) {
    testing::TempFolder root;
    Paths paths;
    paths.ProgFolder = root.Path() / "prog" / "";
    paths.GameFolder = root.Path() / "game" / "";
    paths.SaveFolder = root.Path() / "docs" / "SH3" / "data" / "Cfg" / "";
    WriteText(paths.ProgFolder / "Seewolf_en.txt", "[STRINGS]\r\n123=Commander\r\n210=Tonnage\r\n");
    WriteText(paths.GameFolder / "data" / "Menu" / "en_menu.txt", "[STRINGS]\r\n22=U-Boat Aces\r\n");
    WriteText(
        paths.GameFolder / "data" / "Cfg" / "UboatAces.cfg",
        "[INIT]\r\nNb=6\r\n"
        // The value dated on the career's day counts, the later one not.
        "[ITEM0]\r\nName=Ace Alpha\r\nNbVal=3\r\nDay0=14\r\nMonth0=10\r\nDate0=1939\r\nTonnage0=30000\r\n"
        "Day1=1\r\nMonth1=6\r\nDate1=1940\r\nTonnage1=10000\r\nDay2=1\r\nMonth2=7\r\nDate2=1940\r\n"
        "Tonnage2=50000\r\n"
        "[ITEM1]\r\nName=Ace Beta\r\nNbVal=1\r\nDay0=1\r\nMonth0=8\r\nDate0=1940\r\nTonnage0=9000\r\n"
        // The commander's tonnage: the ace's row comes first, "A" sorting after "*".
        "[ITEM2]\r\nName=Ace Gamma\r\nNbVal=1\r\nTonnage0=37000\r\nDate0=1940\r\n"
        // Texts that differ in letter case only give one row, the first's.
        "[ITEM3]\r\nName=Ace Delta\r\nNbVal=1\r\nTonnage0=5000\r\nDate0=1939\r\n"
        "[ITEM4]\r\nName=ACE DELTA\r\nNbVal=1\r\nTonnage0=5000\r\nDate0=1939\r\n"
        // Beyond the count.
        "[ITEM6]\r\nName=Ace Omega\r\nNbVal=1\r\nTonnage0=99000\r\nDate0=1939\r\n");
    const fs::path careers = paths.SaveFolder / "Careers";
    WriteText(careers / "Selected" / "Careers.cfg", CareersFile({{1939, 12, 1,
                                                                  "J\xFC"
                                                                  "rgen <Sch\xE4"
                                                                  "fer>",
                                                                  "1000"}}));
    WriteText(careers / "Second" / "Careers.cfg",
              CareersFile({{1939, 12, 1, "Karl & Berg", "8000.9"}, {1940, 6, 2, "Karl & Berg", "20000"}}));
    WriteText(careers / "Later" / "Careers.cfg", CareersFile({{1940, 6, 2, "Hein Later", "1000"}}));
    WriteText(careers / "Broken" / "Careers.cfg", CareersFile({{1939, 2, 30, "Bad Date", "1000"}}));
    WriteText(careers / "Case" / "Careers.cfg", CareersFile({{1940, 1, 1,
                                                              "j\xFC"
                                                              "rgen <sch\xE4"
                                                              "fer>",
                                                              "100"}}));
    std::filesystem::create_directories(careers / "NoFile");

    SelectedCareer career;
    career.CmdrName =
        "J\xFC"
        "rgen <Sch\xE4"
        "fer>";
    career.StartDateText = "19400601";
    Language language;
    const fs::path folder = root.Path() / "out";
    std::filesystem::create_directories(folder);
    GenerateAcesPage(paths, language, career, folder, "Personnel_File.html", 37000);
    EXPECT_EQ(ReplaceAll(ReadText(folder / "Aces.html"), "\r\n", "\n"),
              ReadText(fs::path(SEEWOLF_REPORTS_EXPECTED) / "aces.html"));

    // Tons as the ranking counts them, a damaged file's number held at a bound.
    EXPECT_EQ(WholeTons(8000.9), 8000);
    EXPECT_EQ(WholeTons(1e300), 1000000000000000);
    EXPECT_EQ(WholeTons(-1e300), -1000000000000000);

    // A new commander with nothing sunk still stands in the list, last.
    GenerateAcesPage(paths, language, career, folder, "Personnel_File.html", 0);
    const std::string page = ReadText(folder / "Aces.html");
    EXPECT_NE(
        page.find("<td><font face=\"Courier New\">**J\xFC"
                  "rgen &lt;Sch\xE4"
                  "fer&gt;</font></td>\r\n"
                  "    <td align=\"right\"><font face=\"Courier New\">0</font></td>\r\n  </tr>\r\n</table>"),
        std::string::npos);

    // The largest year a file can hold is later than any career's date; it does not wrap round.
    WriteText(paths.GameFolder / "data" / "Cfg" / "UboatAces.cfg",
              "[INIT]\r\nNb=1\r\n[ITEM0]\r\nName=Ace Far\r\nNbVal=2\r\nDate0=1939\r\nTonnage0=4000\r\n"
              "Date1=2147483647\r\nMonth1=12\r\nDay1=31\r\nTonnage1=500\r\n");
    GenerateAcesPage(paths, language, career, folder, "Personnel_File.html", 0);
    EXPECT_NE(ReadText(folder / "Aces.html")
                  .find("Ace Far</font></td>\r\n    <td align=\"right\"><font face=\"Courier New\">4000<"),
              std::string::npos);
}

}  // namespace
}  // namespace seewolf::reports
