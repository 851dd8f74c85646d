// Speed of the career browser's data side, on a save folder of 500 careers made from the demo's
// careers (copied under new names, so every state and every file of a real career is there).
//
//   ListCareers            the names for the career tree: every career folder, its Patrols_0.cfg
//                          and, for careers without completed patrols, its first-patrol saves
//   SelectCareer/Same      one tree selection: LoadCareer, EnsureCareerHistory (the record is
//                          stored already) and MakeRecordSheet, on the same career each time
//   SelectCareer/Cycling   the same, going through all 500 careers in turn, so that the files
//                          of each career are parsed anew (the profile-file cache holds fewer)

#include <array>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/language.h"
#include "app/paths.h"
#include "app/random.h"
#include "career/career.h"
#include "demo/demo.h"
#include "demo/demo_paths.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace fs = std::filesystem;

namespace {

constexpr int kCareerCount = 500;

struct Fixture {
    fs::path root;
    seewolf::Paths paths;
    seewolf::Language language;
    std::vector<std::string> careers;  // Windows-1252 names

    Fixture() {
        std::random_device seed;
        root = fs::temp_directory_path() / ("seewolf-career-bench-" + std::to_string(seed()));
        seewolf::demo::DemoOptions options;
        options.root = root;
        const seewolf::demo::DemoWorld world = seewolf::demo::WriteDemoInstallation(options);
        paths = seewolf::demo::StartUpPaths(world);
        language = seewolf::ChooseLanguage(paths);
        seewolf::LoadDateTexts(paths, language);
        std::error_code ec;
        fs::create_directories(world.program / "Cfg", ec);
        seewolf::platform::WriteFileAtomic(world.program / "Cfg" / "Names_places.lst",
                                           "Kiel\r\nBad Doberan\r\nL\xFC"
                                           "beck\r\nRostock\r\n");

        // Copies of the listed demo careers under new names, then the originals go.
        const fs::path folder = paths.SaveFolder / "Careers";
        const std::vector<std::string> sources = seewolf::ListCareers(paths);
        static constexpr std::array<const char*, 8> kFirst = {"Hans",       "J\xFCrgen", "Otto",  "Karl",
                                                              "\xC4gidius", "Wilhelm",   "Erich", "Paul"};
        static constexpr std::array<const char*, 7> kLast = {"Kessler",
                                                             "Sch\xE4"
                                                             "fer",
                                                             "Brandt",
                                                             "Vogel",
                                                             "M\xFCller",
                                                             "Dorn",
                                                             "Lenz"};
        std::mt19937 draw(20240607);
        for (int i = 0; i < kCareerCount; ++i) {
            const std::string name = std::string(kFirst[draw() % kFirst.size()]) + " " +
                                     kLast[draw() % kLast.size()] + " " + std::to_string(i);
            const std::string& source = sources[static_cast<std::size_t>(i) % sources.size()];
            fs::copy(folder / seewolf::platform::PathFromText(source),
                     folder / seewolf::platform::PathFromText(name), fs::copy_options::recursive);
            careers.push_back(name);
        }
        for (const std::string& source : sources) {
            fs::remove_all(folder / seewolf::platform::PathFromText(source));
        }
        // Every career has its history record, as after it was shown once.
        seewolf::Random random(1);
        for (const std::string& name : careers) {
            seewolf::EnsureCareerHistory(paths, name, random);
        }
    }
    ~Fixture() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

Fixture& TheFixture() {
    static Fixture fixture;
    return fixture;
}

void BM_ListCareers(benchmark::State& state) {
    const Fixture& f = TheFixture();
    std::size_t listed = 0;
    for (auto _ : state) {
        const std::vector<std::string> names = seewolf::ListCareers(f.paths);
        listed = names.size();
        benchmark::DoNotOptimize(names.data());
    }
    state.counters["careers"] = static_cast<double>(listed);
    if (listed != kCareerCount) {
        state.SkipWithError("not every career was listed");
    }
}
BENCHMARK(BM_ListCareers)->Unit(benchmark::kMillisecond);

void SelectCareer(benchmark::State& state, bool cycling) {
    Fixture& f = TheFixture();
    seewolf::Random random(2);
    std::size_t next = 0;
    for (auto _ : state) {
        const std::string& name = f.careers[cycling ? next++ % f.careers.size() : 0];
        const seewolf::SelectedCareer career = seewolf::LoadCareer(f.paths, f.language, name);
        const std::vector<std::string> history = seewolf::EnsureCareerHistory(f.paths, name, random);
        const seewolf::RecordSheet sheet = seewolf::MakeRecordSheet(career, f.language.dates);
        benchmark::DoNotOptimize(history.data());
        benchmark::DoNotOptimize(sheet.saved.data());
    }
}
BENCHMARK_CAPTURE(SelectCareer, Same, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(SelectCareer, Cycling, true)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
