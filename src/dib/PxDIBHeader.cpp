#include "dib/PxDIBHeader.h"

#include "dib/PxInternalDIB.h"

#include <limits>

namespace vlz {

BITMAPFILEHEADER ReadFileHeader(TLittleEndianReader& reader) {
    BITMAPFILEHEADER header;
    header.bfType = reader.U16();
    header.bfSize = reader.U32();
    header.bfReserved1 = reader.U16();
    header.bfReserved2 = reader.U16();
    header.bfOffBits = reader.U32();
    return header;
}

void WriteFileHeader(TLittleEndianWriter& writer, const BITMAPFILEHEADER& header) {
    writer.U16(header.bfType);
    writer.U32(header.bfSize);
    writer.U16(header.bfReserved1);
    writer.U16(header.bfReserved2);
    writer.U32(header.bfOffBits);
}

void ReadInfoHeaderFields(TLittleEndianReader& reader, BITMAPINFOHEADER& header) {
    header.biSize = BitmapInfoHeaderSize;
    header.biWidth = reader.I32();
    header.biHeight = reader.I32();
    header.biPlanes = reader.U16();
    header.biBitCount = reader.U16();
    header.biCompression = reader.U32();
    header.biSizeImage = reader.U32();
    header.biXPelsPerMeter = reader.I32();
    header.biYPelsPerMeter = reader.I32();
    header.biClrUsed = reader.U32();
    header.biClrImportant = reader.U32();
}

void WriteInfoHeader(TLittleEndianWriter& writer, const BITMAPINFOHEADER& header) {
    writer.U32(header.biSize);
    writer.I32(header.biWidth);
    writer.I32(header.biHeight);
    writer.U16(header.biPlanes);
    writer.U16(header.biBitCount);
    writer.U32(header.biCompression);
    writer.U32(header.biSizeImage);
    writer.I32(header.biXPelsPerMeter);
    writer.I32(header.biYPelsPerMeter);
    writer.U32(header.biClrUsed);
    writer.U32(header.biClrImportant);
}

void ReadColorTable(TLittleEndianReader& reader, RGBQUAD* colors, std::size_t count) {
    for (std::size_t index = 0; index < count; ++index) {
        colors[index].rgbBlue = reader.U8();
        colors[index].rgbGreen = reader.U8();
        colors[index].rgbRed = reader.U8();
        colors[index].rgbReserved = reader.U8();
    }
}

void WriteColorTable(TLittleEndianWriter& writer, const RGBQUAD* colors, std::size_t count) {
    for (std::size_t index = 0; index < count; ++index) {
        writer.U8(colors[index].rgbBlue);
        writer.U8(colors[index].rgbGreen);
        writer.U8(colors[index].rgbRed);
        writer.U8(colors[index].rgbReserved);
    }
}

void FillDefaultResolution(BITMAPINFOHEADER& header) {
    if (header.biXPelsPerMeter == 0) {
        header.biXPelsPerMeter = DefaultPelsPerMeter;
    }
    if (header.biYPelsPerMeter == 0) {
        header.biYPelsPerMeter = DefaultPelsPerMeter;
    }
}

std::size_t CoreTripleCount(std::uint16_t bitCount) {
    // A core header has no colour count: its table is always full for the depth.
    return static_cast<std::size_t>(ColorCountOf(bitCount));
}

void ConvertCoreHeader(const std::uint8_t* core, TPxDIBInfos& infos) {
    TLittleEndianReader reader(core, BitmapCoreHeaderSize);
    reader.Skip(4);  // bcSize
    std::uint16_t width = reader.U16();
    std::uint16_t height = reader.U16();
    std::uint16_t planes = reader.U16();
    std::uint16_t bitCount = reader.U16();
    std::size_t triples = CoreTripleCount(bitCount);

    // Built aside and copied back, so the record is never seen half converted.
    TPxDIBInfos converted = infos;
    BITMAPINFOHEADER& header = converted.Header;
    header.biSize = BitmapInfoHeaderSize;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = planes;
    header.biBitCount = bitCount;
    header.biCompression = BI_RGB;
    header.biSizeImage = 0;
    header.biXPelsPerMeter = DefaultPelsPerMeter;
    header.biYPelsPerMeter = DefaultPelsPerMeter;
    header.biClrUsed = static_cast<std::uint32_t>(triples);
    header.biClrImportant = 0;
    const std::uint8_t* triple = core + BitmapCoreHeaderSize;
    for (std::size_t index = 0; index < triples; ++index, triple += 3) {
        converted.Colors[index] = RGBQUAD{triple[0], triple[1], triple[2], 0};
    }
    infos = converted;
}

bool IsKnownBitCount(std::uint32_t bitCount) {
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
           bitCount == 32;
}

bool IsRLECompressed(const BITMAPINFOHEADER& header) {
    return (header.biBitCount == 8 && header.biCompression == BI_RLE8) ||
           (header.biBitCount == 4 && header.biCompression == BI_RLE4);
}

std::int64_t RowCountOf(const BITMAPINFOHEADER& header) {
    std::int64_t height = header.biHeight;
    return height < 0 ? -height : height;
}

std::int64_t BlockSizeOf(std::int64_t stride, std::int64_t rows) {
    constexpr std::int64_t Limit = std::numeric_limits<std::int32_t>::max();
    if (stride < 0 || rows < 0 || (rows != 0 && stride > Limit / rows)) {
        return -1;
    }
    return stride * rows;
}

}  // namespace vlz
