#include "toolkit/PaintBox.h"

#include <QPaintEvent>
#include <QPainter>

#include "graphics/Bitmap.h"
#include "toolkit/Application.h"
#include "toolkit/BitmapView.h"

namespace vlz {

TPaintBox::TPaintBox(QWidget* parent)
    : TGraphicControl(parent), FBacking(std::make_unique<TBitmap>()) {
    // What is drawn on the canvas reaches the screen with the window's next paint, together
    // with whatever else changed in the same round of events.
    FBacking->OnChange = [this](TObject&) {
        if (!FPainting && isVisible()) {
            update();
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
