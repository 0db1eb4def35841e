#include "toolkit/Image.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include "graphics/Bitmap.h"
#include "toolkit/Application.h"
#include "toolkit/BitmapView.h"

namespace vlz {

TGraphicControl::TGraphicControl(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TGraphicControl::mousePressEvent(QMouseEvent* event) {
    if (FOnMouseDown) {
        const QPoint at = event->position().toPoint();
        Guarded([&] { FOnMouseDown(this, event->button(), event->buttons(), at.x(), at.y()); });
    }
    event->accept();
}

void TGraphicControl::contextMenuEvent(QContextMenuEvent* event) {
    if (FPopupMenu != nullptr) {
        FPopupMenu->popup(event->globalPos());
        event->accept();
        return;
    }
    QWidget::contextMenuEvent(event);
}

TImage::TImage(QWidget* parent) : TGraphicControl(parent), FPicture(std::make_shared<TBitmap>()) {
    FPicture->OnChange = [this](TObject&) { update(); };
}

TImage::~TImage() {
    if (!FShared) {
        FPicture->OnChange = nullptr;
    }
}

void TImage::SetSharedPicture(std::shared_ptr<TBitmap> picture) {
    if (!FShared) {
        FPicture->OnChange = nullptr;
    }
    FShared = true;
    FPicture = std::move(picture);
    update();
}

void TImage::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    PaintBitmap(painter, 0, 0, *FPicture, event->rect());
}

}  // namespace vlz
