#pragma once
// A DIB surface: what every drawing operation of the framework draws on. It is a view (header,
// colour table, pixel memory) over storage that somebody else owns: a TBitmap, or a bitmap store
// of the DIB library, which lets a canvas draw straight into a store's memory.
//
// Drawable surfaces are uncompressed, of 1, 4, 8 or 24 bits per pixel, and either bottom-up
// (biHeight > 0: the last row in memory is the top of the picture) or top-down (biHeight < 0).
// Rows are padded to four bytes. Coordinates are always picture coordinates: (0, 0) is the
// top-left pixel whatever the row order.

#include <cstdint>

#include "graphics/BitmapInfo.h"
#include "graphics/Color.h"

namespace vlz {

struct TDibSurface {
    BITMAPINFOHEADER* Header = nullptr;
    RGBQUAD* Colors = nullptr;  // the colour table behind the header; unused at 24 bits
    std::uint8_t* Bits = nullptr;

    bool IsDrawable() const;
    int Width() const { return Header ? Header->biWidth : 0; }
    int Height() const;  // the absolute row count
    int BitCount() const { return Header ? Header->biBitCount : 0; }
    std::int64_t Stride() const { return DibStride(BitCount(), Width()); }
    // The first byte of picture row `y` (0 = top).
    std::uint8_t* ScanLine(int y) const;
    // The number of meaningful colour-table entries (biClrUsed, or the full table when it is 0).
    int ColorCount() const;
};

// The colour-table size of a header: biClrUsed when set, else 2^bits up to 8 bits, else 0.
int ColorTableSize(const BITMAPINFOHEADER& header);

// The raw value of a pixel: a colour-table index, or at 24 bits 0x00RRGGBB (blue in the low byte,
// as the bytes lie in memory). No bounds checks: callers clip first.
std::uint32_t ReadPixel(const TDibSurface& surface, int x, int y);
void WritePixel(const TDibSurface& surface, int x, int y, std::uint32_t value);
// The raw values of `count` pixels of row `y` from column `x`, and the way back.
void ReadRow(const TDibSurface& surface, int y, int x, int count, std::uint32_t* values);
void WriteRow(const TDibSurface& surface, int y, int x, int count, const std::uint32_t* values);

// The index of the entry of `colors` nearest to `rgb` (a 0x00BBGGRR colour value) by squared
// distance; the first of equally near entries; 0 for an empty table.
std::uint32_t NearestColorIndex(const RGBQUAD* colors, int count, TColor rgb);

// The surface's raw value for a colour value (system colours resolved): 0x00RRGGBB at 24 bits, the
// nearest colour-table entry below.
std::uint32_t ColorToPixel(const TDibSurface& surface, TColor color);
// The 0x00BBGGRR colour value of a raw pixel value (black for an index past the colour table).
TColor PixelToColor(const TDibSurface& surface, std::uint32_t value);

}  // namespace vlz
