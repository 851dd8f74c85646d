#include "picture/bitmap.h"

#include <algorithm>
#include <cstddef>

namespace seewolf {

std::vector<std::uint8_t> ToRgb(const Bitmap& bitmap) {
    const std::size_t width = static_cast<std::size_t>(std::max(bitmap.width, 0));
    const std::size_t height = static_cast<std::size_t>(std::max(bitmap.height, 0));
    // Rows that are missing or short (a default-constructed bitmap has none) show as black.
    std::vector<std::uint8_t> rgb(width * height * 3, 0);
    const std::size_t rowCount = std::min(height, bitmap.rows.size());
    for (std::size_t y = 0; y < rowCount; ++y) {
        const std::vector<std::uint8_t>& row = bitmap.rows[y];
        std::uint8_t* out = rgb.data() + y * width * 3;
        if (bitmap.depth == 24) {
            const std::size_t pixels = std::min(width, row.size() / 3);
            for (std::size_t x = 0; x < pixels; ++x) {
                out[x * 3] = row[x * 3 + 2];
                out[x * 3 + 1] = row[x * 3 + 1];
                out[x * 3 + 2] = row[x * 3];
            }
        } else if (bitmap.depth == 8 || bitmap.depth == 1) {
            const std::size_t pixels =
                bitmap.depth == 8 ? std::min(width, row.size()) : std::min(width, row.size() * 8);
            for (std::size_t x = 0; x < pixels; ++x) {
                const std::size_t index =
                    bitmap.depth == 8 ? row[x] : static_cast<std::size_t>((row[x / 8] >> (7 - x % 8)) & 1);
                const PaletteEntry& entry = bitmap.palette[index];
                out[x * 3] = entry.red;
                out[x * 3 + 1] = entry.green;
                out[x * 3 + 2] = entry.blue;
            }
        }
    }
    return rgb;
}

}  // namespace seewolf
