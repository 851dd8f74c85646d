#include "career/actions.h"

#include <algorithm>

#include "app/error.h"
#include "app/language.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/settings.h"
#include "app/text.h"
#include "career/career.h"
#include "career/new_career.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/trash.h"
#include "platform/windows_path.h"

namespace seewolf {

namespace {

namespace fs = std::filesystem;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsUpperLetter(char c) {
    return c >= 'A' && c <= 'Z';
}

// The folder of the career shown; the career must have been loaded.
const fs::path& FolderOf(const SelectedCareer& career) {
    if (career.CareerFolder.empty()) {
        throw Error("No career is selected.");
    }
    return career.CareerFolder;
}

fs::path CareerFile(const SelectedCareer& career, std::string_view file) {
    return platform::Resolve(FolderOf(career), file);
}

std::string MonthText(const Language& language, int year, int month) {
    return language.dates.monthNames[static_cast<std::size_t>(month - 1)] + " " + std::to_string(year);
}

std::string Unquoted(std::string_view text) {
    std::string result(text);
    std::erase(result, '"');
    return result;
}

}  // namespace

bool IsPatrolGrid(std::string_view text) {
    if (text.empty() || text.size() > kPatrolGridLength) {
        return false;
    }
    const bool allowed =
        std::all_of(text.begin(), text.end(), [](char c) { return IsDigit(c) || IsUpperLetter(c); });
    return allowed && std::any_of(text.begin(), text.end(), IsDigit) &&
           std::any_of(text.begin(), text.end(), IsUpperLetter);
}

ContinuedCareer ContinueCareerValues(const Paths& paths, const Language& language,
                                     const SelectedCareer& career) {
    const ProfileFile patrols(CareerFile(career, "Patrols_0.cfg"));
    const std::string section = SectionName("PATROL ", career.PatrolCount);
    ContinuedCareer values;

    // The new commander starts in the month after the last patrol's start.
    const int startYear = patrols.ReadInteger(section, "StartYear", 0);
    const int startMonth = patrols.ReadInteger(section, "StartMonth", 0);
    if (startMonth < 1 || startMonth > 12) {
        throw Error("The last patrol's start month in " + KeyPlace(patrols, section, "StartMonth") + " is " +
                    std::to_string(startMonth) + ", which is not a month.");
    }
    values.year = startMonth == 12 ? startYear + 1 : startYear;
    values.month = startMonth == 12 ? 1 : startMonth + 1;
    if (values.year < kFirstYear || values.year > kLastYear) {
        throw Error("A new commander cannot start in " + MonthText(language, values.year, values.month) +
                    ", the month after the last patrol's start (" + KeyPlace(patrols, section, "StartYear") +
                    "): careers start from " + std::to_string(kFirstYear) + " to " +
                    std::to_string(kLastYear) + ".");
    }
    const int fitted = MonthsOf(paths, values.year).Fit(values.month);
    if (fitted != values.month) {
        values.notes.push_back("The new commander starts in " + MonthText(language, values.year, fitted) +
                               " instead of " + MonthText(language, values.year, values.month) +
                               ", the nearest month in which a career can start.");
        values.month = fitted;
    }

    // The boat number only from "U-" and digits, as the number box takes it.
    const std::string subName = patrols.ReadString(section, "SubName", kMissingName);
    const std::string_view digits =
        std::string_view(subName).substr(std::min<std::size_t>(2, subName.size()));
    if (subName.starts_with("U-") && !digits.empty() && digits.size() <= kBoatNumberLength &&
        std::all_of(digits.begin(), digits.end(), IsDigit)) {
        values.boatNumber = std::string(digits);
    } else {
        values.notes.push_back("The boat number is left to the game: the retired career's boat \"" + subName +
                               "\" is not \"U-\" followed by a number of at most " +
                               std::to_string(kBoatNumberLength) + " digits.");
    }

    const std::string grid = patrols.ReadString(section, "PatrolArea", kMissingName);
    if (IsPatrolGrid(grid)) {
        values.patrolGrid = grid;
    } else {
        values.notes.push_back(
            "The patrol grid is left to the game: the retired career's next patrol grid \"" + grid +
            "\" is not a grid.");
    }

    values.subType = patrols.ReadString(section, "SubType", kMissingName);
    const std::string subVersion = patrols.ReadString(section, "SubVersion", kMissingName);
    values.boatTypeName = ProfileFile(paths.Game("data\\Cfg\\Basic.cfg"))
                              .ReadString("SUBMARINE" + values.subType, "Name" + subVersion, kMissingName);
    values.flotillaId = patrols.ReadString(section, "Flotilla", kMissingName);
    values.flotillaName =
        ProfileFile(MenuTable(paths, language).File()).ReadString("STRINGS", values.flotillaId, kMissingName);
    return values;
}

void ReturnFromRetirement(const Paths& paths, const SelectedCareer& career) {
    if (career.CareerStatus != CareerStatus::Retired) {
        throw Error("Only a retired career can return to active duty.");
    }
    ProfileEdit done{ProfileFile(CareerFile(career, "Careers.cfg"))};
    const std::string section = SectionName("CAREER ", career.PatrolCount - 1);
    done.WriteString(section, "Finished", "false");
    done.WriteString(section, "WarOver", "false");
    done.Commit();
    ProfileFile(paths.SettingsFile()).WriteString(kLatestCareerSection, "CAREER", career.Name);
}

std::optional<std::string> Surrender(const Paths& paths, const SelectedCareer& career) {
    if (career.CareerStatus != CareerStatus::LostAtSea) {
        throw Error("Only a career lost at sea can be changed to \"Surrendered\".");
    }
    ProfileEdit settings{ProfileFile(paths.SettingsFile())};
    std::vector<std::string> items =
        SplitCommaText(settings.ReadString(kCareerDetailsSection, career.Name, ""));
    std::optional<std::string> note;
    if (items.size() <= kHistorySurrendered) {
        note = "The career's record in " + PathText(paths.SettingsFile()) + " ([" + kCareerDetailsSection +
               "] " + career.Name + ") held " + std::to_string(items.size()) + " of its " +
               std::to_string(kHistorySurrendered + 1) + " items; the missing ones were added empty.";
        items.resize(kHistorySurrendered + 1);
    }
    items[kHistorySurrendered] = "1";
    settings.WriteString(kCareerDetailsSection, career.Name, JoinCommaText(items));
    settings.WriteString(kLatestCareerSection, "CAREER", career.Name);
    settings.Commit();
    return note;
}

int DeckGun(const SelectedCareer& career) {
    return ProfileFile(CareerFile(career, "Careers_0.cfg"))
        .ReadInteger(SectionName("CAREER ", career.PatrolCount), "M01", -1);
}

void RemoveDeckGun(const SelectedCareer& career) {
    ProfileFile(CareerFile(career, "Careers_0.cfg"))
        .WriteString(SectionName("CAREER ", career.PatrolCount), "M01", "-1");
}

fs::path PatrolLogEditor(const Paths& paths) {
    return paths.Prog("Kladde.exe");
}

PatrolLogCall PatrolLogEditorCall(const Paths& paths, const SelectedCareer& career) {
    const std::string folder = platform::WindowsPathOf(platform::WithTrailingSeparator(FolderOf(career)));
    if (folder.find('"') != std::string::npos) {
        throw Error(
            "The patrol-log editor cannot be given the career folder " + PathText(career.CareerFolder) +
            ": Windows programs cannot use a name with a double quote. Rename the folder without it.");
    }
    PatrolLogCall editor;
    const std::string commander = career.CmdrRank + " " + career.CmdrName;
    if (commander.find('"') != std::string::npos) {
        editor.notes.push_back("The patrol-log editor gets the commander as \"" + Unquoted(commander) +
                               "\": a double quote would end the quoted name early, so the name is "
                               "passed without its double quotes.");
    }
    const std::string who = Utf8FromCp1252(Unquoted(commander));
    const std::string patrol = std::to_string(career.PatrolCount - 1);
    editor.call.program = PatrolLogEditor(paths);
    editor.call.arguments = {who, folder, patrol};
    editor.call.workingFolder = paths.ProgFolder;
    editor.parameterText = "\"" + who + "\" \"" + folder + "\" " + patrol;
    return editor;
}

void StartPatrolLogEditor(const PatrolLogCall& editor) {
    if (!platform::StartDetached(editor.call)) {
#ifdef _WIN32
        throw Error("The patrol-log editor " + PathText(editor.call.program) +
                    " could not be started: check that it is there and that Windows lets it run.");
#else
        throw Error("The patrol-log editor " + PathText(editor.call.program) +
                    " could not be started. On Linux it runs through Wine (the command in SEEWOLF_WINE, "
                    "else \"wine\"): check that Wine is installed.");
#endif
    }
}

std::string DeleteCareerQuestion(std::string_view name) {
    return "Delete the career \"" + std::string(name) +
           "\"?\n\nIts folder goes to the trash, from where you can restore it.";
}

fs::path CareerFolderToDelete(const Paths& paths, std::string_view name) {
    const fs::path careers =
        platform::WithoutTrailingSeparator(platform::Resolve(paths.SaveFolder, "Careers"));
    const auto refuse = [&] {
        return Error("Seewolf deletes only a career folder directly inside " + PathText(careers) + "; \"" +
                     std::string(name) + "\" is not one. Nothing was deleted.");
    };
    if (name.empty() || name == "." || name == ".." || name.find_first_of("/\\") != std::string_view::npos ||
        name.find('\0') != std::string_view::npos) {
        throw refuse();
    }
    const fs::path folder = careers / platform::PathFromText(name);
    if (folder.parent_path() != careers || folder.filename() != platform::PathFromText(name)) {
        throw refuse();
    }
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(folder, ec);
    if (ec || !(fs::is_directory(status) || (fs::is_symlink(status) && platform::FolderExists(folder)))) {
        throw refuse();
    }
    return folder;
}

bool DeleteCareer(const Paths& paths, std::string_view name) {
    const fs::path folder = CareerFolderToDelete(paths, name);
    const platform::TrashResult result = platform::MoveToTrash(folder);
    switch (result.outcome) {
        case platform::TrashOutcome::Moved:
            return true;
        case platform::TrashOutcome::Cancelled:
            return false;
        case platform::TrashOutcome::Failed:
            break;
    }
    throw Error("The career \"" + std::string(name) + "\" was not deleted; its folder " + PathText(folder) +
                " stays as it was. " + result.reason);
}

}  // namespace seewolf
