#include "cli/cli.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <map>
#include <ostream>
#include <set>
#include <system_error>
#include <utility>

#include "app/error.h"
#include "app/numbers.h"
#include "app/paths.h"
#include "app/prompter.h"
#include "app/random.h"
#include "app/settings.h"
#include "app/startup.h"
#include "app/text.h"
#include "career/career.h"
#include "career/new_career.h"
#include "launch/backup.h"
#include "launch/launch.h"
#include "platform/encoding.h"
#include "platform/file_lock.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "reports/crew_list.h"
#include "reports/personnel_file.h"

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>
#endif

namespace seewolf::cli {

namespace {

constexpr const char* kUsage =
    "Usage: seewolf-cli [--game DIR] [--documents DIR] COMMAND\n"
    "\n"
    "Seewolf's career manager and launcher, driven from a terminal. It works on the same\n"
    "program folder (the folder of this executable), settings and game files as Seewolf.\n"
    "\n"
    "Options:\n"
    "  --game DIR        the game folder (holding sh3.exe), as Seewolf's /i: argument;\n"
#ifdef _WIN32
    "                    without it: SH3Location of Seewolf.ini, then the registry\n"
#else
    "                    without it: SH3Location of Seewolf.ini, then the Wine registry\n"
#endif
    "  --documents DIR   the documents folder that holds the game's save folder\n"
    "  --help            this text\n"
    "\n"
    "Commands:\n"
    "  paths             print the folders and the language Seewolf works with\n"
    "  list              print the names of the careers, one per line, in the order of\n"
    "                    Seewolf's career tree\n"
    "  show NAME         print the record sheet of the career NAME as Seewolf shows it\n"
    "                    (Name, Rank, Status, Date, LastPatrolEnd, Boat, Type, Flotilla,\n"
    "                    Grid, Saved); nothing is written\n"
    "  launch NAME [--other-base] [--nolaunch]\n"
    "                    launch the career NAME (in base or at sea) as Seewolf's Launch\n"
    "                    button does; --other-base counts the boat as in another base\n"
    "  launch --new-career|--single-mission --year Y --month M --flotilla-id ID --type NAME\n"
    "         [--commander NAME] [--number N] [--grid G] [--crew SET] [--random-crew]\n"
    "         [--nolaunch]\n"
    "                    launch a new career or a single mission (--commander, --number\n"
    "                    and --grid for a new career only); --nolaunch prepares the game's\n"
    "                    files without starting the game\n"
    "  offers --year Y --month M [--single-mission]\n"
    "                    print what the new-career form offers for that month: the\n"
    "                    flotillas with their ids, the boat types of each with the boat\n"
    "                    numbers offered, and the crew sets (for a launch --new-career line)\n"
    "  rollback          restore the game folder to its state before the last launch\n"
    "                    (says so when no launch has left changes)\n"
    "  report NAME       write the personnel file of the career NAME with its captain's\n"
    "                    log pages and the aces page (real ship names in the patrol logs\n"
    "                    when RealShipNames is set), as Seewolf's career menu does;\n"
    "                    prints what the pages lack, then the personnel file's full path\n"
    "                    as the last line\n"
    "  crew-list NAME    write the crew list page of the career NAME, its crew as the\n"
    "                    crew manager lists it; prints what the page lacks, then the\n"
    "                    page's full path as the last line\n"
    "  wrap [--career NAME] [--other-base] -- GAME-COMMAND...\n"
    "                    launch the career NAME (without --career: the latest career,\n"
    "                    the one Seewolf selects) as launch --nolaunch does, run\n"
    "                    GAME-COMMAND (the words after --, as they are) and wait for it,\n"
    "                    then roll back when AutoRollback is set in Seewolf.ini; the\n"
    "                    exit code is the command's. A command that cannot be started\n"
    "                    is rolled back always and gives 127. For Steam's launch\n"
    "                    options: /path/to/seewolf-cli wrap -- %command%\n";

// Messages go to standard error; nothing can be chosen or answered in a terminal, so a
// question takes its cautious answer.
// A message's text for the terminal: one "\n" for each line break, in UTF-8.
std::string TerminalLines(std::string_view text) {
    return Utf8FromCp1252(MessageLines(text));
}

class TerminalPrompter : public Prompter {
  public:
    TerminalPrompter(std::ostream& err, std::filesystem::path settingsFile)
        : m_err(err), m_settingsFile(std::move(settingsFile)) {}

    Button ShowMessage(std::string_view text, MessageKind, Buttons buttons) override {
        m_err << TerminalLines(text) << '\n';
        for (Button b : {Button::Abort, Button::Cancel, Button::No, Button::Ok}) {
            if (buttons.Has(b)) {
                return b;
            }
        }
        return Button::None;
    }
    void ShowPlainMessage(std::string_view title, std::string_view text) override {
        m_err << Utf8FromCp1252(title) << ":\n" << TerminalLines(text) << '\n';
    }
    void SetStatus(std::string_view text) override { m_err << Utf8FromCp1252(text) << '\n'; }
    void HideStatus() override {}
    void SetBusy(bool) override {}
    // A terminal has no folder chooser. Answering "cancelled" would make the look-up save an empty
    // game folder to Seewolf.ini, so the look-up ends here with what the user can do instead.
    std::filesystem::path BrowseForFolder(std::string_view, const std::filesystem::path& initial) override {
        const std::string where = initial.empty() ? std::string("no game folder is known")
                                                  : "\"sh3.exe\" is not in " + PathText(initial);
        throw Error("Seewolf requires Silent Hunter III, but " + where +
                    ". Give the game folder with --game DIR, or set SH3Location in " +
                    PathText(m_settingsFile) + ". Nothing was changed.");
    }
    // Nor can it ask which one: the question and its choices end the command.
    std::optional<std::size_t> Choose(std::string_view question,
                                      const std::vector<std::string>& choices) override {
        std::string text(question);
        for (const std::string& choice : choices) {
            text += "\n  " + choice;
        }
        throw Error(text + "\nA terminal cannot ask which; nothing was changed.");
    }

  private:
    std::ostream& m_err;
    std::filesystem::path m_settingsFile;
};

using platform::PathFromUtf8;

// A path as printed: the system's separators, UTF-8.
std::string Utf8(const std::filesystem::path& path) {
    return platform::Utf8FromPath(std::filesystem::path(path).make_preferred());
}

// Text given on the command line (UTF-8) as the Windows-1252 text that the core and the game's
// files keep. Text that the code page cannot hold is refused, never turned into "?". Every text
// argument goes through here.
std::string Cp1252Argument(const std::string& utf8, const std::string& what) {
    return Cp1252FromUtf8OrThrow(utf8, what);
}

// The career of that name (UTF-8) as the career tree lists it.
std::string FindCareer(const Paths& paths, const std::string& utf8Name) {
    const std::string wanted = Cp1252Argument(utf8Name, "career name");
    const std::vector<std::string> names = ListCareers(paths);
    auto found = std::find(names.begin(), names.end(), wanted);
    if (found == names.end()) {
        // The folder names ignore letter case on Windows; take the one career that matches so.
        auto same = [&wanted](const std::string& name) { return SameText(name, wanted); };
        found = std::find_if(names.begin(), names.end(), same);
        if (found != names.end() && std::find_if(std::next(found), names.end(), same) != names.end()) {
            found = names.end();
        }
    }
    if (found == names.end()) {
        throw Error("No career named " + wanted);
    }
    return *found;
}

// The record sheet of a listed career, label by label, as the main window shows it after the
// selection. Reads only: the career's history record is not generated here.
void ShowCareer(const Paths& paths, const Language& language, const std::string& utf8Name,
                std::ostream& out) {
    SelectedCareer career = LoadCareer(paths, language, FindCareer(paths, utf8Name));
    if (StartsInOtherBase(career)) {
        career.InOtherBase = true;  // the window's status toggle on selection
    }
    const RecordSheet sheet = MakeRecordSheet(career, language.dates);
    const std::pair<const char*, const std::string*> lines[] = {{"Name", &sheet.name},
                                                                {"Rank", &sheet.rank},
                                                                {"Status", &sheet.status},
                                                                {"Date", &sheet.date},
                                                                {"LastPatrolEnd", &sheet.lastPatrolEnd},
                                                                {"Boat", &sheet.boat},
                                                                {"Type", &sheet.type},
                                                                {"Flotilla", &sheet.flotilla},
                                                                {"Grid", &sheet.grid},
                                                                {"Saved", &sheet.saved}};
    for (const auto& [label, value] : lines) {
        out << label << ": " << Utf8FromCp1252(*value) << '\n';
    }
}

// The crew list page of a listed career, from its roster as the crew manager lists it. Changes
// nothing but the report folder.
void WriteCrewList(const Paths& paths, const Language& language, const std::string& utf8Name,
                   std::ostream& out) {
    const SelectedCareer career = LoadCareer(paths, language, FindCareer(paths, utf8Name));
    std::vector<std::string> notes;
    const std::vector<reports::CrewListRow> rows = reports::ReadCrewListRows(career, notes);
    const reports::ReportResult result = reports::GenerateCrewList(paths, language, career, rows);
    notes.insert(notes.end(), result.notes.begin(), result.notes.end());
    for (const std::string& note : notes) {
        out << TerminalLines(note) << '\n';
    }
    out << Utf8(result.page) << '\n';
}

// The personnel file of a listed career, as the career menu writes it. The window gives a career
// its CareerHistory when it shows it; a career never shown gets it here.
void WritePersonnelFile(const Paths& paths, const Language& language, const std::string& utf8Name,
                        std::ostream& out) {
    const SelectedCareer career = LoadCareer(paths, language, FindCareer(paths, utf8Name));
    Random random(Random::ClockSeed());
    EnsureCareerHistory(paths, career.Name, random);
    const reports::ReportResult result = reports::GeneratePersonnelFile(paths, language, career, random);
    for (const std::string& note : result.notes) {
        out << TerminalLines(note) << '\n';
    }
    out << Utf8(result.page) << '\n';
}

struct Options {
    std::map<std::string, std::string> values;
    std::set<std::string> flags;
    std::vector<std::string> rest;
    bool dashes = false;               // "--" was given: the words after it are a command
    std::vector<std::string> command;  // the words after "--", as they are
};

// The exit code of a command that could not be started, as shells give it.
constexpr int kCannotStart = 127;

// The launch request of `launch`, filled from the options as the main window fills it from
// its controls.
// The whole number of a required option.
int WholeNumber(const Options& o, const char* option, const char* command) {
    const auto it = o.values.find(option);
    if (it == o.values.end()) {
        throw Error(std::string(command) + " needs " + option);
    }
    const auto value = ParseInteger(it->second);
    if (!value) {
        throw Error(std::string(option) + " needs a whole number");
    }
    return *value;
}

// A month and year that the new-career form can be set to.
void CheckStartDate(const Paths& paths, int year, int month) {
    const MonthRange months = MonthsOf(paths, year);
    if (year < kFirstYear || year > kLastYear || month < months.first || month > months.last) {
        throw Error("No career can start in " + std::to_string(month) + "/" + std::to_string(year) + ".");
    }
}

bool Given(const Options& o, const std::string& option) {
    return o.values.count(option) > 0 || o.flags.count(option) > 0;
}

// An option that this kind of launch does not use is refused rather than ignored.
void RefuseOptions(const Options& o, std::initializer_list<const char*> options, const std::string& kind) {
    for (const char* option : options) {
        if (Given(o, option)) {
            throw Error(std::string(option) + " does not apply to " + kind + " (see seewolf-cli --help).");
        }
    }
}

// The launch request of a listed career (its name in UTF-8), in base or at sea.
LaunchRequest CareerLaunchRequest(const Paths& paths, const Language& language, const std::string& utf8Name,
                                  bool otherBase, bool noLaunch) {
    LaunchRequest request;
    request.noLaunch = noLaunch;
    const std::string name = FindCareer(paths, utf8Name);
    request.career = LoadCareer(paths, language, name);
    if (request.career.CareerStatus != CareerStatus::InBase &&
        request.career.CareerStatus != CareerStatus::AtSea) {
        throw Error("The career " + name + " is over; it cannot be launched.");
    }
    // As in the window: only the status of a career in home base toggles to another base.
    if (otherBase && request.career.CareerStatus != CareerStatus::InBase) {
        throw Error("--other-base applies only to a career in home base; " + name + " is at sea.");
    }
    request.career.InOtherBase = otherBase || StartsInOtherBase(request.career);
    request.treeEntry = name;
    return request;
}

LaunchRequest MakeLaunchRequest(const Paths& paths, const Language& language, const Options& o) {
    LaunchRequest request;
    request.noLaunch = o.flags.count("--nolaunch") > 0;
    const bool newCareer = o.flags.count("--new-career") > 0;
    const bool singleMission = o.flags.count("--single-mission") > 0;
    if (newCareer && singleMission) {
        throw Error("launch takes --new-career or --single-mission, not both.");
    }
    if (!newCareer && !singleMission) {
        if (o.rest.size() != 2) {
            throw Error("launch needs the name of one career, or --new-career or --single-mission");
        }
        RefuseOptions(o,
                      {"--year", "--month", "--flotilla-id", "--type", "--commander", "--number", "--grid",
                       "--crew", "--random-crew"},
                      "the launch of an existing career");
        return CareerLaunchRequest(paths, language, o.rest[1], o.flags.count("--other-base") > 0,
                                   request.noLaunch);
    }
    if (o.rest.size() != 1) {
        throw Error("launch takes no career name with --new-career or --single-mission");
    }
    RefuseOptions(o, {"--other-base"}, newCareer ? "a new career" : "a single mission");
    if (singleMission) {
        RefuseOptions(o, {"--commander", "--number", "--grid"}, "a single mission");
    }
    request.career.CareerStatus = newCareer ? CareerStatus::NewCareer : CareerStatus::SingleMission;
    request.treeEntry = newCareer ? "New career" : "Single mission";
    request.year = WholeNumber(o, "--year", "launch");
    request.month = WholeNumber(o, "--month", "launch");
    CheckStartDate(paths, request.year, request.month);
    auto text = [&o](const char* option, const char* what) {
        const auto it = o.values.find(option);
        return it == o.values.end() ? std::string() : Cp1252Argument(it->second, what);
    };
    // Only what the window would offer for that date can be chosen; anything else leaves the
    // flotilla or the boat type empty, and the launch refuses as it does in the window.
    const std::string flotillaId = text("--flotilla-id", "flotilla id");
    for (const FlotillaChoice& choice :
         OfferedFlotillas(paths, language, request.career.CareerStatus, request.year, request.month)) {
        if (choice.id == flotillaId) {
            request.flotillaId = choice.id;
            request.flotillaName = choice.name;
            break;
        }
    }
    const std::string type = text("--type", "boat type");
    if (!request.flotillaName.empty() || singleMission) {
        for (const BoatTypeChoice& choice :
             OfferedBoatTypes(paths, request.career.CareerStatus, flotillaId, request.year, request.month,
                              ReadSettings(paths).UseSubDts)) {
            if (choice.name == type) {
                request.boatTypeName = choice.name;
                request.boatTypeNumber = ParseInteger(choice.number).value_or(0);
                break;
            }
        }
    }
    if (newCareer) {
        // The limits of the window's boxes, said rather than cut.
        request.commanderName = text("--commander", "commander name");
        if (request.commanderName.size() > kCommanderNameLength) {
            throw Error("--commander takes at most " + std::to_string(kCommanderNameLength) + " characters");
        }
        request.boatNumber = text("--number", "boat number");
        if (request.boatNumber.size() > kBoatNumberLength ||
            request.boatNumber.find_first_not_of("0123456789") != std::string::npos) {
            throw Error("--number takes at most " + std::to_string(kBoatNumberLength) + " digits");
        }
        request.patrolGrid = UpperCase(text("--grid", "patrol grid"));
        if (request.patrolGrid.size() > kPatrolGridLength) {
            throw Error("--grid takes at most " + std::to_string(kPatrolGridLength) + " characters");
        }
    }
    request.crewSet = text("--crew", "crew set name");
    if (!request.crewSet.empty()) {
        const std::vector<std::string> sets = CrewSets(paths);
        if (std::find(sets.begin(), sets.end(), request.crewSet) == sets.end()) {
            throw Error("No crew set named " + request.crewSet);
        }
    }
    request.randomCrewDetails = o.flags.count("--random-crew") > 0;
    return request;
}

std::set<std::string> KeysOf(const std::map<std::string, std::string>& values) {
    std::set<std::string> keys;
    for (const auto& entry : values) {
        keys.insert(entry.first);
    }
    return keys;
}

// What the new-career form offers for a month: flotillas with their ids, the boat types of each
// with the boat numbers offered, and the crew sets; for a single mission every flotilla and
// every boat type. The same lists as the window, from the same functions.
void PrintOffers(const Paths& paths, const Language& language, const Options& o, std::ostream& out) {
    const bool singleMission = o.flags.count("--single-mission") > 0;
    const CareerStatus status = singleMission ? CareerStatus::SingleMission : CareerStatus::NewCareer;
    const int year = WholeNumber(o, "--year", "offers");
    const int month = WholeNumber(o, "--month", "offers");
    CheckStartDate(paths, year, month);
    const bool useSubDts = ReadSettings(paths).UseSubDts;
    const std::vector<FlotillaChoice> flotillas = OfferedFlotillas(paths, language, status, year, month);
    out << (singleMission ? "Single mission" : "New career") << " in " << month << "/" << year << ":\n";
    if (flotillas.empty()) {
        out << "No flotilla is offered for this month.\n";
    }
    auto printTypes = [&](const std::string& flotillaId, const char* indent) {
        for (const BoatTypeChoice& type :
             OfferedBoatTypes(paths, status, flotillaId, year, month, useSubDts)) {
            out << indent << "type " << Utf8FromCp1252(type.name);
            if (!singleMission) {
                std::string numbers;
                for (const std::string& number : OfferedBoatNumbers(paths, type.name, flotillaId)) {
                    numbers += (numbers.empty() ? "" : ", ") + Utf8FromCp1252(number);
                }
                if (!numbers.empty()) {
                    out << "  numbers: " << numbers;
                }
            }
            out << '\n';
        }
    };
    for (const FlotillaChoice& flotilla : flotillas) {
        out << "flotilla " << Utf8FromCp1252(flotilla.id) << "  " << Utf8FromCp1252(flotilla.name) << '\n';
        if (!singleMission) {
            printTypes(flotilla.id, "  ");
        }
    }
    if (singleMission) {
        printTypes("", "");  // every type, whatever the flotilla
    }
    out << "crew sets:";
    const std::vector<std::string> sets = CrewSets(paths);
    for (std::size_t i = 0; i < sets.size(); ++i) {
        out << (i == 0 ? " " : ", ") << Utf8FromCp1252(sets[i]);
    }
    out << (sets.empty() ? " none (the crew already in the game is used)\n" : "\n");
    out << "Launch with: seewolf-cli launch " << (singleMission ? "--single-mission" : "--new-career")
        << " --year " << year << " --month " << month << " --flotilla-id ID --type TYPE"
        << (singleMission ? "" : " [--commander NAME] [--number N]") << " [--crew SET]\n";
}

#ifndef _WIN32
// While the game runs and its files are rolled back, the signals that stop a terminal's or
// Steam's process group (Ctrl+C, Steam's stop, a closed terminal) end the game but not the
// wrapper, which rolls back once the game has ended and is not cut off in the middle of it. The
// game gets each signal itself as a member of the same group; a signal sent to the wrapper alone
// is not passed on, the wrapper says so and keeps waiting. A caught signal returns to its default
// in the game when it starts its program.
class SignalsWaitForTheGame {
  public:
    SignalsWaitForTheGame() {
        struct sigaction action {};
        action.sa_handler = &Caught;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (std::size_t i = 0; i < std::size(kSignals); ++i) {
            sigaction(kSignals[i], &action, &m_before[i]);
        }
    }
    ~SignalsWaitForTheGame() {
        for (std::size_t i = 0; i < std::size(kSignals); ++i) {
            sigaction(kSignals[i], &m_before[i], nullptr);
        }
    }
    SignalsWaitForTheGame(const SignalsWaitForTheGame&) = delete;
    SignalsWaitForTheGame& operator=(const SignalsWaitForTheGame&) = delete;

  private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    static void Caught(int) {
        constexpr char kText[] = "seewolf-cli: signal received; finishing once the game has ended\n";
        [[maybe_unused]] const ssize_t written = ::write(2, kText, sizeof kText - 1);
    }
    struct sigaction m_before[std::size(kSignals)]{};
};
#else
// A Windows console's Ctrl+C ends the wrapper alone; the next launch or roll-back undoes what the
// launch left.
struct SignalsWaitForTheGame {};
#endif

constexpr const char* kFixedTreeEntries[] = {"New career", "Single mission"};

// launch --nolaunch for a career, the game's command, the roll-back: the way to play through
// Steam or Lutris, which start the game themselves. The lock of the game files is held from the
// launch until after the roll-back, so that no other launch or roll-back comes in between.
int WrapGame(const Paths& paths, const Language& language, const Options& o, Prompter& prompter,
             std::ostream& out, std::ostream& err) {
    std::string name;
    if (const auto given = o.values.find("--career"); given != o.values.end()) {
        name = given->second;
    } else {
        // The career the window selects at its start.
        const std::string latest = LatestCareer(paths);
        if (latest.empty()) {
            throw Error("No career is saved as the latest in " + PathText(paths.SettingsFile()) +
                        ". Give one with --career NAME. Nothing was changed.");
        }
        const std::vector<std::string> names = ListCareers(paths);
        if (std::find(std::begin(kFixedTreeEntries), std::end(kFixedTreeEntries), latest) !=
                std::end(kFixedTreeEntries) ||
            std::find(names.begin(), names.end(), latest) == names.end()) {
            throw Error("The latest career in " + PathText(paths.SettingsFile()) + ", " + latest +
                        ", is not a career that can be launched again. Give one with --career NAME. "
                        "Nothing was changed.");
        }
        name = Utf8FromCp1252(latest);
    }
    const LaunchRequest request =
        CareerLaunchRequest(paths, language, name, o.flags.count("--other-base") > 0, true);
    const platform::FileLock lock = LockGameFiles(paths);
    Random random(Random::ClockSeed());
    const LaunchOutcome outcome = RunLaunch(paths, language, request, prompter, random, lock, {});
    if (outcome == LaunchOutcome::CareerEnded) {
        err << "The career has ended; the game was not started.\n";
    }
    if (outcome != LaunchOutcome::Launched) {
        return 1;
    }

    platform::ProgramCall game;
    game.program = PathFromUtf8(o.command.front());
    game.arguments.assign(std::next(o.command.begin()), o.command.end());
    [[maybe_unused]] const SignalsWaitForTheGame signals;  // until after the roll-back
    const std::optional<int> code = platform::StartAndWait(game);
    const char* const kRollbackHint = "; seewolf-cli rollback restores them.\n";
    auto rollBack = [&]() -> bool {
        try {
            return RollBackGameFiles(paths, prompter, lock).Complete();
        } catch (const Error& error) {
            err << Utf8FromCp1252(error.what()) << '\n';
            return false;
        }
    };
    if (!code) {
        // The game never ran: the launch's changes would only wait for the next launch.
        err << "seewolf-cli: the game's command \"" << o.command.front()
            << "\" could not be started; what the launch changed is rolled back.\n";
        if (!rollBack()) {
            err << "Some of the game's files were not restored" << kRollbackHint;
        }
        return kCannotStart;
    }
    if (!ReadSettings(paths).AutoRollback) {
        out << "AutoRollback is off: the game's files stay as the launch left them" << kRollbackHint;
        return *code;
    }
    if (!rollBack()) {
        // The game's own failure says more; after a clean end the files left behind are the failure.
        err << "The roll-back after the game left some of its files changed" << kRollbackHint;
        return *code != 0 ? *code : 1;
    }
    return *code;
}

}  // namespace

int RunCli(const std::vector<std::string>& arguments, const std::filesystem::path& progFolder,
           std::ostream& out, std::ostream& err) {
    static const std::set<std::string> kValueOptions = {
        "--game",      "--documents", "--year", "--month", "--flotilla-id", "--type",
        "--commander", "--number",    "--grid", "--crew",  "--career"};
    static const std::set<std::string> kFlags = {"--other-base", "--nolaunch", "--new-career",
                                                 "--single-mission", "--random-crew"};
    Options o;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--") {
            o.dashes = true;
            o.command.assign(arguments.begin() + static_cast<std::ptrdiff_t>(i) + 1, arguments.end());
            break;
        }
        if (a == "--help" || a == "-h") {
            out << kUsage;
            return 0;
        }
        if (kValueOptions.count(a) > 0) {
            if (i + 1 >= arguments.size() || arguments[i + 1] == "--") {
                err << "seewolf-cli: " << a << " needs a value\n";
                return 1;
            }
            o.values[a] = arguments[++i];
            continue;
        }
        if (kFlags.count(a) > 0) {
            o.flags.insert(a);
            continue;
        }
        if (a.starts_with("--")) {
            err << "seewolf-cli: unknown option \"" << a << "\" (see seewolf-cli --help)\n";
            return 1;
        }
        o.rest.push_back(a);
    }
    if (o.rest.empty()) {
        err << kUsage;
        return 1;
    }
    const std::string& command = o.rest[0];
    // The options each command uses besides --game and --documents; any other is refused.
    static const std::map<std::string, std::set<std::string>> kCommandOptions = {
        {"paths", {}},
        {"list", {}},
        {"show", {}},
        {"rollback", {}},
        {"crew-list", {}},
        {"report", {}},
        {"offers", {"--year", "--month", "--single-mission"}},
        {"launch",
         {"--other-base", "--nolaunch", "--new-career", "--single-mission", "--year", "--month",
          "--flotilla-id", "--type", "--commander", "--number", "--grid", "--crew", "--random-crew"}},
        {"wrap", {"--career", "--other-base"}},
    };
    const auto commandOptions = kCommandOptions.find(command);
    if (commandOptions == kCommandOptions.end()) {
        err << "seewolf-cli: unknown command \"" << command << "\" (see seewolf-cli --help)\n";
        return 1;
    }
    for (const auto& given : {o.flags, KeysOf(o.values)}) {
        for (const std::string& option : given) {
            if (option != "--game" && option != "--documents" && commandOptions->second.count(option) == 0) {
                err << "seewolf-cli: " << command << " does not take " << option
                    << " (see seewolf-cli --help)\n";
                return 1;
            }
        }
    }
    // An empty folder would count as none given, and the settings would be used without a word.
    for (const char* folderOption : {"--game", "--documents"}) {
        const auto folder = o.values.find(folderOption);
        if (folder != o.values.end() && folder->second.empty()) {
            err << "seewolf-cli: " << folderOption << " needs a folder\n";
            return 1;
        }
    }
    if (command == "wrap") {
        if (o.rest.size() > 1) {
            err << "seewolf-cli: wrap takes the career with --career NAME, and the game's command after --\n";
            return 1;
        }
        if (o.command.empty()) {
            err << "seewolf-cli: wrap needs -- and the game's command after it, as in: seewolf-cli wrap -- "
                   "%command%\n";
            return 1;
        }
    } else if (o.dashes) {
        err << "seewolf-cli: " << command << " takes no command after -- (see seewolf-cli --help)\n";
        return 1;
    }
    const bool takesName = command == "show" || command == "crew-list" || command == "report";
    if (takesName && o.rest.size() != 2) {
        err << "seewolf-cli: " << command << " needs the name of one career\n";
        return 1;
    }
    if (!takesName && command != "launch" && command != "wrap" && o.rest.size() > 1) {
        err << "seewolf-cli: " << command << " takes no arguments\n";
        return 1;
    }

    Paths program;
    program.ProgFolder = platform::WithTrailingSeparator(progFolder);
    TerminalPrompter prompter(err, program.SettingsFile());
    try {
        std::vector<std::string> line{Utf8(progFolder / "seewolf-cli")};
        if (o.values.count("--game") > 0) {
            line.push_back("/i:" + o.values["--game"]);
        }
        // A relative documents folder is taken from the current folder now, so that the paths
        // printed (the pages' among them) are full ones, as the game folder's are.
        std::optional<std::filesystem::path> documents;
        if (o.values.count("--documents") > 0) {
            std::error_code ec;
            const std::filesystem::path given = PathFromUtf8(o.values["--documents"]);
            const std::filesystem::path full = std::filesystem::absolute(given, ec);
            documents = (ec ? given : full).lexically_normal();
        }
        // Reading and listing are safe while the game runs; changing its files is not.
        const bool changes = command == "launch" || command == "rollback" || command == "wrap";
        const StartupResult startup = RunStartup(
            CommandLineFromArguments(line), progFolder, prompter,
            [changes] { return changes && platform::ProcessRunning("sh3.exe"); }, documents);
        if (!startup.proceed) {
            return 1;
        }
        const Paths& p = startup.paths;
        if (command == "list") {
            const CareerListing listing = ListCareerFolders(p);
            for (const std::string& name : listing.names) {
                out << Utf8FromCp1252(name) << '\n';
            }
            for (const std::filesystem::path& folder : listing.unlisted) {
                err << "Not listed: " << Utf8(folder)
                    << " (the game cannot use this name; rename the folder)\n";
            }
            return 0;
        }
        if (command == "show") {
            ShowCareer(p, startup.language, o.rest[1], out);
            return 0;
        }
        if (command == "report") {
            WritePersonnelFile(p, startup.language, o.rest[1], out);
            return 0;
        }
        if (command == "crew-list") {
            WriteCrewList(p, startup.language, o.rest[1], out);
            return 0;
        }
        if (command == "rollback") {
            const RollbackResult result = RollBackGameFiles(p, prompter);
            if (result.nothingToRollBack) {
                out << "Nothing to roll back: no launch has left changes in " << Utf8(p.GameFolder) << '\n';
            }
            return result.Complete() ? 0 : 1;
        }
        if (command == "wrap") {
            return WrapGame(p, startup.language, o, prompter, out, err);
        }
        if (command == "offers") {
            PrintOffers(p, startup.language, o, out);
            return 0;
        }
        if (command == "launch") {
            Random random(Random::ClockSeed());
            const LaunchRequest request = MakeLaunchRequest(p, startup.language, o);
            const LaunchOutcome outcome = RunLaunch(p, startup.language, request, prompter, random);
            if (outcome == LaunchOutcome::CareerEnded) {
                err << "The career has ended; nothing was launched.\n";
            }
            return outcome == LaunchOutcome::Launched ? 0 : 1;
        }
        out << "ProgFolder: " << Utf8(p.ProgFolder) << '\n'
            << "GameFolder: " << Utf8(p.GameFolder) << '\n'
            << "DocsFolder: " << Utf8(p.DocsFolder) << '\n'
            << "SaveName: " << Utf8FromCp1252(p.SaveName) << '\n'
            << "SaveFolder: " << Utf8(p.SaveFolder) << '\n'
            << "BackupFolder: " << Utf8(p.BackupFolder) << '\n'
            << "Language: " << startup.language.LangCode << '\n';
        return 0;
    } catch (const Error& error) {
        err << Utf8FromCp1252(error.what()) << '\n';
        return 1;
    }
}

}  // namespace seewolf::cli
