#include "graphics/Canvas.h"

#include <cstdlib>

#include "graphics/StretchDIBits.h"

namespace vlz {

const TDibSurface& TCanvas::RequireHandle() const {
    if (!HandleAllocated()) {
        throw EInvalidOperation("Canvas does not allow drawing");
    }
    return surface_;
}

void TCanvas::Changed() {
    if (OnChange) {
        OnChange(*this);
    }
}

void TCanvas::FillRect(const TRect& rect) {
    const TDibSurface& surface = RequireHandle();
    BitBlt(surface, rect.Left, rect.Top, rect.Width(), rect.Height(), nullptr, 0, 0, PATCOPY,
           Brush.Color);
    Changed();
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
    const TDibSurface& surface = RequireHandle();
    if (right - left >= 1 && bottom - top >= 1) {
        BitBlt(surface, left, top, right - left, bottom - top, nullptr, 0, 0, PATCOPY, Pen.Color);
        if (right - left > 2 && bottom - top > 2) {
            BitBlt(surface, left + 1, top + 1, right - left - 2, bottom - top - 2, nullptr, 0, 0,
                   PATCOPY, Brush.Color);
        }
    }
    Changed();
}

void TCanvas::LineTo(int x, int y) {
    const TDibSurface& surface = RequireHandle();
    if (surface.IsDrawable()) {
        std::uint32_t value = ColorToPixel(surface, Pen.Color);
        int width = surface.Width(), height = surface.Height();
        // Bresenham; the end point is left out so that joined lines do not draw it twice.
        std::int64_t x0 = PenPos.X, y0 = PenPos.Y;
        std::int64_t dx = std::llabs(x - x0), dy = -std::llabs(y - y0);
        int stepX = x0 < x ? 1 : -1, stepY = y0 < y ? 1 : -1;
        std::int64_t error = dx + dy;
        while (x0 != x || y0 != y) {
            if (x0 >= 0 && x0 < width && y0 >= 0 && y0 < height) {
                WritePixel(surface, static_cast<int>(x0), static_cast<int>(y0), value);
            }
            std::int64_t doubled = 2 * error;
            if (doubled >= dy) {
                error += dy;
                x0 += stepX;
            }
            if (doubled <= dx) {
                error += dx;
                y0 += stepY;
            }
        }
    }
    PenPos = {x, y};
    Changed();
}

TColor TCanvas::GetPixel(int x, int y) const {
    const TDibSurface& surface = RequireHandle();
    if (!surface.IsDrawable() || x < 0 || y < 0 || x >= surface.Width() || y >= surface.Height()) {
        return CLR_INVALID;
    }
    return PixelToColor(surface, ReadPixel(surface, x, y));
}

void TCanvas::SetPixel(int x, int y, TColor color) {
    const TDibSurface& surface = RequireHandle();
    if (surface.IsDrawable() && x >= 0 && y >= 0 && x < surface.Width() && y < surface.Height()) {
        WritePixel(surface, x, y, ColorToPixel(surface, color));
    }
    Changed();
}

void TCanvas::CopyRect(const TRect& destRect, TCanvas& source, const TRect& sourceRect) {
    const TDibSurface& surface = RequireHandle();
    const TDibSurface& from = source.RequireHandle();
    StretchDIBits(surface, destRect.Left, destRect.Top, destRect.Width(), destRect.Height(),
                  sourceRect.Left, sourceRect.Top, sourceRect.Width(), sourceRect.Height(),
                  from.Bits, BitmapInfoView{from.Header, from.Colors}, CopyMode, Brush.Color);
    Changed();
}

void TCanvas::Draw(int x, int y, TGraphic& graphic) {
    if (!graphic.Empty()) {
        RequireHandle();
        graphic.Draw(*this, Bounds(x, y, graphic.Width(), graphic.Height()));
    }
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic& graphic) {
    if (!graphic.Empty()) {
        RequireHandle();
        graphic.Draw(*this, rect);
    }
}

}  // namespace vlz
