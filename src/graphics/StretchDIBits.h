#pragma once
// The stretched copy of DIB data onto a surface, in the COLORONCOLOR manner: every target pixel
// takes the one source pixel it maps to, rows and columns are dropped or repeated, never blended.
//
// The data may be of 1, 4, 8 or 24 bits per pixel, top-down or bottom-up, or RLE8 / RLE4
// compressed (biSizeImage bytes of codes). Pixels that an RLE image never sets (skipped by a
// delta, or after an early end of line or end of bitmap) leave the target unchanged.
//
// Rectangles are in picture coordinates for both row orders: the source rectangle's (0, 0) is the
// picture's top-left pixel. A negative width or height on one side mirrors the picture. Target
// pixels that map outside the source picture or outside the target are left alone. A stretched
// copy reads the source as it draws, so its data must not lie in the target's own memory (a 1:1
// copy may: it goes through BitBlt, which handles overlapping blocks).

#include <cstdint>

#include "graphics/BitmapInfo.h"
#include "graphics/Color.h"
#include "graphics/Surface.h"

namespace vlz {

// Returns the height of the target rectangle, or 0 when the header or a size is unusable.
int StretchDIBits(const TDibSurface& target, int x, int y, int width, int height, int sourceX,
                  int sourceY, int sourceWidth, int sourceHeight, const void* bits,
                  const BitmapInfoView& info, std::uint32_t rop, TColor pattern = clBlack);

}  // namespace vlz
