#include "toolkit/PaintBox.h"

#include <QPaintEvent>
#include <QPainter>

#include "graphics/Bitmap.h"
#include "toolkit/Application.h"
#include "toolkit/BitmapView.h"

namespace vlz {

TPaintBox::TPaintBox(QWidget* parent)
    : TGraphicControl(parent), FBacking(std::make_unique<TBitmap>()) {
    // What is drawn on the canvas reaches the screen at once, as a copy to the screen does:
    // an update would post an event (and wake the event loop) for every note drawn on a beat.
    FBacking->OnChange = [this](TObject&) {
        if (!FPainting && isVisible()) {
            repaint();
        }
    };
}

TPaintBox::~TPaintBox() {
    FBacking->OnChange = nullptr;
}

TCanvas& TPaintBox::Canvas() {
    if (FBacking->Width() != width() || FBacking->Height() != height()) {
        FBacking->SetSize(width(), height());
    }
    return FBacking->Canvas();
}

void TPaintBox::resizeEvent(QResizeEvent* event) {
    TGraphicControl::resizeEvent(event);
    FPainting = true;
    FBacking->SetSize(width(), height());
    FPainting = false;
}

void TPaintBox::paintEvent(QPaintEvent* event) {
    if (FOnPaint) {
        FPainting = true;
        Guarded(FOnPaint);
        FPainting = false;
    }
    QPainter painter(this);
    PaintBitmap(painter, 0, 0, *FBacking, event->rect());
}

}  // namespace vlz
