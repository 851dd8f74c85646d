#pragma once

// Pictures read by the core's readers, turned into Qt images.

#include <filesystem>

#include <QImage>
#include <QPixmap>

#include "picture/bitmap.h"

namespace seewolf::ui {

QImage ImageFromBitmap(const Bitmap& bitmap);

// A TGA picture. With `magentaIsClear`, pure magenta (255, 0, 255) pixels become transparent:
// our TGA pictures have no alpha channel, so overlays mark their background that way.
QPixmap TgaPixmap(const std::filesystem::path& path, bool magentaIsClear = false);

// A JPEG picture; throws Error when it cannot be read.
QPixmap JpegPixmap(const std::filesystem::path& path);

}  // namespace seewolf::ui
