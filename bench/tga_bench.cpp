// Speed of the TGA reader on a screen-sized picture (1024 x 768, 24 bits).
//
//   LoadPacked24    run-length encoded: a sky of long runs, a sea of noisy raw stretches with
//                   short runs in it, and flat shapes
//   LoadPlain24     the same picture uncompressed
//   LoadPacked16    the same picture at 16 bits, run-length encoded (converted per pixel)
//
// Each benchmark writes its file once into a temporary folder and checks that it decodes to the
// scene before timing; the counters give the file size. Every load builds a fresh bitmap, so the
// figures include the cost of touching new memory (about 3.3 MB per packed 24-bit load).

#include <benchmark/benchmark.h>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "picture/tga.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

struct Colour {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Colour&) const = default;
};

// A harbour scene, rows top first.
std::vector<Colour> MakeScene() {
    std::mt19937 random(1941);
    std::uniform_int_distribution<int> ripple(0, 7);
    std::vector<Colour> pixels(static_cast<std::size_t>(kWidth * kHeight));
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            Colour colour;
            if (y < 300) {
                colour = {90 + y / 6, 130 + y / 8, 200 + y / 12};  // sky: one colour per row
            } else {
                // Sea: noise on a gradient; a quarter of the samples repeat their left neighbour.
                const int noise = ripple(random);
                colour = {20 + noise, 60 + y / 12 + noise, 90 + y / 10 + noise / 2};
                if (noise < 2 && x > 0) {
                    colour = pixels[static_cast<std::size_t>(y * kWidth + x - 1)];
                }
            }
            if (x >= 300 && x < 720 && y >= 240 && y < 380) {
                colour = {45, 48, 52};  // a hull
            }
            if (x >= 480 && x < 540 && y >= 170 && y < 240) {
                colour = {60, 62, 66};  // its tower
            }
            pixels[static_cast<std::size_t>(y * kWidth + x)] = colour;
        }
    }
    return pixels;
}

void PutPixel(std::string& out, const Colour& colour, int depth) {
    if (depth == 16) {
        const unsigned word = static_cast<unsigned>(((colour.red >> 3) << 10) | ((colour.green >> 3) << 5) |
                                                    (colour.blue >> 3));
        out.push_back(static_cast<char>(word & 0xFF));
        out.push_back(static_cast<char>(word >> 8));
    } else {
        out.push_back(static_cast<char>(colour.blue));
        out.push_back(static_cast<char>(colour.green));
        out.push_back(static_cast<char>(colour.red));
    }
}

// Rows bottom first, as most TGA writers store them; runs of two or more become run packets.
std::string Encode(const std::vector<Colour>& pixels, int depth, bool packed) {
    std::string out(18, '\0');
    out[2] = static_cast<char>(packed ? 10 : 2);
    out[12] = static_cast<char>(kWidth & 0xFF);
    out[13] = static_cast<char>(kWidth >> 8);
    out[14] = static_cast<char>(kHeight & 0xFF);
    out[15] = static_cast<char>(kHeight >> 8);
    out[16] = static_cast<char>(depth);
    for (int y = kHeight - 1; y >= 0; --y) {
        const Colour* row = &pixels[static_cast<std::size_t>(y * kWidth)];
        if (!packed) {
            for (int x = 0; x < kWidth; ++x) {
                PutPixel(out, row[x], depth);
            }
            continue;
        }
        int x = 0;
        while (x < kWidth) {
            int run = 1;
            while (x + run < kWidth && run < 128 && row[x + run] == row[x]) {
                ++run;
            }
            if (run >= 2) {
                out.push_back(static_cast<char>(0x80 | (run - 1)));
                PutPixel(out, row[x], depth);
                x += run;
                continue;
            }
            int raw = 1;
            while (x + raw < kWidth && raw < 128 &&
                   !(x + raw + 1 < kWidth && row[x + raw] == row[x + raw + 1])) {
                ++raw;
            }
            out.push_back(static_cast<char>(raw - 1));
            for (int i = 0; i < raw; ++i) {
                PutPixel(out, row[x + i], depth);
            }
            x += raw;
        }
    }
    return out;
}

class BenchFolder {
  public:
    BenchFolder() {
        std::random_device seed;
        m_path = fs::temp_directory_path() / ("seewolf-tga-bench-" + std::to_string(seed()));
        fs::create_directories(m_path);
    }
    ~BenchFolder() {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    // The file for a depth and encoding, written on first use.
    const fs::path& File(int depth, bool packed) {
        const std::string name = std::to_string(depth) + (packed ? "-packed.tga" : "-plain.tga");
        auto found = m_files.find(name);
        if (found == m_files.end()) {
            static const std::vector<Colour> scene = MakeScene();
            const fs::path path = m_path / name;
            const std::string bytes = Encode(scene, depth, packed);
            std::ofstream(path, std::ios::binary)
                .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            found = m_files.emplace(name, path).first;
        }
        return found->second;
    }

  private:
    fs::path m_path;
    std::map<std::string, fs::path> m_files;
};

BenchFolder& Folder() {
    static BenchFolder folder;
    return folder;
}

// True when the bitmap shows the scene (at 16 bits, to 5 bits per channel).
bool ShowsScene(const seewolf::Bitmap& bitmap, int depth) {
    if (bitmap.width != kWidth || bitmap.height != kHeight) {
        return false;
    }
    static const std::vector<Colour> scene = MakeScene();
    const std::vector<std::uint8_t> rgb = seewolf::ToRgb(bitmap);
    const int mask = depth == 16 ? 0xF8 : 0xFF;
    for (std::size_t i = 0; i < scene.size(); ++i) {
        const Colour& colour = scene[i];
        if (rgb[i * 3] != (colour.red & mask) || rgb[i * 3 + 1] != (colour.green & mask) ||
            rgb[i * 3 + 2] != (colour.blue & mask)) {
            return false;
        }
    }
    return true;
}

void Load(benchmark::State& state, int depth, bool packed) {
    const fs::path& path = Folder().File(depth, packed);
    if (!ShowsScene(seewolf::LoadTGA(path), depth)) {
        state.SkipWithError("the picture does not decode to the scene");
        return;
    }
    for (auto _ : state) {
        seewolf::Bitmap bitmap = seewolf::LoadTGA(path);
        benchmark::DoNotOptimize(bitmap.rows.data());
    }
    state.counters["file_kb"] = static_cast<double>(fs::file_size(path)) / 1024.0;
}

void LoadPacked24(benchmark::State& state) {
    Load(state, 24, true);
}
void LoadPlain24(benchmark::State& state) {
    Load(state, 24, false);
}
void LoadPacked16(benchmark::State& state) {
    Load(state, 16, true);
}

BENCHMARK(LoadPacked24)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadPlain24)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadPacked16)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
