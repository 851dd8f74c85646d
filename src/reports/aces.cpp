#include "reports/aces.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

#include "app/error.h"
#include "app/language.h"
#include "app/numbers.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "career/career.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "reports/report_page.h"

namespace seewolf::reports {

namespace {

namespace fs = std::filesystem;

int CompareText(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(UpperCp1252(a[i]));
        const auto y = static_cast<unsigned char>(UpperCp1252(b[i]));
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

// yyyymmdd as a number, which orders as the text does; wide enough for any numbers a file holds.
long long DateNumber(long long year, long long month, long long day) {
    return year * 10000 + month * 100 + day;
}

// The numbers of the sections "ITEM" + i (no leading zeros) of the aces file below `count`, in
// order, each with the name its first section is spelled with. An index without a section adds
// nothing (no values), so only these need to be read, however large the count.
std::map<int, std::string> AceSections(const ProfileFile& file, int count) {
    std::map<int, std::string> items;
    for (const std::string& section : file.ReadSections()) {
        if (section.size() < 5 || !SameText(section.substr(0, 4), "ITEM")) {
            continue;
        }
        const std::string digits = section.substr(4);
        const std::optional<int> n = ParseInteger(digits);
        if (n && *n >= 0 && *n < count && digits == std::to_string(*n)) {
            items.emplace(*n, section);
        }
    }
    return items;
}

}  // namespace

long long WholeTons(double tons) {
    constexpr double kBound = 1e15;
    return std::isnan(tons) ? 0 : static_cast<long long>(std::trunc(std::clamp(tons, -kBound, kBound)));
}

void AcesRanking::Add(long long tonnage, std::string_view mark, std::string_view name,
                      std::string_view textFont) {
    m_texts.push_back(ZeroPad(tonnage, 8) + " " + std::string(mark) + EscapeHtml(name) + "</font></td>\r\n" +
                      "    <td align=\"right\"><font face=\"" + std::string(textFont) + "\">" +
                      std::to_string(tonnage) + "</font></td>");
}

std::vector<std::string> AcesRanking::Rows() const {
    std::vector<std::string> texts = m_texts;
    std::stable_sort(texts.begin(), texts.end(),
                     [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
    texts.erase(
        std::unique(texts.begin(), texts.end(),
                    [](const std::string& a, const std::string& b) { return CompareText(a, b) == 0; }),
        texts.end());
    std::reverse(texts.begin(), texts.end());
    return texts;
}

void AddOtherCareers(const Paths& paths, const SelectedCareer& career, int currentDate,
                     std::string_view textFont, AcesRanking& ranking) {
    const fs::path careers = paths.Save("Careers");
    for (const platform::FolderEntry& entry : platform::ListFolder(careers)) {
        if (!entry.isFolder) {
            continue;
        }
        // One read of the file for the whole walk.
        const ProfileSnapshot file(
            ProfileFile(platform::Resolve(careers / platform::PathFromText(entry.name), "Careers.cfg")));
        const int count = file.ReadInteger("INIT", "Careers", 0);
        std::string last;
        for (int r = 0; r < count; ++r) {
            const std::string section = SectionName("CAREER ", r);
            const int year = file.ReadInteger(section, "CrtYear", -1);
            const int month = file.ReadInteger(section, "CrtMonth", -1);
            const int day = file.ReadInteger(section, "CrtDay", -1);
            if (!IsValidDate(year, month, day) || DateNumber(year, month, day) > currentDate) {
                break;
            }
            last = section;
        }
        if (last.empty()) {
            continue;
        }
        const std::string name = file.ReadString(last, "PlayerName", kMissingName);
        if (name != career.CmdrName) {
            const double tonnage = ParseFloat(file.ReadString(last, "TonnageSunk", "")).value_or(0);
            ranking.Add(WholeTons(tonnage), "*", name, textFont);
        }
    }
}

void GenerateAcesPage(const Paths& paths, const Language& language, const SelectedCareer& career,
                      const fs::path& folder, std::string_view personnelFileName,
                      long long commanderTonnage) {
    const TextTable prog = ProgTable(paths, language);
    const std::string title = UpperCase(MenuTable(paths, language).Text(22, "U-BOAT ACES") + " : " +
                                        TitleDate(career.StartDateText, language.dates));
    const int today = *ParseInteger(career.StartDateText);  // TitleDate has checked its form
    const ReportFonts fonts = ReadReportFonts(paths);

    AcesRanking ranking;
    ranking.Add(commanderTonnage, "**", career.CmdrName, fonts.text);
    AddOtherCareers(paths, career, today, fonts.text, ranking);

    const ProfileFile aces(paths.Game("data\\Cfg\\UboatAces.cfg"));
    for (const auto& [i, section] : AceSections(aces, aces.ReadInteger("INIT", "Nb", 0))) {
        long long sum = 0;
        const int values = aces.ReadInteger(section, "NbVal", 0);
        for (int j = 0; j < values; ++j) {
            const std::string n = std::to_string(j);
            const long long date = DateNumber(aces.ReadInteger(section, "Date" + n, 1946),
                                              aces.ReadInteger(section, "Month" + n, 1),
                                              aces.ReadInteger(section, "Day" + n, 1));
            if (date > today) {
                break;
            }
            sum += aces.ReadInteger(section, "Tonnage" + n, 0);
        }
        if (sum > 0) {
            ranking.Add(sum, "", aces.ReadString(section, "Name", kMissingName), fonts.text);
        }
    }

    Page page(language.LangCode, title);
    const std::string cell = "<td bgcolor=\"#0000FF\"";
    const std::string caption = "><font face=\"" + fonts.heading + "\" size=\"4\" color=\"#FFFFFF\">";
    page.Line("<p align=\"left\"><font face=\"" + fonts.heading + "\" size=\"6\">" + title + "</font></p>");
    page.Line("<table border=\"0\" width=\"50%\">");
    page.Line("  <tr>");
    page.Line("    " + cell + caption + prog.Text(123, kMissingEntry) + "</font></td>");
    page.Line("    " + cell + " align=\"center\"" + caption + prog.Text(210, kMissingEntry) + "</font></td>");
    for (const std::string& row : ranking.Rows()) {
        page.Line("  </tr>");
        page.Line("  <tr>");
        page.Line("    <td><font face=\"" + fonts.text + "\">" + row.substr(row.find(' ') + 1));
    }
    page.Line("  </tr>");
    page.Line("</table>");
    page.EmptyLine();
    page.BackLink(fonts, personnelFileName);
    page.Write(folder / "Aces.html");
}

}  // namespace seewolf::reports
