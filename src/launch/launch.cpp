#include "launch/launch.h"

#include <algorithm>
#include <optional>

#include "app/dates.h"
#include "app/error.h"
#include "app/numbers.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/prompter.h"
#include "app/random.h"
#include "app/settings.h"
#include "app/startup.h"
#include "app/text.h"
#include "crew/crewman.h"
#include "crew/transfers.h"
#include "launch/backup.h"
#include "launch/binary_patches.h"
#include "launch/career_length.h"
#include "launch/crew_details.h"
#include "launch/days_in_base.h"
#include "launch/intro_movies.h"
#include "launch/menu_texts.h"
#include "launch/new_career_settings.h"
#include "launch/options.h"
#include "launch/ship_displacements.h"
#include "launch/static_settings.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/processes.h"

namespace seewolf {

namespace {

struct DatedSet {
    std::string key;  // the date, a blank and the folder, in lower case: the installation order
    std::filesystem::path folder;
};

// The sub-folders of `parent` whose name (a "yyyymmdd" date) is not after `date`.
void CollectDatedSets(const std::filesystem::path& parent, const std::string& date,
                      std::vector<DatedSet>& sets) {
    for (const platform::FolderEntry& entry : platform::ListFolder(parent)) {
        if (entry.isFolder && entry.name <= date) {
            const std::filesystem::path folder = platform::Resolve(parent, entry.name);
            sets.push_back({LowerCase(entry.name + " " + platform::TextFromPath(folder)), folder});
        }
    }
}

// The date sets in the order they are installed: older dates first, so later ones overwrite
// them; on the same date the fixed set before the random one.
std::vector<DatedSet> DatedSets(const Paths& paths, const std::string& date, Random& random) {
    std::vector<DatedSet> sets;
    CollectDatedSets(paths.Prog("Date"), date, sets);
    int randomSets = 0;
    for (const platform::FolderEntry& entry : platform::ListFolder(paths.Prog("Random"))) {
        randomSets += entry.isFolder ? 1 : 0;
    }
    const int r = random.Next(randomSets);
    CollectDatedSets(paths.Prog("Random\\" + std::to_string(r) + "\\Date"), date, sets);
    std::stable_sort(sets.begin(), sets.end(),
                     [](const DatedSet& a, const DatedSet& b) { return a.key < b.key; });
    return sets;
}

// The intro movies are renamed away when the player skips them; a failed rename is no matter.
void SkipIntroMovies(const Paths& paths) {
    RecordGameFolder(paths);
    for (const std::string_view movie : kIntroMovies) {
        const std::filesystem::path from = paths.Game(movie);
        // The renamed movie keeps the game's own spelling of the name.
        std::filesystem::path to = from;
        to += kRenamedMovieSuffix;
        if (platform::FileExists(from) && !platform::FileExists(to)) {
            platform::TryRenamePath(from, to);
        }
    }
}

void KeepResponsive(void* hooks) {
    const auto* h = static_cast<const LaunchHooks*>(hooks);
    if (h->keepResponsive) {
        h->keepResponsive();
    }
}

}  // namespace

LaunchSettings ReadLaunchSettings(const Paths& paths) {
    LaunchSettings s = ReadSettings(paths);
    // The values patched into the game's binary files, when their switch is on: within the options
    // dialog's range, so that a hand-edited value never writes an infinite or negative time.
    const auto check = [&paths](bool on, double value, const char* key, int most) {
        if (on && !(value >= 0 && value <= most)) {
            throw Error("Invalid number in " + PathText(paths.SettingsFile()) + " [" + kSettingsSection +
                        "] " + key + ": \"" + FormatNumber(value) + "\" is not from 0 to " +
                        std::to_string(most) + ". Set it in the options dialog.");
        }
    };
    check(s.AdjWaterDensity, s.WaterDensityValue, "WaterDensityValue", kMaxWaterClarity);
    check(s.Adj88ReloadTime, s.ReloadTime88, "88ReloadTime", kMaxReloadTime);
    check(s.Adj105ReloadTime, s.ReloadTime105, "105ReloadTime", kMaxReloadTime);
    // A value whose switch is off is none (-1).
    if (!s.UseFatigueModel) {
        s.FatigueModel = -1;
    }
    if (!s.AdjWaterDensity) {
        s.WaterDensityValue = -1;
    }
    if (!s.AdjWaveHeight) {
        s.WaveHeight = -1;
    }
    if (!s.Adj88ReloadTime) {
        s.ReloadTime88 = -1;
    }
    if (!s.Adj105ReloadTime) {
        s.ReloadTime105 = -1;
    }
    if (!s.ModelEffects) {
        s.Effects = -1;
    }
    return s;
}

PatrolStart ComputePatrolStart(const Paths& paths, const LaunchRequest& request,
                               const std::string& careerDate, const LaunchSettings& settings,
                               Random& random) {
    PatrolStart start;
    if (request.career.InOtherBase) {
        start.daysInBase = 1;
        start.writeDays = true;
    } else if (settings.RndDaysInBase) {
        start.daysInBase = GetDaysInBase(paths, true, careerDate, random);
        start.writeDays = true;
    } else if (settings.SetDaysInBase) {
        start.daysInBase = settings.DaysInBaseValue;
        start.writeDays = true;
    } else {
        start.daysInBase = GetDaysInBase(paths, false, careerDate, random);
    }
    start.date = careerDate;
    if (request.career.CareerStatus == CareerStatus::InBase && request.career.LastPatrolEnd != -1) {
        const std::string afterBase =
            FormatDate("yyyymmdd", request.career.LastPatrolEnd + start.daysInBase, DateTexts{});
        if (afterBase >= careerDate) {
            start.date = afterBase;
        }
    }
    return start;
}

namespace {

// What the launch works with: the career's date, flotilla and boat type, or for a new career or
// single mission those chosen in the window.
struct LaunchCareer {
    CareerStatus status = CareerStatus::NewCareer;
    bool fresh = false;  // a new career or single mission
    std::string date;    // "yyyymmdd"
    std::string flotillaId;
    std::string boatTypeName;
};

// Remembers the selected tree entry as the latest career and reads the launch settings fresh.
LaunchSettings RememberCareerAndReadSettings(const Paths& paths, const LaunchRequest& request,
                                             Prompter& prompter) {
    prompter.SetStatus("Reading Seewolf settings...");
    ProfileFile(paths.SettingsFile()).WriteString(kLatestCareerSection, "CAREER", request.treeEntry);
    const LaunchSettings settings = ReadLaunchSettings(paths);
    prompter.HideStatus();
    return settings;
}

// The career to launch; nothing (after the message) when a new career or single mission lacks a
// flotilla or boat type.
std::optional<LaunchCareer> CareerToLaunch(const LaunchRequest& request, Prompter& prompter) {
    LaunchCareer career;
    career.status = request.career.CareerStatus;
    career.fresh = career.status == CareerStatus::NewCareer || career.status == CareerStatus::SingleMission;
    career.date = request.career.StartDateText;
    career.flotillaId = request.career.FlotillaNb;
    career.boatTypeName = request.career.SubTypeName;
    if (career.fresh) {
        if (request.flotillaName.empty() || request.boatTypeName.empty()) {
            prompter.ShowMessage(kNoFlotillaOrType, MessageKind::Error, Button::Ok);
            return std::nullopt;
        }
        career.date = FormatDate("yyyymmdd", EncodeDate(request.year, request.month, 1), DateTexts{});
        career.flotillaId = request.flotillaId;
        career.boatTypeName = request.boatTypeName;
    }
    return career;
}

// What a modification left out, said in one warning rather than skipped without a word.
void ShowLeftOut(Prompter& prompter, std::string_view what, const std::vector<std::string>& notes) {
    if (notes.empty()) {
        return;
    }
    std::string text = "Left out of this launch (" + std::string(what) + "):";
    for (const std::string& note : notes) {
        text += "\n" + note;
    }
    prompter.ShowMessage(text, MessageKind::Warning, Button::Ok);
}

// A new career starts with the chosen crew set (none for "Already in SH3" or a continued career),
// its crewmen renamed and given a past when the player asked for it.
void PrepareNewCrew(const Paths& paths, const LaunchRequest& request, const LaunchCareer& career,
                    Prompter& prompter, Random& random) {
    if (career.fresh && !request.career.ContinueCareer) {
        if (!request.crewSet.empty()) {
            prompter.SetStatus("Copying crew config files into SH3...");
            InstallFileSet(paths, paths.Prog("Crew\\" + request.crewSet), prompter);
        }
        if (request.randomCrewDetails) {
            prompter.SetStatus("Creating new crew details...");
            ShowLeftOut(
                prompter, "crew details",
                RandomiseCrewDetails(paths, career.date, request.boatTypeNumber, random, prompter).notes);
        }
    }
    prompter.HideStatus();
}

// The roster of an in-base career as it was before the crew transfers of this launch, so that a
// launch that fails afterwards takes them back with the game files: a launch that never started
// the game must not have moved anyone, or launching again would transfer a second time.
struct RosterBefore {
    std::filesystem::path file;
    std::string bytes;
};

// The crew transfers between patrols, for a career in its home base when the player wants them.
// `before` keeps the roster as it was.
void TransferCrew(const Paths& paths, const Language& language, const LaunchRequest& request,
                  const LaunchSettings& settings, Prompter& prompter, Random& random,
                  std::optional<RosterBefore>& before) {
    prompter.HideStatus();
    if (!settings.RealisticCrewXfr || request.career.CareerStatus != CareerStatus::InBase) {
        return;
    }
    const std::filesystem::path file = crew::CrewFile(request.career);
    if (std::optional<std::string> bytes = platform::ReadFile(file)) {
        before = RosterBefore{file, std::move(*bytes)};
    }
    crew::TransferCrewmen(paths, language, request.career, prompter, random);
}

// Takes back the crew transfers of a launch that failed; the sentence that says how it went.
std::string TakeBackTransfers(const std::optional<RosterBefore>& before) {
    if (!before) {
        return {};
    }
    const std::optional<std::string> now = platform::ReadFile(before->file);
    if (now && *now == before->bytes) {
        return {};
    }
    try {
        platform::WriteFileAtomic(before->file, before->bytes);
        return " The crew transfers of this launch were taken back: the crew is as it was.";
    } catch (const std::exception& error) {
        return " The crew transfers of this launch stay in " + PathText(before->file) +
               ", as they could not be taken back: " + error.what();
    }
}

// The flotilla's set, the boat type's set, then the dated sets in date order.
void InstallCareerSets(const Paths& paths, const LaunchCareer& career, const PatrolStart& start,
                       Prompter& prompter, Random& random) {
    prompter.SetStatus("Copying Flotilla files into SH3...");
    InstallFileSet(paths, paths.Prog("Flotilla\\" + career.flotillaId), prompter);
    prompter.SetStatus("Copying U-boat files into SH3...");
    InstallFileSet(paths, paths.Prog("U-boat\\" + ReplaceAll(career.boatTypeName, "/", "")), prompter);
    prompter.SetStatus("Copying date based files into SH3...");
    for (const DatedSet& set : DatedSets(paths, start.date, random)) {
        InstallFileSet(paths, set.folder, prompter);
    }
}

// The modifications of the game's files, in their fixed order; each backs up a game file before
// its first change.
void ApplyModifications(const Paths& paths, const Language& language, const LaunchRequest& request,
                        const LaunchCareer& career, const PatrolStart& start, const LaunchSettings& settings,
                        Prompter& prompter, Random& random) {
    prompter.SetStatus("Applying changes to SH3 files...");
    // The commander's name for the game's new-career screen.
    const std::string playerName = career.status == CareerStatus::NewCareer
                                       ? std::string(Trim(request.commanderName))
                                   : career.status == CareerStatus::SingleMission ? std::string()
                                                                                  : request.treeEntry;
    if (!playerName.empty()) {
        ProfileFile(paths.Save("main.cfg")).WriteString("PLAYER", "Name", playerName);
    }
    ShowLeftOut(prompter, "Cfg\\Static settings.cfg", ApplyStaticSettings(paths, start.date));
    ApplyMenuTexts(paths, language, settings.HullIntegrityText != 0, start.date, career.flotillaId, prompter);
    ApplyBasicCfgSettings(paths, start.writeDays ? start.daysInBase : -1, settings.FatigueModel,
                          settings.UseSubDts, career.flotillaId);
    ShowLeftOut(prompter, "reload times, water density, wave height, crush depth",
                ApplyBinaryPatches(paths, settings, start.date, career.boatTypeName, random));
    if (settings.RndTonnage) {
        ShowLeftOut(prompter, "Cfg\\Ship displacements.cfg",
                    RandomiseTonnage(paths, start.date, random).notes);
    }
    ShowLeftOut(prompter, "Cfg\\Randomised events.cfg",
                ApplyRandomisedEvents(paths, start.date, settings.Effects,
                                      career.status == CareerStatus::AtSea, random));
    if (settings.StartAtSea && career.status != CareerStatus::AtSea) {
        ShowLeftOut(prompter, "start at sea", ApplyStartAtSea(paths));
    }
    if (career.status == CareerStatus::NewCareer) {
        ShowLeftOut(prompter, "new-career settings", ApplyNewCareerSettings(paths, request, start.date));
    }
    if (settings.RndGramophone) {
        ShowLeftOut(prompter, "gramophone", ShuffleGramophone(paths, random));
    }
}

// The weather tool, when the game folder has it, for a career about to leave base; waited for
// while the window keeps painting.
void RunWeatherTool(const Paths& paths, const LaunchCareer& career, const PatrolStart& start,
                    Prompter& prompter, const LaunchHooks& hooks) {
    const std::filesystem::path weather = paths.Game("Wetterglas.exe");
    if (!platform::FileExists(weather) ||
        (career.status != CareerStatus::InBase && career.status != CareerStatus::NewCareer)) {
        return;
    }
    prompter.SetStatus("Running Wetterglas...");
    if (hooks.setWindowEnabled) {
        hooks.setWindowEnabled(false);
    }
    const std::string flotilla = Utf8FromCp1252(career.flotillaId);
    platform::ProgramCall call{
        weather, {start.date, flotilla}, paths.GameFolder, start.date + " " + flotilla};
    LaunchHooks waiting = hooks;
    platform::StartAndWait(call, &KeepResponsive, &waiting);
    if (hooks.setWindowEnabled) {
        hooks.setWindowEnabled(true);
    }
}

// The companion starts the game and brings Seewolf back afterwards. On Windows its command line
// is this exact text: each folder keeps its trailing backslash inside its quotes, and without
// the switch the text ends in a blank.
void StartCompanion(const Paths& paths, const LaunchSettings& settings, Prompter& prompter) {
    prompter.SetStatus("Loading SH3...");
    const std::string game = platform::Utf8FromPath(paths.GameFolder);
    const std::string program = platform::Utf8FromPath(paths.ProgFolder);
    platform::ProgramCall companion;
    companion.program = platform::ProgramFile(paths.ProgFolder, "Wachgang.exe");
    companion.arguments = {game, program};
    if (settings.AutoRollback) {
        companion.arguments.emplace_back("/autorollbackandclose");
    }
    companion.parameters =
        "\"" + game + "\" \"" + program + "\" " + (settings.AutoRollback ? "/autorollbackandclose" : "");
    companion.workingFolder = paths.ProgFolder;
    if (!platform::StartDetached(companion)) {
        throw Error("The companion " + PathText(companion.program) +
                    " that starts the game could not be started: check that it is in the program folder.");
    }
}

// Rolls back what a launch that failed had changed; the sentence that tells the player how it went.
std::string RollBackFailedLaunch(const Paths& paths, Prompter& prompter, const platform::FileLock& lock) {
    try {
        const RollbackResult result = RollBackGameFiles(paths, prompter, lock);
        if (result.Complete()) {
            return "The game files this launch had changed were rolled back.";
        }
        return "Not every game file this launch had changed could be rolled back (see the status line); "
               "use Roll back to try again.";
    } catch (const Error& error) {
        return "The game files this launch had changed could not be rolled back: " +
               std::string(error.what()) + " Use Roll back to try again.";
    }
}

}  // namespace

LaunchOutcome RunLaunch(const Paths& paths, const Language& language, const LaunchRequest& request,
                        Prompter& prompter, Random& random, const LaunchHooks& hooks) {
    const platform::FileLock lock = LockGameFiles(paths);  // one launch or roll-back at a time
    return RunLaunch(paths, language, request, prompter, random, lock, hooks);
}

LaunchOutcome RunLaunch(const Paths& paths, const Language& language, const LaunchRequest& request,
                        Prompter& prompter, Random& random, const platform::FileLock& lock,
                        const LaunchHooks& hooks) {
    // A game that could not start would leave the files changed for nothing: the command that runs
    // it is checked before anything changes.
    if (const std::string problem = platform::WindowsProgramCommandProblem();
        !request.noLaunch && !problem.empty()) {
        throw Error(Cp1252FromUtf8(problem) + " " + WineCommandAdvice(paths) + " Nothing was changed.");
    }
    RollBackGameFiles(paths, prompter, lock);  // whatever an earlier launch left goes first
    const LaunchSettings settings = RememberCareerAndReadSettings(paths, request, prompter);
    if (settings.RealisticLength && request.career.CareerStatus == CareerStatus::InBase) {
        SelectedCareer checked = request.career;
        if (CheckCareerLength(paths, checked, prompter, random).ended) {
            return LaunchOutcome::CareerEnded;
        }
    }
    const std::optional<LaunchCareer> career = CareerToLaunch(request, prompter);
    if (!career) {
        return LaunchOutcome::Refused;
    }

    // A launch that fails half way takes back what it changed, so the game never starts (or is
    // left) with part of it.
    std::optional<RosterBefore> rosterBefore;
    try {
        prompter.SetStatus("Calculating patrol start date...");
        const PatrolStart start = ComputePatrolStart(paths, request, career->date, settings, random);
        PrepareNewCrew(paths, request, *career, prompter, random);
        TransferCrew(paths, language, request, settings, prompter, random, rosterBefore);
        InstallCareerSets(paths, *career, start, prompter, random);
        ApplyModifications(paths, language, request, *career, start, settings, prompter, random);
        if (settings.SkipIntros) {
            SkipIntroMovies(paths);
        }
        RunWeatherTool(paths, *career, start, prompter, hooks);
        if (!request.noLaunch) {
            StartCompanion(paths, settings, prompter);
        }
    } catch (const std::exception& error) {
        std::string text = error.what();
        if (!text.empty() && text.back() != '.' && text.back() != '!' && text.back() != '?') {
            text += '.';
        }
        const std::string rolledBack = RollBackFailedLaunch(paths, prompter, lock);
        throw Error(text + " " + rolledBack + TakeBackTransfers(rosterBefore));
    }
    return LaunchOutcome::Launched;
}

}  // namespace seewolf
