#pragma once
// A drawing surface with a canvas. With a paint handler the control is drawn by it whenever it
// needs painting; drawing on the canvas outside a paint goes to a backing bitmap of the control's
// size and is shown at once.

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

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    std::unique_ptr<TBitmap> FBacking;
    std::function<void()> FOnPaint;
    bool FPainting = false;
};

}  // namespace vlz
