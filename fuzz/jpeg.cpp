// The JPEG reader: any file gives a 24-bit picture whose rows match its size, or an Error that
// names the file.

#include "picture/jpeg.h"

#include <cstdlib>
#include <string>

#include "app/error.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto path = seewolf::fuzz::WriteScratchFile("picture.jpg", data, size);
    seewolf::Bitmap bitmap;
    try {
        bitmap = seewolf::LoadJPEG(path);
    } catch (const seewolf::Error& error) {
        if (std::string(error.what()).find(path.string()) == std::string::npos) {
            std::abort();
        }
        return 0;
    }
    if (bitmap.depth != 24 || bitmap.width <= 0 || bitmap.height <= 0 ||
        static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height) >
            seewolf::kMaxPicturePixels ||
        bitmap.rows.size() != static_cast<std::size_t>(bitmap.height)) {
        std::abort();
    }
    for (const auto& row : bitmap.rows) {
        if (row.size() != static_cast<std::size_t>(bitmap.width) * 3) {
            std::abort();
        }
    }
    return 0;
}
