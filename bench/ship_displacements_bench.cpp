// Randomising the displacements of 250 ships, each with its .cfg and three museum texts, as a
// launch does: every file is backed up on its first change, so each iteration starts (untimed)
// from an empty backup folder.
//
//   build/bench/ship_displacements_bench
//
// The temporary folder is $SEEWOLF_BENCH_DIR when set, else the system's temporary folder.

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/paths.h"
#include "app/random.h"
#include "bench_folder.h"
#include "launch/ship_displacements.h"

namespace {

namespace fs = std::filesystem;

constexpr int kShips = 250;

void Write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

class ShipWorld {
  public:
    ShipWorld() {
        paths.ProgFolder = m_root / "Seewolf" / "";
        paths.GameFolder = m_root / "SH3" / "";
        paths.BackupFolder = paths.ProgFolder / "!BACKUP" / "";
        std::string rules =
            "[SETTINGS]\r\nDispPrecision=50\r\n[DEFAULTS]\r\nLowerDisp=0.85\r\nUpperDisp=1.15\r\n"
            "YearlyDispAdjust=1.02\r\n";
        for (int i = 0; i < kShips; ++i) {
            const std::string ship = "Ship_" + std::to_string(i);
            const fs::path folder = paths.GameFolder / "data" / "Sea" / ship;
            Write(folder / (ship + ".cfg"),
                  "[Unit]\r\nClassName=" + ship +
                      "\r\nDisplacement=5000\r\nRenownAwarded=400\r\nMaxSpeed=12\r\n");
            for (const char* language : {"_en.log", "_ge.log", "_fr.log"}) {
                Write(folder / (ship + language), "[MUSEUM]\r\nText=A merchant ship.\r\n");
            }
            rules += "[" + ship + "]\r\nDisplacement=" + std::to_string(1000 + 40 * i) +
                     "\r\nRenownAwarded=500\r\nen_Text=Cargo ship " + ship + ".\r\nge_Text=Frachter " + ship +
                     ".\r\nfr_Text=Cargo " + ship + ".\r\n";
        }
        Write(paths.ProgFolder / "Cfg" / "Ship displacements.cfg", rules);
    }

    // What a roll-back leaves: no backups, logs or record of the changed game folder.
    void ForgetLaunch() const {
        fs::remove_all(paths.BackupFolder);
        fs::remove(paths.ProgFolder / "Seewolf.log");
        fs::remove(paths.ProgFolder / "Seewolf.game");
    }

    seewolf::Paths paths;

  private:
    seewolf::bench::BenchFolder m_folder{"ships"};
    const fs::path& m_root = m_folder.Path();
};

void BM_RandomiseTonnage250Ships(benchmark::State& state) {
    const ShipWorld world;
    seewolf::Random random(1941);
    for (auto _ : state) {
        state.PauseTiming();
        world.ForgetLaunch();
        state.ResumeTiming();
        const seewolf::TonnageResult result = seewolf::RandomiseTonnage(world.paths, "19420601", random);
        if (result.shipsChanged != kShips) {
            state.SkipWithError("not every ship was changed");
            break;
        }
    }
}
BENCHMARK(BM_RandomiseTonnage250Ships)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
