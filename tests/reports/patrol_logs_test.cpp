#include "reports/patrol_logs.h"

#include <chrono>
#include <gtest/gtest.h>
#include <iostream>

#include "app/error.h"
#include "app/language.h"
#include "app/paths.h"
#include "career/career.h"
#include "support/temp_world.h"

namespace seewolf::reports {
namespace {

std::string Entry(const std::string& section, const std::string& date, const std::string& time,
                  const std::string& text, bool marked = false) {
    std::string entry = "[" + section + "]\r\n";
    if (!date.empty()) {
        entry += "Date=" + date + "\r\n";
    }
    entry += "Time=" + time + "\r\nEntryText=" + text + "\r\n";
    if (marked) {
        entry += "Seewolf=1\r\n";
    }
    return entry;
}

// A career with patrol logs, and the pages made from them.
class LogWorld {
  public:
    LogWorld() {
        paths.ProgFolder = m_folder.Path() / "Seewolf" / "";
        paths.GameFolder = m_folder.Path() / "SH3" / "";
        career.CareerFolder = m_folder.Path() / "Careers" / "Otto" / "";
        career.PatrolCount = 1;
        Menu("4180=Ship sunk!|%s|%s\r\n4181=Aircraft destroyed!|%s|%s\r\n");
        std::filesystem::create_directories(m_out);
    }

    void Menu(const std::string& markers) const {
        testing::WriteText(paths.GameFolder / "data" / "Menu" / "en_menu.txt",
                           "[STRINGS]\r\n3744=CAPTAIN'S LOG\r\n" + markers);
    }
    void Log(int n, const std::string& text) const {
        testing::WriteText(career.CareerFolder / ("Log_" + std::to_string(n) + ".cfg"), text);
    }
    std::string Page(int n) const {
        GeneratePatrolLogs(paths, language, career, m_out, "Personnel_File.html");
        return testing::ReadText(m_out / ("Log_" + std::to_string(n) + ".html"));
    }
    // The rows of a page, one "time | location | occurrences" text each.
    std::vector<std::string> Rows(int n) const {
        const std::string page = Page(n);
        const std::string open = "<font face=\"Courier New\">";
        std::vector<std::string> rows;
        std::string row;
        int cell = 0;
        for (std::size_t at = page.find(open); at != std::string::npos; at = page.find(open, at)) {
            at += open.size();
            const std::size_t end = page.find("</font></td>", at);
            if (end == std::string::npos) {
                break;
            }
            row += (cell == 0 ? "" : " | ") + page.substr(at, end - at);
            if (++cell == 3) {
                rows.push_back(row);
                row.clear();
                cell = 0;
            }
        }
        return rows;
    }

    Paths paths;
    Language language;
    SelectedCareer career;

  private:
    testing::TempFolder m_folder;
    std::filesystem::path m_out = m_folder.Path() / "Personnel Files";
};

const std::string kHead =
    "<html>\r\n\r\n<head>\r\n<meta http-equiv=\"Content-Language\" content=\"en\">\r\n"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\r\n"
    "<title>CAPTAIN'S LOG</title>\r\n</head>\r\n\r\n<body background=\"background.jpg\">\r\n\r\n"
    "<p align=\"left\"><font face=\"Impact\" size=\"6\">CAPTAIN'S LOG</font></p>\r\n"
    "<table border=\"0\" width=\"100%\" cellspacing=\"0\" cellpadding=\"5\">\r\n"
    "  <tr>\r\n"
    "    <td width=\"18%\" align=\"center\" style=\"border-right: 1px solid #000000; border-top: 3px double "
    "#000000; border-bottom: 1px solid #000000\">\r\n"
    "      <p style=\"margin-top: 6; margin-bottom: 6\"><font face=\"Times New Roman\">Date and "
    "Time</font></p>"
    "</td>\r\n"
    "    <td width=\"15%\" align=\"center\" style=\"border-right: 1px solid #000000; border-top: 3px double "
    "#000000; border-bottom: 1px solid #000000\">\r\n"
    "      <p style=\"margin-top: 6; margin-bottom: 6\"><font face=\"Times New Roman\">Location</font></p>"
    "</td>\r\n"
    "    <td width=\"67%\" align=\"center\" style=\"border-right: 1px solid #000000; border-top: 3px double "
    "#000000; border-bottom: 1px solid #000000\">\r\n"
    "      <p style=\"margin-top: 6; margin-bottom: 6\"><font face=\"Times New Roman\">Occurrences</font></p>"
    "</td>\r\n"
    "  </tr>\r\n";
const std::string kTail =
    "</table>\r\n"
    "<p><font face=\"Courier New\"><a href=\"Personnel_File.html\">BACK</a></font></p>\r\n"
    "\r\n</body>\r\n\r\n</html>\r\n";

std::string Row(const std::string& when, const std::string& where, const std::string& what) {
    const std::string cell = "valign=\"top\" style=\"border-right: 1px solid #000000\"";
    return "  <tr>\r\n"
           "    <td width=\"18%\" " +
           cell + " align=\"center\"><font face=\"Courier New\">" + when +
           "</font></td>\r\n"
           "    <td width=\"15%\" " +
           cell + " align=\"center\"><font face=\"Courier New\">" + where +
           "</font></td>\r\n"
           "    <td width=\"67%\" " +
           cell + "><font face=\"Courier New\">" + what +
           "</font></td>\r\n"
           "  </tr>\r\n";
}

TEST(PatrolLogs, PageShowsFirstLastSunkAircraftAndMarkedEntriesUnderDateRows) {
    LogWorld world;
    world.career.PatrolCount = 2;
    world.Log(0,
              Entry("Log Entry 0", "19410312", "930", "Leaving port|Lorient") +
                  Entry("Log Entry 1", "19410312", "1200", "Course set") +
                  Entry("Log Entry 2", "19410313", "2215", "Ship sunk!|BF 42|Tanker <Esso> & Co|8000 GRT") +
                  Entry("Log Entry 3", "19410313", "2300", "AN 12|Convoy sighted|Reported", true) +
                  Entry("Log Entry 4", "19410314", "100", "Diving") +
                  // Named otherwise: its own time, not that of a "Log Entry 5".
                  Entry("Kladde 1", "19410313", "45", "Aircraft destroyed!|BF 43|Sunderland") +
                  Entry("Log Entry 6", "19410320", "800", "Returned to port|Lorient"));
    EXPECT_EQ(world.Page(0),
              kHead + Row("<u>12.3.41</u>", "&nbsp;", "&nbsp;") +
                  Row("0930", "&nbsp;", "Leaving port<br>\r\nLorient") +
                  Row("<u>13.3.41</u>", "&nbsp;", "&nbsp;") +
                  Row("2215", "BF 42", "Ship sunk! Tanker &lt;Esso&gt; &amp; Co<br>\r\n8000 GRT") +
                  Row("2300", "AN 12", "Convoy sighted<br>\r\nReported") +
                  Row("0045", "BF 43", "Aircraft destroyed! Sunderland") +
                  Row("<u>20.3.41</u>", "&nbsp;", "&nbsp;") +
                  Row("0800", "&nbsp;", "Returned to port<br>\r\nLorient") + kTail);
    // No log file for the second patrol: the caption row only.
    EXPECT_EQ(world.Page(1), kHead + kTail);
}

TEST(PatrolLogs, EdgesOfTheLog) {
    LogWorld world;
    // A single entry is first and last at once and shows once.
    world.Log(0, Entry("Log Entry 0", "19400101", "5", "Leaving port"));
    EXPECT_EQ(world.Rows(0),
              (std::vector<std::string>{"<u>1.1.40</u> | &nbsp; | &nbsp;", "0005 | &nbsp; | Leaving port"}));

    // No date at the start: no date row. Sunk entries of one, two and three parts; a marked
    // entry without "|" is shown as it stands.
    world.Log(0, Entry("Log Entry 0", "", "0", "Leaving port") +
                     Entry("Log Entry 1", "19400102", "1", "Ship sunk!") +
                     Entry("Log Entry 2", "19400102", "2", "Ship sunk!|BF 42") +
                     Entry("Log Entry 3", "19400102", "3", "Ship sunk!|BF 43|Tanker") +
                     Entry("Log Entry 4", "19400102", "4", "Noted by hand", true) +
                     Entry("Log Entry 5", "19400103", "5", "Returned"));
    EXPECT_EQ(world.Rows(0),
              (std::vector<std::string>{"0000 | &nbsp; | Leaving port", "<u>2.1.40</u> | &nbsp; | &nbsp;",
                                        "0001 | &nbsp; | Ship sunk!", "0002 | BF 42 | Ship sunk!",
                                        "0003 | BF 43 | Ship sunk! Tanker", "0004 | &nbsp; | Noted by hand",
                                        "<u>3.1.40</u> | &nbsp; | &nbsp;", "0005 | &nbsp; | Returned"}));

    // A marker text without "|" marks nothing: only first and last entry remain.
    world.Menu("4180=Ship sunk!\r\n");
    EXPECT_EQ(world.Rows(0).size(), 5u);
    world.Menu("4180=Ship sunk!|%s\r\n");

    // However long the log, the return to port stays: past 256 sections, and past the length at
    // which the list of section names is cut, even with an entry without keys beyond that length.
    for (const auto& [count, last] : {std::pair{300, "0299"}, std::pair{1500, "1499"}}) {
        std::string log;
        for (int k = 0; k < count; ++k) {
            if (k == 1200) {
                log += "[Log Entry 1200]\r\n";
                continue;
            }
            log += Entry("Log Entry " + std::to_string(k), "19400105", std::to_string(k),
                         "Entry " + std::to_string(k));
        }
        world.Log(0, log);
        const std::vector<std::string> rows = world.Rows(0);
        ASSERT_EQ(rows.size(), 3u) << count;
        EXPECT_EQ(rows[2], std::string(last) + " | &nbsp; | Entry " + std::to_string(count - 1));
    }

    // A log of a million sections is read in one pass: the page keeps its first and last entry.
    {
        std::string log = Entry("Log Entry 0", "19400105", "1", "Leaving port");
        for (int k = 1; k < 999999; ++k) {
            log += "[Log Entry " + std::to_string(k) + "]\r\nTime=1\r\n";
        }
        log += Entry("Log Entry 999999", "19400106", "2", "Returned");
        world.Log(0, log);
        const auto start = std::chrono::steady_clock::now();
        const std::vector<std::string> rows = world.Rows(0);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::cout << "A log of a million sections: " << seconds << " s\n";
        EXPECT_EQ(rows,
                  (std::vector<std::string>{"<u>5.1.40</u> | &nbsp; | &nbsp;", "0001 | &nbsp; | Leaving port",
                                            "<u>6.1.40</u> | &nbsp; | &nbsp;", "0002 | &nbsp; | Returned"}));
    }

    // A date that is no date stops the run, naming the file, section and key.
    world.Log(0, Entry("Log Entry 0", "19400101", "1", "Leaving port") +
                     Entry("Log Entry 1", "19401301", "2", "Returned"));
    try {
        world.Page(0);
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("Log_0.cfg [Log Entry 1] Date"), std::string::npos) << message;
        EXPECT_NE(message.find("19401301"), std::string::npos) << message;
    }
}

TEST(PatrolLogs, SplitText) {
    EXPECT_EQ(SplitText("a|b||c|", '|'), (std::vector<std::string_view>{"a", "b", "", "c"}));
    EXPECT_EQ(SplitText("|a", '|'), (std::vector<std::string_view>{"", "a"}));
    EXPECT_TRUE(SplitText("", '|').empty());
}

}  // namespace
}  // namespace seewolf::reports
