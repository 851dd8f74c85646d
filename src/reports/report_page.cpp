#include "reports/report_page.h"

#include "app/error.h"
#include "app/paths.h"
#include "app/settings.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace seewolf::reports {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool IsDigits(std::string_view text) {
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

int Number(std::string_view digits) {
    int n = 0;
    for (char c : digits) {
        n = n * 10 + (c - '0');
    }
    return n;
}

}  // namespace

std::filesystem::path PersonnelFolder(const Paths& paths, std::string_view careerName) {
    const std::string name = SafeFileName(paths.SaveName + std::string(careerName));
    std::filesystem::path folder = paths.DocsFolder / "Personnel Files" / platform::PathFromText(name);
    platform::CreateFolders(folder);
    return folder;
}

ReportFonts ReadReportFonts(const Paths& paths) {
    const Settings settings = ReadSettings(paths);
    // The faces go into attributes; a quote in a face name must not end them.
    return {EscapeHtml(settings.HeadingFont), EscapeHtml(settings.LabelFont), EscapeHtml(settings.TextFont),
            platform::PathFromText(settings.BackgroundImage)};
}

std::string ReportDate(Date date, const DateTexts& texts) {
    return UpperCase(FormatDate("ddmmmyy", date, texts));
}

std::string TwoDigitYear(std::string_view reportDate) {
    return std::string(reportDate.substr(reportDate.size() < 2 ? 0 : reportDate.size() - 2));
}

std::string TitleDate(std::string_view yyyymmdd, const DateTexts& texts) {
    const int month = yyyymmdd.size() == 8 && IsDigits(yyyymmdd) ? Number(yyyymmdd.substr(4, 2)) : 0;
    if (month < 1 || month > 12) {
        throw Error("'" + std::string(yyyymmdd) + "' is not a date of the form yyyymmdd");
    }
    return std::string(yyyymmdd.substr(6, 2)) + texts.monthNames[static_cast<std::size_t>(month - 1)] +
           std::string(yyyymmdd.substr(2, 2));
}

std::string EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string SafeFileName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        const bool refused = byte < 0x20 || byte == 0x7F || c == ' ' || c == '/' || c == '\\' || c == ':' ||
                             c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|';
        out += refused ? '_' : c;
    }
    // Windows drops trailing dots from a name, "." and ".." name folders, and a leading dot hides
    // a file on Linux.
    for (auto it = out.rbegin(); it != out.rend() && *it == '.'; ++it) {
        *it = '_';
    }
    for (auto it = out.begin(); it != out.end() && *it == '.'; ++it) {
        *it = '_';
    }
    return out.empty() ? "_" : out;
}

std::string PageFileName(std::string_view text) {
    return SafeFileName(text) + ".html";
}

Page::Page(std::string_view langCode, std::string_view title) {
    Line("<html>");
    EmptyLine();
    Line("<head>");
    Line("<meta http-equiv=\"Content-Language\" content=\"" + std::string(langCode) + "\">");
    Line("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">");
    Line("<title>" + std::string(title) + "</title>");
    Line("</head>");
    EmptyLine();
    Line("<body background=\"background.jpg\">");
    EmptyLine();
}

void Page::Line(std::string_view text) {
    m_text += text;
    m_text += kLineEnd;
}

void Page::BackLink(const ReportFonts& fonts, std::string_view personnelFileName) {
    Line("<p><font face=\"" + fonts.text + "\"><a href=\"" + std::string(personnelFileName) +
         "\">BACK</a></font></p>");
}

void Page::Write(const std::filesystem::path& file) {
    EmptyLine();
    Line("</body>");
    EmptyLine();
    Line("</html>");
    platform::WriteFileAtomic(file, m_text);
}

void CopyPicture(const std::filesystem::path& from, const std::filesystem::path& to,
                 std::vector<std::string>& notes) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(from, error)) {
        notes.push_back("The picture " + PathText(from) +
                        " was not found, so the pages show none in its place.");
        return;
    }
    platform::CopyFileAtomic(from, to);
}

}  // namespace seewolf::reports
