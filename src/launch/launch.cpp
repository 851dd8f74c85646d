#include "launch/launch.h"

#include <algorithm>

#include "app/dates.h"
#include "app/error.h"
#include "app/numbers.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/prompter.h"
#include "app/random.h"
#include "app/settings.h"
#include "app/text.h"
#include "launch/backup.h"
#include "launch/days_in_base.h"
#include "launch/intro_movies.h"
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

std::string Utf8Path(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
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
    if (request.career.CareerStatus == kInBase && request.career.LastPatrolEnd != -1) {
        const std::string afterBase =
            FormatDate("yyyymmdd", request.career.LastPatrolEnd + start.daysInBase, DateTexts{});
        if (afterBase >= careerDate) {
            start.date = afterBase;
        }
    }
    return start;
}

LaunchOutcome RunLaunch(const Paths& paths, const LaunchRequest& request, Prompter& prompter, Random& random,
                        const LaunchHooks& hooks) {
    // 1. Whatever an earlier launch left goes first.
    RollBackGameFiles(paths, prompter);

    // 2. Settings, read fresh.
    prompter.SetStatus("Reading Seewolf settings...");
    ProfileFile(paths.SettingsFile()).WriteString(kLatestCareerSection, "CAREER", request.treeEntry);
    const LaunchSettings settings = ReadLaunchSettings(paths);
    prompter.SetStatus("^");

    // 4. A new career or single mission needs a flotilla and a boat type.
    const int status = request.career.CareerStatus;
    const bool fresh = status == kNewCareer || status == kSingleMission;
    std::string careerDate = request.career.StartDateText;
    std::string flotillaId = request.career.FlotillaNb;
    std::string boatTypeName = request.career.SubTypeName;
    if (fresh) {
        if (request.flotillaName.empty() || request.boatTypeName.empty()) {
            prompter.ShowMessage(kNoFlotillaOrType, MessageKind::Error, Button::Ok);
            return LaunchOutcome::Refused;
        }
        careerDate = FormatDate("yyyymmdd", EncodeDate(request.year, request.month, 1), DateTexts{});
        flotillaId = request.flotillaId;
        boatTypeName = request.boatTypeName;
    }

    // 5. The patrol start date.
    prompter.SetStatus("Calculating patrol start date...");
    const PatrolStart start = ComputePatrolStart(paths, request, careerDate, settings, random);

    // 6. Crew files for a new career.
    if (fresh && !request.career.ContinueCareer && !request.crewSet.empty()) {
        prompter.SetStatus("Copying crew config files into SH3...");
        InstallFileSet(paths, paths.Prog("Crew\\" + request.crewSet), prompter);
    }
    prompter.SetStatus("^");

    // 8. The file sets: flotilla, boat type, then the dated sets in date order.
    prompter.SetStatus("Copying Flotilla files into SH3...");
    InstallFileSet(paths, paths.Prog("Flotilla\\" + flotillaId), prompter);
    prompter.SetStatus("Copying U-boat files into SH3...");
    InstallFileSet(paths, paths.Prog("U-boat\\" + ReplaceAll(boatTypeName, "/", "")), prompter);
    prompter.SetStatus("Copying date based files into SH3...");
    for (const DatedSet& set : DatedSets(paths, start.date, random)) {
        InstallFileSet(paths, set.folder, prompter);
    }

    // 9. The modifications, in their fixed order.
    prompter.SetStatus("Applying changes to SH3 files...");
    const std::string playerName = status == kNewCareer       ? std::string(Trim(request.commanderName))
                                   : status == kSingleMission ? std::string()
                                                              : request.treeEntry;
    if (!playerName.empty()) {
        ProfileFile(paths.Save("main.cfg")).WriteString("PLAYER", "Name", playerName);
    }
    ApplyBasicCfgSettings(paths, start.writeDays ? start.daysInBase : -1, settings.FatigueModel,
                          settings.UseSubDts, flotillaId);

    // 10. Intro movies.
    if (settings.SkipIntros) {
        SkipIntroMovies(paths);
    }

    // 11. The weather tool, waited for while the window keeps painting.
    const std::filesystem::path weather = paths.Game("Wetterglas.exe");
    if (platform::FileExists(weather) && (status == kInBase || status == kNewCareer)) {
        prompter.SetStatus("Running Wetterglas...");
        if (hooks.setWindowEnabled) {
            hooks.setWindowEnabled(false);
        }
        platform::ProgramCall call{weather, {start.date, Utf8FromCp1252(flotillaId)}, paths.GameFolder};
        LaunchHooks waiting = hooks;
        platform::StartAndWait(call, &KeepResponsive, &waiting);
        if (hooks.setWindowEnabled) {
            hooks.setWindowEnabled(true);
        }
    }

    // 12. The companion starts the game and brings Seewolf back afterwards.
    if (!request.noLaunch) {
        prompter.SetStatus("Loading SH3...");
        platform::ProgramCall companion;
        companion.program = platform::ProgramFile(paths.ProgFolder, "wachgang");
        companion.arguments = {Utf8Path(paths.GameFolder), Utf8Path(paths.ProgFolder)};
        if (settings.AutoRollback) {
            companion.arguments.emplace_back("/autorollbackandclose");
        }
        companion.workingFolder = paths.ProgFolder;
        platform::StartDetached(companion);
    }
    return LaunchOutcome::Launched;
}

}  // namespace seewolf
