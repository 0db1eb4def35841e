#pragma once
// What the bitmap library makes of the BMP header records (read and written by
// graphics/BmpHeaders.h): its default resolution, the conversion of core headers, and the checks
// its loaders share.

#include <cstdint>

#include "dib/PxDIBInfos.h"
#include "graphics/BmpHeaders.h"

namespace vlz {

// Resolution fields of 0 mean "unknown"; the library stores 96 dots per inch instead.
void FillDefaultResolution(BITMAPINFOHEADER& header);
constexpr std::int32_t DefaultPelsPerMeter = 3780;

// Turns a core header, whose RGB triples have been read into the first entries of
// `infos.Colors`, into the 40-byte header of `infos`. A core image is always bottom-up.
void ConvertCoreHeader(const BITMAPCOREHEADER& core, TPxDIBInfos& infos);

// Bits per pixel that a 40-byte header may carry.
bool IsKnownBitCount(std::uint32_t bitCount);
// Whether the header describes RLE data kept compressed (its block holds the stream, not rows).
bool IsRLECompressed(const BITMAPINFOHEADER& header);
// |biHeight| without overflow.
std::int64_t RowCountOf(const BITMAPINFOHEADER& header);
// stride × rows when that fits a 32-bit block size, otherwise -1.
std::int64_t BlockSizeOf(std::int64_t stride, std::int64_t rows);

}  // namespace vlz
