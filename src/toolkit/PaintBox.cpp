#include "toolkit/PaintBox.h"

#include <QPaintEvent>
#include <QPainter>

#include "graphics/Bitmap.h"
#include "toolkit/Application.h"
#include "toolkit/BitmapView.h"

namespace vlz {

TPaintBox::TPaintBox(QWidget* parent)
    : TGraphicControl(parent), FBacking(std::make_unique<TBitmap>()) {
    // Nothing of its own to paint yet: whatever lies under the box is painted first.
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    // What is drawn on the canvas reaches the screen at once, as a copy to the screen does:
    // an update would post an event (and wake the event loop) for every note drawn on a beat.
    FBacking->OnChange = [this](TObject&) {
        if (FPainting) {
            return;
        }
        if (!FDrawn) {
            FDrawn = true;
            // From now on the backing covers the whole box.
            setAttribute(Qt::WA_OpaquePaintEvent, true);
        }
        if (isVisible()) {
            repaint();
        }
    };
}

TPaintBox::~TPaintBox() {
    FBacking->OnChange = nullptr;
}

void TPaintBox::SizeBacking() {
    FPainting = true;
    FBacking->SetSize(width(), height());
    FPainting = false;
}

TCanvas& TPaintBox::Canvas() {
    if (FBacking->Width() != width() || FBacking->Height() != height()) {
        SizeBacking();
    }
    return FBacking->Canvas();
}

void TPaintBox::resizeEvent(QResizeEvent* event) {
    TGraphicControl::resizeEvent(event);
    SizeBacking();
}

void TPaintBox::paintEvent(QPaintEvent* event) {
    if (FOnPaint) {
        FPainting = true;
        Guarded(FOnPaint);
        FPainting = false;
    }
    if (!HasPicture()) {
        return;
    }
    QPainter painter(this);
    PaintBitmap(painter, 0, 0, *FBacking, event->rect());
}

}  // namespace vlz
