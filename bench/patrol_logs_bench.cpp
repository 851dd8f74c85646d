// The patrol logs of a long career: 100 logs of 300 entries, every tenth a ship sunk. Writing
// their pages, and giving the sunk ships real names on a first run (every log written, 3000
// names handed out) and on a second run that finds every name in place and writes nothing.
//
//   build/bench/patrol_logs_bench
//
// The temporary folder is $SEEWOLF_BENCH_DIR when set, else the system's temporary folder.

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/language.h"
#include "app/paths.h"
#include "app/random.h"
#include "bench_folder.h"
#include "career/career.h"
#include "platform/files.h"
#include "reports/patrol_logs.h"
#include "reports/ship_names.h"

namespace {

namespace fs = std::filesystem;

constexpr int kLogs = 100;
constexpr int kEntries = 300;
constexpr int kClasses = 20;
constexpr int kNamesPerClass = 300;

void Write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

class LogsWorld {
  public:
    LogsWorld() {
        paths.ProgFolder = m_root / "Seewolf" / "";
        paths.GameFolder = m_root / "SH3" / "";
        career.CareerFolder = m_root / "Careers" / "Otto" / "";
        career.PatrolCount = kLogs;
        out = m_root / "Personnel Files";
        fs::create_directories(out);
        Write(
            paths.GameFolder / "data" / "Menu" / "en_menu.txt",
            "[STRINGS]\r\n3744=CAPTAIN'S LOG\r\n4180=Ship sunk!|%s|%s\r\n4181=Aircraft destroyed!|%s|%s\r\n");

        std::string classes = "[Names]\r\n";
        std::string shipNames =
            "[SETTINGS]\r\nRepeatWhenAllUsed=0\r\nAddText=1\r\n[TEXT]\r\nCargoTxt_en=Cargo:\r\nCrewTxt_en="
            "Crew:\r\n"
            "CrewLostTxt_en=Lost:\r\nCargoTyps_en=Oil,General cargo,Coal,Ore\r\n";
        for (int c = 0; c < kClasses; ++c) {
            classes += "NClass" + std::to_string(c) + "=Class " + std::to_string(c) + " Freighter\r\n";
            shipNames += "[NClass" + std::to_string(c) + "]\r\nCargoTyp=1,2,3,4\r\nCrewRange=20|60\r\n";
            for (int k = 1; k <= kNamesPerClass; ++k) {
                const std::string number = std::to_string(k);
                shipNames += std::string(4 - number.size(), '0') + number + "=Ship " + std::to_string(c) +
                             "-" + number + "\r\n";
            }
        }
        Write(paths.GameFolder / "data" / "Sea" / "EnglishNames.cfg", classes);
        Write(paths.ProgFolder / "Cfg" / "Ship names.cfg", shipNames);

        for (int n = 0; n < kLogs; ++n) {
            std::string log;
            for (int k = 0; k < kEntries; ++k) {
                log += "[Log Entry " + std::to_string(k) + "]\r\nDate=194103" + std::to_string(10 + k / 20) +
                       "\r\nTime=" + std::to_string((k * 37) % 2400) + "\r\nEntryText=";
                if (k % 10 == 5) {
                    log += "Ship sunk!|BF " + std::to_string(k) + "|Class " +
                           std::to_string((n + k) % kClasses) + " Freighter|5000 GRT";
                } else {
                    log += "Course 270, speed 12, depth periscope|AN " + std::to_string(k);
                }
                log += "\r\n";
            }
            logs.push_back(log);
        }
        RestoreLogs();
    }

    // The logs as the game wrote them, and no names handed out yet.
    void RestoreLogs() const {
        for (int n = 0; n < kLogs; ++n) {
            Write(career.CareerFolder / ("Log_" + std::to_string(n) + ".cfg"),
                  logs[static_cast<std::size_t>(n)]);
        }
        fs::remove(career.CareerFolder / "Used ship names.log");
    }

    seewolf::Paths paths;
    seewolf::Language language;
    seewolf::SelectedCareer career;
    fs::path out;
    std::vector<std::string> logs;

  private:
    seewolf::bench::BenchFolder m_folder{"patrol-logs"};
    const fs::path& m_root = m_folder.Path();
};

void BM_PatrolLogPages100x300(benchmark::State& state) {
    const LogsWorld world;
    for (auto _ : state) {
        seewolf::reports::GeneratePatrolLogs(world.paths, world.language, world.career, world.out,
                                             "Personnel_File.html");
    }
}
BENCHMARK(BM_PatrolLogPages100x300)->Unit(benchmark::kMillisecond);

void BM_RealShipNamesFirstRun(benchmark::State& state) {
    const LogsWorld world;
    seewolf::Random random(1941);
    for (auto _ : state) {
        state.PauseTiming();
        world.RestoreLogs();
        state.ResumeTiming();
        std::vector<std::string> notes;
        seewolf::reports::ApplyRealShipNames(world.paths, world.language, world.career, random, notes);
        if (!notes.empty()) {
            state.SkipWithError(notes.front().c_str());
            break;
        }
    }
}
BENCHMARK(BM_RealShipNamesFirstRun)->Unit(benchmark::kMillisecond);

void BM_RealShipNamesSecondRun(benchmark::State& state) {
    const LogsWorld world;
    seewolf::Random random(1941);
    std::vector<std::string> notes;
    seewolf::reports::ApplyRealShipNames(world.paths, world.language, world.career, random, notes);
    const fs::path used = world.career.CareerFolder / "Used ship names.log";
    const auto before = seewolf::platform::StampOf(used);
    for (auto _ : state) {
        seewolf::reports::ApplyRealShipNames(world.paths, world.language, world.career, random, notes);
    }
    if (!before || seewolf::platform::StampOf(used) != before) {
        state.SkipWithError("the second run wrote the used-names log");
    }
}
BENCHMARK(BM_RealShipNamesSecondRun)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
