// A launch with every option on, on the demo installation (a new career in March 1941, 1st
// flotilla, type VIIB, veteran crew with random details, boat number and patrol grid):
//
//   ModificationPass   the changes of the game's files alone, in the launch's order: crew details,
//                      the commander's name, static settings, menu texts, Basic.cfg settings,
//                      binary patches, ship displacements, randomised events, start at sea,
//                      new-career settings, gramophone (on the demo's own game files: the file
//                      sets, which change some of them first, are not installed)
//   WholeLaunch        RunLaunch with /nolaunch: reading the settings, the crew, flotilla, boat
//                      and dated file sets, the modifications and the intro movies
//
// Each iteration starts from the demo's game folder as written: the launch is rolled back
// (untimed) after it. Its changes are flushed as a real launch flushes them.
//
//   build/bench/modifications_bench
//
// The folder is made by bench_folder.h ($SEEWOLF_BENCH_DIR or the system's temporary folder).

#include <benchmark/benchmark.h>
#include <filesystem>
#include <string>
#include <string_view>

#include "app/dates.h"
#include "app/error.h"
#include "app/language.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/prompter.h"
#include "app/random.h"
#include "bench_folder.h"
#include "career/new_career.h"
#include "demo/demo.h"
#include "demo/demo_paths.h"
#include "demo/quiet_prompter.h"
#include "launch/backup.h"
#include "launch/binary_patches.h"
#include "launch/crew_details.h"
#include "launch/days_in_base.h"
#include "launch/launch.h"
#include "launch/menu_texts.h"
#include "launch/new_career_settings.h"
#include "launch/ship_displacements.h"
#include "launch/static_settings.h"
#include "platform/files.h"

namespace {

namespace fs = std::filesystem;
using namespace seewolf;

using demo::QuietPrompter;

class DemoLaunch {
  public:
    DemoLaunch() {
        demo::DemoOptions options;
        options.root = m_folder.Path();
        options.programSource = SEEWOLF_CONTENT_DIR;
        const demo::DemoWorld world = demo::WriteDemoInstallation(options);
        paths = demo::StartUpPaths(world);
        language = ChooseLanguage(paths);
        LoadDateTexts(paths, language);

        // Every launch option on, as the end-to-end tests switch them on.
        const ProfileFile ini(paths.SettingsFile());
        for (const auto& [key, value] : {std::pair{"ModelEffects", "1"},
                                         {"Effects", "1"},
                                         {"RndTonnage", "1"},
                                         {"RndCrushDepth", "1"},
                                         {"Adj88ReloadTime", "1"},
                                         {"88ReloadTime", "6.5"},
                                         {"Adj105ReloadTime", "1"},
                                         {"AdjWaterDensity", "1"},
                                         {"AdjWaveHeight", "1"},
                                         {"WaveHeight", "4"},
                                         {"StartAtSea", "1"},
                                         {"RndGramophone", "1"},
                                         {"SkipIntros", "1"},
                                         {"HullIntegrityText", "1"},
                                         {"UseFatigueModel", "1"},
                                         {"UseSubDts", "1"},
                                         {"RndDaysInBase", "1"}}) {
            ini.WriteString("SETTINGS", key, value);
        }
        settings = ReadLaunchSettings(paths);

        request.career.CareerStatus = CareerStatus::NewCareer;
        request.treeEntry = "New career";
        request.year = 1941;
        request.month = 3;
        for (const FlotillaChoice& choice :
             OfferedFlotillas(paths, language, CareerStatus::NewCareer, 1941, 3)) {
            if (choice.id == "661") {
                request.flotillaId = choice.id;
                request.flotillaName = choice.name;
            }
        }
        for (const BoatTypeChoice& choice :
             OfferedBoatTypes(paths, CareerStatus::NewCareer, "661", 1941, 3, settings.UseSubDts)) {
            if (choice.name == "VIIB") {
                request.boatTypeName = choice.name;
                request.boatTypeNumber = std::stoi(choice.number);
            }
        }
        request.commanderName = "Hans Bench";
        request.boatNumber = "99";
        request.patrolGrid = "AN45";
        request.crewSet = "Veteran crew";
        request.randomCrewDetails = true;
        request.noLaunch = true;
        if (request.flotillaName.empty() || request.boatTypeName.empty()) {
            throw seewolf::Error("The demo offers no flotilla 661 or boat type VIIB for March 1941.");
        }
    }

    // The modifications of ApplyModifications in launch.cpp, with the crew details before them.
    void Modify(Random& random) {
        const std::string careerDate = "19410301";
        const PatrolStart start = ComputePatrolStart(paths, request, careerDate, settings, random);
        static_cast<void>(RandomiseCrewDetails(paths, careerDate, request.boatTypeNumber, random, prompter));
        ProfileFile(paths.Save("main.cfg")).WriteString("PLAYER", "Name", request.commanderName);
        ApplyStaticSettings(paths, start.date);
        ApplyMenuTexts(paths, language, settings.HullIntegrityText != 0, start.date, request.flotillaId,
                       prompter);
        ApplyBasicCfgSettings(paths, start.writeDays ? start.daysInBase : -1, settings.FatigueModel,
                              settings.UseSubDts, request.flotillaId);
        ApplyBinaryPatches(paths, settings, start.date, request.boatTypeName, random);
        static_cast<void>(RandomiseTonnage(paths, start.date, random));
        ApplyRandomisedEvents(paths, start.date, settings.Effects, false, random);
        ApplyStartAtSea(paths);
        ApplyNewCareerSettings(paths, request, start.date);
        ShuffleGramophone(paths, random);
    }

    // Files with a pre-launch copy: what the launch changed in place.
    double BackedUpFiles() const {
        double count = 0;
        for (const auto& entry : fs::recursive_directory_iterator(paths.BackupFolder)) {
            count += entry.is_regular_file() ? 1 : 0;
        }
        return count;
    }

    void RollBack() {
        const RollbackResult result = RollBackGameFiles(paths, prompter);
        if (result.notRestored != 0 || result.notDeleted != 0) {
            throw seewolf::Error("The roll-back left files.");
        }
    }

    Paths paths;
    Language language;
    LaunchSettings settings;
    LaunchRequest request;
    QuietPrompter prompter;

  private:
    bench::BenchFolder m_folder{"modifications"};
};

void BM_ModificationPass(benchmark::State& state) {
    DemoLaunch launch;
    Random random(1941);
    for (auto _ : state) {
        launch.Modify(random);
        state.PauseTiming();
        state.counters["backed_up_files"] = launch.BackedUpFiles();
        launch.RollBack();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ModificationPass)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WholeLaunch(benchmark::State& state) {
    DemoLaunch launch;
    Random random(1941);
    for (auto _ : state) {
        if (RunLaunch(launch.paths, launch.language, launch.request, launch.prompter, random) !=
            LaunchOutcome::Launched) {
            state.SkipWithError("the launch did not go through");
            break;
        }
        state.PauseTiming();
        state.counters["backed_up_files"] = launch.BackedUpFiles();
        launch.RollBack();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WholeLaunch)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
