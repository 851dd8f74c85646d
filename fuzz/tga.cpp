// The TGA reader: any file gives a picture whose rows match its size and depth, or the 1x1
// picture of a refused file with the error text saying so.

#include "picture/tga.h"

#include <cstdlib>
#include <string>

#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto path = seewolf::fuzz::WriteScratchFile("picture.tga", data, size);
    std::string error = "unset";
    const seewolf::Bitmap bitmap = seewolf::LoadTGA(path, &error);
    if (!error.empty() && (error.rfind(seewolf::kInvalidTgaText, 0) != 0 || bitmap.width != 1 ||
                           bitmap.height != 1 || bitmap.depth != 24)) {
        std::abort();
    }
    if (bitmap.width < 0 || bitmap.height < 0 ||
        static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height) >
            seewolf::kMaxPicturePixels ||
        bitmap.rows.size() != static_cast<std::size_t>(bitmap.height)) {
        std::abort();
    }
    const auto width = static_cast<std::size_t>(bitmap.width);
    std::size_t rowBytes = 0;
    switch (bitmap.depth) {
        case 1:
            rowBytes = (width + 7) / 8;
            break;
        case 8:
            rowBytes = width;
            break;
        case 24:
            rowBytes = width * 3;
            break;
        default:
            std::abort();
    }
    for (const auto& row : bitmap.rows) {
        if (row.size() != rowBytes) {
            std::abort();
        }
    }
    // The whole picture converts (a palette index is never out of range).
    if (seewolf::ToRgb(bitmap).size() != width * bitmap.rows.size() * 3) {
        std::abort();
    }
    return 0;
}
