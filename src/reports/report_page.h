#pragma once

// What the four report pages share: the folder they go to, the fonts and background they use, the
// page skeleton, the back link, the way they write dates, and the escaping of text taken from
// save and game files. Pages are written in Windows-1252 (the bytes the tables and save files
// hold) with CR LF after every line.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/dates.h"

namespace seewolf {
struct Paths;
}

namespace seewolf::reports {

// DocsFolder + "Personnel Files/" + SaveName + career name (blanks as "_"), created when missing.
// Throws Error when it cannot be created.
std::filesystem::path PersonnelFolder(const Paths& paths, std::string_view careerName);

// [SETTINGS] HeadingFont, LabelFont, TextFont and BackgroundImage of Seewolf.ini, read when a
// report is written. The face names come escaped for the pages' attributes.
struct ReportFonts {
    std::string heading;
    std::string label;
    std::string text;
    std::filesystem::path background;
};
ReportFonts ReadReportFonts(const Paths& paths);

// "05SEP39": day with two digits, the short month name, two-digit year, in upper case.
std::string ReportDate(Date date, const DateTexts& texts);

// The two-digit year of a report date: its last two characters (fewer when it is shorter).
std::string TwoDigitYear(std::string_view reportDate);

// Day, short month name and two-digit year of a "yyyymmdd" text ("05Sep39", not yet in upper
// case), as the aces and crew list titles show the career's date. Throws Error for a text that
// is not of that form.
std::string TitleDate(std::string_view yyyymmdd, const DateTexts& texts);

// Text from save and game files made safe inside a page: & < > and " as entities. Ordinary
// names come out unchanged.
std::string EscapeHtml(std::string_view text);

// A name from data (a boat name, a career name, a portrait number) made into one file name:
// blanks become "_", and every character a file name may not hold on Windows or Linux (path
// separators, : * ? " < > |, control characters) becomes "_" as well, and so do leading and
// trailing dots ("" becomes "_", ".." "__"). The page and every link to it use the same name.
std::string SafeFileName(std::string_view name);

// SafeFileName(text) + ".html": the name of a page named by a table text or a boat name.
std::string PageFileName(std::string_view text);

// One page: the skeleton's head on construction, the body line by line, the skeleton's end on
// Write. Nothing is escaped here: callers escape the data they put into a line.
class Page {
  public:
    Page(std::string_view langCode, std::string_view title);

    void Line(std::string_view text);
    void EmptyLine() { Line({}); }

    // The last line of the patrol log and aces pages.
    void BackLink(const ReportFonts& fonts, std::string_view personnelFileName);

    // Adds the skeleton's end and writes the page atomically. Throws Error on failure.
    void Write(const std::filesystem::path& file);

    const std::string& Text() const { return m_text; }

  private:
    std::string m_text;
};

// Copies a picture next to the pages (overwriting). A missing source is no error for the page,
// but the user should know why a picture is missing: a line for the report's closing message is
// added to `notes` instead. A copy that fails for another reason throws Error.
void CopyPicture(const std::filesystem::path& from, const std::filesystem::path& to,
                 std::vector<std::string>& notes);

// What a report run produced: the page to offer for opening, the message that says so ("A
// personnel file has been created for ..."), and what else the user should know (pictures that
// were not there, entries left as they were).
struct ReportResult {
    std::filesystem::path page;
    std::string message;
    std::vector<std::string> notes;
};

}  // namespace seewolf::reports
