// Filling the career tree of the main window with 500 careers, as at start-up: listing the
// career folders, inserting the entries and showing the selected career.
#include <benchmark/benchmark.h>
#include <filesystem>

#include "app/random.h"
#include "app/startup.h"
#include "demo/demo.h"
#include "platform/files.h"
#include "qt_bench_main.h"
#include "ui/main_window.h"
#include "ui/qt_prompter.h"

namespace {

namespace fs = std::filesystem;

struct World {
    fs::path root;
    seewolf::StartupResult startup;
};

// The demo world with 500 more careers: copies of the demo's careers under new names.
World& TheWorld() {
    static World world = [] {
        World w;
        w.root = fs::temp_directory_path() / ("seewolf-tree-bench-" + std::to_string(::getpid()));
        seewolf::demo::DemoOptions options;
        options.root = w.root;
        options.programSource = SEEWOLF_CONTENT_DIR;
        const seewolf::demo::DemoWorld demo = seewolf::demo::WriteDemoInstallation(options);
        const fs::path careers = demo.documents / "SH3" / "data" / "Cfg" / "Careers";
        std::vector<fs::path> originals;
        for (const auto& entry : fs::directory_iterator(careers)) {
            originals.push_back(entry.path());
        }
        for (int i = 0; i < 500; ++i) {
            const fs::path& from = originals[static_cast<std::size_t>(i) % originals.size()];
            fs::copy(from, careers / ("Kommandant " + std::to_string(i)), fs::copy_options::recursive);
        }
        seewolf::ui::QtPrompter prompter;
        w.startup =
            seewolf::RunStartup(seewolf::CommandLineFromArguments({(demo.program / "seewolf").string()}),
                                demo.program, prompter, [] { return false; });
        return w;
    }();
    return world;
}

void PopulateTree(benchmark::State& state) {
    World& world = TheWorld();
    seewolf::Random random(1);
    seewolf::ui::QtPrompter prompter;
    seewolf::ui::MainWindow form(world.startup, random, prompter);
    for (auto _ : state) {
        form.PopulateTreeView();
    }
}
BENCHMARK(PopulateTree)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return seewolf::bench::RunWidgetBenchmarks(argc, argv, [] {
        std::error_code ec;
        fs::remove_all(TheWorld().root, ec);
    });
}
