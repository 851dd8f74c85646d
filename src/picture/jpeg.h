#pragma once

#include <filesystem>

#include "picture/bitmap.h"

namespace seewolf {

// Decodes a JPEG file into a 24-bit bitmap (blue, green, red bytes, top row first). Throws Error
// naming the file when it is missing, corrupt or cut short, when it claims more than
// kMaxPicturePixels (refused before anything is allocated), or when it is a progressive file of
// more than 500 scans.
Bitmap LoadJPEG(const std::filesystem::path& path);

}  // namespace seewolf
