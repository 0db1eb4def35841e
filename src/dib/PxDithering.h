#pragma once
// Error-diffusion conversions to fixed palettes: the 215-colour halftone palette (8 bits) and
// black and white (1 bit). Sources of 1, 4, 8 (through their colour table) or 24 bits per pixel,
// uncompressed; any other kind raises EPxDIBBadDIBType "<routine>: Invalid Bitcount or
// Compression". Rows are scanned in memory order, even rows left to right and odd rows right to
// left; `dst` is written only when the conversion succeeds.

#include <array>

#include "dib/PxDIBInfos.h"

namespace vlz {

constexpr int HalftoneColorCount = 215;

// Entry i × 35 + j × 5 + k is (red level i, green level j, blue level k) of the levels
// red 0, 51 … 255 (6), green 0, 43 … 255 (7), blue 0, 64 … 255 (5); entries 210 to 214 are five
// system greys and darks that no dithered pixel uses.
const std::array<RGBQUAD, HalftoneColorCount>& HalftoneColors();

void ConvertToHalftone8Bit(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping);
void ConvertToMonochrome1Bit(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping);

}  // namespace vlz
