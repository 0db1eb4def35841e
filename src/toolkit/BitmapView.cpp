#include "toolkit/BitmapView.h"

#include <QImage>
#include <QPainter>

#include "graphics/Bitmap.h"

namespace vlz {

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
    if (bitmap.PixelFormat() == TPixelFormat::pf24bit) {
        // Rows are top-down blue-green-red, which is QImage's BGR888 layout.
        const QImage view(bitmap.ScanLine(0), width, height,
                          static_cast<qsizetype>(bitmap.Stride()), QImage::Format_BGR888);
        painter.drawImage(source.topLeft() + QPoint(x, y), view, source);
        return;
    }
    QImage converted(width, height, QImage::Format_RGB32);
    TBitmap& mutableBitmap = const_cast<TBitmap&>(bitmap);
    const TDibSurface surface = mutableBitmap.Surface();
    const RGBQUAD* colors = bitmap.Colors();
    for (int row = 0; row < height; ++row) {
        auto* line = reinterpret_cast<QRgb*>(converted.scanLine(row));
        for (int column = 0; column < width; ++column) {
            const RGBQUAD& entry = colors[ReadPixel(surface, column, row) & 0xFF];
            line[column] = qRgb(entry.rgbRed, entry.rgbGreen, entry.rgbBlue);
        }
    }
    painter.drawImage(source.topLeft() + QPoint(x, y), converted, source);
}

}  // namespace vlz
