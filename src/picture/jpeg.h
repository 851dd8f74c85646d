#pragma once

#include <filesystem>

#include "picture/bitmap.h"

namespace seewolf {

// Decodes a JPEG file into a 24-bit bitmap (blue, green, red bytes, top row first). Throws Error
// naming the file when it is missing, corrupt or cut short.
Bitmap LoadJPEG(const std::filesystem::path& path);

}  // namespace seewolf
