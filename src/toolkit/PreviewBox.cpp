#include "toolkit/PreviewBox.h"

#include <QPaintEvent>
#include <QPainter>
#include <cstring>

#include "toolkit/BitmapView.h"

namespace vlz {

TPreviewBox::TPreviewBox(QWidget* parent, int left, int top, int width, int height)
    : QWidget(parent), FBuffer(width, height, TPixelFormat::pf24bit) {
    setGeometry(left, top, width, height);
    setAttribute(Qt::WA_OpaquePaintEvent);
    Canvas().Brush.Color = clBtnFace;
    Clear();
}

void TPreviewBox::Clear() {
    Canvas().FillRect(Canvas().ClipRect());
    update();
}

QImage TPreviewBox::Picture() {
    TDibSurface surface = FBuffer.Surface();
    // A 24-bit DIB row holds blue, green, red per pixel, as Format_BGR888 does.
    QImage image(surface.Width(), surface.Height(), QImage::Format_BGR888);
    for (int y = 0; y < surface.Height(); ++y) {
        std::memcpy(image.scanLine(y), surface.ScanLine(y),
                    static_cast<std::size_t>(surface.Width()) * 3);
    }
    return image;
}

void TPreviewBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    PaintBitmap(painter, 0, 0, FBuffer, event->rect());
}

}  // namespace vlz
