#pragma once
// Colour reduction: choose a palette of at most 256 (8 bits) or 16 (4 bits) colours for an image
// and map every pixel onto it. Each routine leaves `src` untouched, builds the result in a new
// block from GetMemory, writes `dst` only when it succeeds, and calls `progress` exactly 256
// (8 bits) or 16 (4 bits) times. What `progress` raises passes through, and nothing is kept.
//
// The low method splits 65,536 colour boxes (5 bits of red, 6 of green, 5 of blue): one pass
// over the pixels, then work bounded by the boxes, but every pixel of a box gets one index. The
// high method splits the pixels themselves at full precision and maps each one to the leaf of the
// decision tree it falls in, at the price of one pass more over the pixels, a table of the
// pixels by box (a histogram of 1 KB per box in use where that is smaller, else one byte per
// pixel) and a look at every box that a cut goes through.

#include <cstdint>

#include "dib/PxColorSplit.h"
#include "dib/PxDIBInfos.h"

namespace vlz {

// 24-bit sources; EPxDIBBadDIBType "<routine>: Invalid Bitcount" otherwise.
void ConvertTrueColorTo8BitRGBLow(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping,
                                  const TPxProgressCallback& progress);
void ConvertTrueColorTo4BitRGBLow(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping,
                                  const TPxProgressCallback& progress);
void ConvertTrueColorTo8BitRGBHigh(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping,
                                   const TPxProgressCallback& progress);
void ConvertTrueColorTo4BitRGBHigh(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping,
                                   const TPxProgressCallback& progress);

// 8-bit BI_RGB source, reduced over the colour-table entries its pixels use; EPxDIBBadDIBType
// "Convert8BitRGBTo4BitRGB: Invalid Bitcount or Compression" otherwise.
void Convert8BitRGBTo4BitRGB(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping,
                             const TPxProgressCallback& progress);

// The palette builders behind them. `boxIndex` (65,536 entries) and `indexMap` (256 entries)
// receive the palette index of every box and every old colour index, `map` that of every
// pixel.
void MakeCellPalette(const TPxDIBInfos& src, TPxPaletteBuilder& palette,
                     const TPxProgressCallback& progress, int depth, std::uint8_t* boxIndex);
void MakeTreePalette(const TPxDIBInfos& src, TPxPaletteBuilder& palette,
                     const TPxProgressCallback& progress, int depth, TPxSplitTree& tree,
                     TPxPixelIndexMap& map);
void MakeIndexPalette(const TPxDIBInfos& src, TPxPaletteBuilder& palette,
                      const TPxProgressCallback& progress, std::uint8_t* indexMap);

}  // namespace vlz
