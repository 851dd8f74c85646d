#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace seewolf {

struct PaletteEntry {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

// A picture as the readers produce it, free of any toolkit: rows top row first.
struct Bitmap {
    int width = 1;
    int height = 1;
    int depth = 24;  // 1 (palette: black, white), 8 (palette indexes) or 24 (blue, green, red bytes)
    std::array<PaletteEntry, 256> palette{};
    std::vector<std::vector<std::uint8_t>> rows;  // depth 1: (width + 7) / 8 bytes; 8: width; 24: 3 x width
};

// The most pixels a picture may have (8192 x 8192): a file's header may claim far more than any
// picture Seewolf shows, and such a picture is refused rather than allocated.
inline constexpr std::size_t kMaxPicturePixels = std::size_t{1} << 26;

// width x height x 3 bytes, top row first, red, green, blue (palette applied).
std::vector<std::uint8_t> ToRgb(const Bitmap& bitmap);

}  // namespace seewolf
