#pragma once

#include <filesystem>
#include <string>

#include "picture/bitmap.h"

namespace seewolf {

// The error text recorded for a file whose header is refused.
inline constexpr const char* kInvalidTgaText = "Invalid TGA file!";

// Reads a Truevision TGA picture: image types 1, 2, 3 (uncompressed) and 9, 10, 11 (run-length
// encoded), pixel depths 1, 8, 16, 24 and 32. Depth 1 gives a 1-bit bitmap (black, white), depth 8
// an 8-bit one with the colour map or a grey ramp as its palette, the others 24 bits (blue, green,
// red). Never throws for a bad file: a file that cannot be opened or whose type or depth is refused
// gives a 1x1 bitmap and sets `errorText` (when given) to kInvalidTgaText, otherwise to "". Bytes
// missing at the end of a short file read as zeros; the bitmap keeps the header's size. A header
// claiming more than kMaxPicturePixels, or a picture of more than 65536 pixels (bytes of eight
// pixels at depth 1) that even run-length packets could not fit in the file, is refused the same
// way before anything is allocated, with an error text that starts with kInvalidTgaText and says
// why. Run-length packets may run on from one row into the next.
// Re-entrant: all state belongs to the call.
Bitmap LoadTGA(const std::filesystem::path& path, std::string* errorText = nullptr);

}  // namespace seewolf
