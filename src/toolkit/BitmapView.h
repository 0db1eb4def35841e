#pragma once
// Puts a graphics bitmap on a Qt paint device.

class QPainter;
class QRect;

namespace vlz {

class TBitmap;

// Draws the bitmap's pixels at (x, y) without scaling. A 24-bit bitmap is drawn straight from its
// own memory; other depths go through their colour table.
void PaintBitmap(QPainter& painter, int x, int y, const TBitmap& bitmap, const QRect& area);

}  // namespace vlz
