#include "reports/patrol_logs.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <unordered_set>

#include "app/dates.h"
#include "app/error.h"
#include "app/language.h"
#include "app/numbers.h"
#include "app/profile_file.h"
#include "app/text.h"
#include "career/career.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "reports/report_page.h"

namespace seewolf::reports {

namespace {

// The profile layer's section name list: names and zero bytes in 16384 bytes, a final zero.
constexpr std::size_t kNameListLimit = 16384;
// Room a list must leave for its next name before it is certainly complete; log sections are
// named "Log Entry <k>", far shorter.
constexpr std::size_t kLongestEntryName = 64;

constexpr std::string_view kEntryPrefix = "Log Entry ";
constexpr std::string_view kBreak = "<br>\r\n";
constexpr std::string_view kNoText = "&nbsp;";

// The texts every page of a run shares.
struct PageTexts {
    std::string title;
    std::string sunkMarker;
    std::string aircraftMarker;
    std::string dateCaption;
    std::string locationCaption;
    std::string occurrencesCaption;
    std::string dateFormat;
};

// The start of an entry of some kind: the table's text up to its first "|". A text without one
// gives no marker, and an empty marker marks nothing.
std::string Marker(std::string_view tableText) {
    const std::size_t bar = tableText.find('|');
    return bar == std::string_view::npos ? std::string() : std::string(tableText.substr(0, bar));
}

bool StartsWith(std::string_view text, std::string_view marker) {
    return !marker.empty() && text.substr(0, marker.size()) == marker;
}

// k of a section named "Log Entry k", or -1.
int EntryNumber(std::string_view name) {
    if (name.size() <= kEntryPrefix.size() || !SameText(name.substr(0, kEntryPrefix.size()), kEntryPrefix)) {
        return -1;
    }
    const std::string_view digits = name.substr(kEntryPrefix.size());
    int k = -1;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), k);
    return error == std::errc() && end == digits.data() + digits.size() ? k : -1;
}

// Text from the log made safe for the page, each "|" a line break.
std::string LinesOf(std::string_view text) {
    return ReplaceAll(EscapeHtml(text), "|", kBreak);
}

// The day of an entry's Date ("yyyymmdd").
Date EntryDate(const ProfileFile& file, const std::string& section, const std::string& text) {
    bool digits = text.size() == 8;
    for (char c : text) {
        digits = digits && c >= '0' && c <= '9';
    }
    if (digits) {
        const int year = std::stoi(text.substr(0, 4));
        const int month = std::stoi(text.substr(4, 2));
        const int day = std::stoi(text.substr(6, 2));
        if (IsValidDate(year, month, day)) {
            return EncodeDate(year, month, day);
        }
    }
    throw Error("The patrol log entry " + KeyPlace(file, section, "Date") + " holds \"" + text +
                "\", which is not a date of the form yyyymmdd. Correct or remove the entry's date, for "
                "example with the patrol log editor, and create the personnel file again.");
}

struct Row {
    std::string when;
    std::string where;
    std::string what;
};

// The rows of one page: first and last entry, ships sunk, aircraft destroyed and marked entries,
// each day's first one under a date row.
std::vector<Row> LogRows(const ProfileFile& file, const PageTexts& texts, const DateTexts& dates) {
    std::vector<Row> rows;
    const ProfileSnapshot log(file);  // one read of the file for the whole page
    const std::vector<std::string> sections = LogEntrySections(log);
    std::string lastDate;
    for (std::size_t i = 0; i < sections.size(); ++i) {
        const std::string& section = sections[i];
        const std::string text = log.ReadString(section, "EntryText", "");
        const bool marked = log.ReadInteger(section, "Seewolf", 0) != 0;
        const bool sunkOrAircraft =
            StartsWith(text, texts.sunkMarker) || StartsWith(text, texts.aircraftMarker);
        if (i != 0 && i + 1 != sections.size() && !sunkOrAircraft && !marked) {
            continue;
        }

        // An entry without a date stays under the heading before it.
        const std::string date = log.ReadString(section, "Date", "");
        if (!date.empty() && date != lastDate) {
            rows.push_back(
                {"<u>" + FormatDate(texts.dateFormat, EntryDate(file, section, date), dates) + "</u>",
                 std::string(kNoText), std::string(kNoText)});
            lastDate = date;
        }

        Row& row = rows.emplace_back();
        row.when = ZeroPad(log.ReadInteger(section, "Time", 0), 4);
        row.where = kNoText;
        if (sunkOrAircraft) {
            // Marker | place | what | further lines; parts that are missing stay empty.
            const std::vector<std::string_view> parts = SplitText(text, '|');
            if (parts.size() > 1) {
                row.where = EscapeHtml(parts[1]);
            }
            row.what = parts.empty() ? std::string() : EscapeHtml(parts[0]);
            if (parts.size() > 2) {
                row.what += " " + EscapeHtml(parts[2]);
            }
            for (std::size_t p = 3; p < parts.size(); ++p) {
                row.what += kBreak;
                row.what += EscapeHtml(parts[p]);
            }
        } else if (const std::size_t bar = text.find('|'); marked && bar != std::string::npos) {
            row.where = EscapeHtml(std::string_view(text).substr(0, bar));
            row.what = LinesOf(std::string_view(text).substr(bar + 1));
        } else {
            row.what = LinesOf(text);
        }
    }
    return rows;
}

void WriteCaptions(Page& page, const ReportFonts& fonts, const PageTexts& texts) {
    page.Line("<p align=\"left\"><font face=\"" + fonts.heading + "\" size=\"6\">" + texts.title +
              "</font></p>");
    page.Line("<table border=\"0\" width=\"100%\" cellspacing=\"0\" cellpadding=\"5\">");
    page.Line("  <tr>");
    const std::pair<const char*, const std::string*> captions[] = {
        {"18", &texts.dateCaption}, {"15", &texts.locationCaption}, {"67", &texts.occurrencesCaption}};
    for (const auto& [width, caption] : captions) {
        page.Line(std::string("    <td width=\"") + width +
                  "%\" align=\"center\" style=\"border-right: 1px solid #000000; border-top: 3px double "
                  "#000000; border-bottom: 1px solid #000000\">");
        page.Line("      <p style=\"margin-top: 6; margin-bottom: 6\"><font face=\"" + fonts.label + "\">" +
                  *caption + "</font></p></td>");
    }
    page.Line("  </tr>");
}

void WriteRow(Page& page, const ReportFonts& fonts, const Row& row) {
    const std::string cell = "valign=\"top\" style=\"border-right: 1px solid #000000\"";
    const std::string font = "<font face=\"" + fonts.text + "\">";
    page.Line("  <tr>");
    page.Line("    <td width=\"18%\" " + cell + " align=\"center\">" + font + row.when + "</font></td>");
    page.Line("    <td width=\"15%\" " + cell + " align=\"center\">" + font + row.where + "</font></td>");
    page.Line("    <td width=\"67%\" " + cell + ">" + font + row.what + "</font></td>");
    page.Line("  </tr>");
}

}  // namespace

std::vector<std::string_view> SplitText(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t end = text.find(separator, begin);
        if (end == std::string_view::npos) {
            parts.push_back(text.substr(begin));
            break;
        }
        parts.push_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    return parts;
}

std::filesystem::path PatrolLogFile(const SelectedCareer& career, int patrol) {
    return platform::Resolve(career.CareerFolder, "Log_" + std::to_string(patrol) + ".cfg");
}

std::vector<std::string> LogEntrySections(const ProfileFile& log) {
    return LogEntrySections(ProfileSnapshot(log));
}

std::vector<std::string> LogEntrySections(const ProfileSnapshot& log) {
    std::vector<std::string> sections = log.ReadSections();
    std::size_t used = 1;
    int last = -1;
    for (const std::string& name : sections) {
        used += name.size() + 1;
        last = std::max(last, EntryNumber(name));
    }
    if (used + kLongestEntryName < kNameListLimit) {
        return sections;
    }
    // The list may have been cut: go on with the entries the game would have written next, from
    // the same snapshot (a log of a million entries is read in one pass, not once per entry).
    std::unordered_set<std::string> listed;
    for (const std::string& name : sections) {
        listed.insert(LowerCase(name));
    }
    for (long long k = static_cast<long long>(last) + 1; k <= std::numeric_limits<int>::max(); ++k) {
        std::string name = std::string(kEntryPrefix) + std::to_string(k);
        // A missing number ends the log; an entry without keys is listed like any other, so the
        // entries after it are not lost.
        if (!log.HasSection(name)) {
            break;
        }
        if (listed.insert(LowerCase(name)).second) {
            sections.push_back(std::move(name));
        }
    }
    return sections;
}

void GeneratePatrolLogs(const Paths& paths, const Language& language, const SelectedCareer& career,
                        const std::filesystem::path& folder, std::string_view personnelFileName) {
    if (career.PatrolCount <= 0) {
        return;
    }
    const ReportFonts fonts = ReadReportFonts(paths);
    const TextTable menu = MenuTable(paths, language);
    const TextTable prog = ProgTable(paths, language);
    const PageTexts texts{menu.Text(3744, "CAPTAIN'S LOG"),
                          Marker(menu.Text(4180, "Ship sunk!")),
                          Marker(menu.Text(4181, "Aircraft destroyed!")),
                          prog.Text(240, "Date and Time"),
                          prog.Text(241, "Location"),
                          prog.Text(242, "Occurrences"),
                          prog.Text(243, "d.M.yy")};

    for (int n = 0; n < career.PatrolCount; ++n) {
        Page page(language.LangCode, texts.title);
        WriteCaptions(page, fonts, texts);
        for (const Row& row : LogRows(ProfileFile(PatrolLogFile(career, n)), texts, language.dates)) {
            WriteRow(page, fonts, row);
        }
        page.Line("</table>");
        page.BackLink(fonts, personnelFileName);
        page.Write(folder / ("Log_" + std::to_string(n) + ".html"));
    }
}

}  // namespace seewolf::reports
