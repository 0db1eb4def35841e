#pragma once
// A drawing surface with a canvas. The box has no background of its own: until something is drawn
// on its canvas it shows what lies under it. With a paint handler the control is drawn by it
// whenever it needs painting; drawing on the canvas outside a paint goes to a backing bitmap of
// the control's size and is shown at once, and stays until it is drawn over.

#include <functional>
#include <memory>

#include "toolkit/Image.h"

namespace vlz {

class TCanvas;

class TPaintBox : public TGraphicControl {
    Q_OBJECT
  public:
    explicit TPaintBox(QWidget* parent);
    ~TPaintBox() override;

    TCanvas& Canvas();
    void SetOnPaint(std::function<void()> handler) { FOnPaint = std::move(handler); }

    // Whether the box shows a picture of its own: something was drawn on it, or it has a paint
    // handler.
    bool HasPicture() const { return FDrawn || FOnPaint; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void SizeBacking();

    std::unique_ptr<TBitmap> FBacking;
    std::function<void()> FOnPaint;
    bool FPainting = false;  // the backing changes without anything being drawn
    bool FDrawn = false;
};

}  // namespace vlz
