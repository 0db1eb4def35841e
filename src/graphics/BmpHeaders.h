#pragma once
// The header records of BMP files and packed DIBs as they lie in the bytes, each field read or
// written on its own, little-endian. Every reader of the format in the program goes through
// these: the bitmap library, the framework's bitmap and the clipboard glue.
//
//   BMP file:    BITMAPFILEHEADER | packed DIB, its pixels at bfOffBits
//   packed DIB:  BITMAPINFOHEADER (40, or a later version's size) | 3 masks with BI_BITFIELDS
//                after a 40-byte header | colour table of RGBQUADs | pixels
//            or  BITMAPCOREHEADER (12) | colour table of RGB triples | pixels

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "graphics/BitmapInfo.h"
#include "platform/LittleEndian.h"

namespace vlz {

// BITMAPFILEHEADER, 14 bytes:
//   0 bfType "BM" | 2 bfSize | 6 bfReserved1 | 8 bfReserved2 | 10 bfOffBits
BITMAPFILEHEADER ReadFileHeader(TLittleEndianReader& reader);
void WriteFileHeader(TLittleEndianWriter& writer, const BITMAPFILEHEADER& header);

// BITMAPINFOHEADER, 40 bytes. The reader takes the fields after the 4-byte biSize, which the
// caller has read to tell the versions apart, and sets biSize to 40:
//   4 biWidth | 8 biHeight | 12 biPlanes (16) | 14 biBitCount (16) | 16 biCompression
//   20 biSizeImage | 24 biXPelsPerMeter | 28 biYPelsPerMeter | 32 biClrUsed | 36 biClrImportant
void ReadInfoHeaderFields(TLittleEndianReader& reader, BITMAPINFOHEADER& header);
void WriteInfoHeader(TLittleEndianWriter& writer, const BITMAPINFOHEADER& header);

// BITMAPCOREHEADER, 12 bytes; the reader takes the fields after the 4-byte bcSize:
//   4 bcWidth (16) | 6 bcHeight (16) | 8 bcPlanes (16) | 10 bcBitCount (16)
BITMAPCOREHEADER ReadCoreHeaderFields(TLittleEndianReader& reader);

// RGBQUAD entries: blue, green, red, reserved.
void ReadColorTable(TLittleEndianReader& reader, RGBQUAD* colors, std::size_t count);
void WriteColorTable(TLittleEndianWriter& writer, const RGBQUAD* colors, std::size_t count);
// RGB triples of a core header's table: blue, green, red. The reserved byte becomes 0.
void ReadColorTriples(TLittleEndianReader& reader, RGBQUAD* colors, std::size_t count);

// 2, 16 or 256 for 1, 4 or 8 bits per pixel; 0 for every other bit count. A core header's table
// is always this long; an info header's is when its biClrUsed is 0.
std::uint32_t FullColorTableSize(std::uint32_t bitCount);
// Entries of the colour table behind an info header: biClrUsed, or the full table when it is 0.
std::uint64_t ColorTableEntriesOf(const BITMAPINFOHEADER& header);

// Bytes in front of the pixels of a packed DIB: the header of `headerSize` bytes, the masks of
// a 40-byte BI_BITFIELDS header, and the colour table.
std::uint64_t InfoHeaderPartSize(std::uint32_t headerSize, const BITMAPINFOHEADER& header);
std::uint64_t CoreHeaderPartSize(const BITMAPCOREHEADER& header);
// The same, read from the first bytes of a packed DIB of any header version; nothing when the
// bytes are too few for the header's fields or the size field names no known kind of header.
std::optional<std::uint64_t> PackedDibPixelOffset(const std::uint8_t* data, std::size_t size);

// A packed DIB with a BMP file header in front, its bfOffBits at the pixels (right behind the
// file header when the packed DIB is too short to tell).
std::vector<std::uint8_t> BmpFileOfPackedDib(const std::uint8_t* dib, std::size_t size);
// The packed DIB of a BMP file: the file without its file header and without any gap between the
// colour table and the pixels. Nothing when the bytes are no BMP file.
std::optional<std::vector<std::uint8_t>> PackedDibOfBmpFile(const std::uint8_t* file,
                                                            std::size_t size);

}  // namespace vlz
