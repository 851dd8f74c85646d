// The crew manager on the demo's full roster (115 crewmen of 121 slots, faces from the game's TGA
// files):
//
//   OpenCrewManager   Prepare: the officer slots put right, the list filled, the panel reset
//   SelectCrewman     selecting a row, alternately two officers: details, face picture, rank,
//                     awards, qualifications, suggestions
//
//   build/bench/crew_manager_bench
#include <benchmark/benchmark.h>
#include <filesystem>

#include <QTreeWidget>

#include "app/language.h"
#include "app/random.h"
#include "app/startup.h"
#include "career/career.h"
#include "crew/editing_rules.h"
#include "demo/demo.h"
#include "platform/encoding.h"
#include "qt_bench_main.h"
#include "ui/crew_manager_dialog.h"
#include "ui/qt_prompter.h"

namespace {

namespace fs = std::filesystem;
using namespace seewolf;

struct World {
    fs::path root;
    StartupResult startup;
    SelectedCareer career;
};

World& TheWorld() {
    static World world = [] {
        World w;
        w.root = fs::temp_directory_path() / ("seewolf-crew-manager-bench-" + std::to_string(::getpid()));
        demo::DemoOptions options;
        options.root = w.root;
        options.programSource = SEEWOLF_CONTENT_DIR;
        const demo::DemoWorld demo = demo::WriteDemoInstallation(options);
        ui::QtPrompter prompter;
        w.startup = RunStartup(CommandLineFromArguments({(demo.program / "seewolf").string()}), demo.program,
                               prompter, [] { return false; });
        w.career =
            LoadCareer(w.startup.paths, w.startup.language, Cp1252FromUtf8(demo::DemoCareers::InHomeBase));
        return w;
    }();
    return world;
}

struct Window {
    ui::QtPrompter prompter;
    Random random{1};
    crew::ReplacementCounter counter;
    ui::CrewManagerDialog dialog{TheWorld().startup.paths, TheWorld().startup.language, prompter, random,
                                 counter};
};

void OpenCrewManager(benchmark::State& state) {
    Window window;
    for (auto _ : state) {
        window.dialog.Prepare(TheWorld().career);
    }
}
BENCHMARK(OpenCrewManager)->Unit(benchmark::kMillisecond);

void SelectCrewman(benchmark::State& state) {
    Window window;
    window.dialog.Prepare(TheWorld().career);
    auto* list = window.dialog.findChild<QTreeWidget*>("lvCrew");
    int row = 0;
    int changes = 0;
    int slot = -1;
    for (auto _ : state) {
        list->setCurrentItem(list->topLevelItem(row));
        row = 1 - row;
        changes += window.dialog.CurrentView().slot != slot ? 1 : 0;
        slot = window.dialog.CurrentView().slot;
    }
    // Every iteration showed another crewman.
    state.counters["shown"] = benchmark::Counter(changes, benchmark::Counter::kAvgIterations);
}
BENCHMARK(SelectCrewman)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return seewolf::bench::RunWidgetBenchmarks(argc, argv, [] {
        std::error_code ec;
        fs::remove_all(TheWorld().root, ec);
    });
}
