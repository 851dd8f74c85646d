#include "reports/crew_list.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <set>

#include "app/language.h"
#include "app/numbers.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/text.h"
#include "career/career.h"
#include "crew/roster.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/processes.h"

namespace seewolf::reports {

namespace {

constexpr const char* kCellBorder = "<td style=\"border: 1px solid #C0C0C0\" width=\"";

// The start of a table cell up to the font face; the text face and the content follow.
std::string CellStart(std::string_view width, std::string_view attributes) {
    return "    " + std::string(kCellBorder) + std::string(width) + "%\"" + std::string(attributes) +
           "><font face=\"";
}

struct Column {
    const char* width;
    const char* attributes;
};

// The seven columns of a row: insignia and name, patrols, experience, health, medals, badges,
// qualifications.
constexpr Column kColumns[7] = {{"26", " valign=\"bottom\""},
                                {"8", " align=\"center\" valign=\"bottom\""},
                                {"8", " align=\"center\" valign=\"bottom\""},
                                {"10", " valign=\"bottom\""},
                                {"21", " valign=\"middle\""},
                                {"13", " valign=\"middle\""},
                                {"13", " valign=\"middle\""}};

void Row(Page& page, const std::string& textFont, const std::array<std::string, 7>& cells) {
    page.Line("  <tr>");
    for (std::size_t c = 0; c < cells.size(); ++c) {
        page.Line(CellStart(kColumns[c].width, kColumns[c].attributes) + textFont + "\">" + cells[c] +
                  "</font></td>");
    }
    page.Line("  </tr>");
}

// A picture of the table. Every picture named is remembered, so that the ones not beside the
// page can be said.
class Pictures {
  public:
    std::string Image(const std::string& file, std::optional<std::string_view> alt, int width, int height) {
        m_named.insert(file);
        std::string img = "<img border=\"0\" src=\"" + file + "\"";
        if (alt) {
            img += " alt=\"" + std::string(*alt) + "\"";
        }
        return img + " width=\"" + std::to_string(width) + "\" height=\"" + std::to_string(height) + "\">";
    }
    const std::set<std::string>& Named() const { return m_named; }

  private:
    std::set<std::string> m_named;
};

// Copies the files of ProgFolder/Personnel Files/ beside the page (folders left out), overwriting.
void CopyPersonnelFiles(const Paths& paths, const std::filesystem::path& folder,
                        std::vector<std::string>& notes) {
    const std::filesystem::path source = paths.Prog("Personnel Files\\");
    if (!platform::FolderExists(source)) {
        notes.push_back("The folder " + FolderText(source) +
                        " was not found, so the crew list has no rank, medal or qualification pictures.");
        return;
    }
    for (const platform::FolderEntry& entry : platform::ListFolder(source)) {
        const std::filesystem::path from = source / platform::PathFromText(entry.name);
        if (!entry.isFolder && platform::FileExists(from)) {
            platform::CopyFileAtomic(from, folder / platform::PathFromText(entry.name));
        }
    }
}

// Removes a folder and everything in it when the scope ends.
class TemporaryFolder {
  public:
    TemporaryFolder() {
        static std::atomic<unsigned> serial{0};
        m_path =
            std::filesystem::temp_directory_path() /
            ("seewolf-crew-" + std::to_string(platform::CurrentProcessId()) + "-" + std::to_string(++serial));
        platform::RemoveTree(m_path);  // left by an earlier process of the same id
        platform::CreateFolders(m_path);
    }
    ~TemporaryFolder() { platform::RemoveTree(m_path); }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

  private:
    std::filesystem::path m_path;
};

}  // namespace

CrewListRow CrewListRowOf(const crew::Crewman& crewman) {
    CrewListRow row;
    row.grade = crewman.grade;
    row.name = std::string(TrimBlanks(crewman.name));
    row.patrols = crewman.patrols;
    row.experience = crewman.experience;
    row.medalsInx = crewman.medalsInx;
    if (crewman.nrQual > 0) {
        row.qualification = crewman.qualification;
    }
    row.healthStatus = crewman.healthStatus;
    return row;
}

bool ListedBefore(int grade, int otherGrade) {
    return std::to_string(grade) > std::to_string(otherGrade);
}

std::vector<CrewListRow> ReadCrewListRows(const SelectedCareer& career, std::vector<std::string>& notes) {
    const std::filesystem::path roster = crew::CrewFile(career);
    if (!platform::FileExists(roster)) {
        notes.push_back("The crew roster " + PathText(roster) +
                        " is missing, so the crew list shows the commander only.");
        return {};
    }
    std::vector<crew::Crewman> crewmen;
    if (career.CareerStatus == CareerStatus::AtSea) {
        crewmen = crew::ReadRoster(roster, career.SubTypeNb);
    } else {
        // Opening the crew manager puts the officers into their slots before it lists them; the
        // list is that of the put-right roster, while the roster itself stays as it is.
        const TemporaryFolder folder;
        const std::filesystem::path copy = folder.Path() / roster.filename();
        platform::CopyFileAtomic(roster, copy);
        crew::CleanseOfficerComps(copy, career.SubTypeNb);
        crewmen = crew::ReadRoster(copy, career.SubTypeNb);
    }
    std::vector<CrewListRow> rows;
    rows.reserve(crewmen.size());
    for (const crew::Crewman& crewman : crewmen) {
        rows.push_back(CrewListRowOf(crewman));
    }
    std::stable_sort(rows.begin(), rows.end(), [](const CrewListRow& a, const CrewListRow& b) {
        return ListedBefore(a.grade, b.grade);
    });
    return rows;
}

std::string CrewListPageName(const Paths& paths, const Language& language, std::string_view subName) {
    return PageFileName(std::string(subName) + "_" + ProgTable(paths, language).Text(120, kMissingEntry));
}

ReportResult GenerateCrewList(const Paths& paths, const Language& language, const SelectedCareer& career,
                              const std::vector<CrewListRow>& rows) {
    ReportResult result;
    const TextTable prog = ProgTable(paths, language);
    const TextTable menu = MenuTable(paths, language);
    auto progText = [&prog](int id) { return prog.Text(id, kMissingEntry); };
    const ReportFonts fonts = ReadReportFonts(paths);
    const std::string& hf = fonts.heading;
    const std::string& tf = fonts.text;

    // The commander now: his rank and awards in his current career record.
    const ProfileFile commander(platform::Resolve(career.CareerFolder, "Careers_0.cfg"));
    const std::string record = SectionName("CAREER ", career.PatrolCount);
    const bool rankKnown = commander.FindString(record, "PlayerRank").has_value();
    const int playerRank = commander.ReadInteger(record, "PlayerRank", -1);
    auto held = [&commander, &record](int medal) {
        return commander.ReadInteger(record, "Medal" + std::to_string(medal), -1) >= 0;
    };

    const std::string title =
        UpperCase(progText(120) + " : " + TitleDate(career.StartDateText, language.dates));
    const std::string subName = EscapeHtml(career.SubName);
    Page page(language.LangCode, title);
    page.Line("<p><font face=\"" + hf + "\" size=\"6\">" + title + "</font></p>");
    page.Line("<p><font face=\"" + tf + "\"><b>" + subName + ", " + progText(121) + " " +
              EscapeHtml(career.SubTypeName) + "<br>");
    // The flotilla's name under its number as the career stores it, as the record sheet finds it.
    page.Line(ProfileFile(menu.File()).ReadString("STRINGS", career.FlotillaNb, kMissingName) +
              "</b></font></p>");
    page.Line("<table style=\"border: 1px solid #C0C0C0\" width=\"100%\">");
    page.Line("  <tr>");
    const std::pair<const char*, std::string> captions[7] = {{"26", progText(122) + "/" + progText(123)},
                                                             {"8", progText(124)},
                                                             {"8", progText(125)},
                                                             {"10", progText(130)},
                                                             {"21", progText(126)},
                                                             {"13", progText(127)},
                                                             {"13", progText(128)}};
    for (const auto& [width, caption] : captions) {
        const bool centred = std::string_view(width) == "8";
        page.Line("    " + std::string(kCellBorder) + width + "%\" bgcolor=\"#0033CC\"" +
                  (centred ? " align=\"center\"" : "") + "><font color=\"#FFFFFF\" face=\"" + hf +
                  "\" size=\"4\">" + caption + "</font></td>");
    }
    page.Line("  </tr>");

    Pictures pictures;
    // The commander's row.
    {
        std::string insignia;
        if (rankKnown) {
            insignia =
                pictures.Image("rank" + std::to_string(static_cast<long long>(playerRank) - 3) + ".gif",
                               career.CmdrRank, 12, 32) +
                " ";
        } else {
            result.notes.push_back("The commander's rank is not in " + PathText(commander.Path()) + " [" +
                                   record + "], so the crew list shows no rank insignia for him.");
        }
        std::string medals;
        // The order of the personnel file's decorations, each with the picture of its medal.
        constexpr std::pair<int, int> kMedals[] = {{0, 0}, {1, 1}, {9, 2}, {2, 3},
                                                   {3, 4}, {4, 5}, {5, 9}, {6, 10}};
        for (const auto& [key, picture] : kMedals) {
            if (held(key)) {
                medals += pictures.Image("medal" + std::to_string(picture) + ".gif", std::nullopt, 32, 32);
            }
        }
        std::string badges;
        if (held(7)) {
            badges += pictures.Image("medal7.gif", std::nullopt, 26, 20) + " ";
        }
        if (held(8)) {
            badges += pictures.Image("medal6.gif", std::nullopt, 48, 14);
        }
        const int health = career.CareerStatus == CareerStatus::LostAtSea ? 362 : 360;
        Row(page, tf,
            {insignia + EscapeHtml(career.CmdrName), std::to_string(career.PatrolCount), "---",
             menu.Text(health, kMissingName), "&nbsp;" + medals, "&nbsp;" + badges,
             "&nbsp;" + progText(129)});
    }

    // One row per crewman.
    for (const CrewListRow& row : rows) {
        std::string insignia;
        // A grade the game does not have shows no insignia, as in the crew manager. The rank name is
        // cut at its ";", as everywhere a rank is named.
        if (row.grade >= 0 && row.grade < crew::kGradeCount) {
            insignia = pictures.Image("rank" + std::to_string(row.grade) + ".gif",
                                      crew::ShortRankText(menu, row.grade), 12, 32) +
                       " ";
        }
        auto award = [&](int i, int width, int height) {
            return pictures.Image("medal" + std::to_string(i) + ".gif", crew::AwardText(menu, i), width,
                                  height);
        };
        auto holds = [&row](int i) { return row.medalsInx[static_cast<std::size_t>(i)] >= 0; };
        std::string medals;
        for (int i = 0; i <= 5; ++i) {
            if (holds(i)) {
                medals += award(i, 32, 32);
            }
        }
        std::string badges;
        if (holds(7)) {
            badges += award(7, 26, 20) + " ";
        }
        if (holds(6)) {
            badges += award(6, 48, 14) + " ";
        }
        if (holds(8)) {
            badges += award(8, 18, 18);
        }
        std::string qualifications;
        for (const int q : row.qualification) {
            if (const std::optional<std::string> name = crew::QualificationText(menu, q)) {
                qualifications += pictures.Image("qual" + std::to_string(q) + ".gif", *name, 22, 22);
                if (q < crew::kQualificationCount - 1) {
                    qualifications += " ";
                }
            }
        }
        Row(page, tf,
            {insignia + EscapeHtml(row.name), std::to_string(row.patrols), FormatFixed(row.experience, 0),
             crew::HealthText(menu, row.healthStatus), "&nbsp;" + medals, "&nbsp;" + badges,
             "&nbsp;" + qualifications});
    }
    page.Line("</table>");

    const std::filesystem::path folder = PersonnelFolder(paths, career.Name);
    result.page = folder / platform::PathFromText(CrewListPageName(paths, language, career.SubName));
    page.Write(result.page);

    CopyPersonnelFiles(paths, folder, result.notes);
    CopyPicture(fonts.background, folder / "background.jpg", result.notes);
    std::string missing;
    for (const std::string& name : pictures.Named()) {
        if (!platform::FileExists(folder / platform::PathFromText(name))) {
            missing += (missing.empty() ? "" : ", ") + name;
        }
    }
    if (!missing.empty()) {
        result.notes.push_back("The crew list shows no picture in place of " + missing + ": not found in " +
                               FolderText(paths.Prog("Personnel Files\\")) + ".");
    }
    result.message = "A crew list of " + career.SubName + " has been created.";
    return result;
}

}  // namespace seewolf::reports
