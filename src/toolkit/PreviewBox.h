#pragma once
// A paint box whose picture is composed off-screen in a 24-bit bitmap of the box's size and put
// on the screen with one copy, so that an animation in it never flickers. Drawing goes to Canvas()
// (clipped to the box); Present() shows what was drawn. The off-screen picture starts filled with
// the brush colour, the button face as on a dialog.

#include <QWidget>

#include "graphics/Bitmap.h"

namespace vlz {

class TPreviewBox : public QWidget {
    Q_OBJECT
  public:
    TPreviewBox(QWidget* parent, int left, int top, int width, int height);

    TCanvas& Canvas() { return FBuffer.Canvas(); }
    // Fills the whole box with the canvas's current brush colour.
    void Clear();
    void Present() { update(); }

    // What the box shows, for tests: the off-screen picture.
    QImage Picture();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    TBitmap FBuffer;
};

}  // namespace vlz
