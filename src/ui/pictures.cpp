#include "ui/pictures.h"

#include <QBitmap>

#include "picture/jpeg.h"
#include "picture/tga.h"

namespace seewolf::ui {

QImage ImageFromBitmap(const Bitmap& bitmap) {
    const std::vector<std::uint8_t> rgb = ToRgb(bitmap);
    QImage image(bitmap.width, bitmap.height, QImage::Format_RGB888);
    const auto rowBytes = static_cast<std::size_t>(bitmap.width) * 3;
    for (int y = 0; y < bitmap.height; ++y) {
        std::copy_n(rgb.data() + static_cast<std::size_t>(y) * rowBytes, rowBytes, image.scanLine(y));
    }
    return image;
}

QPixmap TgaPixmap(const std::filesystem::path& path, bool magentaIsClear) {
    QPixmap pixmap = QPixmap::fromImage(ImageFromBitmap(LoadTGA(path)));
    if (magentaIsClear) {
        pixmap.setMask(pixmap.createMaskFromColor(QColor(255, 0, 255), Qt::MaskInColor));
    }
    return pixmap;
}

QPixmap JpegPixmap(const std::filesystem::path& path) {
    return QPixmap::fromImage(ImageFromBitmap(LoadJPEG(path)));
}

}  // namespace seewolf::ui
