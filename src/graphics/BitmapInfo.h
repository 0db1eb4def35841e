#pragma once
// The bitmap structures of the BMP/DIB format, as plain in-memory records. Files are read and
// written field by field (little-endian), never by copying these records as bytes.

#include <cstdint>

namespace vlz {

constexpr std::uint32_t BI_RGB = 0;
constexpr std::uint32_t BI_RLE8 = 1;
constexpr std::uint32_t BI_RLE4 = 2;
constexpr std::uint32_t BI_BITFIELDS = 3;

constexpr std::uint16_t BitmapFileType = 0x4D42;  // "BM" in file order
constexpr std::uint32_t BitmapFileHeaderSize = 14;
constexpr std::uint32_t BitmapInfoHeaderSize = 40;
constexpr std::uint32_t BitmapCoreHeaderSize = 12;

struct BITMAPFILEHEADER {
    std::uint16_t bfType = 0;
    std::uint32_t bfSize = 0;
    std::uint16_t bfReserved1 = 0;
    std::uint16_t bfReserved2 = 0;
    std::uint32_t bfOffBits = 0;
};

struct BITMAPINFOHEADER {
    std::uint32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 0;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};

// The header of OS/2-style files and packed DIBs: no compression, no colour count, and a table
// of RGB triples behind it.
struct BITMAPCOREHEADER {
    std::uint32_t bcSize = 0;
    std::uint16_t bcWidth = 0;
    std::uint16_t bcHeight = 0;
    std::uint16_t bcPlanes = 0;
    std::uint16_t bcBitCount = 0;
};

struct RGBQUAD {
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;
    friend bool operator==(const RGBQUAD&, const RGBQUAD&) = default;
};

// Bytes per row of uncompressed DIB data: every row padded to a multiple of four bytes.
constexpr std::int64_t DibStride(std::int64_t bitCount, std::int64_t width) {
    return ((bitCount * width + 31) / 32) * 4;
}

// A header and the colour table right behind it: what drawing functions take as a BITMAPINFO.
struct BitmapInfoView {
    const BITMAPINFOHEADER* header = nullptr;
    const RGBQUAD* colors = nullptr;  // at least the entries the header's biClrUsed names
};

}  // namespace vlz
