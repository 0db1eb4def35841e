// Bitmaps put on a Qt paint device: every pixel in its place and its colours, whatever part of the
// bitmap a paint asks for.

#include "toolkit/BitmapView.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "graphics/Bitmap.h"
#include "support/QtApplication.h"

namespace vlz {
namespace {

// A 24-bit bitmap whose every pixel has a colour of its own.
void FillDistinct(TBitmap& bitmap) {
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            bitmap.Canvas().SetPixel(x, y, RGB(10 * x + 5, 40 * y + 3, 200 - x - y));
        }
    }
}

QRgb Expected(int x, int y) {
    return qRgb(10 * x + 5, 40 * y + 3, 200 - x - y);
}

TEST(BitmapView, PaintsTheAskedPartOfA24BitBitmapAtItsPlaceInItsColours) {
    testing::TestApplication();
    TBitmap bitmap(7, 5);
    FillDistinct(bitmap);
    QImage screen(20, 12, QImage::Format_RGB32);
    // A large paint first, then a smaller one: what the first left behind must not show.
    for (const QRect area : {QRect(0, 0, 20, 12), QRect(4, 3, 3, 2)}) {
        screen.fill(Qt::white);
        QPainter painter(&screen);
        PaintBitmap(painter, 2, 1, bitmap, area);
        painter.end();
        for (int y = 0; y < screen.height(); ++y) {
            for (int x = 0; x < screen.width(); ++x) {
                const bool painted = area.contains(x, y) && QRect(2, 1, 7, 5).contains(x, y);
                const QRgb want = painted ? Expected(x - 2, y - 1) : qRgb(255, 255, 255);
                ASSERT_EQ(screen.pixel(x, y), want) << x << ", " << y << " of " << area.width();
            }
        }
    }
}

TEST(BitmapView, PaintsAPalettedBitmapThroughItsColourTable) {
    testing::TestApplication();
    TBitmap bitmap(4, 2, TPixelFormat::pf8bit);
    bitmap.Canvas().SetPixel(1, 1, RGB(255, 0, 0));
    bitmap.Canvas().SetPixel(2, 0, RGB(0, 0, 255));
    QImage screen(4, 2, QImage::Format_RGB32);
    screen.fill(Qt::white);
    QPainter painter(&screen);
    PaintBitmap(painter, 0, 0, bitmap, screen.rect());
    painter.end();
    EXPECT_EQ(screen.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(screen.pixel(2, 0), qRgb(0, 0, 255));
}

}  // namespace
}  // namespace vlz
