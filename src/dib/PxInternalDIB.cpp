#include "dib/PxInternalDIB.h"

#include <vector>

#include "dib/PxDIBError.h"
#include "dib/PxDIBHeader.h"
#include "graphics/HeldPalettes.h"
#include "platform/Exception.h"

namespace vlz {

TPxInternalDIB::TPxInternalDIB(bool useFileMapping) : UseFileMapping(useFileMapping) {
    CreateDIB(1, 1, 8, 256);
}

TPxInternalDIB::~TPxInternalDIB() {
    FreeDIB();
}

void TPxInternalDIB::CreateDIB(std::int32_t width, std::int32_t height, std::int32_t bitCount,
                               std::int32_t clrUsed) {
    bool knownBitCount = bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24;
    if (width <= 0 || height == 0 || clrUsed < 0 || clrUsed > 256 || !knownBitCount) {
        throw EPxDIBInvalidDIBPara("TPxInternalDIB.CreateDIB: Invalid Parameters");
    }
    std::int64_t rows = height < 0 ? -static_cast<std::int64_t>(height) : height;
    std::int64_t size = BlockSizeOf(DibStride(bitCount, width), rows);
    if (size < 0) {
        // The block size is a 32-bit quantity everywhere it is stored.
        throw EPxDIBInvalidDIBPara("TPxInternalDIB.CreateDIB: Invalid Parameters");
    }
    auto imageSize = static_cast<std::int32_t>(size);

    MappingHandle mapping = NoMapping;
    std::uint8_t* bits = nullptr;
    // Blocks of both kinds arrive zeroed, so a large empty image costs no page until drawn on.
    GetMemory(imageSize, mapping, bits, UseFileMapping);

    DIBInfos.ImageSize = imageSize;
    DIBInfos.MappingHandle = mapping;
    DIBInfos.Bits = bits;
    Palette = nullptr;
    Width = width;
    Height = static_cast<std::int32_t>(rows);

    BITMAPINFOHEADER& header = DIBInfos.Header;
    header.biSize = BitmapInfoHeaderSize;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<std::uint16_t>(bitCount);
    header.biCompression = BI_RGB;
    header.biSizeImage = 0;
    header.biXPelsPerMeter = DefaultPelsPerMeter;
    header.biYPelsPerMeter = DefaultPelsPerMeter;
    header.biClrUsed = static_cast<std::uint32_t>(clrUsed);
    header.biClrImportant = 0;
    for (int index = 0; index < 256; ++index) {
        DIBInfos.Colors[index] = RGBQUAD{};
    }
    PaletteChanged = true;
}

void TPxInternalDIB::FreeDIB() {
    FreeMemory(DIBInfos.MappingHandle, DIBInfos.Bits, UseFileMapping);
    DIBInfos.ImageSize = 0;
    DeleteHeldPalette(Palette);
    Palette = nullptr;
}

void TPxInternalDIB::InvalidatePalette() {
    DeleteHeldPalette(Palette);
    Palette = nullptr;
    PaletteChanged = true;
}

HPALETTE TPxInternalDIB::CreatePaletteFromDIB() const {
    return GetPaletteFromDIBInfos(DIBInfos);
}

TPxPixelFormat TPxInternalDIB::GetPixelFormat() const {
    const BITMAPINFOHEADER& header = DIBInfos.Header;
    switch (header.biBitCount) {
        case 1:
            if (header.biCompression == BI_RGB) {
                return pf1Bit;
            }
            throw EPxDIBInvalidDIB("TPxInternalDIB.GetPixelFormat: Invalid DIB(1Bit)");
        case 4:
            if (header.biCompression == BI_RGB) {
                return pf4Bit;
            }
            if (header.biCompression == BI_RLE4) {
                return pf4BitRLE;
            }
            throw EPxDIBInvalidDIB("TPxInternalDIB.GetPixelFormat: Invalid DIB(4Bit)");
        case 8:
            if (header.biCompression == BI_RGB) {
                return pf8Bit;
            }
            if (header.biCompression == BI_RLE8) {
                return pf8BitRLE;
            }
            throw EPxDIBInvalidDIB("TPxInternalDIB.GetPixelFormat: Invalid DIB(8Bit)");
        case 24:
            if (header.biCompression == BI_RGB) {
                return pf24Bit;
            }
            throw EPxDIBInvalidDIB("TPxInternalDIB.GetPixelFormat: Invalid DIB(24Bit)");
        default:
            throw EPxDIBInvalidDIB("TPxInternalDIB.GetPixelFormat: Invalid DIB(Illegal BitCount)");
    }
}

void TPxInternalDIB::Commit(const TPxDIBInfos& infos) {
    FreeDIB();
    DIBInfos = infos;
    Width = infos.Header.biWidth;
    Height = infos.Header.biHeight < 0 ? -infos.Header.biHeight : infos.Header.biHeight;
    InvalidatePalette();
}

std::int32_t ColorCountOf(std::int32_t bitCount) {
    // A negative count, seen unsigned, is none of the three either.
    return static_cast<std::int32_t>(FullColorTableSize(static_cast<std::uint32_t>(bitCount)));
}

std::int32_t MaskShiftOf(std::uint32_t mask) {
    std::int32_t shift = 0;
    while (mask >= 256) {
        mask >>= 1;
        ++shift;
    }
    while (mask < 128) {
        mask <<= 1;
        --shift;
    }
    return shift;
}

HPALETTE GetPaletteFromDIBInfos(const TPxDIBInfos& infos) {
    std::uint32_t count = infos.Header.biClrUsed;
    if (count == 0) {
        return nullptr;
    }
    HPALETTE palette = nullptr;
    if (count <= static_cast<std::uint32_t>(MaxPaletteEntries)) {
        std::vector<PALETTEENTRY> entries(count);
        for (std::uint32_t index = 0; index < count; ++index) {
            const RGBQUAD& color = infos.Colors[index];
            entries[index] = PALETTEENTRY{color.rgbRed, color.rgbGreen, color.rgbBlue, 0};
        }
        palette = CreatePalette(entries.data(), static_cast<int>(count));
    }
    if (palette == nullptr) {
        throw EOutOfResources("GetPaletteFromDIBInfos: Cannot Make Palette");
    }
    return palette;
}

std::int64_t RowStrideOf(const BITMAPINFOHEADER& header) {
    return DibStride(header.biBitCount, header.biWidth);
}

}  // namespace vlz
