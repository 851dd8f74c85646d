// Installing a large file set into a game folder, and rolling that launch back, against `cp -a`
// of the same set, timed in the same run.
//
// Two sets: 2,000 files of 100 KB (200 MB) in 40 folders, and 20,000 files of 2 KB (40 MB) in
// 200 folders. The game folder already holds every other one of them (so half are moved aside
// into the backup and half are added and logged).
// Each iteration times the three on the same footing: the set is in the page cache for all of
// them, and `sync` runs (untimed) before each, so none pays for the others' writes. The counters
// give the medians and their ratios; the reported time is that of the install. `rm -rf` of a
// copy shows what deleting as many files costs the file system by itself, which bounds the
// roll-back from below (rollback_over_rm).
//
//   build/bench/install_bench --benchmark_counters_tabular=true
//
// The goals: install_over_cp at most 1.0 and rollback_over_cp at most 0.5, on both sets.
//
// The temporary folder is $SEEWOLF_BENCH_DIR when set (for example /dev/shm, to see the program's
// own cost without the disk), else the system's temporary folder.

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/paths.h"
#include "app/prompter.h"
#include "bench_folder.h"
#include "demo/quiet_prompter.h"
#include "launch/backup.h"
#include "platform/files.h"

namespace {

namespace fs = std::filesystem;

struct SetShape {
    int folders;
    int filesPerFolder;
    std::size_t fileSize;
    int Files() const { return folders * filesPerFolder; }
};

using seewolf::demo::QuietPrompter;

// Bytes that do not compress or share pages: each file its own.
std::string FileBytes(std::uint64_t seed, std::size_t size) {
    std::string bytes(size, '\0');
    std::uint64_t x = seed * 0x9E3779B97F4A7C15ULL + 1;
    for (std::size_t i = 0; i < bytes.size(); i += 8) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        for (std::size_t b = 0; b < 8 && i + b < bytes.size(); ++b) {
            bytes[i + b] = static_cast<char>((x >> (8 * b)) & 0xFF);
        }
    }
    return bytes;
}

void Write(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

void Run(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        throw std::runtime_error("failed: " + command);
    }
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct World {
    seewolf::bench::BenchFolder benchFolder{"install-bench"};
    const fs::path& root = benchFolder.Path();
    fs::path set;
    fs::path gameTemplate;
    seewolf::Paths paths;

    explicit World(const SetShape& shape) {
        set = root / "prog" / "Flotilla" / "7";
        gameTemplate = root / "game-template";
        for (int folder = 0; folder < shape.folders; ++folder) {
            const fs::path rel = fs::path("data") / ("Folder" + std::to_string(folder));
            for (int file = 0; file < shape.filesPerFolder; ++file) {
                const fs::path name = rel / ("File" + std::to_string(file) + ".dat");
                const std::uint64_t seed = static_cast<std::uint64_t>(folder * shape.filesPerFolder + file);
                Write(set / name, FileBytes(seed, shape.fileSize));
                if (file % 2 == 0) {
                    Write(gameTemplate / name, FileBytes(seed + 1'000'000, shape.fileSize));
                }
            }
        }
        paths.ProgFolder = seewolf::platform::WithTrailingSeparator(root / "prog");
        paths.GameFolder = seewolf::platform::WithTrailingSeparator(root / "game");
        paths.BackupFolder = seewolf::platform::WithTrailingSeparator(root / "prog" / "!BACKUP");
        fs::create_directories(paths.BackupFolder);
    }
};

void InstallAndRollBackAgainstCopy(benchmark::State& state, const SetShape& shape) {
    World world(shape);
    QuietPrompter prompter;
    std::vector<double> copies;
    std::vector<double> removals;
    std::vector<double> installs;
    std::vector<double> rollbacks;
    int round = 0;
    for (auto _ : state) {
        // Fresh folders each round, and nothing deleted but what the roll-back itself deletes:
        // ext4 without a journal skips (one by one) the inodes freed in the last minute or so
        // when it picks one for a new file, so creates are slow for a while after many deletes.
        const std::string tag = std::to_string(round);
        const fs::path game = world.root / ("game" + tag);
        const fs::path copy = world.root / ("copy" + tag);
        Run("cp -a " + Quoted(world.gameTemplate) + " " + Quoted(game));
        seewolf::Paths paths = world.paths;
        paths.GameFolder = seewolf::platform::WithTrailingSeparator(game);

        const auto timeCopy = [&] {
            Run("sync");
            const auto start = std::chrono::steady_clock::now();
            Run("cp -a " + Quoted(world.set) + " " + Quoted(copy));
            copies.push_back(Seconds(std::chrono::steady_clock::now() - start));
        };
        // Alternate which of the two goes first, so neither always meets a busier disk.
        if (round % 2 == 0) {
            timeCopy();
        }
        Run("sync");
        auto start = std::chrono::steady_clock::now();
        seewolf::InstallFileSet(paths, world.set, prompter);
        const double install = Seconds(std::chrono::steady_clock::now() - start);
        installs.push_back(install);
        if (round % 2 == 1) {
            timeCopy();
        }

        Run("sync");
        start = std::chrono::steady_clock::now();
        const seewolf::RollbackResult result = seewolf::RollBackGameFiles(paths, prompter);
        rollbacks.push_back(Seconds(std::chrono::steady_clock::now() - start));
        if (result.notRestored != 0 || result.notDeleted != 0) {
            state.SkipWithError("the roll-back left files");
            break;
        }
        state.SetIterationTime(install);
        ++round;
    }
    if (installs.empty()) {
        return;
    }
    // What deleting as many files costs on this file system by itself: the floor for a roll-back,
    // which deletes 1,000 added files and 1,000 replaced copies. Measured after the rounds, so
    // that no round creates its files where another has just deleted some.
    for (int i = 0; i < round; ++i) {
        Run("sync");
        const auto start = std::chrono::steady_clock::now();
        Run("rm -rf " + Quoted(world.root / ("copy" + std::to_string(i))));
        removals.push_back(Seconds(std::chrono::steady_clock::now() - start));
    }
    const double copyMedian = Median(copies);
    state.counters["cp_a_ms"] = copyMedian * 1000;
    state.counters["install_ms"] = Median(installs) * 1000;
    state.counters["rollback_ms"] = Median(rollbacks) * 1000;
    state.counters["rm_rf_ms"] = Median(removals) * 1000;
    state.counters["install_over_cp"] = Median(installs) / copyMedian;
    state.counters["rollback_over_cp"] = Median(rollbacks) / copyMedian;
    state.counters["rollback_over_rm"] = Median(rollbacks) / Median(removals);
    state.SetBytesProcessed(static_cast<std::int64_t>(
        installs.size() * static_cast<std::size_t>(shape.Files()) * shape.fileSize));
}

void BM_InstallAndRollBackAgainstCopy(benchmark::State& state) {
    InstallAndRollBackAgainstCopy(state, {40, 50, 100 * 1024});
}

void BM_InstallAndRollBackAgainstCopySmallFiles(benchmark::State& state) {
    InstallAndRollBackAgainstCopy(state, {200, 100, 2 * 1024});
}

BENCHMARK(BM_InstallAndRollBackAgainstCopy)->Iterations(9)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InstallAndRollBackAgainstCopySmallFiles)
    ->Iterations(9)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
