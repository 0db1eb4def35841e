#include "graphics/BmpHeaders.h"

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

BITMAPCOREHEADER ReadCoreHeaderFields(TLittleEndianReader& reader) {
    BITMAPCOREHEADER header;
    header.bcSize = BitmapCoreHeaderSize;
    header.bcWidth = reader.U16();
    header.bcHeight = reader.U16();
    header.bcPlanes = reader.U16();
    header.bcBitCount = reader.U16();
    return header;
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

void ReadColorTriples(TLittleEndianReader& reader, RGBQUAD* colors, std::size_t count) {
    for (std::size_t index = 0; index < count; ++index) {
        colors[index].rgbBlue = reader.U8();
        colors[index].rgbGreen = reader.U8();
        colors[index].rgbRed = reader.U8();
        colors[index].rgbReserved = 0;
    }
}

std::uint32_t FullColorTableSize(std::uint32_t bitCount) {
    switch (bitCount) {
        case 1:
            return 2;
        case 4:
            return 16;
        case 8:
            return 256;
        default:
            return 0;
    }
}

std::uint64_t ColorTableEntriesOf(const BITMAPINFOHEADER& header) {
    return header.biClrUsed != 0 ? header.biClrUsed : FullColorTableSize(header.biBitCount);
}

std::uint64_t InfoHeaderPartSize(std::uint32_t headerSize, const BITMAPINFOHEADER& header) {
    // Later header versions hold their masks inside the header itself.
    std::uint64_t masks =
        headerSize == BitmapInfoHeaderSize && header.biCompression == BI_BITFIELDS ? 12 : 0;
    return headerSize + masks + ColorTableEntriesOf(header) * 4;
}

std::uint64_t CoreHeaderPartSize(const BITMAPCOREHEADER& header) {
    return BitmapCoreHeaderSize + std::uint64_t{FullColorTableSize(header.bcBitCount)} * 3;
}

std::optional<std::uint64_t> PackedDibPixelOffset(const std::uint8_t* data, std::size_t size) {
    TLittleEndianReader reader(data, size);
    std::uint32_t headerSize = reader.U32();
    if (headerSize == BitmapCoreHeaderSize) {
        BITMAPCOREHEADER core = ReadCoreHeaderFields(reader);
        if (reader.Overrun()) {
            return std::nullopt;
        }
        return CoreHeaderPartSize(core);
    }
    if (headerSize < BitmapInfoHeaderSize) {
        return std::nullopt;
    }
    BITMAPINFOHEADER header;
    ReadInfoHeaderFields(reader, header);
    if (reader.Overrun()) {
        return std::nullopt;
    }
    return InfoHeaderPartSize(headerSize, header);
}

std::vector<std::uint8_t> BmpFileOfPackedDib(const std::uint8_t* dib, std::size_t size) {
    BITMAPFILEHEADER fileHeader;
    fileHeader.bfType = BitmapFileType;
    fileHeader.bfSize = static_cast<std::uint32_t>(BitmapFileHeaderSize + size);
    fileHeader.bfOffBits = static_cast<std::uint32_t>(BitmapFileHeaderSize +
                                                      PackedDibPixelOffset(dib, size).value_or(0));
    std::vector<std::uint8_t> file;
    file.reserve(BitmapFileHeaderSize + size);
    TLittleEndianWriter writer(file);
    WriteFileHeader(writer, fileHeader);
    file.insert(file.end(), dib, dib + size);
    return file;
}

namespace {

// The bit count of a packed DIB's header of any version; 0 when the bytes are too few to tell.
std::uint16_t PackedDibBitCount(const std::uint8_t* data, std::size_t size) {
    TLittleEndianReader reader(data, size);
    const std::uint32_t headerSize = reader.U32();
    reader.Skip(headerSize == BitmapCoreHeaderSize ? 6 : 10);
    const std::uint16_t bitCount = reader.U16();
    return reader.Overrun() ? 0 : bitCount;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> PackedDibOfBmpFile(const std::uint8_t* file,
                                                            std::size_t size) {
    TLittleEndianReader reader(file, size);
    const BITMAPFILEHEADER fileHeader = ReadFileHeader(reader);
    if (size < BitmapFileHeaderSize + BitmapCoreHeaderSize || fileHeader.bfType != BitmapFileType) {
        return std::nullopt;
    }
    const std::uint8_t* dib = file + BitmapFileHeaderSize;
    const std::optional<std::uint64_t> pixels =
        PackedDibPixelOffset(dib, size - BitmapFileHeaderSize);
    // The picture ends where the file says it does, as the file loader reads it: bytes after
    // bfSize would be taken as more of an RLE stream, or kept as part of the pixels. Rows of 16
    // and 32 bits are read as many as the header counts, whatever bfSize says.
    std::size_t end = size;
    const std::uint16_t bitCount = PackedDibBitCount(dib, size - BitmapFileHeaderSize);
    if (pixels && bitCount != 16 && bitCount != 32 && fileHeader.bfSize < size &&
        fileHeader.bfSize >= fileHeader.bfOffBits &&
        fileHeader.bfOffBits >= BitmapFileHeaderSize + *pixels) {
        end = fileHeader.bfSize;
    }
    if (pixels && fileHeader.bfOffBits > BitmapFileHeaderSize + *pixels &&
        fileHeader.bfOffBits <= end) {
        std::vector<std::uint8_t> packed(dib, dib + *pixels);
        packed.insert(packed.end(), file + fileHeader.bfOffBits, file + end);
        return packed;
    }
    return std::vector<std::uint8_t>(dib, file + end);
}

}  // namespace vlz
