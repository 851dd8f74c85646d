// Patching values into a 10 MB binary game file as a launch does: the water clarity behind the
// second "fog" and the wave height behind "maxwaveheight", which lies at the very end, so the
// whole file is searched. Two cases: the first patch of a launch, which also keeps the backup
// copy (flushed to the disk), and a later one, whose backup is kept already.
//
//   build/bench/binary_patch_bench
//
// The temporary folder is $SEEWOLF_BENCH_DIR when set, else the system's temporary folder.

#include <benchmark/benchmark.h>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/paths.h"
#include "bench_folder.h"
#include "launch/binary_patches.h"
#include "platform/files.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

constexpr std::size_t kFileSize = 10 * 1024 * 1024;

// Binary filler that does not compress, with the properties placed in it.
std::string SceneBytes() {
    std::string bytes(kFileSize, '\0');
    std::uint64_t x = 0x9E3779B97F4A7C15ULL;
    for (std::size_t i = 0; i < bytes.size(); i += 8) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        for (std::size_t b = 0; b < 8 && i + b < bytes.size(); ++b) {
            bytes[i + b] = static_cast<char>((x >> (8 * b)) & 0xFF);
        }
    }
    const std::string fog = "fog"s + '\0' + "12345678";
    bytes.replace(1000, fog.size(), fog);
    bytes.replace(kFileSize / 2, fog.size(), fog);
    const std::string waves = "MaxWaveHeight"s + '\0' + "1234";
    bytes.replace(kFileSize - waves.size(), waves.size(), waves);
    return bytes;
}

struct World {
    seewolf::bench::BenchFolder folder{"binary-bench"};
    const fs::path& root = folder.Path();
    seewolf::Paths paths;

    World() {
        fs::create_directories(root / "game" / "data");
        const std::string bytes = SceneBytes();
        std::ofstream(root / "game" / "data" / "scene.dat", std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        paths.ProgFolder = seewolf::platform::WithTrailingSeparator(root / "prog");
        paths.GameFolder = seewolf::platform::WithTrailingSeparator(root / "game");
        paths.BackupFolder = seewolf::platform::WithTrailingSeparator(root / "prog" / "!BACKUP");
        fs::create_directories(paths.BackupFolder);
    }
};

void Patch(benchmark::State& state, const World& world, float value) {
    const std::vector<seewolf::BinaryPatch> patches = {{"fog", 2, value, 4}, {"maxwaveheight", 1, value, 0}};
    const auto results = seewolf::PatchBinaryValues(world.paths, "data\\scene.dat", patches);
    for (const seewolf::PatchResult result : results) {
        if (result != seewolf::PatchResult::Written) {
            state.SkipWithError("a value was not found");
        }
    }
}

void BM_PatchTenMegabytesWithBackup(benchmark::State& state) {
    World world;
    float value = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(world.paths.BackupFolder / "data");
        state.ResumeTiming();
        Patch(state, world, value += 1);
    }
}
BENCHMARK(BM_PatchTenMegabytesWithBackup)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PatchTenMegabytesBackupKept(benchmark::State& state) {
    World world;
    float value = 0;
    Patch(state, world, value);
    for (auto _ : state) {
        Patch(state, world, value += 1);
    }
}
BENCHMARK(BM_PatchTenMegabytesBackupKept)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
