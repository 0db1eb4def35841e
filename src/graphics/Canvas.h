#pragma once
// A drawing surface with a copy mode, a brush and a pen. It draws on a DIB surface that it does
// not own (its Handle): the pixel memory of a TBitmap, or that of a bitmap store. Everything it
// draws is clipped to the surface.

#include <cstdint>

#include "graphics/Color.h"
#include "graphics/Geometry.h"
#include "graphics/Graphic.h"
#include "graphics/RasterOp.h"
#include "graphics/Surface.h"

namespace vlz {

struct TBrush {
    TColor Color = clWhite;
};

struct TPen {
    TColor Color = clBlack;
};

// Drawing on a canvas that has no surface.
class EInvalidOperation : public Exception {
  public:
    using Exception::Exception;
};

// The colour GetPixel reports for a point outside the surface.
constexpr TColor CLR_INVALID = static_cast<TColor>(0xFFFFFFFF);

class TCanvas : public TPersistent {
  public:
    TCanvas() = default;
    explicit TCanvas(const TDibSurface& surface) : surface_(surface) {}
    std::string ClassName() const override { return "TCanvas"; }

    // The surface drawn on; a canvas without one raises EInvalidOperation on every drawing call.
    const TDibSurface& Handle() const { return surface_; }
    void SetHandle(const TDibSurface& surface) { surface_ = surface; }
    bool HandleAllocated() const { return surface_.Header != nullptr; }
    TRect ClipRect() const { return Rect(0, 0, surface_.Width(), surface_.Height()); }

    // The raster operation of CopyRect, Draw and StretchDraw.
    std::uint32_t CopyMode = SRCCOPY;
    TBrush Brush;
    TPen Pen;
    // Raised after every drawing operation.
    TNotifyEvent OnChange;

    // Fills the rectangle with the brush colour.
    void FillRect(const TRect& rect);
    // Outlines the rectangle with the pen and fills its inside with the brush.
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const TRect& rect) { Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom); }
    // Lines with the pen, from the pen position up to, but not including, the end point.
    void MoveTo(int x, int y) { PenPos = {x, y}; }
    void LineTo(int x, int y);
    TPoint PenPos;

    // A pixel's colour value (0x00BBGGRR), CLR_INVALID outside the surface.
    TColor GetPixel(int x, int y) const;
    // Paletted surfaces take the nearest entry of their colour table.
    void SetPixel(int x, int y, TColor color);

    // Copies `sourceRect` of `source` into `destRect` with the copy mode, stretched when the sizes
    // differ; either side may be mirrored by a negative extent.
    void CopyRect(const TRect& destRect, TCanvas& source, const TRect& sourceRect);
    // Draws a picture at its own size, or stretched into a rectangle, with the copy mode.
    void Draw(int x, int y, TGraphic& graphic);
    void StretchDraw(const TRect& rect, TGraphic& graphic);

    // Raises OnChange; pictures that draw on the canvas call it when they are done.
    void Changed();

  protected:
    const TDibSurface& RequireHandle() const;

  private:
    TDibSurface surface_;
};

}  // namespace vlz
