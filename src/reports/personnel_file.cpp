#include "reports/personnel_file.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "app/error.h"
#include "app/language.h"
#include "app/numbers.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/settings.h"
#include "career/career.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "reports/aces.h"
#include "reports/crew_list.h"
#include "reports/patrol_logs.h"
#include "reports/report_page.h"
#include "reports/ship_names.h"
#include "reports/template.h"

namespace seewolf::reports {

namespace {

namespace fs = std::filesystem;

constexpr const char* kIndent4 = "    ";
constexpr const char* kIndent6 = "      ";

// The program texts of the page (the profile layer parses the table once).
class ProgTexts {
  public:
    explicit ProgTexts(TextTable table) : m_table(std::move(table)) {}
    std::string operator()(int n) const { return m_table.Text(n, kMissingEntry); }
    // A sentence template of the table filled with its values; a mismatch names the text.
    std::string Fill(int n, std::string_view def, std::span<const TemplateValue> values) const {
        return FillTemplate(m_table.Text(n, def), values, "program text " + std::to_string(n));
    }

  private:
    TextTable m_table;
};

// The four files of the career with the reads the page needs, each read once: the page reads
// keys of every patrol.
struct CareerFiles {
    ProfileSnapshot patrolsNow;   // Patrols_0.cfg: every patrol as it set out, the current one last
    ProfileSnapshot patrolsDone;  // Patrols.cfg: the completed patrols
    ProfileSnapshot careerNow;    // Careers_0.cfg: the commander as he set out on each patrol
    ProfileSnapshot careerDone;   // Careers.cfg: the commander at the end of each completed patrol

    explicit CareerFiles(const fs::path& folder)
        : patrolsNow(ProfileFile(platform::Resolve(folder, "Patrols_0.cfg"))),
          patrolsDone(ProfileFile(platform::Resolve(folder, "Patrols.cfg"))),
          careerNow(ProfileFile(platform::Resolve(folder, "Careers_0.cfg"))),
          careerDone(ProfileFile(platform::Resolve(folder, "Careers.cfg"))) {}
};

std::string Patrol(int n) {
    return SectionName("PATROL ", n);
}
std::string Record(int n) {
    return SectionName("CAREER ", n);
}

// A date kept as <prefix>Day, <prefix>Month and <prefix>Year; nothing when it does not exist.
std::optional<Date> FindDate(const ProfileSnapshot& file, const std::string& section,
                             const std::string& prefix) {
    const int day = ReadCheckedInteger(file, section, prefix + "Day", -1);
    const int month = ReadCheckedInteger(file, section, prefix + "Month", -1);
    const int year = ReadCheckedInteger(file, section, prefix + "Year", -1);
    if (!IsValidDate(year, month, day)) {
        return std::nullopt;
    }
    return EncodeDate(year, month, day);
}

Date ReadDate(const ProfileSnapshot& file, const std::string& section, const std::string& prefix) {
    if (const std::optional<Date> date = FindDate(file, section, prefix)) {
        return *date;
    }
    throw Error("The personnel file cannot be written: " + KeyPlace(file, section, prefix + "Day") + "/" +
                prefix + "Month/" + prefix + "Year holds no valid date (day " +
                std::to_string(ReadCheckedInteger(file, section, prefix + "Day", -1)) + ", month " +
                std::to_string(ReadCheckedInteger(file, section, prefix + "Month", -1)) + ", year " +
                std::to_string(ReadCheckedInteger(file, section, prefix + "Year", -1)) + ").");
}

// A file name inside a link: escaped for the attribute, and the two characters a browser would
// take for part of the address written as the address's own escapes.
std::string LinkTarget(std::string_view fileName) {
    std::string target;
    for (char c : EscapeHtml(fileName)) {
        target += c == '%' ? "%25" : c == '#' ? "%23" : std::string(1, c);
    }
    return target;
}

// The program text whose number a CareerHistory item holds, filled with the commander's name. An
// item that is empty or no number falls back to the plain name, as a missing text does.
std::string ClosingSentence(const ProgTexts& texts, std::string_view item, const std::string& name) {
    const std::optional<int> n = ParseInteger(item);
    if (!n) {
        return name;
    }
    const std::array<TemplateValue, 1> values = {name};
    return texts.Fill(*n, "%0:s", values);
}

std::string Tons(double value) {
    return FormatFixed(value, 0);
}

struct Medal {
    const char* key;
    int menuText;
    bool badge;
};
constexpr std::array<Medal, 10> kMedals = {{
    {"Medal0", 1991, false},
    {"Medal1", 1992, false},
    {"Medal9", 1990, false},
    {"Medal2", 1993, false},
    {"Medal3", 1994, false},
    {"Medal4", 1995, false},
    {"Medal5", 1996, false},
    {"Medal6", 1997, false},
    {"Medal7", 1988, true},
    {"Medal8", 1989, true},
}};

}  // namespace

std::string PersonnelFileName(const Paths& paths, const Language& language) {
    return PageFileName(ProgTable(paths, language).Text(180, kMissingEntry));
}

PersonnelPage WritePersonnelPage(const Paths& paths, const Language& language, const SelectedCareer& career,
                                 const fs::path& folder, std::vector<std::string>& notes) {
    const DateTexts& dates = language.dates;
    const ProgTexts text(ProgTable(paths, language));
    const TextTable menu = MenuTable(paths, language);
    const CareerFiles files(career.CareerFolder);
    const int patrols = career.PatrolCount;
    const CareerStatus status = career.CareerStatus;

    std::vector<std::string> history = ReadCareerHistory(paths, career.Name);
    history.resize(std::max<std::size_t>(history.size(), 12));
    const std::string name = EscapeHtml(career.CmdrName);
    const std::string sentenceA = ClosingSentence(text, history[9], name);
    const std::string sentenceB = ClosingSentence(text, history[10], name);

    const ReportFonts fonts = ReadReportFonts(paths);
    const std::string& hf = fonts.heading;
    const std::string& tf = fonts.text;
    const Date firstPatrol = ReadDate(files.patrolsNow, Patrol(0), "Start");
    const Date currentRecord = ReadDate(files.patrolsNow, Patrol(patrols), "Start");
    std::array<std::string, 10> rankNames;
    for (int i = 0; i < 10; ++i) {
        rankNames[static_cast<std::size_t>(i)] = RankName(UpperCase(menu.Text(170 + i, "UNKNOWN RANK!")));
    }

    // Promotions: a rank that differs from the one before. The record before the first never
    // exists, so a first rank other than the lowest is dated from the first patrol.
    std::vector<std::string> promotions;
    int rankBefore = ReadCheckedInteger(files.careerNow, Record(-1), "PlayerRank", 10);
    for (int g = 0; g <= patrols; ++g) {
        const int rank = ReadCheckedInteger(files.careerNow, Record(g), "PlayerRank", 10);
        if (rank != rankBefore) {
            const Date date = g == 0 ? firstPatrol : ReadDate(files.careerDone, Record(g - 1), "Crt");
            promotions.push_back(ReportDate(date, dates) + " " +
                                 (rank >= 10 && rank <= 19 ? rankNames[static_cast<std::size_t>(rank - 10)]
                                                           : std::string("UNKNOWN RANK!")));
        }
        rankBefore = rank;
    }

    // Decorations and badges: a medal value that grew since the record before.
    std::vector<std::string> decorations;
    std::vector<std::string> badges;
    std::array<int, kMedals.size()> held{};
    for (std::size_t m = 0; m < kMedals.size(); ++m) {
        held[m] = ReadCheckedInteger(files.careerDone, Record(-1), kMedals[m].key, -1);
    }
    for (int g = 0; g < patrols; ++g) {
        const std::string date = ReportDate(ReadDate(files.careerDone, Record(g), "Crt"), dates);
        for (std::size_t m = 0; m < kMedals.size(); ++m) {
            const int value = ReadCheckedInteger(files.careerDone, Record(g), kMedals[m].key, -1);
            if (value > held[m]) {
                (kMedals[m].badge ? badges : decorations)
                    .push_back(UpperCase(date + " " + menu.Text(kMedals[m].menuText, kMissingName)));
            }
            held[m] = value;
        }
    }

    // Flotilla and boat runs: the completed patrols walked from the last, one entry where the
    // flotilla (the boat) differs from the patrol before; written oldest first.
    std::vector<std::string> flotillaRuns;
    std::vector<std::string> boatRuns;
    int flotillaCount = 0;
    int boatCount = 0;
    const ProfileFile basic(paths.Game("data\\Cfg\\Basic.cfg"));
    for (int g = patrols - 1; g >= 0; --g) {
        ++flotillaCount;
        ++boatCount;
        const std::string section = Patrol(g);
        const int flotilla = ReadCheckedInteger(files.patrolsDone, section, "Flotilla", -1);
        if (flotilla != ReadCheckedInteger(files.patrolsDone, Patrol(g - 1), "Flotilla", -1)) {
            flotillaRuns.insert(flotillaRuns.begin(),
                                ReportDate(ReadDate(files.patrolsDone, section, "Start"), dates) + " " +
                                    menu.Text(flotilla, kMissingName) + " (" + std::to_string(flotillaCount) +
                                    " " + text(201) + ")");
            flotillaCount = 0;
        }
        const std::string boat = files.patrolsDone.ReadString(section, "SubName", kMissingName);
        if (boat != files.patrolsDone.ReadString(Patrol(g - 1), "SubName", kMissingName)) {
            const Date start = FindDate(files.patrolsDone, section, "Start").value_or(firstPatrol);
            const std::string crewList = CrewListPageName(paths, language, boat);
            const std::string boatPart =
                platform::FileExists(folder / platform::PathFromText(crewList))
                    ? " <a href=\"" + LinkTarget(crewList) + "\">" + EscapeHtml(boat) + "</a>"
                    : " " + EscapeHtml(boat);
            const std::string typeName = basic.ReadString(
                "SUBMARINE" + files.patrolsDone.ReadString(section, "SubType", kMissingName),
                "NAME" + files.patrolsDone.ReadString(section, "SubVersion", kMissingName), kMissingName);
            boatRuns.insert(boatRuns.begin(), ReportDate(start, dates) + boatPart + ", " + text(204) + " " +
                                                  EscapeHtml(typeName) + " (" + std::to_string(boatCount) +
                                                  " " + text(201) + ")");
            boatCount = 0;
        }
    }

    // Career totals, from the commander's record at the end of the last completed patrol.
    const std::string last = Record(patrols - 1);
    const ProfileSnapshot& done = files.careerDone;
    const auto number = [&](const char* key) { return ReadCheckedFloat(done, last, key, 0); };
    const auto count = [&](const char* key) { return EscapeHtml(done.ReadString(last, key, "0")); };
    const std::string shipsTotal = count("ShipsSunkNb") + " (" + count("MerchantTotalShipsSunk") + "/" +
                                   count("WarshipsTotalShipsSunk") + ")";
    const double tonnage = number("TonnageSunk");
    const std::string tonnageTotal = Tons(tonnage) + " (" + Tons(number("MerchantTotalTonnage")) + "/" +
                                     Tons(number("WarshipsTotalTonnage")) + ")";
    const std::string aircraft = count("PlanesDownNb");
    const long long losses = static_cast<long long>(ReadCheckedInteger(done, last, "OffDead", 0)) +
                             ReadCheckedInteger(done, last, "PODead", 0) +
                             ReadCheckedInteger(done, last, "SeamenDead", 0);

    // The page.
    const std::string pageName = PageFileName(text(180));
    Page page(language.LangCode, UpperCase(text(180)) + " : " + EscapeHtml(UpperCase(career.CmdrName)));
    const auto field = [&](std::size_t n) { return EscapeHtml(history[n]); };
    const std::string portrait = SafeFileName(history[kHistoryPortrait]) + ".jpg";
    const std::string identity = std::string(kIndent6) + "<font face=\"" + fonts.label + "\">";
    const std::string value = "</font><font face=\"" + tf + "\"> ";

    page.Line("<p align=\"left\"><font face=\"" + hf + "\" size=\"6\">" + UpperCase(text(180)) +
              "</font></p>");
    page.Line("<table border=\"0\" width=\"50%\">");
    page.Line("  <tr>");
    page.Line(
        std::string(kIndent4) +
        "<td width=\"10%\" style=\"background-color: #FFFFFF; border-style: solid; border-color: #FFFFFF\">");
    page.Line(std::string(kIndent6) + "<p align=\"center\"><img border=\"0\" src=\"" + LinkTarget(portrait) +
              "\" width=\"100\" height=\"150\"></td>");
    page.Line(std::string(kIndent6) + "<td width=\"90%\" nowrap>");
    page.Line(std::string(kIndent6) + "<p style=\"margin-left: 6\">");
    page.Line(identity + text(181) + value + EscapeHtml(UpperCase(career.CmdrName)) + "<br></font>");
    page.Line(identity + text(182) + value + field(0) + "<br></font>");
    page.Line(identity + text(183) + value + EscapeHtml(UpperCase(history[1])) + "<br></font>");
    page.Line(identity + text(184) + value + field(3) + " (" + text(185) + " " +
              EscapeHtml(TwoDigitYear(history[3])) + ")</font></p>");
    page.Line(std::string(kIndent4) + "</td>");
    page.Line("  </tr>");
    page.Line("</table>");

    page.Line("<table border=\"0\" width=\"100%\">");
    page.Line("  <tr>");
    page.Line(std::string(kIndent4) + "<td width=\"40%\" valign=\"top\"><font face=\"" + hf +
              "\" size=\"4\"><br>" + text(186) + "</font><font face=\"" + tf + "\"><br>");
    for (const auto& [n, m] : {std::pair{5, 187}, {6, 188}, {7, 189}, {8, 190}}) {
        page.Line(kIndent6 + field(static_cast<std::size_t>(n)) + " " + text(m) + "<br>");
    }
    for (const std::string& entry : promotions) {
        page.Line(kIndent6 + entry + "<br>");
    }
    page.Line(std::string(kIndent6) + "</font></td>");
    page.Line(std::string(kIndent4) + "<td width=\"60%\" valign=\"top\"><font face=\"" + hf +
              "\" size=\"4\"><br>" + text(195) + "</font><font face=\"" + tf + "\"><br>");
    const auto listOrNone = [&](const std::vector<std::string>& entries) {
        for (const std::string& entry : entries) {
            page.Line(kIndent6 + entry + "<br>");
        }
        if (entries.empty()) {
            page.Line(kIndent6 + text(196) + "<br>");
        }
    };
    listOrNone(decorations);
    page.Line(std::string(kIndent6) + "<br>");
    page.Line(std::string(kIndent6) + "</font><font face=\"" + hf + "\" size=\"4\">" + text(197) +
              "</font><font face=\"" + tf + "\"><br>");
    listOrNone(badges);
    page.Line(std::string(kIndent6) + "</font></td>");
    page.Line("  </tr>");
    page.Line("</table>");

    const bool retired = status == CareerStatus::Retired;
    const std::string heading = "<p><font face=\"" + hf + "\" size=\"4\">";
    const std::string body = "<br></font><font face=\"" + tf + "\">";
    page.Line(heading + text(198) + body);
    const std::optional<int> joined = ParseInteger(TwoDigitYear(history[4]));
    page.Line(field(4) + " " + (joined && *joined < 40 ? text(199) : text(200)) + "<br>");
    for (const std::string& entry : flotillaRuns) {
        page.Line(entry + "<br>");
    }
    if (retired) {
        page.Line(ReportDate(currentRecord, dates) + " " + text(202) + "<br>");
    }
    page.Line("</font></p>");
    page.Line(heading + text(203) + body);
    for (const std::string& entry : boatRuns) {
        page.Line(entry + "<br>");
    }
    if (retired) {
        page.Line(ReportDate(currentRecord, dates) + " " + text(196) + "<br>");
    }
    page.Line("</font></p>");

    // The patrol table.
    page.Line("<table border=\"0\" width=\"100%\">");
    page.Line("  <tr>");
    const auto caption = [&](const char* width, const std::string& content) {
        page.Line(std::string(kIndent4) + "<td width=\"" + width +
                  "%\" bgcolor=\"#0033CC\" align=\"center\"><font face=\"" + hf + "\" color=\"#FFFFFF\">" +
                  content + "</font></td>");
    };
    const std::string split = "<br>(" + text(208) + "/" + text(209) + ")";
    caption("7", text(205));
    caption("28", text(206));
    caption("19", text(207) + split);
    caption("19", text(210) + split);
    caption("27", text(211));
    page.Line("  </tr>");
    long long allDays = 0;
    for (int n = 0; n < patrols; ++n) {
        const std::string section = Patrol(n);
        const ProfileSnapshot& log = files.patrolsDone;
        const auto cell = [&](const char* width, const std::string& content) {
            page.Line(std::string(kIndent4) + "<td width=\"" + width + "%\" align=\"center\"><font face=\"" +
                      tf + "\">" + content + "</font></td>");
        };
        const Date start = FindDate(log, section, "Start").value_or(firstPatrol);
        const Date end = ReadDate(log, section, "End");
        const long long days = static_cast<long long>(end) - start + 1;
        allDays += days;
        const auto ships = [&](const char* key) {
            return EscapeHtml(log.ReadString(section, key, kMissingName));
        };
        const auto tons = [&](const char* key) { return Tons(ReadCheckedFloat(log, section, key, 0)); };
        std::string hull;
        if (n == patrols - 1 && (status == CareerStatus::LostAtSea || status == CareerStatus::Surrendered)) {
            hull = text(214);
        } else if (const double integrity = ReadCheckedFloat(log, section, "HullIntegrity", 0);
                   integrity != 100) {
            const std::array<TemplateValue, 1> values = {integrity};
            hull = text.Fill(213, kMissingEntry, values);
        }
        page.Line("  <tr>");
        cell("7", "<a href=\"Log_" + std::to_string(n) + ".html\">" + std::to_string(n + 1) + "</a>");
        cell("28", ReportDate(start, dates) + " - " + ReportDate(end, dates) + "  (" + std::to_string(days) +
                       " " + text(212) + ")");
        cell("19", ships("ShipsSunkNb") + " (" + ships("MerchantShipsSunkNb") + "/" +
                       ships("WarShipsSunkNb") + ")");
        cell("19", tons("TonnageSunk") + " (" + tons("MerchantTonnageSunk") + "/" +
                       tons("WarshipTonnageSunk") + ")");
        cell("27", hull);
        page.Line("  </tr>");
    }
    page.Line("  <tr>");
    const auto total = [&](const char* width, const std::string& content) {
        page.Line(std::string(kIndent4) + "<td width=\"" + width +
                  "%\" align=\"center\" bgcolor=\"#CCCCCC\"><b><font face=\"" + tf + "\">" + content +
                  "</font></b></td>");
    };
    total("7", text(215));
    total("28",
          std::to_string(patrols) + " " + text(201) + " (" + std::to_string(allDays) + " " + text(212) + ")");
    total("19", shipsTotal);
    total("19", "<a href=\"Aces.html\">" + tonnageTotal + "</a>");
    total("27", aircraft + " " + text(216) + "<br>" + std::to_string(losses) + " " + text(217));
    page.Line("  </tr>");
    page.Line("</table>");

    // The closing paragraph.
    std::string closingHeading;
    std::string closingText;
    if (status == CareerStatus::LostAtSea || status == CareerStatus::Surrendered) {
        const std::string lastEnd =
            patrols >= 1 ? ReportDate(ReadDate(files.patrolsDone, Patrol(patrols - 1), "End"), dates) : "";
        const std::array<TemplateValue, 4> values = {career.CmdrRank, name, EscapeHtml(career.SubName),
                                                     lastEnd};
        closingHeading = text(220);
        closingText = status == CareerStatus::LostAtSea
                          ? text.Fill(218, kMissingEntry, values)
                          : text.Fill(219, kMissingEntry, values) + " " + sentenceB;
    } else if (retired) {
        closingHeading = text(220);
        closingText = currentRecord < EncodeDate(1945, 1, 1) ? sentenceA + " " + sentenceB : sentenceB;
    }
    page.Line(heading + closingHeading + "<br></font>");
    page.Line("<font face=\"" + tf + "\">" + closingText + "</font></p>");
    page.Write(folder / platform::PathFromText(pageName));

    CopyPicture(paths.Prog("Images\\" + portrait), folder / platform::PathFromText(portrait), notes);
    CopyPicture(fonts.background, folder / "background.jpg", notes);
    return {folder / platform::PathFromText(pageName), WholeTons(tonnage)};
}

ReportResult GeneratePersonnelFile(const Paths& paths, const Language& language, const SelectedCareer& career,
                                   Random& random) {
    ReportResult result;
    const std::filesystem::path folder = PersonnelFolder(paths, career.Name);
    const PersonnelPage page = WritePersonnelPage(paths, language, career, folder, result.notes);
    const std::string pageName = platform::TextFromPath(page.file.filename());
    if (ReadSettings(paths).RealShipNames) {
        ApplyRealShipNames(paths, language, career, random, result.notes);
    }
    GeneratePatrolLogs(paths, language, career, folder, pageName);
    GenerateAcesPage(paths, language, career, folder, pageName, page.tonnage);
    result.page = page.file;
    result.message = "A personnel file has been created for " + career.CmdrRank + " " + career.CmdrName + ".";
    return result;
}

}  // namespace seewolf::reports
