#pragma once
// The header records of the BMP format as they lie in files and packed DIBs, shared by the stream
// and the clipboard forms. Every field is read or written on its own, little-endian.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "dib/PxDIBInfos.h"
#include "platform/LittleEndian.h"

namespace vlz {

// BITMAPFILEHEADER, 14 bytes:
//   0 bfType "BM" | 2 bfSize | 6 bfReserved1 | 8 bfReserved2 | 10 bfOffBits
BITMAPFILEHEADER ReadFileHeader(TLittleEndianReader& reader);
void WriteFileHeader(TLittleEndianWriter& writer, const BITMAPFILEHEADER& header);

// BITMAPINFOHEADER, 40 bytes, after its 4-byte biSize:
//   4 biWidth | 8 biHeight | 12 biPlanes (16) | 14 biBitCount (16) | 16 biCompression
//   20 biSizeImage | 24 biXPelsPerMeter | 28 biYPelsPerMeter | 32 biClrUsed | 36 biClrImportant
void ReadInfoHeaderFields(TLittleEndianReader& reader, BITMAPINFOHEADER& header);
void WriteInfoHeader(TLittleEndianWriter& writer, const BITMAPINFOHEADER& header);

// RGBQUAD entries: blue, green, red, reserved.
void ReadColorTable(TLittleEndianReader& reader, RGBQUAD* colors, std::size_t count);
void WriteColorTable(TLittleEndianWriter& writer, const RGBQUAD* colors, std::size_t count);

// Resolution fields of 0 mean "unknown"; the library stores 96 dots per inch instead.
void FillDefaultResolution(BITMAPINFOHEADER& header);
constexpr std::int32_t DefaultPelsPerMeter = 3780;

// BITMAPCOREHEADER, 12 bytes, then RGB triples (blue, green, red):
//   0 bcSize | 4 bcWidth (16) | 6 bcHeight (16) | 8 bcPlanes (16) | 10 bcBitCount (16)
constexpr std::size_t CoreHeaderBitCountOffset = 10;
// Number of triples that follow a core header: a full table for 1, 4 and 8 bits, none otherwise.
std::size_t CoreTripleCount(std::uint16_t bitCount);
// Turns a core header and the triples right behind it into the 40-byte header and RGBQUAD table
// of `infos`. A core image is always bottom-up. `core` must hold the header and all its triples.
void ConvertCoreHeader(const std::uint8_t* core, TPxDIBInfos& infos);

// Bits per pixel that a 40-byte header may carry.
bool IsKnownBitCount(std::uint32_t bitCount);
// Whether the header describes RLE data kept compressed (its block holds the stream, not rows).
bool IsRLECompressed(const BITMAPINFOHEADER& header);
// |biHeight| without overflow.
std::int64_t RowCountOf(const BITMAPINFOHEADER& header);
// stride × rows when that fits a 32-bit block size, otherwise -1.
std::int64_t BlockSizeOf(std::int64_t stride, std::int64_t rows);

}  // namespace vlz
