#include "toolkit/BitmapView.h"

#include <QImage>
#include <QPainter>

#include "graphics/Bitmap.h"

namespace vlz {

namespace {

// The screen's own 32-bit layout, kept between paints: drawing it on a window's backing store is
// a plain copy of rows, where a 24-bit picture would go through Qt's generic per-pixel
// conversion on every paint.
QImage& ScreenImage(const QSize& size) {
    static QImage image;
    if (image.width() < size.width() || image.height() < size.height()) {
        image = QImage(size.expandedTo(image.size()), QImage::Format_RGB32);
    }
    return image;
}

}  // namespace

void PaintBitmap(QPainter& painter, int x, int y, const TBitmap& bitmap, const QRect& area) {
    if (bitmap.Empty()) {
        return;
    }
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    const QRect source = area.translated(-x, -y).intersected(QRect(0, 0, width, height));
    if (source.isEmpty()) {
        return;
    }
    // On a scaled screen the pixel art is enlarged pixel for pixel, never smoothed.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    QImage& converted = ScreenImage(source.size());
    if (bitmap.PixelFormat() == TPixelFormat::pf24bit) {
        // Rows are top-down blue, green, red.
        for (int row = 0; row < source.height(); ++row) {
            const std::uint8_t* pixel = bitmap.ScanLine(source.top() + row) + 3 * source.left();
            auto* line = reinterpret_cast<QRgb*>(converted.scanLine(row));
            for (int column = 0; column < source.width(); ++column, pixel += 3) {
                line[column] =
                    0xFF000000u | (QRgb{pixel[2]} << 16) | (QRgb{pixel[1]} << 8) | QRgb{pixel[0]};
            }
        }
    } else {
        TBitmap& mutableBitmap = const_cast<TBitmap&>(bitmap);
        const TDibSurface surface = mutableBitmap.Surface();
        const RGBQUAD* colors = bitmap.Colors();
        for (int row = 0; row < source.height(); ++row) {
            auto* line = reinterpret_cast<QRgb*>(converted.scanLine(row));
            for (int column = 0; column < source.width(); ++column) {
                const RGBQUAD& entry =
                    colors[ReadPixel(surface, source.left() + column, source.top() + row) & 0xFF];
                line[column] = qRgb(entry.rgbRed, entry.rgbGreen, entry.rgbBlue);
            }
        }
    }
    painter.drawImage(source.topLeft() + QPoint(x, y), converted,
                      QRect(QPoint(0, 0), source.size()));
}

}  // namespace vlz
