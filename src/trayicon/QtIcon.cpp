#include "trayicon/QtIcon.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <vector>

namespace vlz {

void AssignQImage(TIcon& icon, const QImage& image) {
    if (image.isNull()) {
        icon.Clear();
        return;
    }
    QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    std::vector<std::uint32_t> pixels;
    pixels.reserve(static_cast<std::size_t>(argb.width()) *
                   static_cast<std::size_t>(argb.height()));
    for (int y = 0; y < argb.height(); ++y) {
        auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        pixels.insert(pixels.end(), row, row + argb.width());
    }
    icon.SetPixels(argb.width(), argb.height(), std::move(pixels));
}

bool AssignQIcon(TIcon& icon, const QIcon& source, int size) {
    if (source.isNull()) {
        return false;
    }
    QImage image = source.pixmap(QSize(size, size)).toImage();
    if (image.isNull()) {
        return false;
    }
    AssignQImage(icon, image);
    return true;
}

}  // namespace vlz
